// Searches: walking a file's key order (or, without index, its record order)
// until a condition (an expression text; an empty one is true) holds or a
// key bound is passed.
//   DataFileSearchLoop  without flag 0x80 the first round tests the current
//     record as it is; every other round first calls the mover with the
//     flags (0x10 next, 0x14 previous; a first or last move goes on next or
//     previous, a mover without direction ends the search with 2) and hands
//     the new record's key-field text to the progress callback, whose
//     non-zero answer (122 for a cancel) ends the search with it. Then the
//     bound is checked (DataFileKeyBeyond) and the condition evaluated.
//     0 found (the record is in the buffer), 2 bound passed or end of file,
//     or a failure of the move or the condition.
//   DataFileSearch      stores the condition as the last search's condition
//     (string list 9, element 11) and runs the loop with DataFileMoveInRange.
//   DataFileSearchFirst from a key value (located with flag 2), or, for a
//     file opened without index or key 0, from its first record onward.
//   DataFileSearchNext  the next match: indexed, moving next from the record
//     the buffer holds; otherwise reading forward from record position + 1.
//   Forward reading skips deleted records, calls the callback for every
//     record passed over (deleted ones with an empty text) and leaves the
//     match in the buffer; at the end the buffer is blank and the result 2.
//   DataFileKeyAfterPrefix  mode 2: the first value after every value with
//     that prefix (the last byte below 0xFF raised, bytes 0xFF after it
//     dropped); none (nullopt) when the value holds only 0xFF bytes or is
//     empty. Other modes: the value.
//   DataFileKeyFieldText  the text of the field holding the first part of the
//     current key in the current record; a "D" field in the short form with
//     the four-digit year.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kSearchMoveFirst = 0x80;

using DataFileProgressFn = std::function<Status(StrPair text)>;
using DataFileMoverFn = Status (*)(uint16_t file, uint16_t flags, StrPair bound);

Status DataFileSearchLoop(uint16_t file, uint16_t flags, StrPair condition, StrPair bound,
                          const DataFileProgressFn& progress, DataFileMoverFn mover);
Status DataFileSearch(uint16_t file, uint16_t flags, StrPair condition, StrPair bound,
                      const DataFileProgressFn& progress);
Status DataFileSearchNext(uint16_t file, bool indexed, StrPair condition, StrPair bound,
                          int32_t position, const DataFileProgressFn& progress);
Status DataFileSearchFirst(uint16_t file, uint16_t key, StrPair value, StrPair condition,
                           StrPair bound, const DataFileProgressFn& progress);

std::optional<std::string> DataFileKeyAfterPrefix(StrPair value, uint16_t mode);
std::string DataFileKeyFieldText(uint16_t file);

}  // namespace eng
