#include "data/lock_marker.h"

#include "core/block_file.h"
#include "data/data_file_path.h"

namespace eng {

bool LockMarkerPresent(std::string_view name) { return BlockFileExists(LockMarkerName(name)); }

Status LockMarkerWrite(std::string_view name) {
  Status s = BlockFileCreateNew(LockMarkerName(name), " ", 1);
  if (s == kStFileExists) return kStPermission;
  return s ? kStLowFailure : kOk;
}

Status LockMarkerRemove(std::string_view name) { return BlockFileRemove(LockMarkerName(name)); }

}  // namespace eng
