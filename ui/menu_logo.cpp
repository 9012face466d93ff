#include "ui/menu_logo.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/dyn_strings.h"
#include "core/string_lists.h"
#include "platform/ctl_static.h"
#include "platform/win_core.h"
#include "ui/ui_state.h"

namespace eng {

namespace {

// The text form of the logo: the title in a frame of three lines.
std::string LogoImage() {
  const std::string title(DynStrGet(sl::kSettings, sl::kTitle).view());
  if (title.empty()) return {};
  const std::string rule(title.size() + 4, '=');
  return rule + "\r\n  " + title + "  \r\n" + rule;
}

// Blank lines above the image so that it sits in the middle of the rows.
std::string Centred(const std::string& image, int rows) {
  const int lines = static_cast<int>(std::count(image.begin(), image.end(), '\n')) + 1;
  std::string out;
  for (int i = 0; i < (rows - lines) / 2; ++i) out += "\r\n";
  return out + image;
}

}  // namespace

Status MenuLogoShow(plat::Hwnd window) {
  plat::WinSystem* ws = UiWs();
  if (!ws || !ws->IsWindow(window)) return kStDataError;
  std::string& image = Ui().logo;
  if (image.empty()) image = LogoImage();
  if (image.empty()) return kStDataError;
  const plat::Rect client = ws->ClientRect(window);
  const plat::Rect r{kLogoMargin, kLogoMargin, std::max(0, client.w - 2 * kLogoMargin),
                     std::max(0, client.h - 2 * kLogoMargin)};
  const std::vector<plat::Hwnd> before = ws->Rec(window)->children;
  const int rows = r.h / std::max(1, ws->metrics().cell_h);
  plat::Hwnd logo = plat::CreateStatic(*ws, window, 0, r, Centred(image, rows), plat::kSsCenter | plat::kSsSunken);
  if (!logo) return kStDataError;
  for (plat::Hwnd child : before) ws->BringChildToTop(child);
  return kOk;
}

}  // namespace eng
