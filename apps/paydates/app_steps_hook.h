// Hook 7: the action handler of windows with a STEPS$ parameter. On
// confirmation (class 25) the window's statistics steps run: StatSteps with
// the accumulation file given by item 1 of RESET$ (evaluated as an integer)
// and STEPS$ as the step list. Every action, confirmed or not, ends in the
// window's common exit (ScreenCloseOnExit with flag 16, so that the open
// state "RESTORE" is applied when the window closes); a failure of the steps
// is that exit's status.
#pragma once

#include <cstdint>

#include "core/status.h"

namespace eng::paydates {

Status AppStepsHook(uint16_t action);

}  // namespace eng::paydates
