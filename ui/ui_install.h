// Hands the window layer's operations to the lower layers at start-up: the
// grid and font steps of the start, the run's modal loop and screen close,
// the font verb, the message boxes' owner (the top of the window stack), the
// accept windows (their exit and the AcceptRun verb), the hook windows and
// the verb MantAux, and the window statements
// of procedures. Services of
// other layers that are installed already stay as they are.
#pragma once

#include "platform/win_core.h"

namespace eng {

void UiInstallServices(plat::WinSystem* ws);

}  // namespace eng
