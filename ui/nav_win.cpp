#include "ui/nav_win.h"

#include <string>

#include "core/err_assert.h"
#include "core/err_names.h"
#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/hooks.h"
#include "core/module_parms.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/sys_vars.h"
#include "data/file_ctrl.h"
#include "data/hooked_write.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/relup_rules.h"
#include "data/selection_set.h"
#include "ui/action_codes.h"
#include "ui/field_controls.h"
#include "ui/field_store_words.h"
#include "ui/field_values.h"
#include "ui/lins_buf.h"
#include "ui/lins_moves.h"
#include "ui/list_level.h"
#include "ui/maint_win.h"
#include "ui/maint_win_cmd.h"
#include "ui/maint_win_state.h"
#include "ui/movs_line.h"
#include "ui/movs_win.h"
#include "ui/screen_actions.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"
#include "ui/win_create.h"
#include "ui/win_def.h"
#include "ui/win_stack.h"

namespace eng {

namespace {

constexpr uint8_t kStateLines = 4;
constexpr uint16_t kTraceKeyLock = 128;
constexpr uint16_t kSubNew = 1, kSubIns = 9, kSubDel = 10, kSubMde = 15;
constexpr uint16_t kClsLoad = 41;
constexpr uint16_t kClsDocLines = 35;
constexpr uint16_t kLineInserted = 39;
constexpr uint16_t kMoveBack = 0x14;

std::string ParmText(uint16_t parameter, int item) { return ScreenParmText(parameter, item); }

std::string MsgItem(const char* number, uint16_t item) {
  ScratchScope scope;
  StrPair p = StrItem(MsgText(number), ',', item);
  return p.ok() ? p.str() : std::string();
}

void Warn(const std::string& text) { MsgBox(StrOf(text), StrOf(""), 1); }

uint16_t DataFile() { return ScreenCurrent().data_file; }

bool Maintenance(const ScreenWin& w) { return (w.flags & kMovsMaintMode) != 0; }

bool RecordChanged(uint16_t file) { return file && BufChanged(file) == 1; }

std::string KeyOf(uint16_t file, uint16_t part) {
  ScratchScope scope;
  StrPair rec = BufRecord(file, part);
  if (!rec.ok()) return std::string();
  StrPair key = BufKeyValue(file, 1, rec);
  return key.ok() ? key.str() : std::string();
}

// Window and level of the action handler; both are invariants of a window
// made by NavWindow.
LinsBuf* RequireLines(ScreenWin** w, const char* routine) {
  *w = ScreenWinGet(-1);
  ErrAssert(*w != nullptr, routine);
  LinsBuf* b = MovsLines();
  ErrAssert(b != nullptr, routine);
  return b;
}

Status ToggleMode() {
  ScreenWin* w = ScreenWinGet(-1);
  if (!w) return kOk;
  if (w->state < 3) {
    w->flags ^= kMovsMaintMode;
    return kOk;
  }
  Warn(MsgItem("0037", 1));
  return kOk;
}

// The 144 of a line whose key does not position uniquely: the file's run of
// lines renumbered once, the lines read again from the current record's key
// and the line control entered again.
Status RenumberAndRetry(Status result) {
  const uint16_t file = DataFile();
  Status s = NavsOrderUnique(file, result);
  if (s != kOk) return s;
  const std::string key = KeyOf(file, kBufCurrent);
  if (LinsBuf* b = MovsLines()) {
    LinsReset(*b);
    LinsSetCurrent(*b, 1);
  }
  s = NavLoadLines(StrOf(key));
  if (s != kOk) return s;
  return MovsLinsControlLine(ScreenCurrent(), kClsDocLines);
}

Status LineMove(uint16_t code) {
  const ScreenWin w = ScreenWinCurrent();
  const uint16_t file = DataFile();
  const bool in_lines = w.state == kStateLines;
  const bool ier_clear = SysVarGet(kVarIer) == 0;
  // Entering the lines of a changed record in maintenance mode suggests the
  // insert mode once the line is shown.
  const bool insert_hint = code == kClsDocLines && Maintenance(w) && RecordChanged(file);
  if (code != kClsDocLines && SysVarHas(kVarTrace, kTraceKeyLock) && in_lines && ier_clear &&
      KeyOf(file, kBufSaved) != KeyOf(file, kBufCurrent)) {
    ScratchScope scope;
    ErrIncident(kStNotAvailable, StrOf(MsgItem("0023", 7)), false);
    const std::string text = ErrText(kStNotAvailable).str();
    ErrIncident(kOk, StrOf(""), false);
    Warn(text);
    return kOk;
  }
  // A refused move (code 0) moves nothing: there is nothing to confirm.
  if (in_lines && code != kClsDocLines && code != 0) {
    const int16_t last = SysVarGet(kVarLastKey);
    if (last != kKeyCtrlEnd && last != kKeyEnter && RecordChanged(file) &&
        !MsgAskYesNo(StrOf(MsgItem("0023", 8))))
      return kOk;
  }
  Status r = (in_lines || code == kClsDocLines) ? MovsLinsControlLine(ScreenCurrent(), code) : NavAction(code);
  if (r == kStIndexCmd) r = RenumberAndRetry(r);
  if (insert_hint && r < kStFirstError) {
    // The box gives the focus back to the control that held it when it
    // opened. That must be the line's field the cursor now stands on: the
    // key field just left would take the cursor back to it, and the keys
    // typed next would land one field off.
    const int current = ScreenWinCurrent().current_field;
    if (current > 0 && ListFieldCtrlExists(static_cast<uint16_t>(current))) ScreenFieldFocus(current);
    Warn(MsgItem("0038", 2));
  }
  return r;
}

// Deleting the only line in maintenance mode: the line is counted again and
// filled from the record before the deleted one, so the user keeps a line
// of the file under the cursor.
Status ShowPreviousRecord(LinsBuf& b, uint16_t file, const std::string& key) {
  const ScreenDesc d = ScreenCurrent();
  LinsSetField(b, 1, 1, "");
  LinsSetCurrent(b, 1);
  // From the deleted record's key: the cursor stands on what follows it.
  DataFileLocate(file, 1, StrOf(key), 0);
  const Status moved = DataFileMove(file, kMoveBack);
  SysVarSet(kVarIer, static_cast<int16_t>(moved));
  if (moved == kOk) BufCopyPart(file, 1);
  const int first = d.bounded_first ? d.bounded_first : 1;
  const int last = d.bounded_first ? d.bounded_last : d.field_count;
  Status s = ScreenFieldsRefreshRange(kStoreShown, first, last);
  if (s < kStFirstError) s = MovsLineFields(1, &b);
  if (s < kStFirstError) ListLineShow(-1);
  return s < kStFirstError ? kOk : s;
}

// The buffer was full before the deletion: the row freed at the end takes
// the record that follows the last line, the file's position kept.
Status FillFreedRow(LinsBuf& b, uint16_t file) {
  DataFileSaved saved;
  DataFileCtrlSave(file, saved);
  const uint16_t keep = b.current;
  LinsSetCurrent(b, b.used);
  Status s;
  {
    ScratchScope scope;
    const std::string assign = StrItem(StrOf(ParmText(kParmWriteLins, 0)), ',', 1).str();
    s = MovsLineToBuffer(file, b, StrOf(assign));
  }
  if (s < kStFirstError) {
    const std::string key = KeyOf(file, kBufCurrent);
    const ScreenWin* w = ScreenWinGet(-1);
    // The move that follows starts from the record the buffer holds: the
    // last line's.
    DataFileLocate(file, 1, StrOf(key), 0);
    s = ListNavLocate(file, StrOf(key), 0, b.max_lines, w ? w->list_level : -1);
    if (s == kStEndOfData) {
      if (b.used > 0) --b.used;
      SysVarSet(kVarLLst, static_cast<int16_t>(b.used));
      DataFileLocate(file, 1, StrOf(key), 0);
      s = kOk;
    }
  }
  DataFileCtrlSave(file, saved);
  LinsSetCurrent(b, keep);
  return s;
}

}  // namespace

void NavSetOrderUnique(NavOrderUniqueFn fn) { Ui().nav_order_unique = fn; }

Status NavsOrderUnique(uint16_t file, Status unresolved) {
  NavOrderUniqueFn fn = Ui().nav_order_unique;
  return fn ? fn(file) : unresolved;
}

Status NavWindow(StrPair line) {
  const WinDefRecord r = WinDefParse(line);
  std::string title = MsgItem("0022", 1);
  const plat::Hwnd window = WinCreateKind(kNavWinKind, 0, StrOf(title), 0, r.columns ? r.columns : -1,
                                          r.rows ? r.rows : -1, &ListNotifyProc);
  if (window == plat::kNoWindow) return kStWindowsControl;
  Status s = MovsWindowOpen(line);
  if (s == kOk) s = ScreenSetWin(kNavScreenFlags);
  if (s == kOk) {
    // The new window starts in maintenance mode.
    ToggleMode();
    ScreenActionSet(&NavActionWin, &MovsKeyFilter, nullptr);
    HookSetFn<HookLineFieldFn>(&MovsGridFieldValue, kHookLineField);
    s = MovsLinsSetControls(line, kNavToolbarFlags, &MovsGridAction);
    if (s < kStFirstError) MovsLinsFitWindow();
  }
  if (s < kStFirstError) {
    s = MovsEvent(1);
    if (s == kOk) s = MantRunSetItem(3);
  }
  return MantDestroyOnError(window, s);
}

Status NavActionWin(uint16_t code) {
  const ScreenWin* wp = ScreenWinGet(-1);
  ErrAssert(wp != nullptr, "NavActionWin");
  const ScreenWin w = *wp;
  Status r;
  switch (code) {
    case kAcCancel:
      if (w.state == kStateLines && SysVarGet(kVarIer) == 0 && RecordChanged(DataFile()))
        r = MovsLineFields(0, MovsLines());
      else
        r = MovsActionWin(code);
      break;
    case kAcLineUp: {
      uint16_t move = code;
      const LinsBuf* b = MovsLines();
      if (!Maintenance(w) && b && b->current <= 1) {
        Warn(MsgItem("0038", 1));
        move = 0;
      }
      r = LineMove(move);
      break;
    }
    case kAcLineDown:
    case kClsDocLines:
      r = LineMove(code);
      break;
    case kAcFocusGained:
    case kAcFirstFocus:
      r = MovsActionWin(code);
      break;
    default:
      r = ScreenActionWinDefault(code);
      if (r == kStDataError) r = NavAction(code);
      break;
  }
  return MovsStatusShow(r, ScreenWinGet(-1));
}

Status NavAction(uint16_t code) {
  ScreenWin* w = nullptr;
  LinsBuf* b = RequireLines(&w, "NavAction");
  const uint16_t cls = ActionClassOf(code);
  const uint16_t sub = ActionSubOf(code);
  Status error = kOk;
  Status answer = kOk;
  if (cls == kAcToEnd) {
    answer = MovsLineCommit(ScreenCurrent(), w->list_level);
    if (answer == kOk) {
      w->state = 2;
      answer = MovsNewDocument(ScreenCurrent(), w, b);
    }
  } else if (cls == kAcCommand && sub == kSubNew) {
    answer = MovsCancel(ScreenCurrent(), w, b);
  } else if (cls == kAcCommand && sub == kSubIns) {
    if (Maintenance(*w) || b->used < b->max_lines)
      error = NavInsertLine();
    else
      Warn(MsgItem("0038", 1));
  } else if (cls == kAcCommand && sub == kSubDel) {
    const bool inserting = (w->flags & kMovsInserting) != 0;
    if (inserting || MsgAskYesNo(MsgText("0025"))) {
      error = NavDeleteLine();
      if (error == kStCancelled) {
        error = kOk;
        answer = MovsAction(kAcCancel);
      }
    }
  } else if (cls == kAcCommand && sub == kSubMde) {
    answer = ToggleMode();
  } else if (cls == kAcCommand) {
    answer = MovsAction(code);
  } else if (cls == kClsLoad) {
    error = NavLoadLines(StrPair{});
    if (error < kStFirstError) answer = MantFieldSetState(kStateLines);
  } else {
    answer = MovsAction(code);
  }
  return error ? error : answer;
}

Status NavLoadLines(StrPair key) {
  const ScreenWin* w = ScreenWinGet(-1);
  LinsBuf* b = MovsLines();
  if (!w || !b) return kStScreenStruct;
  if (b->current < 1) LinsSetCurrent(*b, 1);
  Status s = kOk;
  if (Maintenance(*w)) {
    const uint16_t file = DataFile();
    const std::string from = key.ok() ? key.str() : std::string();
    const uint16_t start = b->current;
    for (int attempt = 0;; ++attempt) {
      s = MovsReadLines(*b, StrOf(from), StrPair{});
      if (s == kOk) {
        if (SelCurrentSlot(file) > 0) SelFree(file);
        // The current line's record becomes the file's current record; a
        // line whose key is not unique cannot be positioned (144).
        if (b->current <= b->used) s = MovsLineToRecord(file, w->list_level, b->current);
      }
      if (s != kStIndexCmd || attempt > 0) break;
      s = NavsOrderUnique(file, s);
      if (s != kOk) break;
      // Read the renumbered run from scratch: what was read holds the old numbers.
      LinsReset(*b);
      LinsSetCurrent(*b, start);
    }
  }
  SysVarSet(kVarScrStat, static_cast<int16_t>(SysVarBits(kVarScrStat) | kScrStatLinesLoaded));
  return s;
}

Status NavInsertLine() {
  ScreenWin* w = ScreenWinGet(-1);
  LinsBuf* b = MovsLines();
  if (!w || !b) return kStScreenStruct;
  Status s = MovsLineCommit(ScreenCurrent(), w->list_level);
  if (s != kOk) return s;
  w->flags |= kMovsInserting;
  {
    const std::string ins = ParmText(kParmLnIns, 0);
    s = LinsInsertAtCurrent(b, StrOf(ins));
  }
  if (s == kOk) s = MovsLinsControlLine(ScreenCurrent(), kLineInserted);
  if (s == kOk) SysVarSet(kVarIer, 2);
  return s;
}

Status NavDeleteLine() {
  ScreenWin* w = ScreenWinGet(-1);
  LinsBuf* b = MovsLines();
  if (!w || !b) return kStScreenStruct;
  const uint16_t file = DataFile();
  const bool maintenance = Maintenance(*w);
  const bool inserting = (w->flags & kMovsInserting) != 0;
  // The record goes as it stands in the file: a new line opened meanwhile
  // blanks the record buffer, and the delete's rules must take back the
  // record's own values.
  if (!inserting && file && DataFileCtrl(file).recno >= 0) DataFileMove(file, 0);
  const std::string key = KeyOf(file, kBufCurrent);
  if (!inserting) {
    Status d;
    {
      ScratchScope scope;
      const std::string slots = DataFileLineExpr(StrOf(ParmText(kParmRelOpt, 0)), ScreenCurrent().rule_mark).str();
      const std::string test = ParmText(kParmIk1, 1);
      d = DataFileWriteHooked(kWriteDelete, file, StrOf(slots), StrOf(test));
    }
    if (d > kStIndexCmd) return d;
    // A failure the line handling goes past must still be seen: the record
    // may not be gone.
    if (d >= kStFirstError && d != kStIndexCmd) MsgErrorBox(d);
  }
  const bool was_full = b->used == b->max_lines;
  Status s = MovsLineDelete(ScreenCurrent(), b, maintenance);
  if (s == kOk) {
    if ((w = ScreenWinGet(-1)) != nullptr) w->flags &= static_cast<uint16_t>(~kMovsInserting);
    if (maintenance && b->used == 0) {
      s = ShowPreviousRecord(*b, file, key);
    } else if (maintenance && was_full && b->used + 1 == b->max_lines) {
      s = FillFreedRow(*b, file);
    }
  }
  if (s <= 2) {
    if (b->used > 0 || maintenance) {
      s = MovsLineShow(-1);
      BufCopyPart(file, 1);
    } else {
      BufCopyPart(file, 2);
      s = kStCancelled;
    }
  }
  if (s == kOk) {
    ScratchScope scope;
    const std::string del = StrItem(StrOf(ParmText(kParmLnDel, 0)), ',', 3).str();
    if (!StrTrim(StrOf(del), 3).empty()) s = ExpExecute(StrOf(del));
    if (s == kOk) s = MovsRunFldUpdate(StrOf(ParmText(kParmFldUpdate, 0)));
  }
  return s;
}

Status NavDeleteLineByKey(StrPair key, std::span<const uint16_t> columns, StrPair slots) {
  LinsBuf* b = MovsLines();
  if (!b) return kStScreenStruct;
  const uint16_t remembered = b->current;
  Status s;
  {
    const std::string del = ParmText(kParmLnDel, 0);
    s = LinsDeleteByKey(*b, key.ok() ? key.view() : std::string_view(), columns, StrOf(del));
  }
  if (s == kOk && b->mode == kLinsNavigation) s = MovsDeleteDocument(slots);
  if (s == kOk) {
    const uint16_t file = DataFile();
    b->used = remembered;
    s = MovsReadLines(*b, key, StrPair{});
    if (s != kOk) {
      b->used = b->current;
    } else {
      if (SelCurrentSlot(file) > 0) SelFree(file);
      LinsSetCurrent(*b, remembered);
    }
  }
  if (s < kStCancelled && b->used < b->max_lines) ListLinesShow(-1, static_cast<uint16_t>(b->used + 1), b->max_lines);
  return s;
}

Status NavMainVerb(StrPair argument) { return NavWindow(argument); }

}  // namespace eng
