// Where windows land on the grid of character cells.
//
// A top-level window's outer corner is mapped first (nearest cell), its size
// by the cells its pixel span covers; the frame row (caption or menu) is its
// first row. Children are mapped relative to the cell-aligned client origin of
// their parent, so a form's layout does not depend on where its window landed.
// The compositor draws with these rectangles and hit testing uses them, so a
// click lands where the window is drawn.
#pragma once

#include "platform/win_types.h"

namespace plat {

class WinSystem;

struct CellRect {
  int col = 0;
  int row = 0;
  int cols = 0;
  int rows = 0;
  bool Contains(int c, int r) const { return c >= col && r >= row && c < col + cols && r < row + rows; }
  bool operator==(const CellRect&) const = default;
};

CellRect Intersect(const CellRect& a, const CellRect& b);

// The window's rectangle in screen cells (outer rectangle for top-level windows).
CellRect WindowCells(const WinSystem& ws, Hwnd h);
// The client area in screen cells: less the frame row and the scroll bars.
CellRect ClientCells(const WinSystem& ws, Hwnd h);
// Scroll-bar thickness in cells: columns of the vertical bar, rows of the
// horizontal one.
int VBarCols(const WinSystem& ws);
int HBarRows(const WinSystem& ws);
struct ScrollInfo;
// The cell of a bar's thumb (counting the arrow cell at 0) on a bar len cells
// long; -1 when the bar has no room for one.
int ScrollThumbCell(const ScrollInfo& s, int len);
// The position whose thumb is drawn in the cell (clamped to the track): the
// lowest such position, so ScrollThumbCell gives the cell back. The bar's own
// position when the track has a single cell.
int ScrollPosForThumbCell(const ScrollInfo& s, int len, int cell);

}  // namespace plat
