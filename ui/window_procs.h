// Window procedures of screen windows and the subclassing of field controls:
// messages become the action codes that ScreenActionDispatch handles.
//
// ScreenWinProcDefault: focus makes the window's record current and raises
// it on the window stack (ScreenWinFocusSelect), then dispatches 95 on the
// window's first focus, else 91; Esc sends a close; serial data dispatches
// (byte x 256 + 23). (Taking the window off the stack when it is destroyed
// is done for every engine window by its creation.)
// ScreenMantWinProc: close dispatches 28 and closes only for a non-zero
// result; commands of controls (code 0) dispatch their action; scroll
// messages scroll. ScreenDialogProc: a double click presses Ok (3100), a
// confirmed combo selection dispatches 94 with _LASTKEY 4; then as
// ScreenMantWinProc. ScreenMainWinProc: close dispatches 17 and closes only
// when the result's low byte is not 0; commands dispatch menu actions.
//
// Edit subclass: focus dispatches 91 (126 keeps the control from the
// focus), losing it 92; a typed character that code page 1252 cannot hold
// is refused with one error box (126) and the text stays as it was; a key is turned into its code (8 for Tab with
// exactly Shift, 32 for End with exactly Ctrl, read from the key event's
// modifiers), stored in _LASTKEY, and when its action is not 0 dispatched
// instead of reaching the control; code 4 keys and wedge-scan keys reach the
// control. Character 29 starts a wedge scan; its characters are collected
// (of any length) and a control character ends it: the text goes on list 30
// and action 24 is dispatched; a scan longer than 20 characters is dropped.
// Check-box subclass: losing the focus dispatches 92; Enter, Tab, Shift+Tab
// and Esc dispatch their own actions; Space and a click toggle the box
// (CtlCheckToggle). Combo-box and button subclass: Enter presses Ok, Esc
// dispatches the action of key code 3.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "platform/win_core.h"

namespace eng {

enum SubclassType : int { kSubEdit = 1, kSubComboOrButton = 2, kSubCheckBox = 3 };
inline constexpr uint16_t kCompatNoSubclass = 512;
inline constexpr size_t kWedgeMax = 20;

int64_t ScreenWinProcDefault(plat::WinSystem& ws, plat::Hwnd h, uint32_t msg, uint64_t w, int64_t l);
int64_t ScreenMantWinProc(plat::WinSystem& ws, plat::Hwnd h, uint32_t msg, uint64_t w, int64_t l);
int64_t ScreenDialogProc(plat::WinSystem& ws, plat::Hwnd h, uint32_t msg, uint64_t w, int64_t l);
int64_t ScreenMainWinProc(plat::WinSystem& ws, plat::Hwnd h, uint32_t msg, uint64_t w, int64_t l);

void ScreenCtrlSubclass(plat::Hwnd control, int type);
void CtlCheckToggle(plat::Hwnd box);
// 1 when the character completes the scan.
int WedgeAppend(uint8_t character);
void ScreenScroll(plat::Hwnd window, uint32_t msg, int code);
// The window's record becomes current (when it has one) and the window is
// raised on the stack.
void ScreenWinFocusSelect(plat::Hwnd window);
// 1 on the window's first focus (it had no stack value): the current record
// becomes its value.
int ScreenWinFirstFocus(plat::Hwnd window);

}  // namespace eng
