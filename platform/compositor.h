// The compositor: draws every shown window into a grid of character cells.
//
// Top-level windows are drawn bottom to top: the frame row (the caption, or
// the menu bar for a window with a menu, and an "x" close box at its right
// end for windows with a system menu), the client area, the children in
// drawing order clipped to their parent's client area, and the scroll bars.
// The caret is the focused edit's caret cell. Cells hold code page 1252 bytes,
// an attribute (reverse video for captions, menus, selections and pushed
// buttons) and a foreground and background colour (cell_color.h; the
// terminal's own colours unless a control has colours of its own, as list
// views and banners do). Snapshot() gives the text, one line per row with
// trailing blanks removed; AttrSnapshot() and ColorSnapshot() the attributes
// and colours in the same shape.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cell_color.h"
#include "platform/win_layout.h"
#include "platform/win_types.h"

namespace plat {

class WinSystem;

enum CellAttr : uint8_t {
  kAttrNormal = 0,
  kAttrReverse = 1,
  kAttrBold = 2,
  kAttrDim = 4,
};

struct Cell {
  uint8_t ch = ' ';
  uint8_t attr = kAttrNormal;
  uint8_t fg = kColorDefault;  // CellColor
  uint8_t bg = kColorDefault;
  bool operator==(const Cell&) const = default;
};

class CellGrid {
 public:
  CellGrid(int cols, int rows);
  int cols() const { return cols_; }
  int rows() const { return rows_; }
  const Cell& at(int col, int row) const { return cells_[static_cast<size_t>(row) * cols_ + col]; }
  CellRect bounds() const { return {0, 0, cols_, rows_}; }

  // fg and bg are CellColor entries.
  void Put(int col, int row, uint8_t ch, uint8_t attr, const CellRect& clip, uint8_t fg = kColorDefault,
           uint8_t bg = kColorDefault);
  // Writes text from (col, row) rightwards; cells outside clip are skipped.
  void Text(int col, int row, std::string_view text, uint8_t attr, const CellRect& clip,
            uint8_t fg = kColorDefault, uint8_t bg = kColorDefault);
  void Fill(const CellRect& r, uint8_t ch, uint8_t attr, const CellRect& clip, uint8_t fg = kColorDefault,
            uint8_t bg = kColorDefault);

  // The text, rows joined with '\n', trailing blanks of each row removed.
  std::string Snapshot() const;
  // The text of one row (trailing blanks removed).
  std::string Row(int row) const;
  // The attributes, one character per cell: ' ' normal, 'r' reverse, 'b' bold, 'd' dim.
  std::string AttrSnapshot() const;
  // The foreground (or, with back, the background) colours, one character per
  // cell as CellColorCode gives it (' ' the terminal's own colour).
  std::string ColorSnapshot(bool back = false) const;

  bool caret_shown = false;
  int caret_col = 0;
  int caret_row = 0;

 private:
  int cols_;
  int rows_;
  std::vector<Cell> cells_;
};

// Draws the work area.
CellGrid Compose(const WinSystem& ws);

// Draws one control into its cells (used by Compose; exposed for tests).
void PaintControl(const WinSystem& ws, Hwnd h, CellGrid& grid, const CellRect& cells, const CellRect& clip);

}  // namespace plat
