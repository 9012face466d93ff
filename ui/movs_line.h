// Editing a document's lines in place: the screen's bounded-range fields are
// laid as edit controls over the current grid row, filled from the current
// line of the lines buffer, and copied back into the line when the user
// leaves it. A line is being edited while the control of the range's first
// field exists; every move of the line cursor commits it first.
//
// Columns: column i of a line is screen field first + i - 1 of the range
// (field i without a range); columns after the last line field are the
// items of LNASSIGN$ (an expression giving the column's text, or a field
// reference of the screen's data file that receives it).
//
// MovsLinsControlLine (screen, code): 31, 32 and 36 commit the edited line;
//   31/32 then move the line cursor (MovsLineStep); then MovsLineChange for
//   31, 32, 35, 37, 39 and 113 shows the line (an existing one from the
//   buffer, one beyond the used lines as a new blank line) and runs
//   FLDUPDATE$. 127 outside the lines where the caller asks for it.
// MovsLineCommit (screen, level): copies the fields into the line (the
//   buffer's changed flag when the text changed); in NAVIGATION mode writes
//   the line's record at once (rewrite or add, WRITELINS$ item 2 false: 126
//   and the line blanked); then the line's controls go.
// MovsLineInsert / MovsLineDelete: INS and DEL in state 4 only (else 127),
//   LNINS$/LNDEL$ decide; the line under the cursor is shown again.
// MovsRunFldUpdate (list): an item naming a screen field refreshes it (116),
//   any other item is executed; the first failure stops.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "core/str_pair.h"
#include "ui/lins_buf.h"
#include "ui/screen_records.h"

namespace eng {

Status MovsLinsControlLine(const ScreenDesc& screen, uint16_t code);
Status MovsLineCommit(const ScreenDesc& screen, int level);
Status MovsLineStep(uint16_t code, ScreenWin* window);
Status MovsLineChange(const ScreenDesc& screen, uint16_t code, ScreenWin* window);
Status MovsLineEditAt(const ScreenDesc& screen, int level, uint16_t line);
Status MovsLineShowFields(const ScreenDesc& screen, int level, uint16_t line);
Status MovsLineNew(const ScreenDesc& screen, int level, uint16_t line);
Status MovsLineShow(int level);
Status MovsLineRowRefresh(int level);
// 0 unchanged, 1 the line's text changed, or a failure.
Status MovsLineFromFields(LinsBuf* buffer);
// direction 1: fields into the current line; 0: the line into the fields.
Status MovsLineFields(int direction, LinsBuf* buffer);
Status MovsLineInsert(const ScreenDesc& screen, ScreenWin* window, LinsBuf* buffer);
Status MovsLineDelete(const ScreenDesc& screen, LinsBuf* buffer, bool keep);
Status MovsRunFldUpdate(StrPair list);

// The line fields of a screen: the bounded range, or every field without one.
uint16_t MovsLineFirst(const ScreenDesc& screen);
uint16_t MovsLineLast(const ScreenDesc& screen);

}  // namespace eng
