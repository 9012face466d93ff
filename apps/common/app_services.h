// Joins the window layer and the output layer at start-up (neither may see
// the other): the report viewer's windows go on the window stack and run in
// its modal loop, and help files open in the viewer programs.
#pragma once

#include "platform/win_core.h"

namespace eng {

void AppInstallWindowServices(plat::WinSystem* ws);

}  // namespace eng
