#include "platform/compositor.h"

#include <algorithm>

#include "platform/ctl_button.h"
#include "platform/ctl_combo.h"
#include "platform/ctl_edit.h"
#include "platform/ctl_list.h"
#include "platform/ctl_listview.h"
#include "platform/ctl_progress.h"
#include "platform/ctl_menu.h"
#include "platform/ctl_static.h"
#include "platform/win_core.h"

namespace plat {

CellGrid::CellGrid(int cols, int rows)
    : cols_(std::max(0, cols)), rows_(std::max(0, rows)), cells_(static_cast<size_t>(cols_) * rows_) {}

void CellGrid::Put(int col, int row, uint8_t ch, uint8_t attr, const CellRect& clip, uint8_t fg, uint8_t bg) {
  if (!clip.Contains(col, row) || !bounds().Contains(col, row)) return;
  cells_[static_cast<size_t>(row) * cols_ + col] = Cell{ch, attr, fg, bg};
}

void CellGrid::Text(int col, int row, std::string_view text, uint8_t attr, const CellRect& clip, uint8_t fg,
                    uint8_t bg) {
  for (size_t i = 0; i < text.size(); ++i)
    Put(col + static_cast<int>(i), row, static_cast<uint8_t>(text[i]), attr, clip, fg, bg);
}

void CellGrid::Fill(const CellRect& r, uint8_t ch, uint8_t attr, const CellRect& clip, uint8_t fg, uint8_t bg) {
  CellRect a = Intersect(Intersect(r, clip), bounds());
  for (int y = a.row; y < a.row + a.rows; ++y)
    for (int x = a.col; x < a.col + a.cols; ++x) cells_[static_cast<size_t>(y) * cols_ + x] = Cell{ch, attr, fg, bg};
}

std::string CellGrid::Row(int row) const {
  std::string s;
  if (row < 0 || row >= rows_) return s;
  for (int x = 0; x < cols_; ++x) s += static_cast<char>(at(x, row).ch);
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

std::string CellGrid::Snapshot() const {
  std::string out;
  for (int y = 0; y < rows_; ++y) {
    out += Row(y);
    out += '\n';
  }
  return out;
}

std::string CellGrid::AttrSnapshot() const {
  std::string out;
  for (int y = 0; y < rows_; ++y) {
    std::string line;
    for (int x = 0; x < cols_; ++x) {
      uint8_t a = at(x, y).attr;
      line += (a & kAttrReverse) ? 'r' : (a & kAttrBold) ? 'b' : (a & kAttrDim) ? 'd' : ' ';
    }
    line.erase(line.find_last_not_of(' ') + 1);
    out += line + '\n';
  }
  return out;
}

std::string CellGrid::ColorSnapshot(bool back) const {
  std::string out;
  for (int y = 0; y < rows_; ++y) {
    std::string line;
    for (int x = 0; x < cols_; ++x) line += CellColorCode(back ? at(x, y).bg : at(x, y).fg);
    line.erase(line.find_last_not_of(' ') + 1);
    out += line + '\n';
  }
  return out;
}

void PaintControl(const WinSystem& ws, Hwnd h, CellGrid& grid, const CellRect& cells, const CellRect& clip) {
  const Window* w = ws.Rec(h);
  if (!w) return;
  switch (w->kind) {
    case WinKind::kEdit: PaintEdit(ws, h, grid, cells, clip); break;
    case WinKind::kButton:
    case WinKind::kCheckBox:
    case WinKind::kBitmapButton:
    case WinKind::kOwnerDrawButton: PaintButton(ws, h, grid, cells, clip); break;
    case WinKind::kStatic: PaintStatic(ws, h, grid, cells, clip); break;
    case WinKind::kListBox: PaintListBox(ws, h, grid, cells, clip); break;
    case WinKind::kComboBox: PaintCombo(ws, h, grid, cells, clip); break;
    case WinKind::kListView: PaintListView(ws, h, grid, cells, clip); break;
    case WinKind::kProgress: PaintProgress(ws, h, grid, cells, clip); break;
    case WinKind::kTop: break;
  }
}

namespace {

void PaintChildren(const WinSystem& ws, Hwnd parent, CellGrid& grid, const CellRect& clip) {
  for (Hwnd c : ws.Children(parent)) {
    const Window* w = ws.Rec(c);
    if (!w || !w->visible) continue;
    CellRect cells = WindowCells(ws, c);
    PaintControl(ws, c, grid, cells, clip);
    PaintChildren(ws, c, grid, Intersect(clip, cells));
  }
}

void PaintBar(const WinSystem& ws, const ScrollInfo& s, bool vert, const CellRect& bar, CellGrid& grid,
              const CellRect& clip) {
  int len = vert ? bar.rows : bar.cols;
  int thumb = ScrollThumbCell(s, len);
  for (int i = 0; i < len; ++i) {
    uint8_t ch = ':';
    if (i == 0) ch = vert ? '^' : '<';
    else if (i == len - 1) ch = vert ? 'v' : '>';
    else if (i == thumb) ch = '#';
    CellRect cell = vert ? CellRect{bar.col, bar.row + i, bar.cols, 1} : CellRect{bar.col + i, bar.row, 1, bar.rows};
    grid.Fill(cell, ch, kAttrNormal, clip);
  }
  (void)ws;
}

void PaintTop(const WinSystem& ws, Hwnd h, CellGrid& grid) {
  const Window* w = ws.Rec(h);
  const CellRect screen = grid.bounds();
  CellRect outer = WindowCells(ws, h);
  grid.Fill(outer, ' ', kAttrNormal, screen);
  if (ws.FrameTop(h) > 0) {
    CellRect row{outer.col, outer.row, outer.cols, 1};
    grid.Fill(row, ' ', kAttrReverse, screen);
    if (w->menu) {
      PaintMenuBar(ws, w->menu, grid, row, Intersect(screen, row));
    } else {
      grid.Text(outer.col + 1, outer.row, w->text, kAttrReverse,
                Intersect(screen, {row.col, row.row, row.cols - ((w->style & kWsSysMenu) ? 2 : 0), 1}));
    }
    if (w->style & kWsSysMenu) grid.Put(outer.col + outer.cols - 1, outer.row, 'x', kAttrReverse, screen);
  }
  CellRect client = ClientCells(ws, h);
  CellRect clip = Intersect(screen, client);
  for (size_t i = 0; i < w->lines.size(); ++i) {
    int row = client.row + static_cast<int>(i);
    uint8_t attr = static_cast<int>(i) == w->hot_line ? kAttrReverse : kAttrNormal;
    grid.Fill({client.col, row, client.cols, 1}, ' ', attr, clip);
    grid.Text(client.col, row, w->lines[i], attr, clip);
  }
  PaintChildren(ws, h, grid, clip);
  if (w->vbar.shown) {
    CellRect bar{client.col + client.cols, client.row, VBarCols(ws), client.rows};
    PaintBar(ws, w->vbar, true, bar, grid, Intersect(screen, outer));
  }
  if (w->hbar.shown) {
    CellRect bar{client.col, client.row + client.rows, client.cols, HBarRows(ws)};
    PaintBar(ws, w->hbar, false, bar, grid, Intersect(screen, outer));
  }
}

}  // namespace

CellGrid Compose(const WinSystem& ws) {
  CellGrid grid(ws.metrics().cols, ws.metrics().rows);
  for (Hwnd top : ws.TopLevels()) {
    const Window* w = ws.Rec(top);
    if (w && w->visible) PaintTop(ws, top, grid);
  }
  // The caret shows only in the focused edit (the edit's painting records it);
  // a window drawn over it hides it.
  if (grid.caret_shown) {
    CellRect focus_cells = WindowCells(ws, ws.Focus());
    if (!ws.IsShown(ws.Focus()) || !focus_cells.Contains(grid.caret_col, grid.caret_row)) grid.caret_shown = false;
    Hwnd top = ws.TopLevelOf(ws.Focus());
    const auto& z = ws.TopLevels();
    auto it = std::find(z.begin(), z.end(), top);
    if (it != z.end()) {
      for (++it; it != z.end(); ++it) {
        const Window* above = ws.Rec(*it);
        if (above && above->visible && WindowCells(ws, *it).Contains(grid.caret_col, grid.caret_row))
          grid.caret_shown = false;
      }
    }
  }
  return grid;
}

}  // namespace plat
