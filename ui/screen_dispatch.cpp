#include "ui/screen_dispatch.h"

#include <algorithm>
#include <optional>
#include <string>

#include "core/err_names.h"
#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/field_format.h"
#include "core/help.h"
#include "core/hooks.h"
#include "core/macros.h"
#include "core/module_parms.h"
#include "core/msg_box.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/str_search.h"
#include "core/sys_vars.h"
#include "ui/action_codes.h"
#include "ui/field_controls.h"
#include "ui/field_values.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"
#include "ui/win_stack.h"

namespace eng {

namespace {

constexpr uint16_t kResultClose = 0x08;
constexpr uint16_t kResultNext = 0x02;
constexpr Status kFormComplete = 64;
constexpr uint16_t kStoreInput = 118;

int CurrentField() {
  ScreenWin* w = ScreenWinGet(-1);
  return w ? w->current_field : 0;
}

bool LastKeyNavigates() { return KeyIsNavigation(static_cast<uint16_t>(SysVarGet(kVarLastKey))) >= 0; }

Status AcceptExit(uint16_t code) {
  UiAcceptExit& exit = Ui().accept_exit;
  return exit ? exit(code) : kOk;
}

// The editable fields of a range in edit order (ties by number).
FieldList EditList(int first, int last) {
  FieldList out;
  for (int k = first; k <= last; ++k) {
    ScreenFieldDesc f = ScreenFieldGet(k);
    if (f.status == kOk && (f.flags & kFldEditable)) out.push_back(static_cast<uint16_t>(k));
  }
  std::stable_sort(out.begin(), out.end(),
                   [](uint16_t a, uint16_t b) { return ScreenFieldGet(a).order < ScreenFieldGet(b).order; });
  return out;
}

struct DispatchScope {
  DispatchScope() {
    if (Ui().dispatch_depth++ == 0) Ui().shown.clear();
  }
  ~DispatchScope() { --Ui().dispatch_depth; }
};

}  // namespace

void ScreenShowOnce(Status status) {
  UiState& u = Ui();
  if (u.dispatch_depth > 0) {
    if (std::find(u.shown.begin(), u.shown.end(), status) != u.shown.end()) return;
    u.shown.push_back(status);
  }
  MsgErrorBox(status);
}

Status ScreenCheckCond(StrPair text) {
  ScratchScope scope;
  Status s = ExpEvalCond(text);
  if (s == 1) return kOk;
  if (s >= 2) {
    ErrIncident(s, ErrText(s), false);
    return s;
  }
  // False: the reason is a text literal the condition begins with.
  StrPair t = StrTrim(text, 3);
  StrPair reason = StrOf("");
  if (t.len > 1 && StrIsQuote(t.ptr[0])) {
    const uint16_t close = StrFindCharFrom(t, 1, t.ptr[0], true);
    if (close != kNotFound && close + 1 < t.len) reason = MacroExpand(StrMake(t.ptr + 1, close - 1), 0);
  }
  ErrIncident(kStBadData, reason.ok() ? reason : StrOf(""), false);
  return kStBadData;
}

Status ScreenCheckParm(uint16_t parameter, int n) {
  ScratchScope scope;
  return ScreenCheckCond(ScreenParmItem(parameter, n));
}

int ScreenFieldNext(int current, int step) {
  const ScreenDesc d = ScreenCurrent();
  const bool bounded = d.bounded_first && current >= d.bounded_first && current <= d.bounded_last;
  const FieldList list = bounded ? EditList(d.bounded_first, d.bounded_last) : EditList(1, d.field_count);
  if (list.empty()) return -1;
  int place = -1;
  if (current != 0) {
    auto it = std::find(list.begin(), list.end(), current);
    if (it == list.end()) return -1;
    place = static_cast<int>(it - list.begin());
  }
  int pos = place + step;
  if (pos < 0 || pos >= static_cast<int>(list.size())) {
    if (!bounded) return -1;
    pos = pos < 0 ? static_cast<int>(list.size()) - 1 : 0;
    SysVarSet(kVarScrStat, static_cast<int16_t>(SysVarBits(kVarScrStat) | kScrStatWrapped));
  }
  return list[pos];
}

Status ScreenFieldGoto(int n) {
  Status s = kOk;
  ScreenWin* w = ScreenWinGet(-1);
  if (w && n != 0) {
    const int current = w->current_field;
    if (current && current < n && (s = ScreenCheckParm(kParmAlarm, current)) != kOk) {
      ScreenRunAction(kAcFieldError);
    } else if ((w = ScreenWinGet(-1)) != nullptr) {
      w->current_field = static_cast<uint16_t>(n);
    }
  }
  SysVarSet(kVarCurEdFld, static_cast<int16_t>(n));
  return s;
}

void ScreenFieldSelectAll(int id) {
  const int n = id - kIdFieldBase;
  ScreenFieldGoto(n >= 1 && n <= kScreenMaxFields ? n : CurrentField());
  plat::WinSystem* ws = UiWs();
  ScreenFieldDesc f = ScreenFieldGet(id - kIdFieldBase);
  if (ws && f.control) ws->Send(f.control, plat::kEmSetSel, 0, -1);
}

void ScreenFieldFocus(int n) {
  if (n == 0) n = 1;
  plat::WinSystem* ws = UiWs();
  ScreenFieldDesc f = ScreenFieldGet(n);
  if (!ws || !f.control) return;
  if (ws->Focus() != f.control) ws->SetFocus(f.control);
  ScreenFieldSelectAll(kIdFieldBase + n);
}

Status ScreenFieldCommit(int id) {
  if (id < 2000 || id > 2999 || SysVarGet(kVarLastKey) == kKeyEsc) return kOk;
  const int n = id - kIdFieldBase;
  ScreenFieldDesc f = ScreenFieldGet(n);
  if (f.status) return f.status;
  plat::WinSystem* ws = UiWs();
  if (!ws || !f.control) return kOk;
  ScratchScope scope;
  std::string text = ws->GetText(f.control);
  if (text.size() > f.display_len) text.resize(f.display_len);
  StrPair stored = FmtFieldFromText(f.type, StrOf(text), f.storage_len);
  if (!stored.ok()) {
    Status s = StrError(stored);
    if (s >= kStFirstError) return s;
    stored = StrOf(text);
  }
  return ScreenFieldStore(kStoreInput, n, stored);
}

Status ScreenFieldSetCtrl(int n, StrPair text, uint16_t flags) {
  plat::WinSystem* ws = UiWs();
  ScreenFieldDesc f = ScreenFieldGet(n);
  if (!ws || f.status || !ws->IsWindow(f.control)) return kStWindowsControl;
  ws->SetText(f.control, text.view());
  if (flags & 0x10) ws->Send(f.control, plat::kBmSetCheck, (flags & 1) ? 1 : 0);
  return kOk;
}

Status ScreenFieldSetFocus(int id) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return kOk;
  const int before = ScreenCounterGet(kCurWin);
  ws->SetFocus(ws->FindChild(WinTop(), id));
  return ScreenCounterGet(kCurWin) != before ? 32 : kOk;
}

