// Labels of screens: a label is a right-aligned static text of one cell per
// character at its cell's pixel position, in the screen font, with id 4000 +
// row x grid columns + column; it replaces any control with that id.
// ScreenLabelLine is the label callback of field-line reading: label lines
// (kind 0) are drawn on the top window, and a row 1, column 1 label that
// begins with "<" sets the caption (its text from column 8, through the
// caption format); other kinds are ignored.
#pragma once

#include "core/status.h"
#include "core/str_pair.h"
#include "platform/win_types.h"

namespace eng {

inline constexpr int kIdLabelBase = 4000;

plat::Hwnd ScreenLabelCreate(plat::Hwnd window, int row, int column, StrPair text);
// On the top window; -1 when the label cannot be made.
Status ScreenLabelDraw(int row, int column, StrPair text);
Status ScreenLabelLine(StrPair line);

}  // namespace eng
