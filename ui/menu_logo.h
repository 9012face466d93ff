// The logo below the main window's menu bar.
//
// MenuLogoShow (window): a sunken, centred STATIC child at (3, 3) filling the
// client area less 3 pixels on each side, showing the program's logo image.
// On the character grid the image is its text form: the program's title
// framed, centred in the control. The controls the window had before stay
// drawn above the logo, so the menu screen's labels remain readable. The
// image is loaded once for the run: a later show keeps the first one even
// when the title has changed. 163 when there is no such window or no image
// (the program has no title).
#pragma once

#include "core/status.h"
#include "platform/win_types.h"

namespace eng {

inline constexpr int kLogoMargin = 3;

Status MenuLogoShow(plat::Hwnd window);

}  // namespace eng
