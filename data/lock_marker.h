// The lock marker of a data file: "<name>.lock" (the file's name without
// folder or extension) in the process's current folder, holding one blank.
// It exists while the file is open exclusively and tells other processes that
// it is in use.
//   LockMarkerPresent  whether the marker exists
//   LockMarkerWrite    creates it; 175 when it already exists (the creation
//                      itself is the test, so two processes cannot both
//                      succeed), 0xFFFF when it cannot be written
//   LockMarkerRemove   removes it; 0, or 0xFFFF when it was not there
#pragma once

#include <string_view>

#include "core/status.h"

namespace eng {

bool LockMarkerPresent(std::string_view name);
Status LockMarkerWrite(std::string_view name);
Status LockMarkerRemove(std::string_view name);

}  // namespace eng
