// The built-in functions of the procedure language that reach outside the
// value world, served by the data layer:
//   records   FN#FLEN (a data file's record count, else a file's size),
//             FILEFIND (locate, or add with flag 4), FILELOCATE (a command
//             word: move, or "DEL" delete), FILEREL (related records), KEY$
//             (the key value of the buffer), IER (the file's last status),
//             FN$FLDS (a field, variable or screen field by its raw name);
//   files     FILESEL (open state, or open / close a stream), READ$ and
//             WRITE (whole files by name, or numbered streams), EXEC$ (a
//             parameter file, or a procedure's entry point through hook 1).
// A file argument of 0, or above the file count, is the current file. The
// record functions call the record layer directly: FILEFIND adds and
// FILELOCATE deletes without the hooked write and its rules. Record-layer
// statuses below 128 are results; from 128 they end the expression. The
// reading functions give the empty text instead of failing.
// DataInstallRecordBuiltins plugs them into the function table
// (core/fn_call.h); start-up calls it, and so does a test after a reset.
#pragma once

#include "core/status.h"

namespace eng {

Status DataInstallRecordBuiltins();

namespace fnrec {
void InstallRecords();
void InstallFiles();
}  // namespace fnrec

}  // namespace eng
