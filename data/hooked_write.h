// The hooked record write: how windows, procedures, statistics and
// transactions add, rewrite and delete records. Around the record layer's
// write it refuses a new record whose key 1 already exists (5, unless
// _UPSTAT bit 64), skips empty records, and runs the file's
// relational-update rules (data/relup_rules.h): a rewrite writes the new
// record, takes the old record's effect back (-1 pass over the saved copy),
// then applies the new one (+1 pass); an add writes and applies; a delete
// writes the ESC mark and takes the old effect back.
//
// Flags: 0x700 = 0x500 add, 0x700 rewrite, 0x600 delete; 0x100 alone the +1
// pass only, 0x200 alone the -1 pass only (no write); 0x800 the empty-record
// test (an empty record is skipped whole: nothing written, no pass, 0) and,
// for an add, the duplicate-key refusal; 0x1000 no rules. A write that
// answers non-zero (6 included) ends it without rules; so does a failing
// delete. Otherwise the first non-zero status of the passes is returned (a
// failing +1 pass leaves the record written). The -1 pass sees the saved
// copy as it was before the write; afterwards the buffer is as the record
// layer's write left it.
#pragma once

#include <cstdint>

#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kWriteAdd = 0x500;
inline constexpr uint16_t kWriteRewrite = 0x700;
inline constexpr uint16_t kWriteDelete = 0x600;
inline constexpr uint16_t kWriteOpMask = 0x700;
inline constexpr uint16_t kWriteCheckEmpty = 0x800;
inline constexpr uint16_t kWriteNoRules = 0x1000;

Status DataFileWriteHooked(uint16_t flags, uint16_t file, StrPair slot_list, StrPair test);

}  // namespace eng
