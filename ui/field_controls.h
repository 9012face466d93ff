// The controls of a screen's fields on the top window.
//
// ScreenSetWin (flags): stores the flags as the screen's control flags; with
// flag 1 clears list 38 and makes no controls; otherwise makes the control
// of every field outside the bounded range, at its cell (stopping at the
// first failure). There must be a current screen (assertion "ScreenSetWin").
// ScreenFieldCtrlCreate (n, x, y, layout): hidden fields get none. Height one
// cell, less an eighth with layout flags 2 or 4 (which also put the control
// on top and leave out the client edge); without them x moves left by a
// quarter cell, not below 1. Type "L" while _AUXSTAT has 16 is a check box 4
// cells wide; other fields are edits CtlEditWidth (width) wide (a cell per
// character), at least 15 pixels, limited to the display length, in the
// screen font: read-only for order 0 and for the begin field, else "P" is a
// password edit (its type becomes "A") and "N", "L", "1"-"9" are
// right-aligned. Id 1999 + n.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "platform/win_types.h"

namespace eng {

inline constexpr int kIdFieldBase = 1999;
inline constexpr uint16_t kAuxStatCheckBoxes = 16;

Status ScreenSetWin(uint16_t flags);
plat::Hwnd ScreenFieldCtrlCreate(int n, int x, int y, int layout);

}  // namespace eng
