#include "platform/ctl_combo.h"

#include <algorithm>

#include "platform/compositor.h"
#include "platform/ctl_list.h"
#include "platform/win_core.h"
#include "platform/win_keys.h"
#include "platform/win_layout.h"

namespace plat {

namespace {

Window* Combo(WinSystem& ws, Hwnd h) {
  return ws.RecOf(h, WinKind::kComboBox);
}
const Window* Combo(const WinSystem& ws, Hwnd h) {
  return ws.RecOf(h, WinKind::kComboBox);
}

bool ListShown(const Window& w) { return (w.style & kCbsSimple) || w.list.dropped; }

// Rows of the list below the field.
int ListRows(const WinSystem& ws, Hwnd h) { return std::max(1, WindowCells(ws, h).rows - 1); }

void Notify(WinSystem& ws, Hwnd h, int code) {
  const Window* w = ws.Rec(h);
  if (w) ws.Send(w->parent, kWmCommand, MakeCommandW(w->id, code), static_cast<int64_t>(h));
}

void TakeItemText(Window& w) {
  if (w.list.sel >= 0 && w.list.sel < static_cast<int>(w.list.rows.size()))
    w.text = w.list.rows[static_cast<size_t>(w.list.sel)][0];
}

void SetDropped(WinSystem& ws, Hwnd h, bool open, int close_code) {
  Window* w = Combo(ws, h);
  if (!w || !(w->style & kCbsDropDown) || w->list.dropped == open) return;
  w->list.dropped = open;
  if (open) Notify(ws, h, kCmdDropDown);
  else if (close_code >= 0) Notify(ws, h, close_code);
}

}  // namespace

int64_t ComboProc(WinSystem& ws, Hwnd h, uint32_t msg, uint64_t wp, int64_t lp) {
  Window* w = ws.Rec(h);
  if (!w) return 0;
  switch (msg) {
    case kWmKeyDown: {
      const uint8_t vk = static_cast<uint8_t>(wp);
      const uint8_t mods = KeyMods(lp);
      if ((w->style & kCbsDropDown) && (vk == kVkF1 + 3 || (vk == kVkDown && (mods & kModAlt)))) {
        SetDropped(ws, h, !w->list.dropped, kCmdSelEndCancel);
        return 0;
      }
      if (vk == kVkReturn) {
        if (w->list.sel >= 0) Notify(ws, h, kCmdSelEndOk);
        SetDropped(ws, h, false, -1);  // after a choice: nothing more to tell
        return 0;
      }
      if (vk == kVkEscape && w->list.dropped) {
        SetDropped(ws, h, false, kCmdSelEndCancel);
        return 0;
      }
      if (vk == kVkUp || vk == kVkDown || vk == kVkPrior || vk == kVkNext) {
        const int before = w->list.sel;
        ListMoveByKey(w->list, vk, ListRows(ws, h));
        if (w->list.sel != before) {
          TakeItemText(*w);
          Notify(ws, h, kCmdSelChange);
        }
        return 0;
      }
      return 0;
    }
    case kWmChar: {
      if (!(w->style & kCbsDropDown)) return 0;
      if (wp == 8) {
        if (!w->text.empty()) w->text.pop_back();
      } else if (wp >= 32 && wp <= 255) {
        w->text += static_cast<char>(wp);
      } else {
        return 0;
      }
      w->list.sel = -1;  // a typed text is no item
      return 0;
    }
    case kWmLButtonDown:
    case kWmLButtonDblClk: {
      if (msg == kWmLButtonDown) ws.SetFocus(h);
      w = Combo(ws, h);
      if (!w) return 0;
      const int row = PointFromL(lp).y / std::max(1, ws.metrics().cell_h);
      if (row == 0) {
        if (msg == kWmLButtonDown && (w->style & kCbsDropDown)) SetDropped(ws, h, !w->list.dropped, kCmdSelEndCancel);
        return 0;
      }
      if (!ListShown(*w)) return 0;
      const int item = w->list.top + row - 1;
      if (item < 0 || item >= static_cast<int>(w->list.rows.size())) return 0;
      if (msg == kWmLButtonDblClk) {
        Notify(ws, h, kCmdDblClick);
        return 0;
      }
      const bool changed = w->list.sel != item;
      w->list.sel = w->list.caret = item;
      TakeItemText(*w);
      if (changed) Notify(ws, h, kCmdSelChange);
      Notify(ws, h, kCmdSelEndOk);
      SetDropped(ws, h, false, -1);  // after a choice: nothing more to tell
      return 0;
    }
    case kWmKillFocus:
      SetDropped(ws, h, false, kCmdSelEndCancel);
      return 0;
    default:
      return WinSystem::DefProc(ws, h, msg, wp, lp);
  }
}

void PaintCombo(const WinSystem& ws, Hwnd h, CellGrid& grid, const CellRect& cells, const CellRect& clip) {
  const Window* w = Combo(ws, h);
  if (!w) return;
  const uint8_t base = w->enabled ? static_cast<uint8_t>(kAttrNormal) : static_cast<uint8_t>(kAttrDim);
  const CellRect inner = Intersect(clip, cells);
  const CellRect field{cells.col, cells.row, cells.cols, 1};
  const uint8_t field_attr = ws.Focus() == h ? static_cast<uint8_t>(kAttrBold) : base;
  grid.Fill(field, ' ', field_attr, inner);
  grid.Text(cells.col, cells.row, w->text, field_attr, Intersect(inner, {cells.col, cells.row, cells.cols - 1, 1}));
  if (w->style & kCbsDropDown) grid.Put(cells.col + cells.cols - 1, cells.row, 'v', kAttrReverse, inner);
  if (!ListShown(*w)) return;
  for (int r = 1; r < cells.rows; ++r) {
    const int i = w->list.top + r - 1;
    const CellRect line{cells.col, cells.row + r, cells.cols, 1};
    const bool exists = i < static_cast<int>(w->list.rows.size());
    const uint8_t attr = exists && i == w->list.sel ? static_cast<uint8_t>(kAttrReverse) : base;
    grid.Fill(line, ' ', attr, inner);
    if (exists) grid.Text(cells.col, cells.row + r, w->list.rows[static_cast<size_t>(i)][0], attr, inner);
  }
}

Hwnd CreateCombo(WinSystem& ws, Hwnd parent, int id, Rect r, uint32_t style) {
  CreateParams p = ChildParams(WinKind::kComboBox, parent, id, r, style | kWsVisible | kWsTabStop);
  return ws.Create(p);
}

int ComboAdd(WinSystem& ws, Hwnd h, std::string_view text) { return Combo(ws, h) ? ListBoxAdd(ws, h, text) : -1; }
int ComboCount(const WinSystem& ws, Hwnd h) { return Combo(ws, h) ? ListBoxCount(ws, h) : 0; }
int ComboGetSel(const WinSystem& ws, Hwnd h) {
  const Window* w = Combo(ws, h);
  return w ? w->list.sel : -1;
}

bool ComboSetSel(WinSystem& ws, Hwnd h, int index) {
  Window* w = Combo(ws, h);
  if (!w || !ListBoxSetSel(ws, h, index)) return false;
  if (index < 0) w->text.clear();
  else TakeItemText(*w);
  return true;
}

std::string ComboItem(const WinSystem& ws, Hwnd h, int index) { return Combo(ws, h) ? ListBoxText(ws, h, index) : std::string(); }

bool ComboDropped(const WinSystem& ws, Hwnd h) {
  const Window* w = Combo(ws, h);
  return w && w->list.dropped;
}

}  // namespace plat
