#include "ui/win_create.h"

#include <algorithm>
#include <cstdlib>

#include "core/dyn_strings.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "ui/fonts.h"
#include "ui/ui_state.h"
#include "ui/win_loop.h"
#include "ui/win_stack.h"

namespace eng {

namespace {

constexpr const char* kKindNames = ",LnMant,Mant,MantDlg,Grid,Dialogx,DevSel,Progress";
constexpr int kMaximisedKind = 11;
constexpr int kCascadeX = 100;
constexpr int kCascadeY = 60;

int ScrollBar() {
  plat::WinSystem* ws = UiWs();
  return ws ? ws->metrics().scroll_bar : plat::Metrics{}.scroll_bar;
}

// The window's procedure, which takes the window off the stack when it goes.
plat::WndProc EngineProc(plat::WndProc inner) {
  return [inner = std::move(inner)](plat::WinSystem& ws, plat::Hwnd h, uint32_t msg, uint64_t w,
                                    int64_t l) -> int64_t {
    int64_t r = inner ? inner(ws, h, msg, w, l) : plat::WinSystem::DefProc(ws, h, msg, w, l);
    if (msg == plat::kWmDestroy) WinStackDestroyed(h);
    return r;
  };
}

}  // namespace

uint32_t GeomWinKindStyle(int kind) {
  switch (kind) {
    case 0: case 1: case 2: case 8:
      return kStylePlain;
    case 3: case 4: case 5: case 6: case 7: case 9: case 10:
      return kStyleModal;
    default:
      return 0;
  }
}

StrPair GeomWinKindClass(int kind, StrPair title) {
  if (kind < 0 || kind >= kWinKindCount) return StrFail(kStDataError);
  ScratchScope scope;
  StrPair name = StrItem(StrOf(kKindNames), ',', static_cast<uint16_t>(kind + 1));
  if (name.empty()) name = StrItem(DynStrGet(sl::kSettings, sl::kIdentity), ':', 1);
  if (name.empty()) name = title;
  if (name.empty()) return StrFail(kStDataError);
  return scope.Keep(name);
}

plat::Hwnd WinCreateClassWindow(StrPair class_name, StrPair title, uint32_t style, int x, int y, int width,
                                int height, int menu, plat::WndProc proc) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return plat::kNoWindow;
  const plat::Hwnd owner = WinTop();
  const bool modal = (style & plat::kWsModalMark) != 0;
  if (modal && owner) ws->Enable(owner, false);
  plat::CreateParams p;
  p.class_name = class_name.view();
  p.text = title.view();
  p.style = style;
  p.x = x;
  p.y = y;
  p.w = width == -1 ? plat::kUseDefault : width;
  p.h = height == -1 ? plat::kUseDefault : height;
  p.owner = owner;
  p.proc = EngineProc(std::move(proc));
  plat::Hwnd h = ws->Create(p);
  if (h == plat::kNoWindow || WinStackPush(h, -1) == plat::kNoWindow) {
    // A window that cannot be kept on the stack is not left behind.
    if (h) ws->Destroy(h);
    if (modal && owner) ws->Enable(owner, true);
    return plat::kNoWindow;
  }
  if (menu) ws->SetMenu(h, menu);
  return h;
}

plat::Hwnd WinCreateKind(int kind, int placement, StrPair title, int menu, int columns, int rows,
                         plat::WndProc proc) {
  ScratchScope scope;
  const GeomSize area = WinClientSize(plat::kNoWindow);
  StrPair class_name = GeomWinKindClass(kind, title);
  if (!class_name.ok()) return plat::kNoWindow;
  uint32_t style = GeomWinKindStyle(kind);
  const GeomSize grid = GeomGridSize(columns, rows);
  GeomSize outer = WinOuterSize(grid, kind, menu != 0);
  const GeomSize cell = FontCellSize();
  if (std::abs(outer.w - area.w) < cell.w && std::abs(outer.h - area.h) < cell.h) {
    outer = area;
  } else {
    outer = WinFitSize(outer, area);
  }
  plat::Point at = WinFitPosition(WinPlaceNearFocus(placement), outer);
  const GeomSize frame = WinOuterSize({0, 0}, kind, menu != 0);
  const GeomSize client{outer.w - frame.w, outer.h - frame.h};
  const ScrollNeed bars = WinScrollBarsNeeded(plat::kNoWindow, grid, client);
  if (bars.horizontal) style |= plat::kWsHScroll;
  if (bars.vertical) style |= plat::kWsVScroll;
  plat::Hwnd h = WinCreateClassWindow(class_name, title, style, at.x, at.y, outer.w, outer.h, menu, std::move(proc));
  if (!h) return plat::kNoWindow;
  WinShowTop(kind == kMaximisedKind ? kShowMaximised : 1);
  WinScrollBarsNeeded(h, grid, WinClientSize(h));
  return h;
}

