#include "ui/grid_slots.h"

#include <algorithm>
#include <string>

#include "platform/ctl_listview.h"
#include "platform/win_core.h"
#include "ui/fonts.h"
#include "ui/ui_state.h"

namespace eng {

namespace {

GridSlot* SlotRec(uint16_t slot) {
  if (slot >= kGridSlotCount) return nullptr;
  GridSlot& g = Ui().grids[slot];
  return g.window ? &g : nullptr;
}

}  // namespace

bool GridTypeNumeric(char type) { return type && std::string_view("NL123456789").find(type) != std::string_view::npos; }

plat::Hwnd GridWindow(uint16_t slot) {
  const GridSlot* g = SlotRec(slot);
  return g ? g->window : plat::kNoWindow;
}

uint16_t GridCreate(plat::Hwnd parent, int x, int y, int width, int height) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return kGridNone;
  for (uint16_t s = 0; s < kGridSlotCount; ++s) {
    GridSlot& g = Ui().grids[s];
    if (g.window) continue;
    const plat::Hwnd h =
        plat::CreateListView(*ws, parent, kIdGridBase + s, {x, y, width, height}, plat::kLvsGridLines | plat::kWsBorder);
    if (!h) return kGridNone;
    plat::LvSetColors(*ws, h, 0x000000, kGridBackColor);
    FontApply(h, kFontModeScreen);
    g = GridSlot{h, 0, 0, static_cast<uint16_t>(y), static_cast<uint16_t>(x)};
    return s;
  }
  return kGridNone;
}

uint16_t GridDestroy(uint16_t slot) {
  if (slot == kGridNone) {
    for (uint16_t s = 0; s < kGridSlotCount; ++s) GridDestroy(s);
    return 0;
  }
  GridSlot* g = SlotRec(slot);
  if (!g) return kGridNone;
  const plat::Hwnd h = g->window;
  *g = GridSlot{};
  if (plat::WinSystem* ws = UiWs(); ws && ws->IsWindow(h)) ws->Destroy(h);
  return 0;
}

uint16_t GridColumnInsert(uint16_t slot, int column, std::string_view heading, char type, int width) {
  GridSlot* g = SlotRec(slot);
  plat::WinSystem* ws = UiWs();
  if (!g || !ws) return kGridNone;
  if (column == 0) width += 2;
  if (plat::LvInsertColumn(*ws, g->window, column, heading, width, GridTypeNumeric(type)) < 0) return kGridNone;
  ++g->columns;
  return 0;
}

void GridClear(uint16_t slot) {
  GridSlot* g = SlotRec(slot);
  plat::WinSystem* ws = UiWs();
  if (!g || !ws) return;
  plat::LvDeleteAll(*ws, g->window);
  plat::LvAddRow(*ws, g->window);
  plat::LvSetCell(*ws, g->window, 0, 0, "");
  g->items = 1;
}

void GridSetCell(uint16_t slot, int row, int column, std::string_view text) {
  GridSlot* g = SlotRec(slot);
  plat::WinSystem* ws = UiWs();
  if (!g || !ws || row < 0) return;
  while (plat::LvRowCount(*ws, g->window) <= row) {
    if (plat::LvAddRow(*ws, g->window) < 0) return;
  }
  g->items = static_cast<uint16_t>(plat::LvRowCount(*ws, g->window));
  plat::LvSetCell(*ws, g->window, row, column, text);
  ws->Show(g->window, plat::ShowCmd::kShow);
}

uint16_t GridSelectedRow(uint16_t slot) {
  const GridSlot* g = SlotRec(slot);
  plat::WinSystem* ws = UiWs();
  if (!g || !ws) return kGridNone;
  const int mark = plat::LvFocused(*ws, g->window);
  if (mark == 0 && plat::LvGetSel(*ws, g->window) < 0) return kGridNone;
  return static_cast<uint16_t>(mark);
}

int GridColumnWidth(uint16_t slot, int column) {
  const GridSlot* g = SlotRec(slot);
  plat::WinSystem* ws = UiWs();
  if (!g || !ws) return -1;
  const int w = plat::LvColumnWidth(*ws, g->window, column);
  return w < 0 ? w : (column == 0 ? w - 2 : w);
}

plat::Rect GridCellPos(uint16_t slot, int row, int column) {
  const GridSlot* g = SlotRec(slot);
  plat::WinSystem* ws = UiWs();
  if (!g || !ws) return {};
  const plat::Rect r = plat::LvCellRect(*ws, g->window, row, column);
  if (r.w == 0) return r;
  // The grid draws a cell's text from a whole character cell; the rectangle
  // starts on that cell's left edge, so that an edit laid over it (a few
  // pixels in, or a quarter cell back) maps to that same cell and not to
  // the next one, and it ends where the column's separator begins.
  const int cw = std::max(1, ws->metrics().cell_w);
  const plat::LvTextCells text = plat::LvColumnTextCells(*ws, g->window, column);
  const int x = (plat::PxToCell(g->x, cw) + text.first) * cw;
  return {x, r.y + g->y, std::max(1, text.cols) * cw, r.h};
}

plat::Rect GridPosition(uint16_t slot, int row, bool own) {
  const GridSlot* g = SlotRec(slot);
  plat::WinSystem* ws = UiWs();
  if (!g || !ws) return {};
  if (own) return ws->GetRect(g->window);
  return plat::LvRowRect(*ws, g->window, row);
}

int GridColumnAtCursor(uint16_t slot) {
  const GridSlot* g = SlotRec(slot);
  plat::WinSystem* ws = UiWs();
  if (!g || !ws) return -1;
  const int sel = plat::LvGetSel(*ws, g->window);
  const plat::Rect row = plat::LvRowRect(*ws, g->window, sel);
  if (row.w == 0) return -1;
  const plat::Point origin = ws->ClientToScreen(g->window, {0, 0});
  const plat::Point mouse = ws->MousePos();
  return plat::LvHitTest(*ws, g->window, {mouse.x - origin.x, row.y}).col;
}

int GridScroll(uint16_t slot, int rows) {
  const GridSlot* g = SlotRec(slot);
  plat::WinSystem* ws = UiWs();
  if (!g || !ws) return 0;
  if (rows != 0) return plat::LvScroll(*ws, g->window, rows * ws->metrics().cell_h);
  return plat::LvTopRow(*ws, g->window);
}

void GridSetItemState(uint16_t slot, int row, bool focused) {
  const GridSlot* g = SlotRec(slot);
  plat::WinSystem* ws = UiWs();
  if (!g || !ws) return;
  plat::LvSetSel(*ws, g->window, focused ? row : -1);
}

void GridShow(uint16_t slot) {
  const GridSlot* g = SlotRec(slot);
  if (plat::WinSystem* ws = UiWs(); g && ws) ws->Show(g->window, plat::ShowCmd::kShow);
}

GeomSize GridClientSize(uint16_t slot) {
  const GridSlot* g = SlotRec(slot);
  plat::WinSystem* ws = UiWs();
  if (!g || !ws) return {};
  const plat::Rect r = ws->ClientRect(g->window);
  return {r.w, r.h};
}

uint16_t GridSlotOf(plat::Hwnd window) {
  if (!window) return kGridNone;
  for (uint16_t s = 0; s < kGridSlotCount; ++s)
    if (Ui().grids[s].window == window) return s;
  return kGridNone;
}

}  // namespace eng
