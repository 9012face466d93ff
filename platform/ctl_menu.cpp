#include "platform/ctl_menu.h"

#include <algorithm>
#include <memory>
#include <string>

#include "platform/compositor.h"
#include "platform/win_core.h"
#include "platform/win_keys.h"
#include "platform/win_layout.h"

namespace plat {

int MenuBarItemCol(const WinSystem& ws, int menu, size_t i) {
  const Menu* m = ws.MenuRec(menu);
  int col = 1;
  if (!m) return col;
  for (size_t k = 0; k < i && k < m->items.size(); ++k) col += static_cast<int>(m->items[k].text.size()) + 2;
  return col;
}

int MenuBarItemAt(const WinSystem& ws, int menu, int col) {
  const Menu* m = ws.MenuRec(menu);
  if (!m) return -1;
  for (size_t i = 0; i < m->items.size(); ++i) {
    int start = MenuBarItemCol(ws, menu, i);
    if (col >= start && col < start + static_cast<int>(m->items[i].text.size())) return static_cast<int>(i);
  }
  return -1;
}

void PaintMenuBar(const WinSystem& ws, int menu, CellGrid& grid, const CellRect& row, const CellRect& clip) {
  const Menu* m = ws.MenuRec(menu);
  if (!m) return;
  for (size_t i = 0; i < m->items.size(); ++i) {
    uint8_t attr = m->items[i].enabled ? kAttrReverse : (kAttrReverse | kAttrDim);
    grid.Text(row.col + MenuBarItemCol(ws, menu, i), row.row, m->items[i].text, attr, clip);
  }
}

namespace {

struct Tracking {
  bool done = false;
  int picked = 0;
  int popup_menu = 0;
  int* bar_step = nullptr;  // a bar item's popup: where Left and Right move
  bool nested_open = false;  // a nested popup has the input meanwhile
};

int RunPopup(WinSystem& ws, Hwnd top, int popup_menu, int col, int row, int* bar_step);

void MoveHot(WinSystem& ws, Hwnd h, const Menu& menu, int step) {
  Window* w = ws.Rec(h);
  int n = static_cast<int>(menu.items.size());
  for (int k = 1; k <= n; ++k) {
    int i = ((w->hot_line + step * k) % n + n) % n;
    if (menu.items[i].enabled) {
      w->hot_line = i;
      return;
    }
  }
}

}  // namespace

int MenuTrack(WinSystem& ws, Hwnd top, int item) {
  const Menu* bar = ws.MenuRec(ws.GetMenu(top));
  if (!bar || item < 0 || item >= static_cast<int>(bar->items.size()) || !ws.AcceptsInput(top)) return 0;
  const int count = static_cast<int>(bar->items.size());
  // Left and Right in a bar item's popup move to the neighbouring bar item.
  for (int moves = 0; moves <= 4 * count; ++moves) {
    bar = ws.MenuRec(ws.GetMenu(top));
    if (!bar || !ws.AcceptsInput(top)) return 0;
    const MenuItem entry = bar->items[static_cast<size_t>(item)];
    if (!entry.enabled) return 0;
    if (entry.popup == 0) {
      ws.Post(top, kWmCommand, MakeCommandW(entry.id, kCmdClicked), 0);
      return entry.id;
    }
    const Menu* popup = ws.MenuRec(entry.popup);
    if (!popup || popup->items.empty()) return 0;
    CellRect wc = WindowCells(ws, top);
    const int col = wc.col + MenuBarItemCol(ws, ws.GetMenu(top), static_cast<size_t>(item)) - 1;
    int step = 0;
    const int picked = RunPopup(ws, top, entry.popup, col, wc.row + 1, &step);
    if (picked) {
      ws.Post(top, kWmCommand, MakeCommandW(picked, kCmdClicked), 0);
      return picked;
    }
    if (step == 0) return 0;
    item = ((item + step) % count + count) % count;
  }
  return 0;
}

int PopupMenuTrack(WinSystem& ws, Hwnd owner, int menu, Point screen_px) {
  const int cw = ws.metrics().cell_w, ch = ws.metrics().cell_h;
  return MenuPopupRun(ws, ws.TopLevelOf(owner), menu, screen_px.x / cw, screen_px.y / ch);
}

int MenuPopupRun(WinSystem& ws, Hwnd top, int popup_menu, int col, int row) {
  return RunPopup(ws, top, popup_menu, col, row, nullptr);
}

namespace {

int RunPopup(WinSystem& ws, Hwnd top, int popup_menu, int col, int row, int* bar_step) {
  const Menu* popup = ws.MenuRec(popup_menu);
  if (!popup || popup->items.empty()) return 0;
  auto state = std::make_shared<Tracking>();
  state->popup_menu = popup_menu;
  state->bar_step = bar_step;
  const Hwnd saved_focus = ws.Focus();
  const int cw = ws.metrics().cell_w, ch = ws.metrics().cell_h;
  size_t widest = 0;
  bool nested = false;
  for (const MenuItem& it : popup->items) {
    widest = std::max(widest, it.text.size());
    nested = nested || it.popup != 0;
  }

  CreateParams p;
  p.kind = WinKind::kTop;
  p.class_name = kMenuPopupClass;
  p.style = kWsPopup;
  p.owner = top;
  // Inside the work area: moved left and up when it would pass the edges.
  const int cols = static_cast<int>(widest + (nested ? 3 : 2)), rows = static_cast<int>(popup->items.size());
  col = std::max(0, std::min(col, ws.metrics().cols - cols));
  row = std::max(0, std::min(row, ws.metrics().rows - rows));
  p.x = col * cw;
  p.y = row * ch;
  p.w = cols * cw;
  p.h = rows * ch;
  p.proc = [state](WinSystem& ws2, Hwnd h, uint32_t msg, uint64_t w, int64_t l) -> int64_t {
    const Menu* menu = ws2.MenuRec(state->popup_menu);
    Window* rec = ws2.Rec(h);
    if (!menu || !rec) return 0;
    auto pick = [&](int line) {
      if (line < 0 || line >= static_cast<int>(menu->items.size())) return;
      const MenuItem it = menu->items[static_cast<size_t>(line)];
      if (!it.enabled) return;
      if (it.popup != 0) {
        // A nested popup opens beside its line; its pick is this popup's pick.
        rec->hot_line = line;
        const CellRect at = WindowCells(ws2, h);
        state->nested_open = true;
        const int sub = RunPopup(ws2, h, it.popup, at.col + at.cols, at.row + line, nullptr);
        state->nested_open = false;
        if (sub == 0) return;
        state->picked = sub;
        state->done = true;
        return;
      }
      state->picked = it.id;
      state->done = true;
    };
    switch (msg) {
      case kWmKeyDown:
        if (w == kVkUp) MoveHot(ws2, h, *menu, -1);
        else if (w == kVkDown) MoveHot(ws2, h, *menu, 1);
        else if (w == kVkReturn) pick(rec->hot_line);
        else if (w == kVkEscape) state->done = true;
        else if (w == kVkRight && rec->hot_line >= 0 && menu->items[static_cast<size_t>(rec->hot_line)].popup != 0)
          pick(rec->hot_line);
        else if ((w == kVkLeft || w == kVkRight) && state->bar_step) {
          *state->bar_step = w == kVkLeft ? -1 : 1;
          state->done = true;
        } else if (w == kVkLeft && !state->bar_step) state->done = true;
        return 0;
      case kWmLButtonDown:
        pick(PointFromL(l).y / ws2.metrics().cell_h);
        return 0;
      case kWmCommand: {  // a scripted pick by id
        int line = -1;
        for (size_t i = 0; i < menu->items.size(); ++i)
          if (menu->items[i].id == CommandId(w) && menu->items[i].popup == 0) line = static_cast<int>(i);
        if (line < 0 || !menu->items[static_cast<size_t>(line)].enabled) {
          ws2.Stall("the script picks menu item " + std::to_string(CommandId(w)) + ", which the open menu does not offer");
          return 0;
        }
        pick(line);
        return 0;
      }
      case kWmActivate:
        if (w == 0 && !state->nested_open) state->done = true;
        return 0;
      case kWmClose:
        state->done = true;
        return 0;
      default:
        return WinSystem::DefProc(ws2, h, msg, w, l);
    }
  };
  Hwnd h = ws.Create(p);
  if (!h) return 0;
  Window* rec = ws.Rec(h);
  for (const MenuItem& it : popup->items) {
    std::string line = " " + it.text;
    // A nested popup's line ends in a mark at the right edge.
    if (it.popup != 0) line += std::string(widest + 1 - it.text.size(), ' ') + ">";
    rec->lines.push_back(line);
  }
  rec->hot_line = -1;
  MoveHot(ws, h, *popup, 1);
  ws.Show(h, ShowCmd::kShow);

  Msg m;
  bool quit = false;
  while (!state->done && ws.IsWindow(h)) {
    if (!ws.GetMessage(m)) {
      quit = true;
      break;
    }
    ws.TranslateMessage(m);
    ws.DispatchMessage(m);
  }
  ws.Destroy(h);
  if (quit && !ws.stalled()) ws.PostQuit(static_cast<int>(static_cast<int64_t>(m.w)));
  if (ws.IsWindow(top) && ws.AcceptsInput(top) && ws.Active() == kNoWindow) ws.Activate(top, saved_focus);
  else if (ws.IsWindow(top) && ws.Active() == top && ws.IsWindow(saved_focus)) ws.SetFocus(saved_focus);
  return state->picked;
}

}  // namespace

}  // namespace plat