int ScreenFieldWindowDue(uint16_t code) {
  ScreenWin* w = ScreenWinGet(-1);
  if (!w || code != kAcNextField || SysVarGet(kVarLastKey) != kKeyEnter) return 0;
  const int current = w->current_field;
  ScreenFieldDesc f = ScreenFieldGet(current);
  if (f.status || !(f.flags & kFldWindow) || w->field_window_field == current) return 0;
  StrPair raw = ScreenFieldRaw(current);
  if (!raw.ok() || StrTrim(raw, 3).empty()) return 0;
  w->field_window_field = static_cast<uint16_t>(current);
  return 1;
}

uint32_t ScreenFieldWindowPos() {
  plat::WinSystem* ws = UiWs();
  if (!ws) return 0;
  ScreenFieldDesc f = ScreenFieldGet(CurrentField());
  plat::Point p = ws->MousePos();
  if (SysVarGet(kVarLastKey) != kKeyOther && f.status == kOk && ws->IsWindow(f.control)) {
    const plat::Rect r = ws->GetRect(f.control);
    p = ws->ClientToScreen(ws->Parent(f.control), {r.x + r.w, r.y + r.h});
  }
  return (static_cast<uint32_t>(static_cast<uint16_t>(p.x)) << 16) | static_cast<uint16_t>(p.y);
}

