#include "platform/ctl_edit.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/compositor.h"
#include "platform/win_core.h"
#include "platform/win_keys.h"
#include "platform/win_layout.h"

namespace plat {

namespace {

size_t SelLo(const EditState& e) { return std::min(e.caret, e.anchor); }
size_t SelHi(const EditState& e) { return std::max(e.caret, e.anchor); }

int VisibleCols(const WinSystem& ws, Hwnd h) { return std::max(1, WindowCells(ws, h).cols); }
int VisibleRows(const WinSystem& ws, Hwnd h) { return std::max(1, WindowCells(ws, h).rows); }

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      size_t end = (i > start && text[i - 1] == '\r') ? i - 1 : i;
      lines.push_back(text.substr(start, end - start));
      start = i + 1;
    }
  }
  lines.push_back(text.substr(start));
  return lines;
}

// Keeps the caret inside the visible columns and the view no further right
// than the text needs. A text that fits the control is never scrolled: a
// caret past its end is drawn on the last cell (PaintEdit clamps it), so a
// field filled to its length shows every character.
void KeepCaretVisible(WinSystem& ws, Hwnd h) {
  Window* w = ws.Rec(h);
  if (!w) return;
  EditState& e = w->edit;
  const size_t width = static_cast<size_t>(VisibleCols(ws, h));
  const size_t len = w->text.size();
  if (len <= width) {
    e.scroll = 0;
    return;
  }
  size_t max_scroll = len + 1 - width;
  e.scroll = std::min(e.scroll, max_scroll);
  if (e.caret < e.scroll) e.scroll = e.caret;
  if (e.caret >= e.scroll + width) e.scroll = e.caret - width + 1;
}

// The column (from the control's left cell) where text offset 0 is drawn.
int TextOrigin(const Window& w, int width) {
  int len = static_cast<int>(w.text.size());
  if ((w.style & kEsRight) && len < width) return width - len;
  return -static_cast<int>(w.edit.scroll);
}

void ReplaceSelection(WinSystem& ws, Hwnd h, std::string_view with) {
  Window* w = ws.Rec(h);
  EditState& e = w->edit;
  size_t lo = SelLo(e), hi = SelHi(e);
  w->text.replace(lo, hi - lo, with.data(), with.size());
  e.caret = e.anchor = lo + with.size();
  KeepCaretVisible(ws, h);
}

void TypeChar(WinSystem& ws, Hwnd h, uint8_t ch) {
  Window* w = ws.Rec(h);
  if (w->style & kEsReadOnly) return;
  if (ch == 8) {
    EditState& e = w->edit;
    if (e.caret == e.anchor) {
      if (e.caret == 0) return;
      e.anchor = e.caret - 1;
    }
    ReplaceSelection(ws, h, {});
    return;
  }
  if (ch < 32 || ch == 127) return;
  if ((w->style & kEsNumber) && (ch < '0' || ch > '9')) return;
  size_t sel = SelHi(w->edit) - SelLo(w->edit);
  if (w->text.size() - sel + 1 > w->edit.limit) return;
  char c = static_cast<char>(ch);
  ReplaceSelection(ws, h, std::string_view(&c, 1));
}

void MoveCaret(WinSystem& ws, Hwnd h, size_t to, bool extend) {
  Window* w = ws.Rec(h);
  w->edit.caret = std::min(to, w->text.size());
  if (!extend) w->edit.anchor = w->edit.caret;
  KeepCaretVisible(ws, h);
}

