#include "ui/window_procs.h"

#include <algorithm>
#include <memory>
#include <string>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/field_format.h"
#include "core/scratch_arena.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "platform/win_keys.h"
#include "ui/action_codes.h"
#include "ui/ctl_dialog.h"
#include "ui/fonts.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_open.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"
#include "ui/win_stack.h"

namespace eng {

namespace {

constexpr uint16_t kStatusBadData = kStBadData;
constexpr const char* kUnmappedCharText = "Car\xE1" "cter no admitido";

int64_t Chain(const std::shared_ptr<plat::WndProc>& prev, plat::WinSystem& ws, plat::Hwnd h, uint32_t msg,
              uint64_t w, int64_t l) {
  return (*prev)(ws, h, msg, w, l);
}

uint16_t EditKeyCode(plat::WinSystem& ws, uint8_t vk) {
  const uint8_t mods = ws.CurrentMods() & (plat::kModShift | plat::kModCtrl);
  if (vk == plat::kVkTab && mods == plat::kModShift) return kKeyShiftTab;
  if (vk == plat::kVkEnd && mods == plat::kModCtrl) return kKeyCtrlEnd;
  return CtlVirtualKeyToCode(vk);
}

int64_t EditProc(const std::shared_ptr<plat::WndProc>& prev, plat::WinSystem& ws, plat::Hwnd h, uint32_t msg,
                 uint64_t w, int64_t l) {
  switch (msg) {
    case plat::kWmSetFocus:
      if (ScreenActionDispatch(h, kAcFocusGained) == kStatusBadData) return 0;
      break;
    case plat::kWmKillFocus:
      ScreenActionDispatch(h, kAcControlLeft);
      break;
    case plat::kWmKeyDown: {
      const uint8_t vk = static_cast<uint8_t>(w);
      if (vk == plat::kVkUnmappedChar) {
        // A character code page 1252 cannot hold is refused: one box, and
        // the field keeps its text.
        ErrIncident(kStBadData, StrOf(kUnmappedCharText), false);
        ScreenShowOnce(kStBadData);
        return 0;
      }
      if (vk == plat::kVkShift || vk == plat::kVkControl || Ui().wedge_scanning) break;
      const uint16_t code = EditKeyCode(ws, vk);
      SysVarSet(kVarLastKey, static_cast<int16_t>(code));
      if (code == kKeyOther) break;
      const uint16_t action = ScreenKeyToAction(code);
      if (action == 0) break;
      ScreenActionDispatch(h, action);
      return 0;
    }
    case plat::kWmChar: {
      const uint8_t c = static_cast<uint8_t>(w);
      if (!Ui().wedge_scanning && c == 29) {
        Ui().wedge_scanning = true;
        Ui().wedge.clear();
        break;
      }
      if (Ui().wedge_scanning && WedgeAppend(c)) {
        Ui().wedge_scanning = false;
        ScreenActionDispatch(h, kAcWedgeScan);
      }
      break;
    }
    case plat::kMsgScanReady:
      ScreenActionDispatch(h, kAcScanReady);
      return 0;
    default:
      break;
  }
  return Chain(prev, ws, h, msg, w, l);
}

int64_t CheckBoxProc(const std::shared_ptr<plat::WndProc>& prev, plat::WinSystem& ws, plat::Hwnd h, uint32_t msg,
                     uint64_t w, int64_t l) {
  switch (msg) {
    case plat::kWmKillFocus:
      ScreenActionDispatch(h, kAcControlLeft);
      break;
    case plat::kWmKeyDown: {
      const uint8_t vk = static_cast<uint8_t>(w);
      if (vk == plat::kVkReturn || vk == plat::kVkTab || vk == plat::kVkEscape) {
        const uint16_t code = EditKeyCode(ws, vk);
        SysVarSet(kVarLastKey, static_cast<int16_t>(code));
        if (uint16_t action = ScreenKeyToAction(code)) ScreenActionDispatch(h, action);
        return 0;
      }
      if (vk == plat::kVkSpace) {
        CtlCheckToggle(h);
        return 0;
      }
      break;
    }
    case plat::kWmKeyUp:
      if (static_cast<uint8_t>(w) == plat::kVkSpace) return 0;  // the toggle happened on the press
      break;
    case plat::kWmLButtonDown: {
      int64_t r = Chain(prev, ws, h, msg, w, l);  // takes the focus
      CtlCheckToggle(h);
      return r;
    }
    case plat::kWmLButtonUp:
      return 0;
    default:
      break;
  }
  return Chain(prev, ws, h, msg, w, l);
}

int64_t ComboButtonProc(const std::shared_ptr<plat::WndProc>& prev, plat::WinSystem& ws, plat::Hwnd h,
                        uint32_t msg, uint64_t w, int64_t l) {
  if (msg == plat::kWmKeyDown && static_cast<uint8_t>(w) == plat::kVkReturn) {
    ws.Send(ws.Parent(h), plat::kWmCommand, plat::MakeCommandW(kIdOk, plat::kCmdClicked));
    return 0;
  }
  if (msg == plat::kWmKeyDown && static_cast<uint8_t>(w) == plat::kVkEscape) {
    ScreenActionDispatch(h, ScreenKeyToAction(kKeyEsc));
    return 0;
  }
  return Chain(prev, ws, h, msg, w, l);
}

}  // namespace

void ScreenWinFocusSelect(plat::Hwnd window) {
  const int value = WinStackValue(window);
  if (value < 0) return;
  if (ScreenWinSelect(value) == value) WinStackPush(window, value);
}

int ScreenWinFirstFocus(plat::Hwnd window) {
  if (WinStackValue(window) != -1) return 0;
  WinStackSetValue(window, ScreenCounterGet(kCurWin));
  return 1;
}

int64_t ScreenWinProcDefault(plat::WinSystem& ws, plat::Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
  switch (msg) {
    case plat::kWmSetFocus:
      ScreenWinFocusSelect(h);
      ScreenActionDispatch(h, ScreenWinFirstFocus(h) ? kAcFirstFocus : kAcFocusGained);
      break;
    case plat::kWmKeyDown:
      if (static_cast<uint8_t>(w) == plat::kVkEscape) ws.Send(h, plat::kWmClose);
      break;
    case plat::kMsgSerialData:
      ScreenActionDispatch(h, static_cast<uint16_t>(w * 256 + kAcSerialData));
      break;
    default:
      break;
  }
  return plat::WinSystem::DefProc(ws, h, msg, w, l);
}

int64_t ScreenMantWinProc(plat::WinSystem& ws, plat::Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
  switch (msg) {
    case plat::kWmClose:
      if (ScreenActionDispatch(h, kAcCloseRequest) == 0) return 0;
      return plat::WinSystem::DefProc(ws, h, msg, w, l);
    case plat::kWmCommand:
      if (plat::CommandCode(w) == plat::kCmdClicked) {
        const uint16_t code = ScreenCommandToAction(plat::CommandId(w));
        if (code != kActionNone) ScreenActionDispatch(h, code);
      }
      break;
    case plat::kWmHScroll:
    case plat::kWmVScroll:
      ScreenScroll(h, msg, static_cast<int>(w & 0xFFFF));
      break;
    default:
      break;
  }
  return ScreenWinProcDefault(ws, h, msg, w, l);
}

int64_t ScreenDialogProc(plat::WinSystem& ws, plat::Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
  if (msg == plat::kWmCommand && plat::CommandCode(w) == plat::kCmdDblClick) {
    ws.Send(h, plat::kWmCommand, plat::MakeCommandW(kIdOk, plat::kCmdClicked));
  } else if (msg == plat::kWmCommand && plat::CommandCode(w) == plat::kCmdSelEndOk) {
    SysVarSet(kVarLastKey, kKeyOther);
    ScreenActionDispatch(h, kAcComboConfirmed);
  }
  return ScreenMantWinProc(ws, h, msg, w, l);
}

int64_t ScreenMainWinProc(plat::WinSystem& ws, plat::Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
  if (msg == plat::kWmClose) {
    if ((ScreenActionDispatch(h, kAcMainClose) & 0xFF) == 0) return 0;
  } else if (msg == plat::kWmCommand && plat::CommandCode(w) == plat::kCmdClicked) {
    const int id = plat::CommandId(w);
    if (id >= 1500 && id <= 1699) ScreenActionDispatch(h, ActionWord(kAcMenu, static_cast<uint16_t>(id - 1500)));
  }
  return ScreenWinProcDefault(ws, h, msg, w, l);
}

void ScreenCtrlSubclass(plat::Hwnd control, int type) {
  plat::WinSystem* ws = UiWs();
  if (!ws || !ws->IsWindow(control) || SysVarHas(kVarCompat, kCompatNoSubclass)) return;
  auto prev = std::make_shared<plat::WndProc>();
  plat::WndProc proc;
  switch (type) {
    case kSubEdit:
      proc = [prev](plat::WinSystem& s, plat::Hwnd h, uint32_t m, uint64_t w, int64_t l) {
        return EditProc(prev, s, h, m, w, l);
      };
      break;
    case kSubComboOrButton:
      proc = [prev](plat::WinSystem& s, plat::Hwnd h, uint32_t m, uint64_t w, int64_t l) {
        return ComboButtonProc(prev, s, h, m, w, l);
      };
      break;
    case kSubCheckBox:
      proc = [prev](plat::WinSystem& s, plat::Hwnd h, uint32_t m, uint64_t w, int64_t l) {
        return CheckBoxProc(prev, s, h, m, w, l);
      };
      break;
    default:
      return;
  }
  *prev = ws->SetProc(control, std::move(proc));
}

void CtlCheckToggle(plat::Hwnd box) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return;
  const bool checked = (ws->Send(box, plat::kBmGetCheck) & 0x0F) != 0;
  if (checked) {
    ws->Send(box, plat::kBmSetCheck, 0);
    ws->SetText(box, "");
  } else {
    ws->Send(box, plat::kBmSetCheck, 1);
    ScratchScope scope;
    ws->SetText(box, FmtFieldToText('L', StrOf("1"), 1).view());
  }
}