uint16_t CtlWaitKey() {
  plat::WinSystem* ws = UiWs();
  if (!ws) return 0xFFFF;
  plat::Msg m;
  while (ws->GetMessage(m)) {
    if (m.msg == plat::kWmKeyDown) return CtlVirtualKeyToCode(static_cast<uint8_t>(m.w));
    ws->TranslateMessage(m);
    ws->DispatchMessage(m);
  }
  return 0xFFFF;
}

Status ScreenKeyDefault(uint16_t code, const ScreenWin& window) {
  if (code < 1 || code > 32) return kStDataError;
  const int current = window.current_field;
  switch (code) {
    case kAcNextField:
    case kAcLineDown: {
      if (ScreenWin* w = ScreenWinGet(-1)) w->field_window_field = 0;
      const int next = ScreenFieldNext(current, +1);
      if (next >= 0) return ScreenFieldGoto(next);
      const ScreenDesc d = ScreenCurrent();
      const FieldList all = EditList(1, d.field_count);
      if (all.empty() || (current && std::find(all.begin(), all.end(), current) == all.end()) || current == 0)
        return ScreenFieldGoto(0);
      Status s = ScreenCheckParm(kParmAlarm, current);
      if (s == kStBadData) ScreenRunAction(kAcFieldError);
      return s ? s : kFormComplete;
    }
    case kAcPrevField:
    case kAcLineUp: {
      const int prev = ScreenFieldNext(current, -1);
      return prev >= 0 ? ScreenFieldGoto(prev) : kOk;
    }
    case kAcRestoreField: {
      ScratchScope scope;
      StrPair saved = ScreenFieldFromBuf(current, kWinSaved);
      if (!saved.ok()) return StrError(saved);
      std::string text = saved.str();
      return ScreenFieldStore(kStoreInput, current, StrOf(text));
    }
    case kAcToEnd: {
      const ScreenDesc d = ScreenCurrent();
      if (window.state != kStateEdit) return kFormComplete;
      const FieldList after = EditList(d.bounded_last + 1, d.field_count);
      if (after.empty()) return kFormComplete;
      return ScreenFieldGoto(after.front());
    }
    default:
      return kStDataError;
  }
}

Status ScreenRunAction(uint16_t code) {
  const ScreenWin w = ScreenWinCurrent();
  if (!w.action || (w.flags & kWinNoHandlers)) return ScreenKeyDefault(code, w);
  const uint8_t began = w.state;
  for (;;) {
    Status r = w.action(code);
    if (r < kStFirstWarning) r &= static_cast<Status>(~kResultNext);
    if (r != 0 || !w.key) return r;
    const uint16_t next = w.key(began, ScreenWinCurrent().state, code);
    if (next == 0xFFFF) return r;
    code = next;
  }
}

