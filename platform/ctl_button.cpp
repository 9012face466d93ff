#include "platform/ctl_button.h"

#include <algorithm>
#include <string>

#include "platform/compositor.h"
#include "platform/win_core.h"
#include "platform/win_keys.h"
#include "platform/win_layout.h"

namespace plat {

namespace {

void Click(WinSystem& ws, Hwnd h) {
  const Window* w = ws.Rec(h);
  if (!w) return;
  ws.Send(w->parent, kWmCommand, MakeCommandW(w->id, kCmdClicked), static_cast<int64_t>(h));
}

}  // namespace

int64_t ButtonProc(WinSystem& ws, Hwnd h, uint32_t msg, uint64_t wp, int64_t lp) {
  Window* w = ws.Rec(h);
  if (!w) return 0;
  switch (msg) {
    case kWmLButtonDown:
      ws.SetFocus(h);
      if (Window* x = ws.Rec(h)) x->capture = true;
      return 0;
    case kWmLButtonUp: {
      if (!w->capture) return 0;
      w->capture = false;
      Point p = PointFromL(lp);
      Rect client = ws.ClientRect(h);
      // Inside as computed in pixels, or inside the cells the button is drawn
      // in: a button whose pixels do not fill its cells is still clicked
      // where it shows.
      const Point sp = ws.ClientToScreen(h, p);
      const int cw = ws.metrics().cell_w, ch = ws.metrics().cell_h;
      const bool in_cells = sp.x >= 0 && sp.y >= 0 && WindowCells(ws, h).Contains(sp.x / cw, sp.y / ch);
      if (in_cells || (p.x >= 0 && p.y >= 0 && p.x < std::max(client.w, 1) && p.y < std::max(client.h, 1)))
        Click(ws, h);
      return 0;
    }
    case kWmKeyDown:
      if (wp == kVkSpace) w->capture = true;
      return 0;
    case kWmKeyUp:
      if (wp == kVkSpace && w->capture) {
        w->capture = false;
        Click(ws, h);
      }
      return 0;
    case kWmKillFocus:
      w->capture = false;
      return 0;
    case kBmSetCheck:
      w->check = static_cast<int>(wp);
      return 0;
    case kBmGetCheck:
      return w->check;
    case kBmSetState:
      w->pushed = wp != 0;
      return 0;
    case kBmGetState:
      return w->pushed ? 1 : 0;
    case kBmSetValue:
      w->value = static_cast<int>(static_cast<int64_t>(wp));
      return 0;
    default:
      return WinSystem::DefProc(ws, h, msg, wp, lp);
  }
}

void PaintButton(const WinSystem& ws, Hwnd h, CellGrid& grid, const CellRect& cells, const CellRect& clip) {
  const Window* w = ws.Rec(h);
  if (!w) return;
  uint8_t attr = kAttrNormal;
  if (w->pushed || w->capture) attr = kAttrReverse;
  else if (ws.Focus() == h) attr = kAttrBold;
  if (!w->enabled) attr = kAttrDim;
  grid.Fill(cells, ' ', attr, clip);
  if (w->kind == WinKind::kCheckBox) {
    std::string s = (w->check & 0x0F) ? "[X]" : "[ ]";
    if (!w->text.empty()) s += " " + w->text;
    grid.Text(cells.col, cells.row, s, attr, clip);
    return;
  }
  std::string label = w->text;
  if (label.empty() && w->kind == WinKind::kBitmapButton) label = w->image;
  int inner = cells.cols;
  int left = cells.col;
  if (cells.cols >= 3) {
    grid.Put(cells.col, cells.row, '[', attr, clip);
    grid.Put(cells.col + cells.cols - 1, cells.row, ']', attr, clip);
    inner -= 2;
    left += 1;
  }
  if (static_cast<int>(label.size()) > inner) label.resize(static_cast<size_t>(std::max(0, inner)));
  int start = left + (inner - static_cast<int>(label.size())) / 2;
  grid.Text(start, cells.row, label, attr, Intersect(clip, {left, cells.row, inner, 1}));
}

Hwnd CreateButton(WinSystem& ws, Hwnd parent, int id, Rect r, std::string_view text, WinKind kind,
                  uint32_t style) {
  CreateParams p = ChildParams(kind, parent, id, r, style | kWsVisible | kWsTabStop);
  p.text = text;
  return ws.Create(p);
}

Hwnd CreateBitmapButton(WinSystem& ws, Hwnd parent, int id, Rect r, std::string_view image,
                        std::string_view text) {
  CreateParams p = ChildParams(WinKind::kBitmapButton, parent, id, r, kWsVisible | kWsTabStop);
  p.text = text;
  p.image = image;
  return ws.Create(p);
}

}  // namespace plat
