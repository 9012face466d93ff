// A text dump of the open windows, for test assertions and stall reports.
//
// One line per window, top-level windows bottom to top, children indented
// under their parent in drawing order:
//   <kind> "<class>" id=<id> px=<x>,<y> <w>x<h> cells=<c>,<r> <cols>x<rows> "<text>" <flags>
// Flags: hidden, disabled, active, focus, check=<n>, pushed, readonly,
// password, right, number, caret=<n>, sel=<a>-<b>, vbar=<pos>/<max>,
// hbar=<pos>/<max>, menu, owner="<class>". Texts are shown as code page 1252
// bytes with control characters escaped (\r, \n, \xNN). The last line names
// the active and focused windows.
#pragma once

#include <string>

#include "platform/win_types.h"

namespace plat {

class WinSystem;

std::string DumpWindows(const WinSystem& ws);
// The one-line description of a window, without indentation.
std::string DescribeWindow(const WinSystem& ws, Hwnd h);

}  // namespace plat
