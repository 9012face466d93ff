// Hands the popups of the window layer to the lower layers at start-up: the
// chooser (procedure file choices, the font verb), the progress window (the
// procedure runner's pump and close, session recovery, backups, restores,
// reorganisations and statistics), the folder browser, the file dialogs
// (restore and the FILESELECT statement), the table chooser, the banner, and
// the window of the STATSTEPS statement (its definition's parameters pushed
// while it is open, its fields' raw texts for the steps' bounds), and the
// field option menu's accept window and verb runner.
// Services of other layers that are installed already stay as they are.
#pragma once

#include "platform/win_core.h"

namespace eng {

void UiInstallPopupServices(plat::WinSystem* ws);

}  // namespace eng
