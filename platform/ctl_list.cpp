#include "platform/ctl_list.h"

#include <algorithm>

#include "platform/compositor.h"
#include "platform/win_core.h"
#include "platform/win_keys.h"
#include "platform/win_layout.h"

namespace plat {

namespace {

Window* ListRec(WinSystem& ws, Hwnd h) {
  Window* w = ws.Rec(h);
  return w && (w->kind == WinKind::kListBox || w->kind == WinKind::kComboBox) ? w : nullptr;
}
const Window* ListRec(const WinSystem& ws, Hwnd h) {
  const Window* w = ws.Rec(h);
  return w && (w->kind == WinKind::kListBox || w->kind == WinKind::kComboBox) ? w : nullptr;
}

int RowsShown(const WinSystem& ws, Hwnd h) { return std::max(1, WindowCells(ws, h).rows); }

void Notify(WinSystem& ws, Hwnd h, int code) {
  const Window* w = ws.Rec(h);
  if (!w || !(w->style & kLbsNotify)) return;
  ws.Send(w->parent, kWmCommand, MakeCommandW(w->id, code), static_cast<int64_t>(h));
}

}  // namespace

bool ListMoveByKey(ListState& list, uint8_t vk, int rows_shown) {
  const int n = static_cast<int>(list.rows.size());
  if (n == 0) return vk == kVkUp || vk == kVkDown || vk == kVkHome || vk == kVkEnd || vk == kVkPrior || vk == kVkNext;
  int c = list.sel >= 0 ? list.sel : -1;
  switch (vk) {
    case kVkUp: c = c < 0 ? 0 : c - 1; break;
    case kVkDown: c = c + 1; break;
    case kVkHome: c = 0; break;
    case kVkEnd: c = n - 1; break;
    case kVkPrior: c = c < 0 ? 0 : c - std::max(1, rows_shown - 1); break;
    case kVkNext: c = (c < 0 ? 0 : c) + std::max(1, rows_shown - 1); break;
    default: return false;
  }
  c = std::clamp(c, 0, n - 1);
  list.sel = list.caret = c;
  ListScrollToCaret(list, rows_shown);
  return true;
}

void ListScrollToCaret(ListState& list, int rows_shown) {
  const int n = static_cast<int>(list.rows.size());
  if (list.caret < list.top) list.top = list.caret;
  if (list.caret >= list.top + rows_shown) list.top = list.caret - rows_shown + 1;
  list.top = std::clamp(list.top, 0, std::max(0, n - 1));
}

bool ListSelectRow(ListState& list, int row, int rows_shown) {
  if (row < -1 || row >= static_cast<int>(list.rows.size())) return false;
  list.sel = row;
  if (row >= 0) {
    list.caret = row;
    ListScrollToCaret(list, rows_shown);
  }
  return true;
}

int64_t ListBoxProc(WinSystem& ws, Hwnd h, uint32_t msg, uint64_t wp, int64_t lp) {
  Window* w = ws.Rec(h);
  if (!w) return 0;
  switch (msg) {
    case kWmKeyDown: {
      if (w->style & kLbsWantKeys) {
        int64_t r = ws.Send(w->parent, kWmVKeyToItem, MakeCommandW(static_cast<int>(wp), w->list.caret),
                            static_cast<int64_t>(h));
        if (r == -2) return 0;
        w = ws.Rec(h);
        if (!w) return 0;
      }
      const int before = w->list.sel;
      if (ListMoveByKey(w->list, static_cast<uint8_t>(wp), RowsShown(ws, h)) && w->list.sel != before)
        Notify(ws, h, kCmdSelChange);
      return 0;
    }
    case kWmLButtonDown:
    case kWmLButtonDblClk: {
      if (msg == kWmLButtonDown) ws.SetFocus(h);
      w = ws.Rec(h);
      if (!w) return 0;
      const int row = w->list.top + PointFromL(lp).y / std::max(1, ws.metrics().cell_h);
      if (row < 0 || row >= static_cast<int>(w->list.rows.size())) return 0;
      if (msg == kWmLButtonDblClk) {
        Notify(ws, h, kCmdDblClick);
        return 0;
      }
      const bool changed = w->list.sel != row;
      w->list.sel = w->list.caret = row;
      if (changed) Notify(ws, h, kCmdSelChange);
      return 0;
    }
    default:
      return WinSystem::DefProc(ws, h, msg, wp, lp);
  }
}

void PaintListBox(const WinSystem& ws, Hwnd h, CellGrid& grid, const CellRect& cells, const CellRect& clip) {
  const Window* w = ws.Rec(h);
  if (!w) return;
  const uint8_t base = w->enabled ? static_cast<uint8_t>(kAttrNormal) : static_cast<uint8_t>(kAttrDim);
  grid.Fill(cells, ' ', base, clip);
  const CellRect inner = Intersect(clip, cells);
  for (int r = 0; r < cells.rows; ++r) {
    const int i = w->list.top + r;
    if (i >= static_cast<int>(w->list.rows.size())) break;
    const uint8_t attr = i == w->list.sel ? static_cast<uint8_t>(kAttrReverse) : base;
    const CellRect line{cells.col, cells.row + r, cells.cols, 1};
    grid.Fill(line, ' ', attr, inner);
    const auto& row = w->list.rows[static_cast<size_t>(i)];
    if (!row.empty()) grid.Text(cells.col, cells.row + r, row[0], attr, inner);
  }
}

Hwnd CreateListBox(WinSystem& ws, Hwnd parent, int id, Rect r, uint32_t style) {
  CreateParams p = ChildParams(WinKind::kListBox, parent, id, r, style | kWsVisible | kWsTabStop);
  return ws.Create(p);
}

int ListBoxAdd(WinSystem& ws, Hwnd h, std::string_view text) {
  Window* w = ListRec(ws, h);
  if (!w) return -1;
  w->list.rows.push_back({std::string(text)});
  return static_cast<int>(w->list.rows.size()) - 1;
}

void ListBoxClear(WinSystem& ws, Hwnd h) {
  if (Window* w = ListRec(ws, h)) {
    w->list.rows.clear();
    w->list.sel = -1;
    w->list.caret = w->list.top = 0;
  }
}

int ListBoxCount(const WinSystem& ws, Hwnd h) {
  const Window* w = ListRec(ws, h);
  return w ? static_cast<int>(w->list.rows.size()) : 0;
}

std::string ListBoxText(const WinSystem& ws, Hwnd h, int index) {
  const Window* w = ListRec(ws, h);
  if (!w || index < 0 || index >= static_cast<int>(w->list.rows.size())) return {};
  const auto& row = w->list.rows[static_cast<size_t>(index)];
  return row.empty() ? std::string() : row[0];
}

int ListBoxGetSel(const WinSystem& ws, Hwnd h) {
  const Window* w = ListRec(ws, h);
  return w ? w->list.sel : -1;
}

bool ListBoxSetSel(WinSystem& ws, Hwnd h, int index) {
  Window* w = ListRec(ws, h);
  return w && ListSelectRow(w->list, index, RowsShown(ws, h));
}

int ListBoxCaret(const WinSystem& ws, Hwnd h) {
  const Window* w = ListRec(ws, h);
  return w ? w->list.caret : 0;
}

void ListBoxSetItemHeight(WinSystem& ws, Hwnd h, int px) {
  if (Window* w = ListRec(ws, h)) w->list.item_height = px;
}

int ListBoxItemHeight(const WinSystem& ws, Hwnd h) {
  const Window* w = ListRec(ws, h);
  if (!w) return 0;
  return w->list.item_height > 0 ? w->list.item_height : ws.metrics().cell_h;
}

}  // namespace plat
