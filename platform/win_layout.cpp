#include "platform/win_layout.h"

#include <algorithm>

#include "platform/win_core.h"

namespace plat {

CellRect Intersect(const CellRect& a, const CellRect& b) {
  int c0 = std::max(a.col, b.col), r0 = std::max(a.row, b.row);
  int c1 = std::min(a.col + a.cols, b.col + b.cols), r1 = std::min(a.row + a.rows, b.row + b.rows);
  if (c1 <= c0 || r1 <= r0) return {c0, r0, 0, 0};
  return {c0, r0, c1 - c0, r1 - r0};
}

int VBarCols(const WinSystem& ws) { return PxSpanCells(0, ws.metrics().scroll_bar, ws.metrics().cell_w); }
int HBarRows(const WinSystem& ws) { return PxSpanCells(0, ws.metrics().scroll_bar, ws.metrics().cell_h); }

CellRect WindowCells(const WinSystem& ws, Hwnd h) {
  const Window* w = ws.Rec(h);
  if (!w) return {};
  const int cw = ws.metrics().cell_w, ch = ws.metrics().cell_h;
  const Rect& r = w->rect;
  CellRect own{PxToCell(r.x, cw), PxToCell(r.y, ch), PxSpanCells(r.x, r.w, cw), PxSpanCells(r.y, r.h, ch)};
  if (w->parent == kNoWindow) return own;
  CellRect origin = ClientCells(ws, w->parent);
  own.col += origin.col;
  own.row += origin.row;
  return own;
}

CellRect ClientCells(const WinSystem& ws, Hwnd h) {
  const Window* w = ws.Rec(h);
  if (!w) return {};
  CellRect c = WindowCells(ws, h);
  if (w->kind != WinKind::kTop) return c;
  if (ws.FrameTop(h) > 0) {
    c.row += 1;
    c.rows -= 1;
  }
  if (w->vbar.shown) c.cols -= VBarCols(ws);
  if (w->hbar.shown) c.rows -= HBarRows(ws);
  c.cols = std::max(0, c.cols);
  c.rows = std::max(0, c.rows);
  return c;
}

int ScrollThumbCell(const ScrollInfo& s, int len) {
  int track = len - 2;
  if (track <= 0) return -1;
  long range = static_cast<long>(s.max) - s.min;
  if (range <= 0) return 1;
  return 1 + static_cast<int>((static_cast<long>(s.pos) - s.min) * (track - 1) / range);
}

int ScrollPosForThumbCell(const ScrollInfo& s, int len, int cell) {
  const int track = len - 2;
  if (track <= 1) return s.pos;
  const long range = static_cast<long>(s.max) - s.min;
  if (range <= 0) return s.min;
  const long k = std::clamp(cell, 1, track) - 1;
  // Inverse of ScrollThumbCell's floor: the first position that lands in cell k + 1.
  return s.min + static_cast<int>((k * range + track - 2) / (track - 1));
}

namespace {

Hwnd HitChild(const WinSystem& ws, Hwnd parent, int col, int row, CellRect clip) {
  const Window* p = ws.Rec(parent);
  if (!p) return kNoWindow;
  for (auto it = p->children.rbegin(); it != p->children.rend(); ++it) {
    const Window* c = ws.Rec(*it);
    if (!c || !c->visible || c->dying) continue;
    CellRect cells = Intersect(WindowCells(ws, *it), clip);
    if (!cells.Contains(col, row)) continue;
    Hwnd deeper = HitChild(ws, *it, col, row, cells);
    return deeper ? deeper : *it;
  }
  return kNoWindow;
}

}  // namespace

WinSystem::Hit WinSystem::HitTest(Point p) const {
  const int col = p.x >= 0 ? p.x / metrics_.cell_w : -1;
  const int row = p.y >= 0 ? p.y / metrics_.cell_h : -1;
  for (auto it = z_order_.rbegin(); it != z_order_.rend(); ++it) {
    const Window* w = Rec(*it);
    if (!w || !w->visible || w->dying) continue;
    CellRect outer = WindowCells(*this, *it);
    if (!outer.Contains(col, row)) continue;
    CellRect client = ClientCells(*this, *it);
    if (FrameTop(*it) > 0 && row == outer.row) {
      if ((w->style & kWsSysMenu) && col == outer.col + outer.cols - 1) return {*it, HitArea::kCloseBox};
      return {*it, w->menu ? HitArea::kMenuRow : HitArea::kCaption};
    }
    if (w->vbar.shown && col >= client.col + client.cols && row < client.row + client.rows)
      return {*it, HitArea::kVScroll};
    if (w->hbar.shown && row >= client.row + client.rows && col < client.col + client.cols)
      return {*it, HitArea::kHScroll};
    if (!client.Contains(col, row)) return {*it, HitArea::kNone};
    Hwnd c = HitChild(*this, *it, col, row, client);
    return {c ? c : *it, HitArea::kClient};
  }
  return {};
}

}  // namespace plat
