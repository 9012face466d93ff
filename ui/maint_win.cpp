#include "ui/maint_win.h"

#include <string>

#include "core/def_lines.h"
#include "core/err_assert.h"
#include "core/module_parms.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/streams.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/file_command.h"
#include "data/file_ctrl.h"
#include "data/open_state.h"
#include "data/relup_rules.h"
#include "ui/action_codes.h"
#include "ui/combo_selector.h"
#include "ui/field_win.h"
#include "ui/field_controls.h"
#include "ui/field_values.h"
#include "ui/geom.h"
#include "ui/maint_find.h"
#include "ui/maint_win_cmd.h"
#include "ui/maint_win_state.h"
#include "ui/scanner.h"
#include "ui/screen_actions.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_open.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"
#include "ui/win_create.h"
#include "ui/win_def.h"
#include "ui/win_loop.h"
#include "ui/win_stack.h"
#include "ui/window_procs.h"

namespace eng {

namespace {

constexpr Status kAnswerClosed = 4;
constexpr uint16_t kStoreEmpty = 1;
constexpr uint16_t kStoreShown = 6;
constexpr uint16_t kMoveFirst = 0x24;
constexpr uint16_t kNewBlank = 0x01;
constexpr Status kFormComplete = 64;

enum MantClass : uint16_t {
  kClsFieldWindow = 18,
  kClsKeyIndex = 27,
  kClsLocate = 41,
  kClsSave = 42,
};

int KeyIndexOf(const ScreenWin& w) { return w.key_index ? w.key_index : 1; }

}  // namespace

std::string MantOpenStateText(StrPair open, uint16_t data_file) {
  ScratchScope scope;
  std::string text = open.ok() ? StrTrim(open, 3).str() : std::string();
  if (data_file == 0) return text;
  if (text.empty()) return std::to_string(data_file) + ";2";
  const uint16_t n = StrItemCount(StrOf(text), ',');
  StrPair last = StrTrim(StrItem(StrItem(StrOf(text), ',', n), ';', 1), 3);
  if (DictFileByName(last) == data_file) return text;
  return text + "," + std::to_string(data_file) + ";2";
}

Status MantDestroyOnError(plat::Hwnd window, Status status) {
  if (status >= kStFirstError) WinDestroy(window);
  return status;
}

Status MantWinRun(StrPair line, uint16_t flags) {
  const WinDefRecord r = WinDefParse(line);
  Status s = ScreenOpen(StrOf(r.file), StrOf(r.key), r.number, r.columns, r.rows, r.data_file, StrOf(r.entry));
  if (s) return s;
  s = ScreenSetWin(flags);
  const ScreenDesc d = ScreenCurrent();
  bool own_state = false;
  if (s == kOk && (flags & kMantFlagOwnFiles)) {
    std::string open;
    {
      ScratchScope scope;
      StrPair p = ScreenParmItem(kParmOpen, 0);
      open = MantOpenStateText(p, r.data_file);
    }
    s = DataFileOpenState(StrOf(open));
    SysVarSet(kVarIer, static_cast<int16_t>(s));
    if (s >= kStFirstError) {
      DataFileOpenState(StrOf("RESTORE"));
    } else {
      own_state = true;
      if (s <= 2 && d.data_file) {
        ScratchScope scope;
        std::string relopt = ScreenParmItem(kParmRelOpt, 0).str();
        s = RelUpdLoad(d.data_file, StrOf(relopt));
      }
      if (s < kStFirstError) s = kOk;
    }
  }
  if (s == kOk) {
    s = MantRunSetItem(1);
    if (s < kStFirstError) {
      const uint8_t state = MantWinMode(flags);
      if (d.data_file && DictFileDefined(d.data_file) && (flags & 0x24) == kMantFlagFieldsByState) {
        DataFileSetKeyNumber(d.data_file, static_cast<uint16_t>(KeyIndexOf(ScreenWinCurrent())));
        s = MantWriteAndMove(d.data_file, state == kMantStateNew ? kNewBlank : kMoveFirst);
      }
      if (s < kStFirstError && (flags & kMantFlagShown)) {
        Status refresh = ScreenFieldsRefreshRange(kStoreShown, 1, -1);
        if (refresh) s = refresh;
      }
    }
  }
  if (s > kStDetailText) {
    // Nothing of the window stays behind: its rules, its open state, its record.
    RelUpdRelease(d.data_file, d.rule_mark);
    if (own_state) DataFileOpenState(StrOf("RESTORE"));
    ScreenClose(-1);
  }
  return (s == kStLowFailure || s >= kStFirstError) ? s : Status{kOk};
}

Status MantWinCreate(StrPair line, uint16_t flags, plat::Hwnd window, plat::WndProc proc) {
  const WinDefRecord r = WinDefParse(line);
  SysVarSet(kVarWMaxRow, static_cast<int16_t>(r.number10));
  if (window == plat::kNoWindow) {
    window = WinCreateKind(kMantWinKind, flags, StrOf(""), 0, r.columns ? r.columns : -1, r.rows ? r.rows : -1,
                           std::move(proc));
    if (window == plat::kNoWindow) return kStWindowsControl;
  }
  {
    ScratchScope scope;
    WinSetText(window, StrItem(MsgText("0022"), ',', (flags & kMantFlagFieldsByState) ? 1 : 2));
  }
  return MantDestroyOnError(window, MantWinRun(line, flags));
}

Status MantWindow(StrPair line, uint16_t default_flags) {
  const WinDefRecord r = WinDefParse(line);
  const uint16_t flags = r.number7 ? r.number7 : default_flags;
  WinGridSetMargins(0, 1, 1, -1);
  Status s = MantWinCreate(line, flags, plat::kNoWindow, &ScreenDialogProc);
  if (s) return s;
  ScreenActionSet(&MantActionWin, &MantKeyHandler, nullptr);
  MantToolbar(kMantToolbarFlags, StrOf(""));
  WinShowTop(-1);
  ErrAssert(ScreenWinGet(-1) != nullptr, "MantWindow");
  if (!ScreenWinGet(-1)) return kStScreenStruct;
  // A scanner the screen names starts polling for this window; the window
  // stays usable by keyboard when its port does not open.
  if (Status scan = ScanPortOpen(); scan >= kStFirstWarning) MsgErrorBox(scan);
  MantFieldSetState(MantWinMode(flags));
  MantEnableButtons(kMantStateCompute, StrOf(""));
  if (flags & kMantFlagDeletePan) {
    ScratchScope scope;
    StrPair path = WinDefFilePath(StrOf(r.file), kDefKindPan);
    if (path.empty()) return kStFileNotFound;
    return StrmRemoveFile(path);
  }
  return kOk;
}

Status MantWinClose(int n) {
  const ScreenDesc d = ScreenCurrent();
  Status s = RelUpdRelease(d.data_file, d.rule_mark);
  if (s == kOk && (d.control_flags & kMantFlagOwnFiles)) s = DataFileOpenState(StrOf("RESTORE"));
  if (s == kOk) s = ScreenClose(n);
  return s;
}

Status MantKeyAction(uint16_t code) {
  ScreenWin* w = ScreenWinGet(-1);
  if (!w) return kOk;
  const int f0 = w->current_field;
  uint8_t zone = 0;
  for (;;) {
    const ScreenWin before = ScreenWinCurrent();
    const Status r = ScreenKeyDefault(code, before);
    if (r == kFormComplete) return MantFieldSetState(MantFieldZone(kMantFormDone) | (before.state & kMantStateNew));
    const ScreenWin now = ScreenWinCurrent();
    zone = MantFieldZone(now.current_field);
    if (now.current_field == before.current_field || now.state != kMantEdit || (zone != 1 && zone != 2)) break;
  }
  if ((w = ScreenWinGet(-1)) != nullptr && w->state == kMantEdit && zone == kMantSearch) {
    w->current_field = static_cast<uint16_t>(f0);
    SysVarSet(kVarCurEdFld, static_cast<int16_t>(f0));
  }
  return kOk;
}

Status MantAction(uint16_t code) {
  const ScreenWin* wp = ScreenWinGet(-1);
  ErrAssert(wp != nullptr, "MantAction");
  if (!wp) return kStScreenStruct;
  const uint16_t cls = ActionClassOf(code);
  const uint16_t sub = ActionSubOf(code);
  uint16_t state = kMantStateCompute;
  Status result = kOk;
  switch (cls) {
    case kClsFieldWindow:  // the scanner found the field's window condition true
      result = MantFieldWindowRun(-1);
      break;
    case kAcHelp:  // the field option menu belongs to the menu layer
      break;
    case kAcSerialData:
    case kAcWedgeScan:
      result = ScanAction(code);
      break;
    case kAcCancel: {
      result = MantCancel(&MantCommand);
      if (result == kOk) ScreenFieldsRefreshRange(kStoreEmpty, 1, -1);
      if (const ScreenWin* w = ScreenWinGet(-1)) state = w->state;
      break;
    }
    case kAcCommand:
      if (sub == kCmdFnd) {
        result = MantFindByFields();
        if (result == kOk) state = kMantEdit;
      } else if (sub == kMantFooterButton) {
        if (ScreenWinCurrent().state == kMantSearch) MantNextIndex();
        state = kMantSearch;
        ScreenFieldsRefreshRange(kStoreEmpty, 1, -1);
      } else {
        state = MantRecordCommand(sub);
      }
      break;
    case kClsKeyIndex:
      // The cursor goes to the new key's first field: the index moves once.
      MantNextIndex();
      state = kMantSearch;
      break;
    case kAcCloseRequest:
      MantWinClose(-1);
      return kAnswerClosed;
    case kAcFieldError:
      MsgErrorBox(kStBadData);
      break;
    case kClsLocate: {
      const int k = KeyIndexOf(ScreenWinCurrent());
      const std::string text = MantSearchKeyText(k);
      if (MantLocateShow(StrOf(text), k) != kOk) state = kMantSearch;
      break;
    }
    case kClsSave:
      state = MantRecordCommand(kCmdSve);
      break;
    case kAcFocusGained:
      result = ScreenApplyEntryValue(ScreenWinCurrent().current_field);
      break;
    default:
      if (ScreenFieldWindowDue(code)) {
        result = MantFieldWindowRun(-1);
        break;
      }
      if (MantKeyAction(code)) {
        if (const ScreenWin* w = ScreenWinGet(-1)) state = w->state;
      }
      break;
  }
  if (result == kOk) MantFieldSetState(state);
  return result;
}

Status MantActionWin(uint16_t code) {
  const ScreenWin* wp = ScreenWinGet(-1);
  ErrAssert(wp != nullptr, "MantActionWin");
  if (!wp) return kStScreenStruct;
  if (code == kAcFirstFocus) {
    const FieldList keys = MantKeyFieldList(KeyIndexOf(*wp));
    if (!keys.empty()) ScreenFieldGoto(keys.front());
    ScreenFieldFocus(ScreenWinCurrent().current_field);
    return ScreenHasSelector() ? MovsSelectorCombo(kSelectorShow) : Status{kOk};
  }
  if (ScreenHasSelector()) {
    // The type selector under the begin field: a choice in its list, or Up
    // and Down on the begin field, picks the field's value; it goes with the
    // window.
    const bool on_begin = wp->current_field == ScreenCurrent().begin_field;
    if (code == kAcComboConfirmed || (on_begin && (code == kAcLineDown || code == kAcLineUp)))
      return MovsSelectorCombo(kSelectorShow);
    // Entering the begin field while searching keeps the search: the field
    // is part of the key the user is choosing (without this, a key that is
    // not found sends the cursor back here, and the begin field's own zone
    // would send it on to the next field, and so on without end).
    if (on_begin && code == kAcEntered && wp->state == kMantSearch) return MovsSelectorCombo(kSelectorShow);
    if (code == kAcCloseRequest) MovsSelectorCombo(kSelectorDestroy);
  }
  Status r = ScreenActionWinDefault(code);
  if (r != kStDataError) return r;
  r = MantAction(code);
  if (r) return r;
  return MantEnableButtons(kMantStateCompute, StrOf(""));
}

uint16_t MantKeyHandler(uint16_t began, uint16_t now, uint16_t code) { return MantKeyNext(began, now, code); }

Status MantMainVerb(StrPair argument) { return MantWindow(argument, kMantMainFlags); }

}  // namespace eng
