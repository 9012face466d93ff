// Handlers of screen windows and the common exit of their actions.
//
// ScreenActionSet (action, key, filter): installs the three on the current
// window record unless it has flag 0x80 (no handlers); there must be a
// current window (assertion "ScreenActionSet").
// ScreenCloseOnExit (class, status, flags): a status above 121 is the
// answer; class 25 keeps the status (the window stays); class 28 closes:
// with flags 0x10 the open state "RESTORE" is applied first (its failure is
// the answer and nothing is closed), then the current window record is
// closed, and the answer is the close status or 4; any other class answers 24.
// ScreenWinAttribute (window, id, value): the button attribute store of the
// window's screen (through its stack value): value -1 reads the stored value
// of the id; another value stores the id and value (a free entry taken when
// the id is new) and is returned; -1 when no entry is found or free.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "platform/win_types.h"
#include "ui/screen_records.h"

namespace eng {

void ScreenActionSet(ScreenActionHandler action, ScreenKeyHandler key, ScreenKeyFilter filter);
Status ScreenCloseOnExit(uint16_t action_class, Status status, uint16_t flags);
int ScreenWinAttribute(plat::Hwnd window, int id, int value);

}  // namespace eng
