// The record loop of transactions (every kind except counting and the bulk
// update). It opens the target data file and the external side (a file
// joined to TARPATH$, or "stdin", "stdout", "stderr", "pipe": the standard
// stream of the word's position modulo 3, so "pipe" is standard input and
// writing to it writes nothing), walks the target between the bounds or
// reads the external records, filters each and applies the mode's action.
//
// Imports read every external record into the target's current record and,
// when it passes the filter, append it raw to a temporary file in the
// target's folder; a second pass then adds the collected records, or with
// OVERWRITE merges them into the records they match (MERGE$ sees the
// imported record in the saved copy and the existing one in the current
// record). A record refused while reading is written to the log as a line
// naming the external side, the record's number and why; in batch mode the
// run goes on without it (except for 147), otherwise it stops before the
// second pass, so nothing is added. The end of standard input ends the
// first pass as the end of a file does.
//
// Filter statuses: 0 process; 3 deleted record or COND$ false; 1 key outside
// the bounds; 5 an import whose merge key exists (0 with OVERWRITE); 9 an
// OVERWRITE import whose merge key does not exist; 148 USR_UPDATE.
//
// The result: 0, a failure, or 127 when nothing was processed; _COUNT and
// _HCOUNT hold the processed count (low and high 16 bits). Trace lines
// "FileTransLow Begin", "FileTransLow Update", "FileTransLow Ends" go to the
// log while _TRACE has bit 16.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/status.h"
#include "core/str_pair.h"
#include "data/trans_format.h"

namespace eng {

// (length of the last external record read, the current key value); a
// status of 122 or above ends the run with it.
using TransProgressFn = std::function<Status(uint32_t length, StrPair key)>;
// Imports: fills the target's current record (text empty); exports: gets the
// formatted record. Its status is the record's.
using TransReadFn = std::function<Status(uint16_t file, StrPair text)>;

inline constexpr uint16_t kUpStatTransFirstPass = 16;
inline constexpr uint16_t kTraceTrans = 16;

Status FileTransLow(std::string_view name, uint16_t mode, std::string_view bounds, const TransProgressFn& progress,
                    const TransReadFn& read);

Status TransOpenSides(TransSides& sides, uint16_t file, std::string_view name, uint16_t mode);
// `nothing_to_find`: the import's target holds no record that a merge key
// could find, so it is not searched.
Status TransFilter(uint16_t file, std::string_view from, std::string_view to, uint16_t mode,
                   bool nothing_to_find = false);
// n = 5 outside batch mode with ACCONFIRM$ set: the confirmation form for
// the record (its status; 122 ends the run). Anything else: 0.
Status TransAsk(uint16_t n, uint16_t mode);
std::string TransMergeKey(uint16_t file, uint16_t key);
Status TransRunMerge();
Status TransMergePass(TransSides& sides, uint16_t mode, uint32_t length, const TransProgressFn& progress);
void TransCleanup(TransSides& sides, bool free_selection);
// Item n (1 from, 2 to) of a bounds text, without its quotes.
std::string TransBound(std::string_view bounds, uint16_t n);

}  // namespace eng
