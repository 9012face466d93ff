#include "ui/popups.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "platform/ctl_edit.h"
#include "platform/ctl_menu.h"
#include "ui/fonts.h"
#include "ui/ui_state.h"
#include "ui/win_create.h"
#include "ui/win_loop.h"

namespace eng {

namespace {

constexpr int kBannerMargin = 10;

// The point of the menu: the position function's, else the caret's.
plat::Point MenuPoint(plat::WinSystem& ws, HookPositionFn position) {
  if (position) {
    const uint32_t xy = position();
    return {static_cast<int>(xy >> 16), static_cast<int>(xy & 0xFFFF)};
  }
  plat::Point p;
  if (!plat::EditCaretPoint(ws, p)) p = ws.MousePos();
  return p;
}

}  // namespace

uint16_t PopupMenuChoose(plat::Hwnd window, StrPair items, HookPositionFn position) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return 0;
  ScratchScope scope;
  const uint16_t count = items.empty() ? 0 : StrItemCount(items, ',');
  if (count == 0) return 0;
  const int menu = ws->MenuCreate();
  // Ids past the popup range would be taken for other commands: the items
  // that do not fit are left out.
  const int last = std::min<int>(count, kIdPopupLast - kIdPopupFirst + 1);
  for (int i = 0; i < last; ++i) {
    ScratchScope item;
    ws->MenuAppend(menu, StrUnquote(StrItem(items, ',', static_cast<uint16_t>(i + 1))).view(), kIdPopupFirst + i);
  }
  plat::Point at = MenuPoint(*ws, position);
  // The menu's bottom edge at the point.
  at.y = std::max(0, at.y - last * ws->metrics().cell_h);
  plat::Hwnd owner = window;
  plat::Hwnd own = plat::kNoWindow;
  if (!ws->IsWindow(owner)) {
    plat::CreateParams p;
    p.class_name = "STATIC";
    p.style = plat::kWsPopup;
    p.x = at.x;
    p.y = at.y;
    p.w = 0;
    p.h = 0;
    own = owner = ws->Create(p);
    if (!own) return 0;
  } else {
    ws->Activate(ws->TopLevelOf(owner));
  }
  const int id = plat::PopupMenuTrack(*ws, owner, menu, at);
  if (own) ws->Destroy(own);
  if (id < kIdPopupFirst || id >= kIdPopupFirst + last) return 0;
  return static_cast<uint16_t>(id - kIdPopupFirst + 1);
}

GeomSize PopupBannerSize(StrPair text) {
  const GeomSize cell = FontCellSize();
  const std::string_view t = text.view();
  int lines = 0;
  size_t longest = 0;
  for (size_t at = 0;;) {
    size_t end = t.find('\r', at);
    std::string_view line = t.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    // The LF of a CR LF pair opens the next part; it is no character shown.
    if (!line.empty() && line.front() == '\n') line.remove_prefix(1);
    longest = std::max(longest, line.size());
    ++lines;
    if (end == std::string_view::npos) break;
    at = end + 1;
  }
  const GeomSize area = WinClientSize(plat::kNoWindow);
  return {std::min(cell.w * static_cast<int>(longest), area.w - kBannerMargin), cell.h * (lines + 3)};
}

Status PopupBannerShow(StrPair text) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return kStNotAvailable;
  plat::Hwnd& banner = Ui().banner;
  if (ws->IsWindow(banner)) {
    const std::vector<plat::Hwnd> panel = ws->Children(banner);
    if (!panel.empty()) ws->SetText(panel.front(), text.view());
    return 0xFFFF;
  }
  const GeomSize size = PopupBannerSize(text);
  const plat::Point at = WinCentre(size.w, size.h);
  plat::CreateParams p;
  p.class_name = kBannerClass;
  p.style = plat::kWsPopup | plat::kWsBorder;
  p.x = at.x;
  p.y = at.y;
  p.w = size.w;
  p.h = size.h;
  banner = ws->Create(p);
  if (!banner) return kStNotAvailable;
  WinPaintBanner(banner, text);
  ws->Show(banner, plat::ShowCmd::kShowNoActivate);
  return kOk;
}

void PopupBannerHide() {
  plat::WinSystem* ws = UiWs();
  plat::Hwnd& banner = Ui().banner;
  if (ws && ws->IsWindow(banner)) ws->Destroy(banner);
  banner = plat::kNoWindow;
}

}  // namespace eng
