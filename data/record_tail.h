// The partial record at the end of a record file whose size is not a whole
// number of records (a write cut short, a copy broken off). Such a file is
// refused when opened (130 with its name); these functions repair it without
// destroying a byte: the whole records stay, the tail moves to a side file.
//   RecordTailBytes   the bytes after the last whole record of a file of
//                     `size` bytes
//   RecordTailMove    on a record file the caller holds exclusively: the
//                     tail copied to a new side file beside it ("<record
//                     file>.tail", or ".tail1", ".tail2"... when that
//                     exists), synced, then cut from the record file. 0 with
//                     *side empty when there is no tail; 0xFFFF when the
//                     side file cannot be written or the file cut (the
//                     record file then still holds the tail)
//   RecordTailMoveAt  the same on a record file by name, taking its
//                     exclusive lock for the while: 175 when another open
//                     holds the file, 164 when it does not exist
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/block_file.h"
#include "core/status.h"

namespace eng {

inline int64_t RecordTailBytes(int64_t size, uint16_t record_length) {
  return record_length == 0 || size < 0 ? 0 : size % record_length;
}

Status RecordTailMove(BlockFile& records, uint16_t record_length, std::string* side);
Status RecordTailMoveAt(std::string_view records_path, uint16_t record_length, std::string* side);

}  // namespace eng
