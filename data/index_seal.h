// The seal of a key index: a tag kept with the index file (outside its
// bytes) saying that the index was saved whole and in agreement with the
// record file, by an open that held the file exclusively, once both files
// were on the disk. It holds a hash of the index's bytes, the record count,
// and what the system keeps about the record file: its identity, size, and
// the times of its last modification and last change. An open whose index
// bytes and record file match the sealed values takes the index without
// checking it entry by entry (and without reading the record file).
//
// What keeps a seal from hiding a change:
//   - every open that changes the record file removes the seal before its
//     first change (IndexSealRemove, synced, so that the removal reaches the
//     disk before the change can), so that a session cut off by a kill, a
//     crash or a power loss leaves no seal, and the next open checks;
//   - a change by another program moves the record file's change time,
//     which the system sets and no program can set back; a seal is written
//     only once the clock has moved on from the record file's last change
//     time, since a change within the same tick of the system's clock might
//     leave the time as it was;
//   - the index's own bytes are hashed (they are read whole anyway).
// Where the file system keeps no tags there is no seal, and the check runs.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/block_file.h"
#include "data/record_file.h"

namespace eng {

// A 64-bit hash of the bytes.
uint64_t ContentHash(std::string_view bytes);

// Seals the index file (`index` open, holding exactly `bytes`) against the
// record file as it is now; the caller has synced both. False when it
// cannot: no tag kept, or the record file changed too recently (above).
bool IndexSealWrite(BlockFile& index, std::string_view bytes, DataRecordFile& records);
// Whether the index file's seal matches `bytes` and the record file now.
bool IndexSealHolds(const BlockFile& index, std::string_view bytes, DataRecordFile& records);
// Removes the index file's seal; when there was one, syncs the index file,
// so that the removal is on the disk before the records change. False when
// it cannot be removed (the records must then not change).
bool IndexSealRemove(BlockFile& index);

// The clock a seal compares the record file's change time with, in
// nanoseconds since 1970 at the step the file system stamps times with;
// null restores the system's. For tests.
void IndexSealSetClock(int64_t (*now_ns)());

}  // namespace eng
