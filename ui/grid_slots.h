// Line grids: four list views in report mode (slots 0-3, control id 3200 +
// slot) that show the lines of list levels. Every operation takes the slot.
//
// GridCreate (parent, x, y, width, height): the first free slot, or 0xFFFF
// when all four are taken (nothing created). Grid lines, black text on a
// light blue ground, the screen font; item and column counts 0.
// GridDestroy (slot, or 0xFFFF for all four): 0xFFFF when the slot was empty.
// GridColumnInsert (slot, column, heading, type, width): right-aligned for
// the numeric types "NL123456789"; column 0 is 2 pixels wider; 0xFFFF when
// the control refuses it. GridColumnWidth reports column 0 2 pixels narrower.
// GridClear leaves one empty row. GridSetCell appends empty rows until the
// row exists, sets the cell and shows the grid.
// GridSelectedRow: the focused row; 0xFFFF when it is 0 and no row is
// selected. GridCellPos: a cell in the parent's pixels, as the character
// cells its text is drawn in (from the cell's first text cell to its column
// separator), so that the field edit laid over it shows on the cell's text
// and not a column beside it. GridPosition: the grid's own rectangle
// (flag) or the row's inside it. GridColumnAtCursor: the column of the
// selected row under the mouse, -1 when none. GridScroll (rows): scrolls by
// whole rows and answers the top row. GridSetItemState: selects and focuses
// the row (flag) or clears both. GridSlotOf (window): 0xFFFF for no grid.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/win_types.h"
#include "ui/geom.h"

namespace eng {

inline constexpr int kIdGridBase = 3200;
inline constexpr uint16_t kGridSlotCount = 4;
inline constexpr uint16_t kGridNone = 0xFFFF;
inline constexpr uint32_t kGridBackColor = 0xFFE0E0;  // red 224, green 224, blue 255

struct GridSlot {
  plat::Hwnd window = plat::kNoWindow;
  uint16_t items = 0;
  uint16_t columns = 0;
  uint16_t y = 0;
  uint16_t x = 0;
};
using GridSlots = std::array<GridSlot, kGridSlotCount>;

bool GridTypeNumeric(char type);
uint16_t GridCreate(plat::Hwnd parent, int x, int y, int width, int height);
uint16_t GridDestroy(uint16_t slot);
uint16_t GridColumnInsert(uint16_t slot, int column, std::string_view heading, char type, int width);
void GridClear(uint16_t slot);
void GridSetCell(uint16_t slot, int row, int column, std::string_view text);
uint16_t GridSelectedRow(uint16_t slot);
int GridColumnWidth(uint16_t slot, int column);
plat::Rect GridCellPos(uint16_t slot, int row, int column);
plat::Rect GridPosition(uint16_t slot, int row, bool own);
int GridColumnAtCursor(uint16_t slot);
int GridScroll(uint16_t slot, int rows);
void GridSetItemState(uint16_t slot, int row, bool focused);
void GridShow(uint16_t slot);
GeomSize GridClientSize(uint16_t slot);
uint16_t GridSlotOf(plat::Hwnd window);
plat::Hwnd GridWindow(uint16_t slot);

}  // namespace eng
