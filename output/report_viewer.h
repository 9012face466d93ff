// The report viewer: the console device "CON" writes its text to a
// temporary file; when the device ends, the whole file (below 64 MB, else
// 146 and no window) is shown read-only in a window of its own ("ReportWin",
// class "Report") that runs modally over the window on top. A row of buttons
// above the text (the captions of string list 0 element 9, else message
// 0020) closes it and sets _CUREDFLD to the button's position; Esc closes it
// without. The viewer stands on plat::WinSystem (OutputConfig::win); the
// window manager of the window layer may install its window stack as a
// ViewerWindowHost, otherwise the active window is the owner and the viewer
// runs its own loop.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/status.h"
#include "output/output_state.h"

namespace eng {

inline constexpr uint64_t kViewerMaxBytes = 0x4000000;
inline constexpr int kViewerEditId = 100;
inline constexpr int kViewerButtonBase = 3000;

// Installs the window system and (optionally) the window stack of the viewer.
void ReportWinSetWindows(plat::WinSystem* ws, ViewerWindowHost* host);
// Creates the viewer over the text (disabled owner, buttons, the EDIT);
// 0xFFFF when no window system is installed or the window cannot be made.
Status ReportWinCreate(uint16_t dev_width, uint16_t dev_lines, std::string_view text, plat::Hwnd* out);
// Searches the viewer's text for the bytes from the line after the first
// shown one (from the first line when from_top), wrapping round to the
// start; the line found is scrolled to the top. Its index, or -1.
long ReportWinFind(plat::Hwnd viewer, std::string_view needle, bool from_top);

}  // namespace eng
