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
//
// DataFileWriteStep: evaluates its condition; true with a file adds the
// current record by the hooked write (0x500, no test); false with a file is
// 127; a failure of the condition is returned; anything else is 0.
// DataFileWriteLoop: a first round when the start condition is true, more
// while the end condition is false. A round runs a write step when the
// record condition is true; each success is counted and followed by the
// per-record callback (a non-zero answer becomes the round's status). After
// a round below 122 the progress callback's answer replaces the round's
// status; a status above 121 ends the loop. The count goes out; the result
// is the status from 128 on, else 0.
#pragma once

#include <cstdint>
#include <functional>

#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kWriteAdd = 0x500;
inline constexpr uint16_t kWriteRewrite = 0x700;
inline constexpr uint16_t kWriteDelete = 0x600;
inline constexpr uint16_t kWriteOpMask = 0x700;
inline constexpr uint16_t kWriteCheckEmpty = 0x800;
inline constexpr uint16_t kWriteNoRules = 0x1000;

Status DataFileWriteHooked(uint16_t flags, uint16_t file, StrPair slot_list, StrPair test);

using DataFileRecordFn = std::function<Status(uint16_t file)>;
using DataFileLoopProgressFn = std::function<Status(uint32_t count)>;

Status DataFileWriteStep(uint16_t file, StrPair condition, StrPair slot_list);
Status DataFileWriteLoop(uint16_t file, StrPair start, StrPair record, StrPair write, StrPair end,
                         StrPair slot_list, uint32_t* count, const DataFileRecordFn& per_record,
                         const DataFileLoopProgressFn& progress);

}  // namespace eng
