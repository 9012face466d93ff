// Menu bars and their popups.
//
// A top-level window's menu is drawn on its frame row: item i's text starts at
// column 1 + the lengths of the texts before it + 2 per item. Clicking an item
// with no popup sends COMMAND (id, code 0) to the window; clicking an item
// with a popup opens it below the item as a modal popup window (class "Menu")
// whose lines are the popup's items: Up and Down move the highlight, Enter or
// a click on a line picks, Esc or a click elsewhere dismisses. A pick posts
// COMMAND (id, 0) to the window once the popup is gone; the focus returns to
// the window that had it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win_types.h"

namespace plat {

class WinSystem;
class CellGrid;
struct CellRect;

inline constexpr const char* kMenuPopupClass = "Menu";

// The index of the bar item drawn at column col (from the window's left
// cell), or -1.
int MenuBarItemAt(const WinSystem& ws, int menu, int col);
// The column where bar item i is drawn (from the window's left cell).
int MenuBarItemCol(const WinSystem& ws, int menu, size_t i);
void PaintMenuBar(const WinSystem& ws, int menu, CellGrid& grid, const CellRect& row, const CellRect& clip);

// Runs bar item i of the window's menu (see above). Returns the command id
// picked, 0 when dismissed.
int MenuTrack(WinSystem& ws, Hwnd top, int item);

// A popup menu at a point (screen pixels; moved inside the work area when it
// would pass an edge), owned by the window's top-level window: the same
// keys, clicks and scripted picks as a menu bar's popup. Returns the command
// id chosen, 0 when dismissed; it posts nothing, the caller acts on the id.
int PopupMenuTrack(WinSystem& ws, Hwnd owner, int menu, Point screen_px);
// The popup of menu popup_menu with its top-left cell at (col, row), owned by
// top; the id chosen or 0.
int MenuPopupRun(WinSystem& ws, Hwnd top, int popup_menu, int col, int row);

}  // namespace plat
