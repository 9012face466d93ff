// Related records: the operation behind the procedure built-in FILEREL. File
// a's relation c to file b ("bRcKn=expression" in a's relation text) gives,
// evaluated on a's current record (a made current while it is evaluated), a
// value of b's key n; the related records of b are read, created, deleted,
// rewritten by statements, or stepped through. _RELRES tells what happened:
// 0 nothing more than a read, 4 a related record was created, 12 one was
// deleted, 2 file b was stepped.
//
// DataFileRelFetch flags: 1 a missing value leaves b's buffer blank with the
// value in the key's fields; 2 read the nearest following record, and step
// b (next, or previous when _LASTKEY is 23) while _SCRSTAT bit 64 is set;
// 4 create a missing related record; 4 and 8 together delete the related
// record; 8 alone steps on until the statements, as a condition, hold.
// While relational-update rules run (_UPSTAT bit 32) and not in delete mode,
// every related record is updated by the statements instead.
// Results: 163 for a relation without expression; 0 for an empty value;
// otherwise the last positioning or write status; failures of the record
// layer and of the statements (128 and above) unchanged, with nothing
// written when the statements fail.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kRelReadBlank = 1;
inline constexpr uint16_t kRelNearest = 2;
inline constexpr uint16_t kRelCreate = 4;
inline constexpr uint16_t kRelSeekOrDelete = 8;
inline constexpr uint16_t kRelDeleteMode = kRelCreate | kRelSeekOrDelete;

inline constexpr int16_t kRelResCreated = 4;
inline constexpr int16_t kRelResDeleted = 12;
inline constexpr int16_t kRelResStepped = 2;

inline constexpr uint16_t kUpRulesRunning = 32;  // _UPSTAT: a rule pass is running
inline constexpr uint16_t kScrStepRelated = 64;  // _SCRSTAT: step the related file
inline constexpr int16_t kLastKeyPrevious = 23;  // _LASTKEY of a backward step

Status DataFileRelFetch(uint16_t file_a, uint16_t file_b, uint16_t relation, uint16_t flags,
                        StrPair statements);
// Every record of b whose key starts with the value has the statements run on
// it and is rewritten, in key order; with flag 4 a first record holding the
// value in its key is created when none exists (_RELRES 4). b's control
// block and buffer are put back afterwards.
Status DataFileRelUpdate(uint16_t file_b, uint16_t key, StrPair value, uint16_t flags,
                         StrPair statements);
// Runs the statements on the file's current record, then adds it (flag 4)
// or rewrites it; a statement failure is returned and nothing is written.
Status DataFileRelFollow(uint16_t file, StrPair statements, uint16_t flags);

}  // namespace eng
