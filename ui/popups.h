// Popups: a popup menu of a comma list, and the banner.
//
// PopupMenuChoose (window or none, items, position function or none): one
// menu item per comma item (unquoted), ids 1700 + position from 0; shown
// with its bottom at the point the position function gives (x in the high
// word, y in the low word, screen pixels), else at the caret of the focused
// edit (else the pointer). Without a window a hidden owner window is made
// for the menu and destroyed afterwards. The 1-based number of the item
// chosen, 0 when the menu was dismissed or the list is empty.
// PopupBannerShow (text): the banner, a borderless panel on top of the
// others that takes no focus, showing the text's lines (split at CR; an LF
// after a CR does not count) centred, grey on white: cell height x (lines +
// 3) high, the smaller of cell width x the longest line and the screen width
// - 10 wide, centred on the screen. 0 when it made the banner; 0xFFFF when a
// banner was shown already (it then shows the new text).
// PopupBannerHide (): takes the banner away; nothing without one.
#pragma once

#include <cstdint>

#include "core/hooks.h"
#include "core/status.h"
#include "core/str_pair.h"
#include "platform/win_types.h"
#include "ui/geom.h"

namespace eng {

inline constexpr int kIdPopupFirst = 1700;
inline constexpr int kIdPopupLast = 1949;
inline constexpr const char* kBannerClass = "Banner";

uint16_t PopupMenuChoose(plat::Hwnd window, StrPair items, HookPositionFn position);
Status PopupBannerShow(StrPair text);
void PopupBannerHide();
// The banner's size for a text (exposed for its layout).
GeomSize PopupBannerSize(StrPair text);

}  // namespace eng
