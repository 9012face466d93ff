// Edit controls.
//
// Single line: insert mode; typing replaces the selection; Backspace, Delete,
// Home, End, Left and Right (with Shift extending the selection); characters
// below 32 are ignored; a text limit (typing that would pass it is refused);
// read-only, password (shown as "*"), right-aligned and digits-only styles;
// the view scrolls horizontally to keep the caret visible, but never while
// the whole text fits (a caret past its end stands on the last cell, so a
// text as long as the control is wide shows whole). Select all is
// EM_SETSEL (0, -1). Setting the text puts the caret at the start.
// Multi-line (kEsMultiline, shown read-only): lines separated by CR LF or LF;
// arrows, PgUp, PgDn, Home and End scroll the view; kEmLineScroll too.
// Edits never send commands.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/win_types.h"

namespace plat {

class WinSystem;
class CellGrid;
struct CellRect;

int64_t EditProc(WinSystem& ws, Hwnd h, uint32_t msg, uint64_t w, int64_t l);
void PaintEdit(const WinSystem& ws, Hwnd h, CellGrid& grid, const CellRect& cells, const CellRect& clip);

// The caret of the focused edit in screen pixels (the top-left of its cell);
// false when no edit has the focus.
bool EditCaretPoint(const WinSystem& ws, Point& p);

Hwnd CreateEdit(WinSystem& ws, Hwnd parent, int id, Rect r, uint32_t style = 0, std::string_view text = {});

}  // namespace plat