int64_t SingleLineKey(WinSystem& ws, Hwnd h, uint8_t vk, uint8_t mods) {
  Window* w = ws.Rec(h);
  EditState& e = w->edit;
  const bool shift = (mods & kModShift) != 0;
  switch (vk) {
    case kVkLeft: MoveCaret(ws, h, e.caret == 0 ? 0 : e.caret - 1, shift); return 0;
    case kVkRight: MoveCaret(ws, h, e.caret + 1, shift); return 0;
    case kVkHome: MoveCaret(ws, h, 0, shift); return 0;
    case kVkEnd: MoveCaret(ws, h, w->text.size(), shift); return 0;
    case kVkDelete:
      if (w->style & kEsReadOnly) return 0;
      if (e.caret == e.anchor) {
        if (e.caret >= w->text.size()) return 0;
        e.anchor = e.caret + 1;
      }
      ReplaceSelection(ws, h, {});
      return 0;
    default: return 0;
  }
}

void ScrollLines(WinSystem& ws, Hwnd h, long cols, long lines) {
  Window* w = ws.Rec(h);
  EditState& e = w->edit;
  auto all = SplitLines(w->text);
  long rows = VisibleRows(ws, h);
  long max_top = std::max(0L, static_cast<long>(all.size()) - rows);
  size_t widest = 0;
  for (auto l : all) widest = std::max(widest, l.size());
  long max_col = std::max(0L, static_cast<long>(widest) - VisibleCols(ws, h));
  e.top_line = static_cast<size_t>(std::clamp(static_cast<long>(e.top_line) + lines, 0L, max_top));
  e.scroll = static_cast<size_t>(std::clamp(static_cast<long>(e.scroll) + cols, 0L, max_col));
}

int64_t MultiLineKey(WinSystem& ws, Hwnd h, uint8_t vk) {
  const long page = VisibleRows(ws, h);
  switch (vk) {
    case kVkUp: ScrollLines(ws, h, 0, -1); break;
    case kVkDown: ScrollLines(ws, h, 0, 1); break;
    case kVkPrior: ScrollLines(ws, h, 0, -page); break;
    case kVkNext: ScrollLines(ws, h, 0, page); break;
    case kVkHome: ScrollLines(ws, h, -1000000, -1000000); break;
    case kVkEnd: ScrollLines(ws, h, 0, 1000000); break;
    case kVkLeft: ScrollLines(ws, h, -1, 0); break;
    case kVkRight: ScrollLines(ws, h, 1, 0); break;
    default: break;
  }
  return 0;
}

}  // namespace

int64_t EditProc(WinSystem& ws, Hwnd h, uint32_t msg, uint64_t wp, int64_t lp) {
  Window* w = ws.Rec(h);
  if (!w) return 0;
  const bool multi = (w->style & kEsMultiline) != 0;
  switch (msg) {
    case kWmSetText:
      w->edit.caret = w->edit.anchor = w->edit.scroll = w->edit.top_line = 0;
      return 0;
    case kWmKeyDown:
      return multi ? MultiLineKey(ws, h, static_cast<uint8_t>(wp))
                   : SingleLineKey(ws, h, static_cast<uint8_t>(wp), KeyMods(lp));
    case kWmChar:
      if (!multi) TypeChar(ws, h, static_cast<uint8_t>(wp));
      return 0;
    case kWmLButtonDown: {
      ws.SetFocus(h);
      w = ws.Rec(h);
      if (!w || multi || ws.Focus() != h) return 0;
      int width = VisibleCols(ws, h);
      int col = PointFromL(lp).x / ws.metrics().cell_w - TextOrigin(*w, width);
      MoveCaret(ws, h, static_cast<size_t>(std::max(0, col)), false);
      return 0;
    }
    case kEmSetSel: {
      const size_t len = w->text.size();
      int64_t start = static_cast<int64_t>(wp), end = lp;
      if (start < 0) {
        w->edit.anchor = w->edit.caret;
      } else {
        w->edit.anchor = std::min(static_cast<size_t>(start), len);
        w->edit.caret = end < 0 ? len : std::min(static_cast<size_t>(end), len);
      }
      if (!multi) KeepCaretVisible(ws, h);
      return 0;
    }
    case kEmGetSel:
      return static_cast<int64_t>(SelLo(w->edit) | (SelHi(w->edit) << 16));
    case kEmLimitText:
      w->edit.limit = wp == 0 ? kEditDefaultLimit : static_cast<size_t>(wp);
      return 0;
    case kEmSetReadOnly:
      if (wp) w->style |= kEsReadOnly;
      else w->style &= ~static_cast<uint32_t>(kEsReadOnly);
      return 1;
    case kEmGetLineCount:
      return static_cast<int64_t>(SplitLines(w->text).size());
    case kEmLineScroll:
      if (multi) ScrollLines(ws, h, static_cast<long>(static_cast<int64_t>(wp)), static_cast<long>(lp));
      return 1;
    case kWmVScroll:
    case kWmHScroll:
      if (multi) {
        long step = wp == kSbLineUp ? -1 : wp == kSbLineDown ? 1 : wp == kSbPageUp ? -VisibleRows(ws, h)
                  : wp == kSbPageDown ? VisibleRows(ws, h) : 0;
        if (msg == kWmVScroll) ScrollLines(ws, h, 0, step);
        else ScrollLines(ws, h, step, 0);
      }
      return 0;
    default:
      return WinSystem::DefProc(ws, h, msg, wp, lp);
  }
}