Status ScreenActionDefault(uint16_t code) {
  const uint16_t cls = ActionClassOf(code);
  const int current = CurrentField();
  switch (cls) {
    case kAcHelp: {
      // The application's field option menu, when it has one.
      if (std::optional<Status> r = HookCallFieldHelp(static_cast<uint16_t>(ScreenCounterGet(kCurWin)),
                                                      &ScreenFieldWindowPos))
        return *r;
      ScratchScope scope;
      std::string entry = ScreenParmItem(kParmHelp, 0).str() + "," + std::to_string(current);
      HelpShowEntry(StrOf(entry));
      return kOk;
    }
    case kAcCommand: {
      if (ActionSubOf(code) == 100) return AcceptExit(kActionOk);
      ScreenFieldDesc f = ScreenFieldGet(current);
      if (KeyIsPage(static_cast<uint16_t>(SysVarGet(kVarLastKey))) >= 0 && f.status == kOk && f.dependants) {
        SysVarSet(kVarScrStat, static_cast<int16_t>(SysVarBits(kVarScrStat) | 64));
        ScreenFieldRecalc(116, current);
        SysVarSet(kVarScrStat, static_cast<int16_t>(SysVarBits(kVarScrStat) & ~64));
      }
      return kOk;
    }
    case kAcCloseRequest:
      if (!(KeyMoveFlags(static_cast<uint16_t>(SysVarGet(kVarLastKey))) & (0x02 | 0x40))) SysVarSet(kVarLastKey, kKeyEsc);
      return AcceptExit(code);
    case kAcCancel:
      return AcceptExit(code);
    case kAcFieldError:
      ScreenShowOnce(kStBadData);
      return kOk;
    case kAcFocusGained:
      return ScreenApplyEntryValue(current);
    default: {
      Status s = ScreenKeyDefault(code, ScreenWinCurrent());
      if (s == kFormComplete) return AcceptExit(kActionOk);
      if (s == kStBadData) ScreenShowOnce(kStBadData);
      return s == kStDataError ? kOk : s;
    }
  }
}

Status ScreenActionWinDefault(uint16_t code) {
  switch (code) {
    case kAcCloseWindow:
      if (plat::WinSystem* ws = UiWs()) ws->Post(WinTop(), plat::kWmClose);
      return kOk;
    case kAcFirstFocus: {
      const int first = ScreenFieldNext(0, +1);
      if (first > 0) {
        ScreenFieldGoto(first);
        ScreenFieldFocus(first);
      }
      return kOk;
    }
    default:
      return kStDataError;
  }
}

Status ScreenActionDispatch(plat::Hwnd sender, uint16_t code) {
  DispatchScope scope;
  plat::WinSystem* ws = UiWs();
  const int id = ws ? ws->Id(sender) : 0;
  Status r = kOk;
  if (code == kAcFocusGained) {
    if (id == 0) {
      r = ScreenRunAction(kAcFocusGained);
    } else {
      const ScreenWin w = ScreenWinCurrent();
      const int current = w.current_field;
      if (!(w.flags == kWinNoHandlers || current == 0 || id == kIdFieldBase + current))
        r = ScreenCheckParm(kParmAlarm, current);
      if (r == kStBadData) {
        ScreenRunAction(kAcFieldError);
      } else if (r == kOk) {
        ScreenFieldDesc f = ScreenFieldGet(id - kIdFieldBase);
        if (f.status == kOk && f.order != kOrderReadOnly && f.control) {
          ScreenFieldSelectAll(id);
          r = ScreenRunAction(kAcEntered);
        }
      }
    }
  } else if (code == kAcControlLeft) {
    // A control of a window that no longer shows the current record commits nothing.
    const bool own = ws && ScreenWinCurrent().window == ws->TopLevelOf(sender);
    if (own && !LastKeyNavigates()) r = ScreenFieldCommit(id);
  } else {
    if (LastKeyNavigates()) r = ScreenFieldCommit(id);
    if (r == kOk) {
      r = ScreenRunAction(code);
      if (r < kStFirstWarning && (r & kResultClose)) {
        if (ws) ws->Post(WinTop(), plat::kWmClose);
        r &= 0xFFE3;
      }
    }
  }
  if (r >= kStFirstWarning) ScreenShowOnce(r);
  return r;
}

}  // namespace eng
