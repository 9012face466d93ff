#include "apps/pelmora/ac_entry_screen.h"

#include <array>
#include <string>

#include "apps/pelmora/ac_books.h"
#include "apps/pelmora/ac_line_order.h"
#include "apps/pelmora/ac_post.h"
#include "apps/pelmora/ac_text.h"
#include "apps/pelmora/pelmora_head.h"
#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/hooks.h"
#include "core/module_parms.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/file_ctrl.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/relup_rules.h"
#include "data/selection_set.h"
#include "ui/action_codes.h"
#include "ui/field_values.h"
#include "ui/hook_win.h"
#include "ui/list_level.h"
#include "ui/maint_trace.h"
#include "ui/movs_line.h"
#include "ui/movs_win.h"
#include "ui/nav_win.h"
#include "ui/screen_actions.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"
#include "ui/win_def.h"

namespace eng::pelmora {

namespace {

constexpr uint16_t kAcF2 = 20;
constexpr uint16_t kSubIns = 9, kSubDel = 10;
constexpr uint16_t kAcLoad = 41;
constexpr uint16_t kTraceNoLineEdits = 128;
constexpr uint16_t kLineGoto = 37;
constexpr uint16_t kMaintMode = 2;
constexpr uint16_t kDefaultVerbMantMain = 5;
constexpr const char* kDeleteEntryMsg = "1001";
constexpr const char* kPredefinedMsg = "1002";
constexpr const char* kCaptionMsg = "0008";

std::string ParmText(uint16_t parameter, int item) { return ScreenParmText(parameter, item); }

uint16_t ScreenFile() { return ScreenCurrent().data_file; }

std::string SavedKey(uint16_t file) {
  ScratchScope scope;
  StrPair rec = BufRecord(file, kBufSaved);
  if (!rec.ok()) return {};
  std::string held(rec.view());
  StrPair key = BufKeyValue(file, 1, StrOf(held));
  return key.ok() ? key.str() : std::string();
}

uint16_t TypeField(uint16_t file) {
  ScratchScope scope;
  return DictFindField(file, AcFieldName(6));
}

// The entry prefix of the current record: date and entry number.
std::string EntryPrefix(uint16_t file) { return AcEntryKeyPrefix(file, false); }

// Deletes the records of a file whose key 1 starts with the prefix, the
// file's position kept.
Status DeleteByPrefix(uint16_t file, const std::string& prefix) {
  if (file == 0 || prefix.empty()) return kOk;
  // The registry files need not be open in the entry window.
  if (Status o = DataFileOpen(file, 0); o >= kStFirstWarning) return o;
  DataFileSaved saved;
  if (Status s = DataFileCtrlSave(file, saved)) return s;
  Status s;
  {
    ScratchScope scope;
    s = DataFileDeleteWhere(file, 1, StrOf(prefix), StrPair{});
  }
  DataFileCtrlSave(file, saved);
  return s >= kStFirstError ? s : Status{kOk};
}

// The day the window's lines belong to: its first field (the new line
// under the last one holds no entry and a default date of its own).
std::string DocumentDay() {
  ScratchScope scope;
  StrPair day = ScreenFieldRaw(1);
  return day.ok() ? AcTrim(day.view()) : std::string();
}

// The line committed, then every entry of the day: an entry whose debits
// and credits differ keeps the window on the day and its line with its
// message. The journal's position and record are the window's again
// afterwards.
Status EntryEndCheck() {
  const uint16_t file = ScreenFile();
  const ScreenWin* w = ScreenWinGet(-1);
  if (!w) return kOk;
  if (Status s = MovsLineCommit(ScreenCurrent(), w->list_level); s >= kStFirstError) return s;
  AcBooks b;
  if (AcBooksResolve(&b) != kOk || b.journal != file) return kOk;
  const std::string day = DocumentDay();
  if (day.empty()) return kOk;
  DataFileSaved saved;
  if (Status s = DataFileCtrlSave(file, saved)) return s;
  Status s = AcEntryCheck(b, day);
  DataFileCtrlSave(file, saved);
  if (s == kOk) return kOk;
  ScratchScope scope;
  std::string text = ErrIncidentText().str();
  // The commit took the line's edit controls away: they come back, and the
  // field the cursor stood on takes the focus before the box opens (the box
  // gives it back to that control), so that the entry can be mended.
  MovsLinsControlLine(ScreenCurrent(), kLineGoto);
  const int current = ScreenWinCurrent().current_field;
  if (current > 0 && ListFieldCtrlExists(static_cast<uint16_t>(current))) ScreenFieldFocus(current);
  MsgBox(StrOf(text), MsgText(kCaptionMsg), 1);
  return s;
}

}  // namespace

std::string AcEntryKeyPrefix(uint16_t file, bool saved) {
  std::string key = saved ? SavedKey(file) : AcKeyText(file, 1);
  if (saved && AcTrim(key).empty()) return {};
  uint16_t len = NavsOrderPrefixLen();
  if (len == 0) {
    DictKeyFieldList parts = DictKeyFields(file, 1);
    len = parts.count > 1 ? DictKeyLength(file, 1, static_cast<uint16_t>(parts.count - 1)) : 0;
  }
  return key.substr(0, std::min<size_t>(key.size(), len));
}

Status AcEntryScreenHook(StrPair) {
  if (SysVarGet(kVarAux) == 1) ScreenActionSet(&AcEntryAction, &MovsKeyFilter, nullptr);
  return kOk;
}

bool AcEntryIsPlain(uint16_t file, bool saved) {
  const uint16_t type = TypeField(file);
  if (type == 0xFFFF) return true;
  if (!saved) return AcFieldText(file, type).empty();
  ScratchScope scope;
  StrPair t = BufFieldText(file, type, kBufSaved);
  return !t.ok() || AcTrim(t.view()).empty();
}

Status AcEntryLockCheck(uint16_t action_class) {
  if (action_class != kAcToEnd && action_class != kAcLineDown && action_class != kAcLineUp) return kOk;
  const uint16_t file = ScreenFile();
  if (file == 0 || AcEntryIsPlain(file) || SysVarGet(kVarIer) != 0) return kOk;
  const uint16_t type = TypeField(file);
  std::string saved_type;
  {
    ScratchScope scope;
    StrPair t = BufFieldText(file, type, kBufSaved);
    saved_type = t.ok() ? AcTrim(t.view()) : std::string();
  }
  if (SavedKey(file) == AcKeyText(file, 1) && saved_type == AcFieldText(file, type)) return kOk;
  std::string command;
  {
    // The item is a view into the text: the text must outlive it.
    const std::string windows = ParmText(kParmWindows, 5);
    ScratchScope scope;
    StrPair item = StrItem(StrOf(windows), ';', 1);
    command = item.ok() ? AcUnquote(item.view()) : std::string();
  }
  ScratchScope scope;
  Status s = MantRunVerb(0, StrOf(command), kDefaultVerbMantMain);
  return s >= kStFirstError ? s : Status{32};
}

Status AcEntryInsertCheck(uint16_t action) {
  const uint16_t file = ScreenFile();
  if (AcEntryIsPlain(file) || NavsOrderLineNo(AcKeyText(file, 1)) < 2) return NavActionWin(action);
  ScratchScope scope;
  MsgBox(MsgText(kPredefinedMsg), MsgText(kCaptionMsg), 0);
  return kOk;
}

Status AcEntryDeleteAsk(uint16_t action) {
  const uint16_t file = ScreenFile();
  if (AcEntryIsPlain(file)) return NavActionWin(action);
  ScratchScope scope;
  if (MsgAskYesNo(MsgText(kDeleteEntryMsg)) != 1) return kOk;
  return AcDeleteEntry();
}

Status AcDeletePosting(const std::string& prefix, bool screen_file, bool second_file, int screen) {
  if (screen < 0) screen = ScreenCounterGet(kCurScreen);
  const ScreenDesc* found = screen_file ? ScreenGet(screen) : nullptr;
  if (screen_file && !found) return kStInternal;
  const ScreenDesc desc = found ? *found : ScreenDesc{};
  if (Status s = DeleteByPrefix(AppModuleFile(1), prefix)) return s;
  if (screen_file) {
    const uint16_t file = desc.data_file;
    DataFileSaved saved;
    if (Status s = DataFileCtrlSave(file, saved)) return s;
    Status s;
    {
      ScratchScope scope;
      StrPair relopt = ParmItemIn(kParmRelOpt, 0, ScreenDefText(screen));
      const std::string slots = DataFileLineExpr(relopt.ok() ? relopt : StrOf(""), desc.rule_mark).str();
      s = MovsDeleteKeyRecords(file, 1, StrOf(prefix), StrOf(slots), StrPair{});
    }
    DataFileCtrlSave(file, saved);
    if (s >= kStFirstError) return s;
  }
  if (second_file) return DeleteByPrefix(AppModuleFile(2), prefix);
  return kOk;
}

Status AcDeleteEntry() {
  const uint16_t file = ScreenFile();
  const std::string prefix = EntryPrefix(file);
  if (Status s = AcDeletePosting(prefix, false, true)) return s;
  const ScreenDesc screen = ScreenCurrent();
  Status s;
  {
    ScratchScope scope;
    const std::string slots = DataFileLineExpr(StrOf(ParmText(kParmRelOpt, 0)), screen.rule_mark).str();
    const std::array<uint16_t, 2> columns{1, 2};
    s = NavDeleteLineByKey(StrOf(prefix), columns, StrOf(slots));
  }
  if (s >= kStFirstError) return s;
  if (screen.bounded_first) ScreenFieldCtrlsDestroy(screen.bounded_first, screen.bounded_last);
  return MovsLinsControlLine(ScreenCurrent(), kLineGoto);
}

Status AcEntryAction(uint16_t action) {
  const uint16_t cls = ActionClassOf(action);
  const uint16_t sub = ActionSubOf(action);
  if (AcEntryLockCheck(cls)) return kOk;
  Status r;
  if (cls == kAcToEnd) {
    r = EntryEndCheck();
    r = r == kOk ? NavActionWin(action) : kOk;
  } else if (cls == kAcF2) {
    const ScreenWin w = ScreenWinCurrent();
    const ScreenDesc screen = ScreenCurrent();
    std::string value;
    if (screen.bounded_last && w.current_field == screen.bounded_last) {
      ScratchScope scope;
      StrPair v = ExpEvalStr(AcFieldName(15));
      if (v.ok()) value = AcTrim(v.view());
    }
    if (!value.empty()) {
      ScratchScope scope;
      r = ScreenFieldStore(0, w.current_field, StrOf(value));
      MovsStatusShow(r, ScreenWinGet(-1));
    } else {
      r = NavActionWin(action);
    }
  } else if (cls == kAcCommand && sub == kSubIns) {
    MantTrace(ScreenFile(), kSubIns);
    r = SysVarHas(kVarTrace, kTraceNoLineEdits) ? Status{kOk} : AcEntryInsertCheck(action);
  } else if (cls == kAcCommand && sub == kSubDel) {
    MantTrace(ScreenFile(), kSubDel);
    r = AcEntryDeleteAsk(action);
    if (SysVarHas(kVarTrace, kTraceNoLineEdits)) r = NavActionWin(kAcCancel);
  } else if (cls == kAcLoad) {
    if (!(ScreenWinCurrent().flags & kMaintMode)) AcVarAssign("DSC1#", "0");
    r = NavActionWin(action);
  } else {
    r = NavActionWin(action);
  }
  if (r > kStDetailText) {
    MsgErrorBox(r);
    if (r < kStFirstError) r = kOk;
  }
  return r;
}

void AcInstallEntryScreens() {
  HookSetFn<HookTextFn>(&AcEntryScreenHook, kHookApp17);
  NavSetOrderUnique(&pelmora::NavsOrderUnique);
}

}  // namespace eng::pelmora