void PaintEdit(const WinSystem& ws, Hwnd h, CellGrid& grid, const CellRect& cells, const CellRect& clip) {
  const Window* w = ws.Rec(h);
  if (!w) return;
  const uint8_t base = (!w->enabled) ? kAttrDim : kAttrNormal;
  grid.Fill(cells, ' ', base, clip);
  const bool focused = ws.Focus() == h;
  if (w->style & kEsMultiline) {
    auto lines = SplitLines(w->text);
    for (int r = 0; r < cells.rows; ++r) {
      size_t li = w->edit.top_line + static_cast<size_t>(r);
      if (li >= lines.size()) break;
      std::string_view line = lines[li];
      if (w->edit.scroll < line.size()) grid.Text(cells.col, cells.row + r, line.substr(w->edit.scroll), base, clip);
    }
    return;
  }
  const int width = cells.cols;
  const int origin = TextOrigin(*w, width);
  const size_t lo = SelLo(w->edit), hi = SelHi(w->edit);
  for (size_t i = 0; i < w->text.size(); ++i) {
    int col = origin + static_cast<int>(i);
    if (col < 0 || col >= width) continue;
    uint8_t ch = (w->style & kEsPassword) ? '*' : static_cast<uint8_t>(w->text[i]);
    uint8_t attr = (focused && i >= lo && i < hi) ? static_cast<uint8_t>(kAttrReverse) : base;
    grid.Put(cells.col + col, cells.row, ch, attr, clip);
  }
  if (focused) {
    int col = cells.col + std::clamp(origin + static_cast<int>(w->edit.caret), 0, std::max(0, width - 1));
    if (clip.Contains(col, cells.row)) {
      grid.caret_shown = true;
      grid.caret_col = col;
      grid.caret_row = cells.row;
    }
  }
}

bool EditCaretPoint(const WinSystem& ws, Point& p) {
  const Window* w = ws.Rec(ws.Focus());
  if (!w || w->kind != WinKind::kEdit) return false;
  CellRect cells = WindowCells(ws, ws.Focus());
  int col = cells.col;
  if (!(w->style & kEsMultiline))
    col += std::clamp(TextOrigin(*w, cells.cols) + static_cast<int>(w->edit.caret), 0, std::max(0, cells.cols - 1));
  p = {col * ws.metrics().cell_w, cells.row * ws.metrics().cell_h};
  return true;
}

Hwnd CreateEdit(WinSystem& ws, Hwnd parent, int id, Rect r, uint32_t style, std::string_view text) {
  CreateParams p = ChildParams(WinKind::kEdit, parent, id, r, style | kWsVisible | kWsTabStop);
  p.text = text;
  return ws.Create(p);
}

}  // namespace plat
