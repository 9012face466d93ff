#include "ui/geom.h"

#include <algorithm>

#include "ui/fonts.h"
#include "ui/ui_state.h"

namespace eng {

namespace {

ScreenGrid& InForce() {
  UiState& u = Ui();
  return u.override_grid.columns != 0 ? u.override_grid : u.base_grid;
}

uint16_t U16(int v) { return static_cast<uint16_t>(v); }

int WorkHeight() {
  plat::WinSystem* ws = UiWs();
  return ws ? ws->WorkArea().h : plat::Metrics{}.work_h();
}

}  // namespace

ScreenGrid WinGridGet() { return InForce(); }
ScreenGrid WinGridBase() { return Ui().base_grid; }
ScreenGrid WinGridOverride() { return Ui().override_grid; }

ScreenGrid WinGridSetSize(int columns, int rows, bool base) {
  UiState& u = Ui();
  if (base) {
    u.base_grid.columns = U16(columns);
    u.base_grid.rows = U16(rows);
    return InForce();
  }
  ScreenGrid& o = u.override_grid;
  if (o.left == 0 && o.top == 0 && o.spacing == 0) o = u.base_grid;
  if (columns != -1) {
    o.columns = U16(columns);
    if (columns == 0) o.left = 0;
  }
  if (rows != -1) {
    o.rows = U16(rows);
    if (rows == 0) o.top = o.bottom = o.spacing = 0;
  }
  return InForce();
}

void WinGridSetMargins(int left, int top, int bottom, int spacing) {
  ScreenGrid& g = InForce();
  if (left != -1) g.left = U16(left);
  if (top != -1) g.top = U16(top);
  if (bottom != -1) g.bottom = U16(bottom);
  if (spacing != -1) g.spacing = U16(spacing);
}

int GeomRowHeight(int n, int spacing, int cell_h) {
  // Rounded half away from zero, in integers.
  int64_t v = int64_t(2) * n * cell_h * (100 + spacing);
  int64_t r = v >= 0 ? (v + 100) / 200 : -((-v + 100) / 200);
  return static_cast<int>(r);
}

int GeomColToX(int column) {
  const ScreenGrid g = InForce();
  const int cw = FontCellSize().w;
  if (column == -1) return g.columns * cw + 1;
  return (column + g.left - 1) * cw + 1;
}

int GeomRowToY(int row) {
  const ScreenGrid g = InForce();
  const int ch = FontCellSize().h;
  if (row == -1) return GeomRowHeight(g.rows, g.spacing, ch) + 1;
  return GeomRowHeight(row + g.top - 1, g.spacing, ch) + 1;
}

int GeomColFromRight(int n) {
  const ScreenGrid g = InForce();
  return GeomColToX(g.columns - std::min<int>(n, g.columns));
}

int GeomRowToYFromBottom(int n) {
  const ScreenGrid g = InForce();
  return GeomRowToY(g.rows + g.bottom - n);
}

int GeomColsToWidth(int n) {
  const ScreenGrid g = InForce();
  const int cw = FontCellSize().w;
  if (n == -1) return (g.columns + g.left) * cw;
  return n * cw;
}

int GeomRowsToHeight(int n) {
  const ScreenGrid g = InForce();
  const int ch = FontCellSize().h;
  if (n == -1) return GeomRowHeight(g.rows + g.top + g.bottom, g.spacing, ch);
  return GeomRowHeight(n, g.spacing, ch);
}

GeomSize GeomGridSize(int columns, int rows) {
  const ScreenGrid g = InForce();
  const GeomSize cell = FontCellSize();
  if (columns == -1) columns = g.columns;
  if (rows == -1) rows = g.rows;
  GeomSize s;
  s.w = columns == 0 ? 0 : (columns + g.left) * cell.w;
  s.h = rows == 0 ? 0 : GeomRowHeight(rows + g.top + g.bottom, g.spacing, cell.h);
  return s;
}

void GeomGridForChoices(int width, int count, int cell_h) {
  WinGridSetMargins(0, 0, 0, 0);
  const int w = std::max(width, 12);
  int columns = w + w / 4;
  int rows = 3 * count;
  const int area = WorkHeight();
  // The y of row "rows" with the given cell height, margins cleared above.
  const int spacing = InForce().spacing;
  while (rows > 1 && GeomRowHeight(rows - 1, spacing, cell_h) + 1 > area) {
    columns *= 2;
    rows /= 2;
  }
  WinGridSetSize(columns, rows, false);
}

int CtlFieldWidth(int length) {
  const int cw = FontCellSize().w;
  int k = length / 10 + (length % 10 > 5 ? 1 : 0);
  return length * cw - (k - 1) * (cw / 2);
}

int CtlEditWidth(int length) { return length * FontCellSize().w; }

}  // namespace eng