int WedgeAppend(uint8_t character) {
  std::string& text = Ui().wedge;
  if (character >= 32) {
    text.push_back(static_cast<char>(character));
    return 0;
  }
  // A scan longer than a code can be is dropped whole, never cut short.
  if (text.size() <= kWedgeMax) DynStrPush(sl::kReturnBuffer, StrOf(text));
  text.clear();
  return 1;
}

void ScreenScroll(plat::Hwnd window, uint32_t msg, int code) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return;
  const int bar = msg == plat::kWmVScroll ? plat::kSbVert : plat::kSbHorz;
  const plat::ScrollInfo info = ws->GetScrollInfo(window, bar);
  const GeomSize cell = FontCellSize();
  const int page = bar == plat::kSbVert ? cell.h : cell.w;
  int pos = info.pos;
  switch (code) {
    case plat::kSbLineUp: pos -= 2; break;
    case plat::kSbLineDown: pos += 2; break;
    case plat::kSbPageUp: pos -= page; break;
    case plat::kSbPageDown: pos += page; break;
    case plat::kSbThumbTrack: pos = info.track; break;
    case plat::kSbTop: pos = info.min; break;
    case plat::kSbBottom: pos = info.max; break;
    default: return;
  }
  pos = std::clamp(pos, info.min, std::max(info.min, info.max));
  const int delta = pos - info.pos;
  if (delta == 0) return;
  if (bar == plat::kSbVert) ws->ScrollChildren(window, 0, -delta);
  else ws->ScrollChildren(window, -delta, 0);
  ws->SetScrollPos(window, bar, pos);
}

}  // namespace eng
