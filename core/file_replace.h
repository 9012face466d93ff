// Whole-file operations behind the data files' maintenance (copy, backup,
// restore, reorganisation). Every name goes through the path resolver.
//   FileRenameOver  renames `from` over `to`, replacing it in one step (the
//                   target is never missing in between); the folder is then
//                   synced. 0; 164 when `from` does not exist; 0xFFFF else.
//   FileSync        flushes a file's bytes to the disk. 0 or 0xFFFF.
//   FileCopyKeepTime copies a file whole: to a fresh name in the target's
//                   folder, with the source's last-write time, synced, then
//                   renamed over the target, so the target is either the old
//                   file or the complete copy. 164 when the source does not
//                   exist, 175 when access is refused, 0xFFFF otherwise.
//   FileSetWriteTime gives `target` the last-write time of `source`.
#pragma once

#include <string_view>

#include "core/status.h"

namespace eng {

Status FileRenameOver(std::string_view from, std::string_view to);
Status FileSync(std::string_view name);
Status FileCopyKeepTime(std::string_view source, std::string_view target);
Status FileSetWriteTime(std::string_view source, std::string_view target);

}  // namespace eng
