// The run of a program after a successful start: the INPUT file's command
// lines, then the RUN option's command or the main window and its loop.
//
// AppRunMenu (menu): AppRunMain, then, when that gave 0 and a window is on
// the window stack, the modal loop until the last window is gone; the result
// is AppRunMain's status.
// AppRunMain (menu): 163 when both the menu name and the RUN option are
// empty; otherwise AppRunInputScript and, when it gave 0, either the main
// window (no RUN option) or, with _SCRSTAT bit 8 set, the RUN option's text
// as a command (AppRunCommand with AppVerbDispatch as the default). Any
// non-zero status is shown with MsgStopBox (never the bare name of a warning: the
// status's number and where the command stopped) and returned.
// AppRunInputScript: when the INPUT option names a file that opens, _INHND
// holds its stream while each non-blank line runs as a command (accept
// windows and the device dialog read their values from the same stream
// meanwhile); the first failing command, or a line longer than 65,535 bytes
// (146), stops the reading and is the result; the file is closed and _INHND
// set back to 0. An INPUT file that cannot be opened is the result: its
// status (164 when missing) with its name as the incident text, recorded
// under the module Streams; no command runs. Then, with the OUTPUT option
// given, _OUTHND = 1.
// AppMainWindow (menu): the window layer's main window (menu bar, menu
// screen, logo; installed with AppRunServicesSet), after _SCRSTAT bit 2 is
// set; without a window layer no window opens and the result is 0.
// AppMainWinAction (action), the main screen's action handler (class in the
// low byte, sub-code in the high byte): 16 a menu item, element (sub-code) of
// list 5, offered to the application's menu-command function and run by the
// engine when that answers 148; 17 a close request, answered by
// AppConfirmClose (1 closes the current window); 19 the help. A status of
// 122 or more is shown with MsgStopBox; other classes answer 163 (not
// handled) without a box.
// AppConfirmClose: 1 to close, 0 to refuse. The application's TaskClose
// speaks first (148: count the loaded screens and open windows, object
// tables 4 and 5); more than one of either, or an objection, shows message
// 0032 and refuses; _AUXSTAT bit 32 agrees at once; otherwise the yes/no
// question 0033 decides.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

// What the run needs from the window layer; each is empty until that layer
// installs it.
struct AppRunServices {
  // Menu bar, main window, menu screen and logo (AppMainWindow's steps after
  // _SCRSTAT bit 2); installs AppMainWinAction as the screen's handler.
  Status (*main_window)(StrPair menu) = nullptr;
  bool (*window_open)() = nullptr;       // a window is on top of the window stack
  Status (*modal_loop)() = nullptr;      // the modal loop with no window of its own
  Status (*screen_close)(int32_t which) = nullptr;  // ScreenClose: -1 the current window
};

struct AppRunState {
  AppRunServices services;
};

void AppRunServicesSet(const AppRunServices& services);

// Action classes of the main window.
inline constexpr uint16_t kActMenuItem = 16;
inline constexpr uint16_t kActCloseRequest = 17;
inline constexpr uint16_t kActHelp = 19;
// _SCRSTAT bits set by the run.
inline constexpr uint16_t kScrStatMainWindow = 2;
inline constexpr uint16_t kScrStatRunCommand = 8;
// _AUXSTAT bit: close the program without asking.
inline constexpr uint16_t kAuxStatCloseQuiet = 32;

Status AppRunMenu(StrPair menu);
Status AppRunMain(StrPair menu);
Status AppRunInputScript();
Status AppMainWindow(StrPair menu);
Status AppMainWinAction(uint16_t action);
int AppConfirmClose();

}  // namespace eng
