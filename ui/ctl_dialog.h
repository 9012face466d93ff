// Dialog controls: edits and check boxes, push, bitmap and owner-drawn
// buttons, the Ok button, the footer with its status lines, and the command
// toolbar. Every control is placed by the grid geometry, takes the screen
// font, and carries the control id its clicks come back with.
//
// Control ids: Ok 3100, footer button 3101, status lines 1480 and 1481,
// toolbar button of verb n (its position in ToolbarVerbs) 3000 + n.
// Edit flags: 0x01 multi-line, 0x02 disabled, 0x04 without the screen font,
// 0x08 numeric and right-aligned, 0x10 a check box instead of an edit.
// Footer flags: 0x10 the footer button, 0x20 the first status line, 0x40 the
// second, each on the bottom row, one cell high; the second status line
// starts at the previous element's width and reaches the grid's right edge.
// Toolbar layout bits 0x0C: 0 buttons W / shown, 4 W / verbs, 8 (and 12) 60
// pixels wide, W the grid width; centred unless the layout is 0 (then from
// x 2), at y 2; one button per verb in the shown list (every verb when it is
// empty), labelled with the label of the same position.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "core/str_pair.h"
#include "platform/win_types.h"

namespace eng {

inline constexpr const char* kToolbarVerbs =
    "NEW,TOP,PRV,RLD,NXT,BOT,FND,SVE,INS,DEL,LST,NLS,BLS,IMP,MDE,DDE,PRN,TSL";
inline constexpr int kIdToolbarBase = 3000;
inline constexpr int kIdOk = 3100;
inline constexpr int kIdFooterButton = 3101;
inline constexpr int kIdStatus1 = 1480;
inline constexpr int kIdStatus2 = 1481;

enum CtlEditFlag : int {
  kEditMultiline = 0x01,
  kEditDisabled = 0x02,
  kEditNoFont = 0x04,
  kEditNumeric = 0x08,
  kEditCheckBox = 0x10,
};
enum CtlFooterFlag : int {
  kFooterButton = 0x10,
  kFooterStatus1 = 0x20,
  kFooterStatus2 = 0x40,
};
inline constexpr int kButtonImage = 2;  // CtlButtonFromText flags: the text names an image file

// (control id, state) -> -1 for a plain push button, else the stored state.
using CtlAttributeFn = int (*)(int id, int state);

plat::Hwnd CtlEditCreate(plat::Hwnd parent, int x, int y, int width, int height, int id, int flags);
// The control's text (newest scratch entry; empty when there is no such control).
StrPair CtlGetText(plat::Hwnd parent, int id, int maximum);
// 0, or 179 when the parent has no control with the id.
Status CtlSetText(plat::Hwnd parent, int id, StrPair text);
plat::Hwnd CtlButtonCreate(plat::Hwnd parent, int x, int y, int width, int height, StrPair text, int id);
plat::Hwnd CtlButtonFromText(plat::Hwnd parent, int x, int y, int width, int height, StrPair text, int id,
                             int state, int flags, CtlAttributeFn attribute);
void CtlAddOkButton(plat::Hwnd parent);
void CtlDialogFooter(plat::Hwnd parent, int flags);
void CtlToolbarCreate(plat::Hwnd parent, int layout, StrPair verbs, StrPair labels, int height, StrPair shown);
// Enables or disables toolbar button n of the top window.
void CtlToolbarEnable(int n, bool enable);
inline int CtlIdentity(int value) { return value; }

}  // namespace eng
