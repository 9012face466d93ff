#include "ui/maint_win_cmd.h"

#include <string>

#include "core/exp_eval.h"
#include "core/macros.h"
#include "core/module_parms.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/file_command.h"
#include "data/file_ctrl.h"
#include "data/hooked_write.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/relup_rules.h"
#include "ui/field_texts.h"
#include "ui/field_values.h"
#include "ui/maint_win_state.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"

namespace eng {

namespace {

constexpr uint16_t kDelFlags = 0x0642;
constexpr uint16_t kWritePart = 0x0F00;
constexpr uint16_t kWriteOp = 0x0700;
constexpr uint16_t kMoveBits = 0x30;
constexpr uint16_t kNewRecord = 0x01;
constexpr uint16_t kStoreInput = 118;
constexpr uint16_t kStoreEmpty = 1;
constexpr uint16_t kStoreMoved = 230;

uint16_t ScreenFile() { return ScreenCurrent().data_file; }

Status LastStatus(uint16_t file) { return file && DictFileDefined(file) ? DataFileCtrl(file).last_status : 2; }

std::string ParmText(uint16_t parameter, int item) { return ScreenParmText(parameter, item); }

// The status's item of message 0023; a status whose item is empty (3, 4 and
// those past the list) shows no box: a box without a text tells nothing.
void WarnItem(Status r) {
  ScratchScope scope;
  StrPair text = StrItem(MsgText("0023"), ',', static_cast<uint16_t>(r));
  if (!text.ok() || StrTrim(text, 3).empty()) return;
  MsgBox(text, StrOf(""), 1);
}

Status RefreshKeyFields(uint16_t word, int key) {
  return ScreenFieldsRefresh(word, MantKeyFieldList(key));
}

// Whether the record the buffer holds still stands on disk as it was read:
// another program may have changed or deleted it since.
bool ChangedElsewhere(uint16_t file) {
  DataFileSlot& slot = DataFileSlotOf(file);
  if (slot.ctrl.recno < 0 || !slot.store.IsOpen()) return false;
  std::string disk;
  if (slot.store.Read(slot.ctrl.recno, &disk) != kOk) return true;
  StrPair saved = BufRecord(file, kBufSaved);
  return !saved.ok() || disk != saved.view();
}

// A new record whose key 1 is blank although something else was typed: the
// hooked write would skip it as empty and drop the typing without a word.
bool KeyBlankWithData(uint16_t file) {
  ScratchScope scope;
  if (!StrTrim(BufFileKeyValue(file, 1), 3).empty()) return false;
  StrPair rec = BufRecord(file, kBufCurrent);
  return rec.ok() && !StrTrim(rec, 3).empty() && rec.at(0) != kRecordDeleted;
}

}  // namespace

uint16_t MantVoidModeFlags(uint16_t flags, uint16_t void_mode) {
  const uint16_t vetoed = flags & ~void_mode;
  if ((vetoed & kWriteOp) != (flags & kWriteOp)) return vetoed & ~kWritePart;
  return vetoed;
}

Status MantScopeCheck(uint16_t file, Status status, uint16_t* move_flags) {
  if (status != kOk) return status;
  ScratchScope scope;
  StrPair scope_text = ScreenIndexKeyText(1);
  if (!scope_text.ok() || scope_text.empty()) return status;
  const std::string want = scope_text.str();
  const std::string key = BufFileKeyValue(file, 1).str();
  if (key.compare(0, want.size(), want) == 0) return status;
  const uint16_t move = move_flags ? (*move_flags & 0x34) : 0;
  if (move == 0) return 1;
  if (*move_flags & 0x20) {
    const uint16_t step = move == 0x24 ? 0x10 : 0x14;
    *move_flags = static_cast<uint16_t>((*move_flags & ~0x34) | step);
    return kStUndefinedWarning;
  }
  return DataFileKeyNumber(file) == 1 ? kStEndOfData : Status{kStUndefinedWarning};
}

Status MantRunSetItem(int n) {
  ScratchScope scope;
  StrPair set = ScreenParmItemExpanded(kParmSet, 0);
  if (!set.ok() || StrTrim(set, 3).empty()) return kOk;
  const std::string all = set.str();
  const uint16_t count = StrItemCount(StrOf(all), ',');
  const uint16_t which = count == 1 ? 1 : static_cast<uint16_t>(n);
  const std::string item = StrItem(StrOf(all), ',', which).str();
  if (StrTrim(StrOf(item), 3).empty()) return kOk;
  if (n == 1) {
    StrPair value = ExpEvalStr(StrOf(item));
    if (!value.ok()) return StrError(value);
    return ScreenSaveRecord(value, false);
  }
  return ExpExecute(StrOf(item));
}

Status MantSaveRecord(uint16_t file, uint16_t flags, Status position) {
  Status s = kOk;
  if ((position == 2 || position == 3) && (flags & kPassOld)) {
    if (flags & kPassNew) flags &= static_cast<uint16_t>(~kPassOld);
    else s = kStDuplicate;
  }
  if (s == kOk && (flags & 0xFF00)) {
    const bool rewrite = (flags & (kPassNew | kPassOld)) == (kPassNew | kPassOld);
    const bool unchanged = rewrite && BufChanged(file) == 0;
    if (!unchanged) {
      if ((flags & kPassOld) && position == 0 && ChangedElsewhere(file)) {
        s = kMantChangedElsewhere;
      } else if ((flags & kWriteOp) == kWriteAdd && KeyBlankWithData(file)) {
        s = kStDuplicate;
      } else {
        ScratchScope scope;
        const ScreenDesc d = ScreenCurrent();
        const std::string relopt = ParmText(kParmRelOpt, 0);
        const std::string slots = DataFileLineExpr(StrOf(relopt), d.rule_mark).str();
        const std::string test = ParmText(kParmIk1, 1);
        s = DataFileWriteHooked(flags, file, StrOf(slots), StrOf(test));
      }
    }
  }
  s = DataFileReopen(file, s);
  if (s == kOk) {
    const std::string saved = ParmText(kParmSaved, 0);
    if (!StrTrim(StrOf(saved), 3).empty()) s = ExpExecute(StrOf(saved));
  }
  return s;
}

Status MantWriteAndMove(uint16_t file, uint16_t flags) {
  Status r = MantSaveRecord(file, flags, LastStatus(file));
  if (r < kStFirstWarning) {
    if (r >= kStDuplicate) {
      DataFileMove(file, flags & kNewRecord);
    } else if (flags == 0) {
      r = LastStatus(file);
    } else if (flags & 0xFF) {
      uint16_t move = flags & 0xFF;
      do {
        const Status moved = DataFileMove(file, move);
        SysVarSet(kVarIer, static_cast<int16_t>(moved));
        r = MantScopeCheck(file, moved, &move);
      } while (r == kStUndefinedWarning);
    } else {
      BufCopyPart(file, 1);
      SysVarSet(kVarIer, 0);
    }
  }
  if ((flags & kNewRecord) && r < kStFirstError) {
    Status set = MantRunSetItem(2);
    if (set >= kStFirstError) r = set;
  }
  if (r < kStDuplicate) return (flags & kMoveBits) ? r : Status{kOk};
  return r;
}

Status MantCommandRun(uint16_t flags) {
  Status r = MantWriteAndMove(ScreenFile(), flags);
  if (r > 0 && r < kStFirstWarning) WarnItem(r);
  else if (r >= kStFirstError) MsgErrorBox(r);
  if (r < kStFirstError) {
    const uint16_t word = (r == kOk && (flags & kMoveBits)) ? kStoreMoved : kStoreEmpty;
    Status s = ScreenFieldsRefreshRange(word, 1, -1);
    if (s) r = s;
  }
  return r;
}

Status MantCommand(uint16_t flags) {
  const uint16_t file = ScreenFile();
  if (flags == kDelFlags) {
    ScratchScope scope;
    if (!MsgAskYesNo(MsgText("0025"))) return kStCancelled;
  } else if (file && LastStatus(file) < 2) {
    ScratchScope scope;
    const std::string saved = BufKeyValue(file, 1, BufRecord(file, kBufSaved)).str();
    const std::string now = BufFileKeyValue(file, 1).str();
    if (saved != now) {
      MsgBox(MsgText("0024"), StrOf(""), 0);
      // The typed key is put back to the key of the record read, so that the
      // next command works on that record again.
      BufSetKeyFields(file, 1, StrOf(saved));
      RefreshKeyFields(kStoreInput, DataFileKeyNumber(file));
      flags = 0;
    }
  }
  const int count = ScreenCurrent().field_count;
  Status s = ScreenCopyFields(0, 1, count, -1, kWinCurrent, kWinSaved);
  if (s) return s;
  return MantCommandRun(flags);
}

uint16_t MantRecordCommand(uint16_t n) {
  const uint16_t file = ScreenFile();
  const ScreenWin w = ScreenWinCurrent();
  if (n == kCmdSve && LastStatus(file) != 0) n = kCmdNew;
  // Delete only what the window shows.
  if (n == kCmdDel && !(w.state >= 3 && w.state <= 5)) return w.state;
  uint16_t void_mode = 0;
  {
    ScratchScope scope;
    StrPair v = ScreenParmItem(kParmVoidMode, 0);
    if (v.ok() && !StrTrim(v, 3).empty()) void_mode = static_cast<uint16_t>(ExpEvalInt(v));
  }
  uint16_t flags = MantVoidModeFlags(DataFileCmdFlags(n), void_mode);
  const Status position = LastStatus(file);
  if (!(w.state & kMantStateNew) && (position == 2 || position == 3)) flags &= static_cast<uint16_t>(~kWritePart);
  if (ScreenPageRecalc(w.current_field) != kStUndefinedWarning) return kMantStateCompute;
  const Status s = MantCommand(flags);
  if (s == kOk && (flags & kMoveBits)) return kMantEdit;
  return n == kCmdNew ? kMantStateNew : kMantSearch;
}

std::string MantSearchKeyText(int key) {
  ScratchScope scope;
  StrPair ik = ScreenIndexKeyText(key);
  if (ik.ok() && !ik.empty()) return ik.str();
  const FieldList fields = MantKeyFieldList(key);
  std::string text = ScreenFieldsPack(fields).str();
  if (key > 1 && fields.size() < 2) text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

Status MantLocate(StrPair text, int key) {
  const uint16_t file = ScreenFile();
  Status s = DataFileLocate(file, static_cast<uint16_t>(key), text, 0);
  if (s != kOk && s < kStFirstError) s = DataFileLocate(file, static_cast<uint16_t>(key), text, 2);
  s = MantScopeCheck(file, s, nullptr);
  SysVarSet(kVarIer, static_cast<int16_t>(s));
  return s;
}

Status MantLocateShow(StrPair text, int key) {
  {
    ScratchScope scope;
    if (StrTrim(text, 3).empty()) {
      MantNextIndex();
      return kStEndOfData;
    }
  }
  const Status s = MantLocate(text, key);
  if (s != kOk) {
    if (s < kStFirstWarning) WarnItem(s);
    else MsgErrorBox(s);
    RefreshKeyFields(kStoreEmpty, key);
    return s;
  }
  ScreenFieldsRefreshRange(kStoreInput, 1, -1);
  return kOk;
}

void MantNextIndex() {
  ScreenWin* w = ScreenWinGet(-1);
  if (!w) return;
  const uint16_t file = w->data_file;
  const uint16_t keys = file && DictFileDefined(file) ? DictKeyCount(file) : 1;
  uint16_t k = static_cast<uint16_t>(w->key_index + 1);
  if (k > keys || k < 1) k = 1;
  w->key_index = k;
  if (file && DictFileDefined(file)) DataFileSetKeyNumber(file, k);
}

Status MantCancel(MantSaveFn save) {
  ScreenWin* w = ScreenWinGet(-1);
  if (!w) return kStScreenStruct;
  const ScreenDesc d = ScreenCurrent();
  const uint16_t file = d.data_file;
  if (w->state > kMantSearch) {
    const bool changed = (d.control_flags & kMantFlagAlwaysAsk) || (file && BufChanged(file) == 1);
    if (changed) {
      ScratchScope scope;
      if (!MsgAskYesNo(MsgText("0018"))) return 1;
      if (save) save(kNewRecord);
    }
  }
  if ((w = ScreenWinGet(-1)) == nullptr) return kStScreenStruct;
  // From the search, Esc goes back to the header fields before the begin
  // field; a screen with none there (no begin field, or the first field
  // begins) closes instead.
  if (!file || w->state < kMantSearch || (w->state == kMantSearch && d.begin_field <= 1)) return 8;
  w->state = w->state == kMantSearch ? 0 : kMantSearch;
  return kOk;
}

}  // namespace eng
