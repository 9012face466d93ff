// The parameter file of a window: the file its screen's PARM_FILE$ names,
// rewritten from the items of PARM_FILE_WRITE$ when the window is confirmed
// or when the verb MantAux asks for it.
//
// MantParmFileWrite: with both parameters of the current screen not empty,
// rewrites the file (ExpSaveParmFile: the old file stays whole until the
// new one replaces it) and answers its status; otherwise 0, nothing written.
// MantParmCloseHook (action), the windows' handler in hook slot 4: a
// confirmation (class 25) writes the file and closes the window (8) when
// that succeeds, or keeps it open with the failure; any other class answers
// through the common exit (ScreenCloseOnExit: 28 closes the window record
// and answers 4, others 24).
// MantAuxRun (argument), the verb MantAux: item 1 as an integer: 0 writes
// the current screen's parameter file (without a screen window, the one the
// parameter context names); 1 pushes (item 2 non-zero) or pops the current
// screen's definition on the parameter stack; others 163.
#pragma once

#include <cstdint>
#include <string>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

// The current screen's parameter, trimmed; empty when absent.
std::string MantParmText(uint16_t parameter);
Status MantParmFileWrite();
Status MantParmCloseHook(uint16_t action);
Status MantAuxRun(StrPair argument);

}  // namespace eng
