#include "ui/accept_win.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/app_verbs.h"
#include "core/def_lines.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/hooks.h"
#include "core/module_parms.h"
#include "core/scratch_arena.h"
#include "core/script_io.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "ui/accept_def.h"
#include "ui/action_codes.h"
#include "ui/ctl_dialog.h"
#include "ui/field_controls.h"
#include "ui/field_texts.h"
#include "ui/field_values.h"
#include "ui/fonts.h"
#include "ui/screen_actions.h"
#include "ui/screen_build.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_labels.h"
#include "ui/screen_open.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"
#include "ui/script_io.h"
#include "ui/ui_state.h"
#include "ui/win_create.h"
#include "ui/win_def.h"
#include "ui/win_loop.h"
#include "ui/win_stack.h"
#include "ui/window_procs.h"

namespace eng {

namespace {

constexpr int kKindDialog = 5;
constexpr uint16_t kStateFields = 2;
constexpr uint16_t kStoreInput = 118;
constexpr uint16_t kAuxStatEmptyDate = 64;
constexpr uint16_t kFitMinColumns = 25;
constexpr uint16_t kHookWinFlags = 82;
constexpr uint16_t kPpnFormat = 1;
constexpr uint16_t kAnswerClose = 4;
constexpr uint16_t kAnswerEnd = 24;
constexpr uint16_t kOkRows = 2;

AcceptState& A() { return Ui().accept; }

bool Has(const std::vector<uint32_t>& v, uint32_t b) { return std::find(v.begin(), v.end(), b) != v.end(); }
void Drop(std::vector<uint32_t>& v, uint32_t b) { v.erase(std::remove(v.begin(), v.end(), b), v.end()); }

// Results keep their texts as scratch entries above the caller's mark.
AcceptResult MakeResult(uint32_t key, const std::string& values, const std::string& filter, Status status) {
  AcceptResult r;
  r.exit_key = key;
  r.values = ScratchText(values);
  r.filter = ScratchText(filter);
  r.status = status;
  return r;
}

// Destroys a window this form made and the record it left behind.
void Abandon(plat::Hwnd made, int records_before) {
  if (ScreenCounterGet(kWinCount) > records_before) ScreenClose(-1);
  if (made) WinDestroy(made);
}

AcceptResult RunCore(StrPair title, StrPair definition, bool force_collect) {
  const std::string def = definition.ok() ? definition.str() : std::string();
  const plat::Hwnd top = WinTop();
  const int16_t cured = SysVarGet(kVarCurEdFld);
  std::string line;
  ScriptInput script;
  {
    ScratchScope scope;
    StrPair l;
    script = ScriptInputNext(&l);
    line = l.ok() ? l.str() : std::string();
  }
  auto done = [&](AcceptResult r) {
    SysVarSet(kVarCurEdFld, cured);
    return r;
  };
  if (script == kScriptEnd) {
    // Nobody is left to answer: the form counts as cancelled.
    SysVarSet(kVarLastKey, kKeyEsc);
    return done(MakeResult(kKeyEsc, "", "", kStCancelled));
  }
  Status s = AcceptWinCreate(title, StrOf(def), kAcceptFit, plat::kNoWindow, nullptr);
  if (s != kOk) return done(MakeResult(0, "", "", s));
  AcceptMarkCollected();
  const int record = ScreenCounterGet(kCurWin);
  const plat::Hwnd form = WinTop();
  bool answered = false;
  if (script == kScriptLine && !StrTrim(StrOf(line), 3).empty()) {
    s = ScriptStoreLine(StrOf(line));
    if (s != kOk) {
      // A line that does not fit the form: nothing is kept.
      Abandon(form, record);
      return done(MakeResult(0, "", "", s));
    }
    Status ok = AcceptWinExit(kActionOk);
    if (ok < kStFirstWarning) {
      if (plat::WinSystem* ws = UiWs()) ws->Send(form, plat::kWmClose);
      answered = true;
    }
  }
  if (!answered) WinModalLoop(form);
  if (top) WinActivate(top);
  const uint32_t key = static_cast<uint16_t>(SysVarGet(kVarLastKey));
  AcceptResult r = MakeResult(key, "", "", kOk);
  if (force_collect || key != 0) {
    ScreenWinSelect(record);
    r = AcceptWinCollect(StrOf(def), key, record);
  }
  return done(r);
}

}  // namespace

bool AcceptKeyConfirms(uint32_t key) {
  return key == kKeyEnter || key == kKeyTab || key == kKeyDown || key == kKeyPgDn || key == kKeyCtrlEnd;
}

void AcceptMarkCollected() {
  if (ScreenWin* w = ScreenWinGet(-1)) A().collected.push_back(w->block);
}

AcceptResult AcceptWinRun(StrPair title, StrPair definition) { return RunCore(title, definition, true); }

Status AcceptRunTexts(StrPair title, StrPair definition, std::string* values, std::string* filter) {
  ScratchScope scope;
  AcceptResult r = AcceptWinRun(title, definition);
  if (values) *values = r.values.ok() ? r.values.str() : std::string();
  if (filter) *filter = r.filter.ok() ? r.filter.str() : std::string();
  return r.status;
}

Status AcceptWinRunThen(StrPair title, StrPair definition, AcceptCallback callback) {
  const std::string def = definition.ok() ? definition.str() : std::string();
  Status status;
  uint32_t key;
  {
    ScratchScope scope;
    AcceptResult r = RunCore(title, StrOf(def), false);
    status = r.status;
    key = r.exit_key;
  }
  if ((status == kOk || status == kStCancelled) && callback) {
    if (Status s = DynStrPush(sl::kPendingAccept, StrOf(def))) return s;
    return callback(key);
  }
  return status;
}

AcceptResult AcceptCollectClosed(StrPair definition) {
  // The form's record follows the current one; when the form was the only
  // window, its record is still the current one, its window gone.
  int record = ScreenCounterGet(kCurWin) + 1;
  if (record >= ScreenCounterGet(kWinCount)) {
    ScreenWin* w = ScreenWinGet(-1);
    if (!w || WinStackValue(w->window) != -1) return MakeResult(0, "", "", kStScreenStruct);
    record = ScreenCounterGet(kCurWin);
  }
  ScreenWinSelect(record);
  return AcceptWinCollect(definition, static_cast<uint16_t>(SysVarGet(kVarLastKey)), record);
}

Status AcceptWinCreate(StrPair title, StrPair definition, uint16_t flags, plat::Hwnd parent,
                       ScreenActionHandler handler) {
  const std::string def = definition.ok() ? definition.str() : std::string();
  const std::string caption = title.ok() ? title.str() : std::string();
  plat::WinSystem* ws = UiWs();
  WinGridSetMargins(2, 2, -1, -1);
  // A form in a window of its own keeps a row below its fields for the Ok
  // button, which stands half a row above the bottom edge: without it the
  // button would cover the last field.
  if (!parent && WinGridGet().bottom < kOkRows) WinGridSetMargins(-1, -1, kOkRows, -1);
  const int records_before = ScreenCounterGet(kWinCount) < 0 ? 0 : ScreenCounterGet(kWinCount);
  plat::Hwnd made = plat::kNoWindow;
  if (!parent) {
    made = WinCreateKind(kKindDialog, 0, StrOf(""), 0, -1, -1, &ScreenDialogProc);
    if (!made) return kStLowFailure;
    if (!caption.empty()) WinSetText(made, StrOf(caption));
  }
  Status s = AcceptWinSelect(StrOf(def), flags);
  if (s == kOk) {
    if (ScreenWin* w = ScreenWinGet(-1)) w->state = kStateFields;
    s = ScreenSetWin(0);
  }
  if (s == kOk) s = AcceptFieldsLoad(StrOf(def));
  if (s != kOk && s >= kStFirstWarning) {
    Abandon(made, records_before);
    return s;
  }
  ScreenActionSet(handler ? handler : &AcceptWinAction, nullptr, nullptr);
  if (made && ws) {
    const GeomSize client = GeomGridSize(-1, -1);
    const GeomSize outer = WinOuterSize(client, kKindDialog, false);
    WinTopSetPos(-1, -1, outer.w, outer.h);
  }
  const plat::Hwnd form = made ? made : WinTop();
  if (ws && form && !ws->FindChild(form, kIdOk)) CtlAddOkButton(form);
  if (flags & kAcceptFit) WinGridSetSize(0, 0, false);
  SysVarSet(kVarLastKey, kKeyOther);
  return kOk;
}

Status AcceptWinSelect(StrPair definition, uint16_t flags) {
  const AcceptDef def = AcceptDefParse(definition);
  if (Status s = DynStrPush(sl::kModuleParms, StrOf(def.options))) return s;
  struct Pop {
    ~Pop() { ParmPop(); }
  } pop;
  const bool grid = flags & kAcceptGrid;
  std::vector<AcceptLabel> labels;
  size_t widest = 1;
  for (size_t i = 1; i <= def.items.size(); ++i) {
    labels.push_back(AcceptItemLabel(def, i));
    widest = std::max(widest, labels.back().shown.size());
  }
  std::vector<ScreenFieldDesc> fields;
  uint16_t next_column = 1;
  for (size_t i = 1; i <= def.items.size(); ++i) {
    const AcceptItem& item = def.items[i - 1];
    const AcceptLabel& label = labels[i - 1];
    uint16_t row = static_cast<uint16_t>(i);
    uint16_t column = grid ? next_column : static_cast<uint16_t>(widest);
    if (label.placed) {
      row = label.row;
      column = static_cast<uint16_t>(label.column + label.shown.size());
    }
    if (item.row) row = item.row;
    if (item.column) column = item.column;
    ScreenFieldDesc f = ScreenFieldFromAcceptItem(item, row, column);
    if (f.status != kOk) return f.status;
    next_column = static_cast<uint16_t>(column + f.width + 1);
    fields.push_back(f);
  }
  ScreenDesc tmpl;
  if (grid && !fields.empty()) {
    tmpl.bounded_first = 1;
    tmpl.bounded_last = static_cast<uint16_t>(fields.size());
  }
  const std::string key = AcceptFormKey(def);
  if (Status s = ScreenBuild(tmpl, fields, StrOf(key))) return s;
  const int screen = ScreenCounterGet(kCurScreen);
  ScreenWin w;
  w.screen = static_cast<uint16_t>(screen);
  w.window = WinTop();
  const GeomSize cell = FontCellSize();
  w.cell_w = static_cast<uint16_t>(cell.w);
  w.cell_h = static_cast<uint16_t>(cell.h);
  if (Status s = ScreenWinNew(w)) return s;
  if (flags & kAcceptFit) {
    int width = 0;
    for (const ScreenFieldDesc& f : fields) width = std::max(width, f.column + f.storage_len);
    const ScreenGrid g = WinGridGet();
    width = std::min(std::max(width, int(kFitMinColumns)), int(g.columns) - int(g.left));
    const int rows = fields.empty() ? 1 : fields.back().row;
    WinGridSetSize(width, rows, false);
  }
  ScreenDesc* d = ScreenGet(screen);
  if (!d) return ErrIncident(kStScreenStruct, StrOf("AcceptWinSelect"), false);
  ++d->use_count;
  if (!grid) {
    for (size_t i = 0; i < fields.size(); ++i) {
      const AcceptLabel& l = labels[i];
      if (l.shown.empty()) continue;
      ScratchScope scope;
      if (l.placed)
        ScreenLabelDraw(l.row, l.column, StrOf(l.shown));
      else
        ScreenLabelDraw(fields[i].row, int(fields[i].column) - int(l.shown.size()), StrOf(l.shown));
    }
  }
  AcceptLastKeySet(StrOf(key));
  return kOk;
}

Status AcceptFieldsLoad(StrPair definition) {
  const AcceptDef def = AcceptDefParse(definition);
  const uint16_t aux = SysVarBits(kVarAuxStat);
  SysVarSet(kVarAuxStat, static_cast<int16_t>(aux | kAuxStatEmptyDate));
  Status s = kOk;
  const int fields = ScreenCurrent().field_count;
  for (int n = 1; n <= fields && s == kOk; ++n) {
    ScratchScope scope;
    const std::string initial = n <= int(def.items.size()) ? def.items[n - 1].Part(4) : std::string();
    StrPair value = initial.empty() ? AcceptLastValue(n) : ExpEvalStr(StrOf(initial));
    s = value.ok() ? ScreenFieldStore(kStoreInput, n, value) : StrError(value);
  }
  SysVarSet(kVarAuxStat, static_cast<int16_t>(aux));
  return s;
}

AcceptResult AcceptWinCollect(StrPair definition, uint32_t exit_key, int window_record) {
  const AcceptDef def = AcceptDefParse(definition);
  const bool confirmed = AcceptKeyConfirms(exit_key);
  AcceptCollected c;
  c.status = confirmed ? Status{kOk} : Status{kStCancelled};
  if (confirmed) {
    DynStrSet(sl::kWork, sl::kAcceptCondition, StrOf(""));
    std::vector<std::string> raw;
    const int fields = ScreenCurrent().field_count;
    for (int n = 1; n <= fields; ++n) {
      ScratchScope scope;
      StrPair r = ScreenFieldRaw(n);
      raw.push_back(r.ok() ? r.str() : std::string());
    }
    c = AcceptCollectValues(def, raw);
    for (const AcceptAssignment& a : c.assignments) {
      if (c.status != kOk) break;
      ScratchScope scope;
      Status s = ExpAssignValue(StrOf(a.name), StrOf(a.value), true);
      if (s >= kStFirstWarning) c.status = s;
    }
  }
  if (ScreenWin* w = ScreenWinGet(window_record)) {
    Drop(A().collected, w->block);
    Drop(A().ended, w->block);
  }
  ScreenClose(window_record);
  if (exit_key == kKeyCtrlEnd) {
    exit_key = kKeyEnter;
    SysVarSet(kVarLastKey, kKeyEnter);
  }
  if (c.status != kOk) return MakeResult(exit_key, "", "", c.status);
  DynStrSet(sl::kWork, kAcceptValues, StrOf(c.values));
  DynStrSet(sl::kWork, sl::kAcceptCondition, StrOf(c.filter));
  {
    ScratchScope scope;
    ScriptJournalLine(StrOf(c.values));
  }
  return MakeResult(exit_key, c.values, c.filter, kOk);
}

Status AcceptWinExit(uint16_t code) {
  const uint16_t cls = ActionClassOf(code);
  ScreenWin* w = ScreenWinGet(-1);
  const uint32_t block = w ? w->block : 0;
  const bool first = w && !Has(A().ended, block);
  if (w && first) A().ended.push_back(block);
  Status answer = cls == kAcCloseRequest ? Status{kAnswerClose} : Status{kAnswerEnd};
  Status status = kOk;
  if ((cls == kAcCancel || cls == kAcCloseRequest) && first) {
    ScratchScope scope;
    StrPair text = ScreenParmItem(kParmOnCancel, 0);
    if (text.ok() && !text.empty()) status = ExpExecute(text);
  }
  if (code == kActionOk) {
    SysVarSet(kVarLastKey, kKeyEnter);
    {
      ScratchScope scope;
      StrPair text = ScreenParmItem(kParmOnConfirm, 0);
      if (text.ok() && !text.empty()) {
        StrPair v = ExpEvalStr(text);
        status = v.ok() ? ScreenSaveRecord(v, true) : StrError(v);
      }
    }
    if (w && !Has(A().collected, block) && status < kStFirstWarning) ScriptJournalFields();
  }
  if (w) {
    const ScreenWin now = ScreenWinCurrent();
    if (now.filter && !(now.flags & kWinNoHandlers)) answer = now.filter(static_cast<uint16_t>(code & 0xFF));
  }
  return status ? status : answer;
}

Status AcceptWinAction(uint16_t code) {
  Status s = ScreenActionWinDefault(code);
  if (s == kStDataError) {
    s = ScreenActionDefault(code);
    if (s < kStFirstWarning) s &= static_cast<Status>(~0x10);
    if (s == 0) {
      const int current = ScreenWinCurrent().current_field;
      if (current) ScreenFieldFocus(current);
    }
  }
  return s;
}

Status AcceptWinRunDef(StrPair line, uint16_t hook) {
  const WinDefRecord r = WinDefParse(line);
  {
    ScratchScope scope;
    StrPair path = WinDefFilePath(StrOf(r.file), kDefKindPpn);
    if (path.empty()) path = DefFileName(StrOf(r.file), kDefKindPpn);
    if (Status s = ParmPushDef(path, kPpnFormat, r.number)) return s;
  }
  struct Pop {
    ~Pop() { ParmPop(); }
  } pop;
  std::string bound, title;
  {
    ScratchScope scope;
    bound = ParmItem(kParmAcBound, 0).str();
    title = ParmItem(kParmWinName, 0).str();
  }
  if (bound.empty()) return ErrIncident(kStDataError, StrOf("ACBOUND$"), false);
  ScratchScope scope;
  AcceptResult result = AcceptWinRun(StrOf(title), StrOf(bound));
  if (!result.values.ok() || result.values.empty()) return result.status;
  int slot = hook;
  if (hook == kAcceptHookSelector) slot = ParmItemInt(kParmAcceptPrc, 0);
  if (slot == 0) return ErrIncident(kStDataError, StrOf("ACCEPT_PRC%"), false);
  std::optional<Status> s = HookCallAccept(slot, result);
  return s ? *s : kOk;
}

Status AcceptRunLine(StrPair line, uint16_t flags, uint16_t selector) {
  std::string text = line.ok() ? line.str() : std::string();
  ScratchScope scope;
  StrPair t = StrOf(text);
  const uint16_t items = StrItemCount(t, ',');
  const int item7 = StrToInt(StrTrim(StrItem(t, ',', 7), 3));
  if (items < 4 || item7 == 8) return AcceptWinRunDef(t, selector);
  if (!A().hook_win_run) return ErrIncident(kStNotAvailable, StrOf("AcceptRun"), false);
  Status s = A().hook_win_run(t, flags ? flags : static_cast<uint16_t>(item7), selector);
  if (s == kOk) s = ScriptReplayInput(WinTop());
  return s;
}

Status AcceptRunVerb(StrPair argument) {
  ScratchScope scope;
  const int item7 = argument.ok() ? StrToInt(StrTrim(StrItem(argument, ',', 7), 3)) : 0;
  return AcceptRunLine(argument, item7 ? static_cast<uint16_t>(item7) : kHookWinFlags, kAcceptHookSelector);
}

void AcceptSetHookWinRunner(AcceptHookWinRunFn fn) { A().hook_win_run = fn; }

void AcceptInstall() {
  Ui().accept_exit = [](uint16_t code) { return AcceptWinExit(code); };
  AppVerbServiceSet(kVerbAcceptRun, &AcceptRunVerb);
}

}  // namespace eng
