// Modal loops and the window operations around them.
//
// WinModalLoop (window or null): shows and activates the top window, then
// runs messages while the window is still the top of the window stack (any
// window for null) and a window is left; a loop with nothing to do waits in
// the window system's front end, it never spins. After the loop every
// message still waiting is handled. WinPumpMessages handles what is waiting
// without waiting: 1 when quit was taken or no window is left, else 0.
// WinStackDestroyed is called by every engine window's procedure when it is
// destroyed: the scanner port polling for it closes, its own stack entry
// leaves, and when that empties the stack,
// quit is posted, which ends every loop.
#pragma once

#include <cstdint>
#include <functional>

#include "core/status.h"
#include "core/str_pair.h"
#include "platform/win_core.h"
#include "ui/geom.h"

namespace eng {

void WinModalLoop(plat::Hwnd window);
int WinPumpMessages();
void WinPostQuit(plat::Hwnd window);
void WinActivate(plat::Hwnd window);
// 0, or -1 when there is no such window.
int WinDestroy(plat::Hwnd window);
void WinStackDestroyed(plat::Hwnd window);

// Keeps the instance, runs the initialiser with it, and stores the command
// line in list 0 element 1 with every quote-blank-blank-quote made
// quote-blank-quote.
Status WinInitInstance(void* instance, StrPair command_line, const std::function<void(void*)>& init);
void* WinInstance();

// The window's text, at most maximum characters (-1: 384); newest scratch entry.
StrPair WinGetText(plat::Hwnd window, int maximum);
void WinSetText(plat::Hwnd window, StrPair text);
// A control of the top window; false when it has no control with the id.
bool WinSetCtrlText(int id, StrPair text);
plat::Point WinGetRect(plat::Hwnd window);
// Appends an item with a command (its text goes to list 5, element id -
// 1500) or, without one, a popup whose menu is the id. 0, or -1 on failure.
int WinMenuAppend(int menu, int id, StrPair text, StrPair command);
plat::Hwnd WinStaticCreate(plat::Hwnd parent, int y, int x, int width, int height, StrPair text);
// The client area as a grey banner with the text's CR LF lines centred.
plat::Hwnd WinPaintBanner(plat::Hwnd window, StrPair text);

}  // namespace eng
