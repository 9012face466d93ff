// The payment-schedule window: a line grid pad of due dates and amounts,
// filled from a document's stored payments or computed from four questions
// (first date, number of payments, days and months between them), and
// written back to the payments file when the pad is confirmed.
//
// PayScheduleOpen (window-definition line "file;key,number,,rows,data file,
// ,,entry,key expression"): item 9, macro-expanded and evaluated, is the
// key of the payments (empty: nothing is shown and the result is 0 unless
// item 8 runs); the definition (item 1, item 2) is pushed on the parameter
// stack with the contexts "CREATE,EDIT,<FILE>" while PaymentsMaintenance
// runs; after a confirmed schedule item 8 names a value of the current
// screen's definition that is executed.
// PaymentsMaintenance (file, key, rows, most lines): the pad, its lines
// read from the file's records whose key 1 starts with the key or, when
// there are none, computed by PayScheduleGenerate; then the pad's modal loop.
// 122 when the questions or the pad were cancelled.
// PayScheduleWrite (class): the pad's handler: on Ok (25) the stored
// payments under the record's key go and the write loop of the file's own
// context writes the new ones; a failure is shown; always 8 (close).
// PayScheduleKey (file): the first two parts of key 1 of the current record.
#pragma once

#include <cstdint>
#include <string>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng::paydates {

inline constexpr uint16_t kPayScheduleMaxRecords = 36;

Status PayScheduleOpen(StrPair line);
Status PaymentsMaintenance(uint16_t file, StrPair key, uint16_t rows, uint16_t max_lines);
Status PayScheduleGenerate(int level);
Status PayScheduleReadLine(int level);
uint16_t PayScheduleWrite(uint16_t cls);
Status PayScheduleRun(int level);
std::string PayScheduleKey(uint16_t file);

}  // namespace eng::paydates
