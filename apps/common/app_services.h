// Joins the window layer and the output layer at start-up (neither may see
// the other).
// AppInstallWindowServices: the report viewer's windows go on the window
// stack and run in its modal loop, help files open in the viewer programs,
// report limits are asked in accept windows, and barcode scanners read the
// serial ports.
// AppInstallScriptServices (every run, with or without a terminal): the
// device chosen for a report is written to the OUTPUT journal with the
// confirmed forms, so that the journal replays the whole run.
#pragma once

#include "platform/win_core.h"

namespace eng {

void AppInstallWindowServices(plat::WinSystem* ws);
void AppInstallScriptServices();

}  // namespace eng
