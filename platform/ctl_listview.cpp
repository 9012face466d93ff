#include "platform/ctl_listview.h"

#include <algorithm>

#include "platform/cell_color.h"
#include "platform/compositor.h"
#include "platform/ctl_list.h"
#include "platform/win_core.h"
#include "platform/win_keys.h"
#include "platform/win_layout.h"

namespace plat {

namespace {

Window* Lv(WinSystem& ws, Hwnd h) {
  return ws.RecOf(h, WinKind::kListView);
}
const Window* Lv(const WinSystem& ws, Hwnd h) {
  return ws.RecOf(h, WinKind::kListView);
}

struct Colors {
  uint8_t fg = kColorDefault;
  uint8_t bg = kColorDefault;
};

// The rows' colours. The usual black on white leaves the terminal's own
// colours; anything else is drawn in the nearest palette colours, both of
// them, so that text never lands on a background it was not chosen for. Two
// different colours that come out the same keep the text readable.
Colors RowColors(const ListState& l) {
  if (l.text_color == 0x000000 && l.back_color == 0xFFFFFF) return {};
  Colors c{NearestCellColor(l.text_color), NearestCellColor(l.back_color)};
  if (c.fg == c.bg && c.fg != kColorDefault && (l.text_color & 0xFFFFFF) != (l.back_color & 0xFFFFFF)) {
    const uint32_t b = CellColorBgr(c.bg);
    const int light = 3 * (b & 0xFF) + 6 * ((b >> 8) & 0xFF) + ((b >> 16) & 0xFF);  // tenfold luminance
    c.fg = light >= 1280 ? kColorBlack : kColorWhite;
  }
  return c;
}

// A column's cells counted from the control's left cell: the first is the
// cell its left pixel falls in, the span reaches the cell its right edge
// falls in (at least one).
struct ColumnSpan {
  int first = 0;
  int span = 0;
};
ColumnSpan SpanOf(int x, int width, int cw) { return {x / cw, std::max(1, (x + width) / cw - x / cw)}; }
// Cells of the span that hold text: with grid lines the last one holds "|".
int TextCols(const Window& w, int span) { return (w.style & kLvsGridLines) ? std::max(0, span - 1) : span; }

// Rows of data shown below the heading.
int RowsShown(const WinSystem& ws, Hwnd h) { return std::max(1, WindowCells(ws, h).rows - 1); }

int64_t Notify(WinSystem& ws, Hwnd h, int code, int64_t extra) {
  const Window* w = ws.Rec(h);
  if (!w) return 0;
  return ws.Send(w->parent, kWmNotify, MakeCommandW(w->id, code), extra);
}

}  // namespace

int64_t ListViewProc(WinSystem& ws, Hwnd h, uint32_t msg, uint64_t wp, int64_t lp) {
  Window* w = ws.Rec(h);
  if (!w) return 0;
  switch (msg) {
    case kWmSetFocus:
      Notify(ws, h, kLvSetFocus, 0);
      return 0;
    case kWmKeyDown: {
      const uint8_t vk = static_cast<uint8_t>(wp);
      if (Notify(ws, h, kLvKeyDown, vk) != 0) return 0;
      w = Lv(ws, h);
      if (!w) return 0;
      if (vk == kVkReturn) {
        Notify(ws, h, kLvReturn, w->list.sel);
        return 0;
      }
      ListMoveByKey(w->list, vk, RowsShown(ws, h));
      return 0;
    }
    case kWmLButtonDown:
    case kWmRButtonDown:
    case kWmLButtonDblClk: {
      if (msg != kWmLButtonDblClk) ws.SetFocus(h);
      w = Lv(ws, h);
      if (!w) return 0;
      const LvHit hit = LvHitTest(ws, h, PointFromL(lp));
      if (hit.row >= 0 && msg != kWmLButtonDblClk) {
        w->list.sel = w->list.caret = hit.row;
      }
      const int code = msg == kWmLButtonDown ? kLvClick : msg == kWmRButtonDown ? kLvRightClick : kLvDblClick;
      Notify(ws, h, code, hit.row);
      return 0;
    }
    default:
      return WinSystem::DefProc(ws, h, msg, wp, lp);
  }
}

void PaintListView(const WinSystem& ws, Hwnd h, CellGrid& grid, const CellRect& cells, const CellRect& clip) {
  const Window* w = Lv(ws, h);
  if (!w) return;
  const CellRect inner = Intersect(clip, cells);
  const uint8_t base = w->enabled ? static_cast<uint8_t>(kAttrNormal) : static_cast<uint8_t>(kAttrDim);
  const Colors colors = RowColors(w->list);
  grid.Fill(cells, ' ', base, inner, colors.fg, colors.bg);
  const int cw = std::max(1, ws.metrics().cell_w);
  const bool lines = (w->style & kLvsGridLines) != 0;
  auto draw_row = [&](int screen_row, const std::vector<std::string>* texts, bool heading, uint8_t attr,
                      Colors look) {
    grid.Fill({cells.col, screen_row, cells.cols, 1}, ' ', attr, inner, look.fg, look.bg);
    int x = 0;
    for (size_t c = 0; c < w->list.columns.size(); ++c) {
      const ListColumn& col = w->list.columns[c];
      const ColumnSpan s = SpanOf(x, col.width, cw);
      const int first = cells.col + s.first;
      const int span = s.span;
      x += col.width;
      const int text_cols = TextCols(*w, span);
      const CellRect cell_clip = Intersect(inner, {first, screen_row, text_cols, 1});
      std::string text = heading ? col.heading : (c < texts->size() ? (*texts)[c] : std::string());
      int at = first;
      if (col.right && !heading && static_cast<int>(text.size()) < text_cols)
        at = first + text_cols - static_cast<int>(text.size());
      grid.Text(at, screen_row, text, attr, cell_clip, look.fg, look.bg);
      if (lines) grid.Put(first + span - 1, screen_row, '|', attr, inner, look.fg, look.bg);
    }
  };
  // The heading and the selected row keep the terminal's highlight.
  draw_row(cells.row, nullptr, true, kAttrReverse, Colors{});
  for (int r = 0; r < cells.rows - 1; ++r) {
    const int i = w->list.top + r;
    if (i >= static_cast<int>(w->list.rows.size())) break;
    const bool sel = i == w->list.sel;
    draw_row(cells.row + 1 + r, &w->list.rows[static_cast<size_t>(i)], false,
             sel ? static_cast<uint8_t>(kAttrReverse) : base, sel ? Colors{} : colors);
  }
}

Hwnd CreateListView(WinSystem& ws, Hwnd parent, int id, Rect r, uint32_t style) {
  CreateParams p = ChildParams(WinKind::kListView, parent, id, r, style | kWsVisible | kWsTabStop);
  return ws.Create(p);
}

int LvInsertColumn(WinSystem& ws, Hwnd h, int index, std::string_view heading, int width_px, bool right) {
  Window* w = Lv(ws, h);
  if (!w || index < 0 || width_px < 0) return -1;
  auto& cols = w->list.columns;
  index = std::min(index, static_cast<int>(cols.size()));
  cols.insert(cols.begin() + index, ListColumn{std::string(heading), width_px, right});
  for (auto& row : w->list.rows)
    if (static_cast<int>(row.size()) > index) row.insert(row.begin() + index, std::string());
  return index;
}

int LvColumnCount(const WinSystem& ws, Hwnd h) {
  const Window* w = Lv(ws, h);
  return w ? static_cast<int>(w->list.columns.size()) : 0;
}

int LvColumnWidth(const WinSystem& ws, Hwnd h, int col) {
  const Window* w = Lv(ws, h);
  if (!w || col < 0 || col >= static_cast<int>(w->list.columns.size())) return -1;
  return w->list.columns[static_cast<size_t>(col)].width;
}

int LvAddRow(WinSystem& ws, Hwnd h) {
  Window* w = Lv(ws, h);
  if (!w) return -1;
  w->list.rows.emplace_back();
  return static_cast<int>(w->list.rows.size()) - 1;
}

int LvRowCount(const WinSystem& ws, Hwnd h) {
  const Window* w = Lv(ws, h);
  return w ? static_cast<int>(w->list.rows.size()) : 0;
}

void LvDeleteAll(WinSystem& ws, Hwnd h) {
  if (Window* w = Lv(ws, h)) {
    w->list.rows.clear();
    w->list.sel = -1;
    w->list.caret = w->list.top = 0;
  }
}

bool LvSetCell(WinSystem& ws, Hwnd h, int row, int col, std::string_view text) {
  Window* w = Lv(ws, h);
  if (!w || row < 0 || row >= static_cast<int>(w->list.rows.size()) || col < 0 ||
      col >= static_cast<int>(w->list.columns.size()))
    return false;
  auto& cells = w->list.rows[static_cast<size_t>(row)];
  if (static_cast<int>(cells.size()) <= col) cells.resize(static_cast<size_t>(col) + 1);
  cells[static_cast<size_t>(col)] = std::string(text);
  return true;
}

std::string LvCell(const WinSystem& ws, Hwnd h, int row, int col) {
  const Window* w = Lv(ws, h);
  if (!w || row < 0 || row >= static_cast<int>(w->list.rows.size()) || col < 0) return {};
  const auto& cells = w->list.rows[static_cast<size_t>(row)];
  return col < static_cast<int>(cells.size()) ? cells[static_cast<size_t>(col)] : std::string();
}

int LvGetSel(const WinSystem& ws, Hwnd h) {
  const Window* w = Lv(ws, h);
  return w ? w->list.sel : -1;
}

bool LvSetSel(WinSystem& ws, Hwnd h, int row) {
  Window* w = Lv(ws, h);
  return w && ListSelectRow(w->list, row, RowsShown(ws, h));
}

int LvFocused(const WinSystem& ws, Hwnd h) {
  const Window* w = Lv(ws, h);
  return w ? w->list.caret : 0;
}

void LvSetColors(WinSystem& ws, Hwnd h, uint32_t text, uint32_t back) {
  if (Window* w = Lv(ws, h)) {
    w->list.text_color = text;
    w->list.back_color = back;
  }
}

Rect LvRowRect(const WinSystem& ws, Hwnd h, int row) {
  const Window* w = Lv(ws, h);
  if (!w || row < 0 || row >= static_cast<int>(w->list.rows.size())) return {};
  const int ch = ws.metrics().cell_h;
  int width = 0;
  for (const auto& c : w->list.columns) width += c.width;
  return {0, (row - w->list.top + 1) * ch, width, ch};
}

Rect LvCellRect(const WinSystem& ws, Hwnd h, int row, int col) {
  const Window* w = Lv(ws, h);
  Rect r = LvRowRect(ws, h, row);
  if (!w || r.w == 0 || col < 0 || col >= static_cast<int>(w->list.columns.size())) return {};
  int x = 0;
  for (int c = 0; c < col; ++c) x += w->list.columns[static_cast<size_t>(c)].width;
  return {x, r.y, w->list.columns[static_cast<size_t>(col)].width, r.h};
}

LvTextCells LvColumnTextCells(const WinSystem& ws, Hwnd h, int col) {
  const Window* w = Lv(ws, h);
  if (!w || col < 0 || col >= static_cast<int>(w->list.columns.size())) return {};
  int x = 0;
  for (int c = 0; c < col; ++c) x += w->list.columns[static_cast<size_t>(c)].width;
  const ColumnSpan s = SpanOf(x, w->list.columns[static_cast<size_t>(col)].width, std::max(1, ws.metrics().cell_w));
  return {s.first, TextCols(*w, s.span)};
}

LvHit LvHitTest(const WinSystem& ws, Hwnd h, Point p) {
  LvHit hit;
  const Window* w = Lv(ws, h);
  if (!w || p.x < 0 || p.y < 0) return hit;
  const int ch = std::max(1, ws.metrics().cell_h);
  const int line = p.y / ch;
  if (line == 0) return hit;  // the heading
  const int row = w->list.top + line - 1;
  if (row >= static_cast<int>(w->list.rows.size())) return hit;
  int x = 0;
  for (size_t c = 0; c < w->list.columns.size(); ++c) {
    x += w->list.columns[c].width;
    if (p.x < x) {
      hit.row = row;
      hit.col = static_cast<int>(c);
      return hit;
    }
  }
  hit.row = row;  // right of the last column: the row, no cell
  return hit;
}

int LvScroll(WinSystem& ws, Hwnd h, int dy_px) {
  Window* w = Lv(ws, h);
  if (!w) return 0;
  const int ch = std::max(1, ws.metrics().cell_h);
  const int last_top = std::max(0, static_cast<int>(w->list.rows.size()) - RowsShown(ws, h));
  w->list.top = std::clamp(w->list.top + dy_px / ch, 0, last_top);
  return w->list.top;
}

int LvTopRow(const WinSystem& ws, Hwnd h) {
  const Window* w = Lv(ws, h);
  return w ? w->list.top : 0;
}

}  // namespace plat
