// The seal of a key index: a tag kept with the index file (outside its
// bytes) saying that its bytes were saved whole and in agreement with a
// record file of a given content, by an open that held the file
// exclusively. It holds two hashes, of the index's bytes and of the record
// file's bytes, and the record count. An open whose index bytes and record
// file hash to the sealed values may take the index without checking it
// entry by entry: any change to either file since (by this system, another
// program, or a crash in between) changes a hash, and the full check runs.
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
// records as they are now; false when it cannot (no tag kept).
bool IndexSealWrite(BlockFile& index, std::string_view bytes, DataRecordFile& records);
// Whether the index file's seal matches `bytes` and the records now.
bool IndexSealHolds(const BlockFile& index, std::string_view bytes, DataRecordFile& records);

}  // namespace eng
