// List views in report mode: a heading row over rows of cells, columns of a
// given width in pixels (left or right aligned), one selected row.
//
// Geometry, in the control's client pixels: the heading row is the first cell
// row; row r is drawn (r - top + 1) cell rows down, one cell high, and its
// cell c spans the widths of the columns before c. Hit tests answer the row
// and column under a point (-1 where there is none), so the engine can lay
// edit controls over a row's cells.
// Input: Up, Down, Home, End, PgUp and PgDn move the selection (and the
// focused row) and scroll it into view; a click selects the row under it and
// takes the focus. Every key is first told to the parent; an answer other
// than 0 means the parent handled it.
// Notifications go to the parent as kWmNotify, w = MakeCommandW(id, code),
// l = the key (kLvKeyDown) or the row (clicks; -1 off the rows):
//   kLvKeyDown, kLvSetFocus, kLvClick, kLvRightClick, kLvDblClick, kLvReturn.
// With kLvsGridLines a "|" separates the columns. Text and background
// colours (0x00BBGGRR, black on white at first) colour the rows and the
// empty part of the control in the nearest palette colours; black on white
// leaves the terminal's own colours. The heading and the selected row are
// drawn in reverse video without them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace plat {

class WinSystem;
class CellGrid;
struct CellRect;

inline constexpr uint32_t kWmNotify = 0x161;
enum LvNotify : uint16_t { kLvKeyDown = 1, kLvSetFocus, kLvClick, kLvRightClick, kLvDblClick, kLvReturn };

int64_t ListViewProc(WinSystem& ws, Hwnd h, uint32_t msg, uint64_t w, int64_t l);
void PaintListView(const WinSystem& ws, Hwnd h, CellGrid& grid, const CellRect& cells, const CellRect& clip);

Hwnd CreateListView(WinSystem& ws, Hwnd parent, int id, Rect r, uint32_t style = kLvsGridLines);
// Inserts a column before index (at the end when beyond); its index or -1.
int LvInsertColumn(WinSystem& ws, Hwnd h, int index, std::string_view heading, int width_px, bool right);
int LvColumnCount(const WinSystem& ws, Hwnd h);
int LvColumnWidth(const WinSystem& ws, Hwnd h, int col);  // -1 for a missing column
// Appends an empty row; its index, or -1.
int LvAddRow(WinSystem& ws, Hwnd h);
int LvRowCount(const WinSystem& ws, Hwnd h);
void LvDeleteAll(WinSystem& ws, Hwnd h);
// Sets a cell of an existing row and column; false otherwise.
bool LvSetCell(WinSystem& ws, Hwnd h, int row, int col, std::string_view text);
std::string LvCell(const WinSystem& ws, Hwnd h, int row, int col);
// The selected row, -1 when none.
int LvGetSel(const WinSystem& ws, Hwnd h);
// Selects and focuses a row (scrolled into view); -1 clears. False for a missing row.
bool LvSetSel(WinSystem& ws, Hwnd h, int row);
// The focused row (the selection mark).
int LvFocused(const WinSystem& ws, Hwnd h);
void LvSetColors(WinSystem& ws, Hwnd h, uint32_t text, uint32_t back);

// The row's rectangle and a cell's rectangle in client pixels; empty (w 0)
// for a missing row or column.
Rect LvRowRect(const WinSystem& ws, Hwnd h, int row);
Rect LvCellRect(const WinSystem& ws, Hwnd h, int row, int col);
// The character cells a column's text is drawn in, counted from the
// control's left cell: the cell its left pixel falls in, and the cells up
// to the one its right edge falls in (less the "|" cell with grid lines).
// {0, 0} for a missing column.
struct LvTextCells {
  int first = 0;
  int cols = 0;
};
LvTextCells LvColumnTextCells(const WinSystem& ws, Hwnd h, int col);
struct LvHit {
  int row = -1;
  int col = -1;
};
LvHit LvHitTest(const WinSystem& ws, Hwnd h, Point client);
// Scrolls by a number of pixels (whole rows); answers the first row shown.
int LvScroll(WinSystem& ws, Hwnd h, int dy_px);
int LvTopRow(const WinSystem& ws, Hwnd h);

}  // namespace plat
