// The program's main window: menu bar, menu screen and logo.
//
// UiMainWindow (menu name), the window layer's half of AppMainWindow: builds
// the menu bar from the menu (MenuBarBuild), creates the main window (kind
// 0, the caption of ScreenCaptionText, the bar) with the main window's
// procedure, opens the menu screen named by the menu as a window-definition
// line, shows the logo (a missing logo, 163, is no failure) and installs
// the screen's action handler: AppMainWinAction for menu items (16), the
// close request (17) and help (19); every other action (focus among them)
// answers 0, so that no error box follows the window's focus. 65535 when the window
// cannot be created; otherwise the first failure of the screen or the logo.
// The menu items then arrive as action class 16 with the item's offset from
// 1500, the close as class 17, both answered by AppMainWinAction: a close
// request asks AppConfirmClose, and the run ends when the window is gone.
//
// MainWindowInstall: makes UiMainWindow the run's main window and gives the
// command verbs their screen services (the current screen's definition text
// and the common exit step ScreenCloseOnExit).
#pragma once

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr Status kMainWindowFailed = 65535;

Status UiMainWindow(StrPair menu);
void MainWindowInstall();

}  // namespace eng