GeomSize WinClientSize(plat::Hwnd window) {
  plat::WinSystem* ws = UiWs();
  if (!ws) {
    plat::Metrics m;
    return window ? GeomSize{} : GeomSize{m.work_w(), m.work_h()};
  }
  if (!window) {
    plat::Rect r = ws->WorkArea();
    return {r.w, r.h};
  }
  plat::Window* w = ws->Rec(window);
  if (!w) return {};
  // The client area without the scroll bars' room.
  return {w->rect.w, w->rect.h - ws->FrameTop(window)};
}

GeomSize WinOuterSize(GeomSize client, int kind, bool has_menu) {
  const uint32_t style = kind == 5 ? kStyleModal : kStylePlain;
  plat::WinSystem* ws = UiWs();
  plat::Rect frame = ws ? ws->FrameAdjust(style, has_menu) : plat::Rect{0, FontCellSize().h, 0, FontCellSize().h};
  return {client.w + frame.x, client.h + frame.y};
}

plat::Point WinCentre(int width, int height) {
  const GeomSize area = WinClientSize(plat::kNoWindow);
  return {std::max(0, (area.w - width) / 2), std::max(0, (area.h - height) / 2)};
}

plat::Point WinPlaceNearFocus(int flags) {
  plat::WinSystem* ws = UiWs();
  const plat::Hwnd top = WinTop();
  if (!ws || !top) {
    const GeomSize g = GeomGridSize(-1, -1);
    plat::Point p{g.w / 2, g.h / 2};
    if (SysVarHas(kVarScrStat, 8)) {
      p.x += kCascadeX;
      p.y += kCascadeY;
    }
    return p;
  }
  const plat::Rect tr = ws->GetRect(top);
  const plat::Hwnd focus = ws->Focus();
  if ((flags & kPlaceNearFocus) && focus && focus != top && ws->IsDescendant(top, focus)) {
    const plat::Rect fr = ws->GetRect(focus);
    plat::Point p = ws->ClientToScreen(ws->Parent(focus), {fr.x, fr.y});
    p.x += fr.w;
    const int max_rows = SysVarGet(kVarWMaxRow);
    if (max_rows != 0) p.y = std::min(p.y, tr.y + max_rows * FontCellSize().h);
    return p;
  }
  return {tr.x + kCascadeX, tr.y + kCascadeY};
}

plat::Point WinFitPosition(plat::Point position, GeomSize size) {
  const GeomSize area = WinClientSize(plat::kNoWindow);
  if (position.x + size.w > area.w) position.x = std::max(0, area.w - size.w);
  if (position.y + size.h > area.h) position.y = std::max(0, area.h - size.h);
  return position;
}

GeomSize WinFitSize(GeomSize size, GeomSize area) {
  const int bar = ScrollBar();
  bool cut_h = false, cut_w = false;
  while (!(cut_h && cut_w) && (size.w > area.w || size.h > area.h)) {
    if (size.h > area.h) {
      size.h = area.h;
      size.w += bar;
      cut_h = true;
    }
    if (size.w > area.w) {
      size.w = area.w;
      size.h += bar;
      cut_w = true;
    }
  }
  // Both cut: each bar made the other dimension grow again; the window
  // still has to lie inside the area.
  size.w = std::min(size.w, area.w);
  size.h = std::min(size.h, area.h);
  return size;
}

ScrollNeed WinScrollBarsNeeded(plat::Hwnd window, GeomSize grid, GeomSize client) {
  const int bar = ScrollBar();
  ScrollNeed need;
  for (int pass = 0; pass < 2; ++pass) {
    if (!need.horizontal && grid.w > client.w) {
      need.horizontal = true;
      client.h -= bar;
    }
    if (!need.vertical && grid.h > client.h) {
      need.vertical = true;
      client.w -= bar;
    }
  }
  plat::WinSystem* ws = UiWs();
  if (window && ws) {
    ws->ShowScrollBar(window, plat::kSbHorz, need.horizontal);
    ws->ShowScrollBar(window, plat::kSbVert, need.vertical);
    if (need.horizontal) ws->SetScrollInfo(window, plat::kSbHorz, 0, grid.w - client.w, client.w, 0);
    if (need.vertical) ws->SetScrollInfo(window, plat::kSbVert, 0, grid.h - client.h, client.h, 0);
  }
  return need;
}

void WinTopSetPos(int x, int y, int width, int height) {
  plat::WinSystem* ws = UiWs();
  const plat::Hwnd top = WinTop();
  if (!ws || !top) return;
  const GeomSize area = WinClientSize(plat::kNoWindow);
  plat::Rect r = ws->GetRect(top);
  GeomSize size{width, height};
  if (width == -1) size = {r.w, r.h};
  size = WinFitSize(size, area);
  plat::Point at{x, y};
  if (x == 0) at = WinCentre(size.w, size.h);
  if (x == -1) at = WinFitPosition({r.x, r.y}, size);
  ws->Move(top, {at.x, at.y, size.w, size.h});
  const GeomSize grid = GeomGridSize(-1, -1);
  const GeomSize frame = WinOuterSize({0, 0}, 0, ws->GetMenu(top) != 0);
  WinScrollBarsNeeded(top, grid, {size.w - frame.w, size.h - frame.h});
}

}  // namespace eng
