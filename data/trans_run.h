// Running a transaction: the mode bits looked up, the parameter block
// loaded, SET$ run, the target chosen, then the bounds, and the run itself
// (the record loop, the count, or the bulk update).
//   TransRun           mode bits, preparation and execution; the block is
//                      emptied at the end whatever happens.
//   TransPrepare       _COUNT and _HCOUNT := 0, the block loaded, SET$ run
//                      (128 and above ends the run), the target chosen,
//                      STRUCT$ built for a copy to another dictionary file.
//   TransOpenFile      FILE as a number (only ".-1234567890"), or a name,
//                      else the current file; none: the file form outside
//                      batch mode, 163 with incident "FILE" in it.
//   TransExecute       with UPDATE or EXTERNFILE and TRIGGER$ empty or
//                      "DISABLE" the relational-update rules are off for the
//                      run and back as they were afterwards; an empty bounds
//                      text is a cancel (122).
//   TransBoundsDialog  ACBOUND$ in an accept window outside batch mode (its
//                      condition joined before COND$ with "&&"); otherwise,
//                      or without a window, LIMITS$ evaluated, or "'',''".
//   TransCountReport   INDEXCHK: the records between the bounds satisfying
//                      COND$ counted; 121 with message 0101 as incident.
//   TransBulkUpdate    mode 0x1001: count, ask, then the record layer's bulk
//                      update (not available: 0xFFFF).
//   TransRunWithProgress  the external name asked when missing
//                      (data/trans_external.h), the progress window around
//                      the run and, unless batch or cancelled, the result
//                      shown (0 becomes 121 with message 0101).
// DataInstallTransStatements serves EXPORT and IMPORT (modes 260 and 261
// or-ed with argument 2; argument 3 opens the progress window): results
// below 128 go to _STAT, 122 and 127 then count as 0.
// A run's progress window is titled message 0016 followed by the file name
// part of the transaction's name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/exec_state.h"
#include "core/status.h"
#include "data/trans_loop.h"

namespace eng {

Status TransRun(std::string_view name, uint16_t known, uint16_t mode, const TransProgressFn& progress,
                const TransReadFn& read);
Status TransPrepare(std::string_view name, uint16_t mode);
Status TransOpenFile(uint16_t mode);
// IS_SQL with a name naming another dictionary file and STRUCT$ empty:
// STRUCT$ := for each field of the other file, the target's field of that
// name, else the other file's own field.
Status TransCopyStruct(std::string_view name, uint16_t mode);
Status TransExecute(std::string_view name, uint16_t mode, const TransProgressFn& progress, const TransReadFn& read);
std::string TransBoundsDialog(uint16_t mode);
Status TransCountReport(std::string_view bounds, uint16_t mode);
Status TransBulkUpdate();
Status TransRunWithProgress(std::string_view name, uint16_t known, uint16_t mode, const TransReadFn& read);

Status TransStatements(uint16_t code, const ExecArgs& args);
void DataInstallTransStatements();

}  // namespace eng
