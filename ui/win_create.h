// Window kinds and the creation of top-level windows.
//
// Kinds 0-11: their names are the items of
// ",LnMant,Mant,MantDlg,Grid,Dialogx,DevSel,Progress" (kind k is item k + 1;
// kinds 0 and 8-11 have none). Kinds 0, 1, 2 and 8 have the plain style
// (caption, system menu, minimise box); 3-7, 9 and 10 the modal style (popup
// with caption and system menu, and the modal mark); 11 style 0, shown
// maximised. The class name is the kind's name, else the product code (the
// identity before ":"), else the window's title; none, or a kind above 11,
// is 163.
//
// WinCreateClassWindow: a modal style disables the current top window; the
// window is created hidden, owned by the top window, and pushed on the window
// stack with value -1. When the stack is full (32 windows) the new window is
// destroyed again, the owner enabled again, and the result is null.
// WinCreateKind sizes the window from the grid (GeomGridSize) and the frame,
// takes the whole work area when it is within one cell of it, else fits it
// in (WinFitSize), places it near the focus, adds scroll bars when the grid
// does not fit, creates it and records its show state (4 for kind 11).
// Every window made here pops itself off the window stack when it is
// destroyed; the pop that empties the stack posts quit.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "core/str_pair.h"
#include "platform/win_core.h"
#include "ui/geom.h"

namespace eng {

inline constexpr int kWinKindCount = 12;
inline constexpr uint32_t kStylePlain = plat::kWsCaption | plat::kWsSysMenu | plat::kWsMinimizeBox;
inline constexpr uint32_t kStyleModal = plat::kWsPopup | plat::kWsCaption | plat::kWsSysMenu | plat::kWsModalMark;
inline constexpr int kPlaceNearFocus = 0x40;

// The kind's window style; 0 for kinds outside 0-11.
uint32_t GeomWinKindStyle(int kind);
// The class name, or (null, 163). The newest scratch entry.
StrPair GeomWinKindClass(int kind, StrPair title);

plat::Hwnd WinCreateClassWindow(StrPair class_name, StrPair title, uint32_t style, int x, int y, int width,
                                int height, int menu, plat::WndProc proc);
plat::Hwnd WinCreateKind(int kind, int placement, StrPair title, int menu, int columns, int rows,
                         plat::WndProc proc);

// The work area (null window) or a window's client size.
GeomSize WinClientSize(plat::Hwnd window);
GeomSize WinOuterSize(GeomSize client, int kind, bool has_menu);
plat::Point WinCentre(int width, int height);
plat::Point WinPlaceNearFocus(int flags);
plat::Point WinFitPosition(plat::Point position, GeomSize size);
GeomSize WinFitSize(GeomSize size, GeomSize area);
struct ScrollNeed {
  bool horizontal = false;
  bool vertical = false;
  bool operator==(const ScrollNeed&) const = default;
};
// Which bars a grid of that size needs in that client area; for a window,
// the needed bars are shown with their ranges.
ScrollNeed WinScrollBarsNeeded(plat::Hwnd window, GeomSize grid, GeomSize client);
void WinTopSetPos(int x, int y, int width, int height);

}  // namespace eng
