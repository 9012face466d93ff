// Selection sets: eight slots (0-7), each a count and a list of the record
// numbers of one file that matched a condition within a key range, read
// afterwards by index. A slot is in use from its build until it is freed;
// one whose file no longer refers to it (the file was closed, or the build
// failed) is free again, so two files' live selections never share a slot.
// Each file's control block keeps a stack of three selections, innermost
// first, stored as slot + 1 (0 = none): a build while the file has a
// selection pushes it down, a fourth nested build is refused (168), a free
// pops the stack.
//   SelBuild     key (163 for a key without parts), a free slot (168 when
//                all eight are in use), SelCollect into it; on failure the
//                file's current selection is none (the stack stays pushed,
//                as the free that follows expects).
//   SelCollect   fills one slot (168 when it holds another file's live
//                selection): locates DataFileKeyAfterPrefix(from, mode) with flag 2 and
//                collects, while the count is below the maximum, the records
//                up to the to-value that satisfy the condition, in key order
//                (the located record is tested first). 0 with the buffer on
//                the last record examined; none: 2 and the buffer as before;
//                145 when the list cannot grow (the records so far stay).
//   SelCount     the count of the file's current selection (0 without one).
//   SelGoto      reads the i-th (0-based) selected record into a part of the
//                buffer (1 current, 2 saved, 3 both); 168 without a
//                selection or for i not below the count.
//   SelFieldText the text of a field of the i-th selected record, read into
//                the current record; empty when it cannot be read.
//   SelFree      frees the file's current selection and pops its stack.
//   DataFileDeleteWhere  deletes every record whose key starts with the value
//                and that satisfies the condition (at most 65535 per call),
//                without relational-update rules; the first failure stops;
//                2 when none matched.
//   DataFileReadByKeyText  reads the record with a key text (163 when the
//                text is empty or blank); when there is none, adds a blank record
//                holding the text in the key's fields: its status.
#pragma once

#include <cstdint>
#include <string>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kSelSlots = 8;
inline constexpr uint16_t kSelNesting = 3;
inline constexpr uint16_t kSelGrowth = 32;

Status SelBuild(uint16_t file, uint16_t key, StrPair from, StrPair to, uint16_t maximum, uint16_t mode,
                StrPair condition);
Status SelCollect(uint16_t slot, uint16_t file, uint16_t key, StrPair from, StrPair to, uint16_t maximum,
                  uint16_t mode, StrPair condition);
uint16_t SelCount(uint16_t file);
Status SelGoto(uint16_t file, uint16_t part, uint32_t i);
std::string SelFieldText(uint16_t file, uint32_t i, uint16_t field);
Status SelFree(uint16_t file);

// The slot (0-7) of the file's current selection; -1 when it has none.
int SelCurrentSlot(uint16_t file);
// The entries the slot's list has room for (it grows 32 at a time).
size_t SelCapacity(uint16_t slot);

Status DataFileDeleteWhere(uint16_t file, uint16_t key, StrPair value, StrPair condition);
Status DataFileReadByKeyText(uint16_t file, uint16_t key, StrPair text);

}  // namespace eng
