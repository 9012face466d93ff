// The main window's menu bar, built from the application's menu.
//
// The menu arrives as lines (MenuLines): the number of leading tabs is a
// line's level (0 for the bar); a line of two or more ","-items is an item
// (item 1 its text, the rest its command); a line of one item is a pop-up
// whose entries are the following deeper lines. Trailing blanks are removed.
//
// MenuBarCreate (name, reader): runs the reader's open step (a failure: no
// bar, 0), then appends every line: an item goes to the innermost open
// pop-up with the next id from 1500, its command stored as list 5 element
// id - 1500; a pop-up line opens a pop-up whose entries are one level
// deeper. A line of level L first closes the open pop-ups whose entries lie
// deeper than L, each appended to its parent under its title; the bar itself
// is never closed, so badly indented lines still land in the bar. At most
// 200 items are appended (ids 1500-1699; ids above them belong to popups and
// a menu action's sub-code has one byte): the rest are left out with status
// 168. Before each line 12 scratch entries must be free (else 145, and the
// build stops). At the end the open pop-ups are closed into their parents,
// the reader's remaining lines dropped, a status met on the way shown in a
// message box, and the bar returned as far as it was built.
// MenuBarBuild (menu name; its first ","-item names the files): the name
// with the extension "PMT", else "PPN", as named or along the application
// folders, built with its reader; with neither file, the lines still waiting
// on the line queue (list 37), if any; otherwise no bar (0).
#pragma once

#include <cstdint>

#include "core/menu_pmt.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr int kMenuFirstItem = 1500;
inline constexpr int kMenuLastItem = 1699;
inline constexpr uint16_t kMenuScratchNeeded = 12;

// The three steps of a menu source: open (0, or 65535 on failure), the
// first line and the next line.
struct MenuReader {
  uint16_t (*open)(StrPair name) = nullptr;
  MenuPmtItem (*first)() = nullptr;
  MenuPmtItem (*next)() = nullptr;
};

// A menu handle of the window system, or 0 for none.
int MenuBarCreate(StrPair name, const MenuReader& reader);
int MenuBarBuild(StrPair name);

// The readers of the two kinds of menu file.
MenuReader MenuPmtReader();
MenuReader MenuPpnReader();

}  // namespace eng
