// The line grid pad: a small editable table in a window of its own. Its
// columns are the items of an accept definition (one text column per item,
// as wide as the number after the item's type letter, headed by the item's
// label); the accept form's fields are laid over the current row for
// editing, and an "Ok" button confirms the whole table. The lines live in a
// list level of its own (ALONE, with the Ok button, columns at least as wide
// as their headings) and are edited as document lines are.
//
// LinsGridPadCreate (title, definition, rows, limit, hook, callback): the
// form built in grid layout, the level opened (callback null:
// _linsGridPadAction), the form's window record moved to the pad's window
// with _linsGridPadActionWin as action handler and `hook` as the handler
// called when the form ends (its class: 25 for Ok, 21/28 for Esc and the
// close box); `rows` empty rows shown, at most `limit` lines. The level
// number, or a status of 128 or more (nothing is left open). The caller
// runs the modal loop.
// Esc and the close box close the pad without ON_CONFIRM$; Ok (and Enter or
// Ctrl+End past the last field of the form) commits the line being edited,
// then ends the form (ON_CONFIRM$, the hook). Enter on the last field of a
// line goes on to the next line.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "core/str_pair.h"
#include "platform/win_types.h"
#include "ui/list_level_state.h"
#include "ui/screen_records.h"

namespace eng {

inline constexpr uint16_t kGridPadFlags = 137;

uint16_t LinsGridPadCreate(StrPair title, StrPair definition, uint16_t rows, uint16_t limit, ScreenKeyFilter hook,
                           ListKeyCallback callback);
uint8_t _linsGridPadAction(plat::Hwnd window, uint16_t level, uint16_t code);
Status _linsGridPadActionWin(uint16_t code);
Status MovsPadConfirm(uint16_t code);
Status MovsPadClose(int level);

// The width of an accept item's column: the number after the type letter
// of its type part ("A50" 50); 0 when it has none.
uint16_t GridPadColumnWidth(StrPair type);

}  // namespace eng
