// List levels: the lines of a lines buffer shown in a line grid, one grid row
// per line, one grid column per visible line column. Levels nest, at most
// four; the newest is current, and level n shows in grid slot n.
//
// ListLevelOpen (title, headings, column names, visible rows or 0xFFFF, row
// limit, flags, key callback) -> the level number; a status of 128 or more
// when the lines buffer cannot be built or the grid made (nothing is left
// open); 0xFFFF when four levels are open already. A refused or failed open
// leaves the current level as it was. Flags: mode 1 ALONE (a window of its
// own, kind 4 "Grid", with the Ok button under flag 8), 2 DOCUMENT and 4
// NAVIGATION (the grid goes over the current screen's bounded range, whose
// fields are the first columns); 0x80 a column at least as wide as its
// heading. Visible rows 0xFFFF take the rows of the screen's lines area. The
// row limit is the visible rows in NAVIGATION mode. Without column names the
// screen's LNASSIGN$ names the columns after the range; the visible columns
// are the buffer's columns less LNASSIGN$'s items.
// ListLevelGet (level or -1): the level's record; null when it is not open.
// ListLevelClose (level or -1): destroys the grid, frees the buffer and counts
// the current level down (levels close newest first); the new current level
// (0xFFFF when none).
// ListCallKey (window, code): the current level's callback; no callback (or
// no level) answers 8.
// ListNotifyProc: the window procedure of list windows. While _SCRSTAT has
// bit 32, notifications of the grids 3200-3203 become grid codes: Esc 114,
// F5 105, F8 106, F9 107, F11 108, Up and Down 115 (_LASTKEY the key's
// code), PgUp on row 0 110 and PgDn on the row limit's last row 111 (both
// answered at once, nothing else happens), focus 113, left click 112, right
// click 112 then 100, double click and Enter 101. A true answer to 114, 100
// or 101 sends the window a close request. Every other message, and these
// after their callback, go on to the screens' dialog procedure.
// ListColumnsSetup: each visible column's width in pixels (the next column's
// screen column less its own, the last one's display length + 1, at least
// the heading with flag 0x80) and, with a slot, inserts the columns; the
// total of (width + 1).
// ListLineShow writes the current line's cells (empty beyond the used
// lines); ListLinesShow a range of lines, the current line kept.
// ListLineEdit (level or -1, line, first field, last field): lays the field
// controls over the line's cells (the line becomes current; the grid scrolls
// to it; a line past the used ones gets an empty row); nothing when the
// first field's control exists already. ListLineStore commits those
// controls, copies their fields' texts into the line, shows it and takes the
// controls away.
// ListScrollNeeded (level, line) -> rows to scroll (+ down, - up).
// ListNavShift (level, flags, rows): in NAVIGATION mode the rows slide over
// the lines file: the cursor went above the first line (current line 0,
// rows -1) or below the visible rows (rows +1). The buffer's lines shift
// by -rows; with flag 2 the line that comes into view is read from the file
// (the record above the first line, or after the last; at either end of
// the file the move's status is returned and nothing slides); without it a
// move down leaves an empty line at the end for a new record.
// ListNavLocate (file, key, move, line, level or -1): a non-empty key is
// stored in the current key's fields and the file moved (move | 0x10); with
// a level the lines are read from the record now current on into the
// buffer at the line, the used lines raised to the line when fewer.
#pragma once

#include <cstdint>
#include <string>

#include "core/status.h"
#include "core/str_pair.h"
#include "platform/win_core.h"
#include "ui/list_level_state.h"

namespace eng {

enum ListGridCode : uint16_t {
  kGridRightClick = 100, kGridEnter = 101, kGridF5 = 105, kGridF8 = 106, kGridF9 = 107, kGridF11 = 108,
  kGridPageUp = 110, kGridPageDown = 111, kGridClick = 112, kGridFocus = 113, kGridEsc = 114, kGridUpDown = 115,
};
inline constexpr uint16_t kListOkButton = 8;
inline constexpr uint16_t kListNoCallbackAnswer = 8;

uint16_t ListLevelOpen(StrPair title, StrPair headings, StrPair names, uint16_t visible, uint16_t limit,
                       uint16_t flags, ListKeyCallback key);
ListLevel* ListLevelGet(int level);
uint16_t ListLevelCurrent();
uint16_t ListLevelClose(int level);
uint16_t ListLevelGrid(int level);
uint8_t ListCallKey(plat::Hwnd window, uint16_t code);
int64_t ListNotifyProc(plat::WinSystem& ws, plat::Hwnd h, uint32_t msg, uint64_t w, int64_t l);
int ListColumnsSetup(uint16_t columns, const LinsBuf& lines, uint16_t flags, int slot);
void ListLineShow(int level);
void ListLinesShow(int level, uint16_t from, uint16_t to);
Status ListLineEdit(int level, uint16_t line, uint16_t first, uint16_t last);
Status ListLineStore(int level, uint16_t first, uint16_t last);
bool ListFieldCtrlExists(uint16_t n);
void ScreenFieldCtrlsDestroy(uint16_t first, uint16_t last);
int ListScrollNeeded(int level, uint16_t line);
Status ListNavShift(int level, uint16_t flags, int rows);
Status ListNavLocate(uint16_t file, StrPair key, uint16_t move, uint16_t line, int level);
// The number of visible columns of a level's buffer.
uint16_t ListVisibleColumns(const LinsBuf& lines);

}  // namespace eng
