// The character grid and its pixel geometry.
//
// Screens are laid out by row and column on a grid; every pixel position
// comes from the grid in force and the character cell (FontCellSize). There
// are two grids: the base grid ({80, 25, 0, 0, 0, 0} at load; the program
// sets its own size at start) and the override that a screen's SCREENSIZE$
// sets (all zero at load). The override is in force while its columns are
// not 0.
//
// Pixel formulas (cw, ch the cell; L, T, B, S the grid's margins and row
// spacing): GeomRowHeight (n, S, ch) = n x ch x (100 + S) / 100 rounded half
// away from zero; column c starts at (c + L - 1) x cw + 1 (c = -1: columns x
// cw + 1); row r at GeomRowHeight (r + T - 1) + 1 (r = -1: GeomRowHeight
// (rows) + 1). Counts of -1 take the grid's own.
#pragma once

#include <cstdint>

namespace eng {

struct ScreenGrid {
  uint16_t columns = 0;
  uint16_t rows = 0;
  uint16_t left = 0;     // columns added before column 1
  uint16_t top = 0;      // rows added before row 1
  uint16_t bottom = 0;   // rows added after the last row
  uint16_t spacing = 0;  // percent added to the cell height per row
  bool operator==(const ScreenGrid&) const = default;
};

struct GeomSize {
  int w = 0;
  int h = 0;
  bool operator==(const GeomSize&) const = default;
};

ScreenGrid WinGridGet();
ScreenGrid WinGridBase();
ScreenGrid WinGridOverride();
// With base set, the base grid's columns and rows; otherwise the override:
// loaded from the base first when its left and top margins and spacing are
// all 0; columns other than -1 replace its columns (0 also clears its left
// margin), rows other than -1 its rows (0 also clears its top and bottom
// margins and its spacing). The grid in force afterwards.
ScreenGrid WinGridSetSize(int columns, int rows, bool base);
// On the override while its columns are not 0, else on the base; -1 keeps.
void WinGridSetMargins(int left, int top, int bottom, int spacing);

int GeomRowHeight(int n, int spacing, int cell_h);
int GeomColToX(int column);
int GeomRowToY(int row);
int GeomColFromRight(int n);
int GeomRowToYFromBottom(int n);
int GeomColsToWidth(int n);
int GeomRowsToHeight(int n);
GeomSize GeomGridSize(int columns, int rows);
// Sizes the override for a chooser of count choices of width characters
// with the given cell height, within the work area's height.
void GeomGridForChoices(int width, int count, int cell_h);
// Width in pixels of a lines grid column of that many characters.
int CtlFieldWidth(int length);
// Width in pixels of an edit box showing length characters, one cell each:
// on the character grid the box covers exactly length cells wherever it
// starts.
int CtlEditWidth(int length);

}  // namespace eng
