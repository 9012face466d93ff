#include "platform/ctl_static.h"

#include <string_view>
#include <vector>

#include "platform/cell_color.h"
#include "platform/compositor.h"
#include "platform/win_core.h"

namespace plat {

namespace {

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> out;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      size_t end = (i > start && text[i - 1] == '\r') ? i - 1 : i;
      out.push_back(text.substr(start, end - start));
      start = i + 1;
    }
  }
  if (start < text.size() || out.empty()) out.push_back(text.substr(start));
  return out;
}

}  // namespace

int64_t StaticProc(WinSystem& ws, Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
  return WinSystem::DefProc(ws, h, msg, w, l);
}

void PaintStatic(const WinSystem& ws, Hwnd h, CellGrid& grid, const CellRect& cells, const CellRect& clip) {
  const Window* w = ws.Rec(h);
  if (!w) return;
  const bool banner = (w->style & kSsBanner) != 0;
  const uint8_t attr = banner || w->pushed ? kAttrReverse : (w->enabled ? kAttrNormal : kAttrDim);
  // A banner is white on the grey panel.
  const uint8_t fg = banner ? kColorWhite : kColorDefault;
  const uint8_t bg = banner ? NearestCellColor(0x808080) : kColorDefault;
  grid.Fill(cells, ' ', attr, clip, fg, bg);
  auto lines = Lines(w->text);
  int top = cells.row;
  if (banner && static_cast<int>(lines.size()) < cells.rows) top += (cells.rows - static_cast<int>(lines.size())) / 2;
  for (size_t i = 0; i < lines.size(); ++i) {
    int row = top + static_cast<int>(i);
    if (row >= cells.row + cells.rows) break;
    int len = static_cast<int>(lines[i].size());
    int col = cells.col;
    if (w->style & kSsRight) col = cells.col + cells.cols - len;
    else if (banner || (w->style & kSsCenter)) col = cells.col + (cells.cols - len) / 2;
    // A text longer than the control shows its beginning.
    if (col < cells.col) col = cells.col;
    grid.Text(col, row, lines[i], attr, Intersect(clip, cells), fg, bg);
  }
}

Hwnd CreateStatic(WinSystem& ws, Hwnd parent, int id, Rect r, std::string_view text, uint32_t style) {
  CreateParams p = ChildParams(WinKind::kStatic, parent, id, r, style | kWsVisible);
  p.text = text;
  return ws.Create(p);
}

}  // namespace plat
