// Copying data files: one file, a byte range, and a data file's pair (record
// file and key index) to or from a folder.
//
// MaintCopyIfNewer (source, target): only while bit 512 of _AUXSTAT is set
//   (otherwise 0, copy). Compares the last-write dates, then the last-write
//   times in units of 2 minutes (ms since midnight / 120000, rounded half
//   away from zero), then the sizes: all equal gives 124 and _COUNT + 1
//   (unchanged, skip); a source older than the target gives 127 and
//   _HCOUNT + 1 (skip); anything else 0 (copy).
// MaintCopyFile (source, target, callback): the copy-if-newer test first (124
//   and 127 skip the copy and are returned); the target's folder is created
//   when missing. The copy is written beside the target under a fresh name,
//   keeps the source's last-write time, and replaces the target only when
//   complete, so a failed copy leaves the target as it was. With a callback
//   the bytes go through MaintCopyRange. Failures: 164 when the source does
//   not exist, 175 when access is refused, 0xFFFF otherwise (131 and the
//   callback's answer from MaintCopyRange), the source name as incident text.
// MaintCopyRange (source, offset, target, offset, count, callback): the
//   count is cut to the source's size; chunks of at most 12288 bytes are read
//   from the source offset and written at the target offset; after each the
//   callback gets (total count, chunk size) and a non-zero answer stops the
//   copy with it. 164 when the source cannot be opened, 131 when the target
//   cannot be opened or a chunk is not read or written whole.
// DataFileCopyCompanions (file, folder, direction, callback): the record file
//   and then the index of a dictionary file, between its own place and the
//   folder joined with that path; direction 0 copies to the folder, 1 back.
//   Each goes through MaintCopyFile without callback; a missing source (164)
//   is skipped; another non-zero status stops the pair and is returned.
//   Before copying, a file open in this process has its index written out
//   (direction 0), or is closed (direction 1), and a restore holds the
//   record file's exclusive lock for the copy (175 while another process has
//   the file open).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr uint32_t kMaintChunk = 12288;
inline constexpr uint16_t kAuxStatCopyIfNewer = 512;

using MaintCopyFn = std::function<Status(uint64_t total, uint32_t chunk)>;

Status MaintCopyIfNewer(StrPair source, StrPair target);
Status MaintCopyFile(StrPair source, StrPair target, const MaintCopyFn& callback);
Status MaintCopyRange(StrPair source, uint64_t source_offset, StrPair target, uint64_t target_offset,
                      uint64_t count, const MaintCopyFn& callback);
Status DataFileCopyCompanions(uint16_t file, StrPair folder, int direction, const MaintCopyFn& callback);

// The 2-minute unit of a time of day in ms.
constexpr int64_t MaintTimeUnit(int64_t ms) { return (ms + 60000) / 120000; }

}  // namespace eng
