// The device statements of the procedure language, served as the output
// layer's extension of the devices slot of the statement handler chain:
//   DEVICE name        opens a device on the procedure's device stack (its
//                      status is the result and _STAT); an empty name asks
//                      the device dialog (installed by the window layer; none
//                      or cancelled: _STAT 122, result 0)
//   DLOCATE row, col   moves on the top device
//   DPRINT text, raw   writes on the top device (raw: bytes unchanged)
//   ENDDEVICE          ends, closes and pops the top device; result 0
//   SYSTEM n, file     shows the file in viewer n
// DLOCATE and DPRINT on a device whose open failed answer its status.
#pragma once

#include <string>

#include "core/status.h"

namespace eng {

// The device dialog: fills the device text; 122 when cancelled.
using DeviceAsker = Status (*)(std::string& text);
void OutputSetDeviceAsker(DeviceAsker asker);

// Installs the device and report statements in the handler chain and the
// Report verb.
void OutputInstall();

}  // namespace eng
