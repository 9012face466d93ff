// Opening and closing screens on windows.
//
// ScreenOpen (file, key, number, columns, rows, data file, entry): the window
// must be on top of the window stack already (labels and the caption go to
// it). A screen not loaded yet is loaded: definition `number` of the file's
// "PPN" file is pushed (an empty one when missing), SCREENSIZE$ and the
// line's size applied to the grid, the "PAN" lines read (labels drawn) and
// the screen built; the definition is popped again. A loaded screen becomes
// current and its "PAN" definition is read only for its labels. Then its use
// count grows, a window record is made for the top window and the entry text
// pushed. The low three bits of _SCRSTAT are the caller's open flags (2: a
// missing field-line definition is no error; 4: bind fields by name); they
// are cleared at the end, and bits 0xF8 at the start.
// ScreenWinNew: appends a window record (its block: twice the screen's
// record length plus twice the data file's, blank-filled) and makes it
// current; its window records the number at its first focus.
// ScreenWinSelect (n): the window being left keeps a copy of its data file's
// record buffer; n becomes current with its screen, and _KEYMAP its screen's
// key-map set. -1 only answers the current window.
// ScreenClose (n or -1): drops the window record (177 when there is none)
// and, with its last window, the screen; later records move down and every
// stack value and window's screen number above the deleted one follows
// them. The grid override is cleared and the margins of the grid in force
// set to 0 whatever the result.
// ScreenWinClose (value): only when the top window shows the current window
// record (else 141): releases the rules loaded after the screen's rule mark,
// closes the record and destroys the window.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "core/str_pair.h"
#include "ui/screen_records.h"

namespace eng {

Status ScreenOpen(StrPair file, StrPair key, uint16_t number, int columns, int rows, uint16_t data_file,
                  StrPair entry);
Status ScreenWinNew(const ScreenWin& record);
int ScreenWinSelect(int n);
Status ScreenClose(int n);
Status ScreenWinClose(int value);

}  // namespace eng
