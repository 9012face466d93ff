// The built-in functions of the procedure language that reach outside the
// value world, served by the data layer:
//   FN#FLEN(name)      a data file of the dictionary (by name or number): its
//                      records (the index's live records while open, else the
//                      record file's size over the record length); any other
//                      name: the file's size in bytes after folder macros, 0
//                      when missing
//   FILEFIND(value; file; key; flags)  flag 8: first record, then the next,
//                      each tested against the value as the key bound;
//                      otherwise a locate with the flags, and when the value
//                      is not found exactly (1 or 2), flag 4 and a value: the
//                      value into the key's fields and the record added
//   FILELOCATE(word; file)  a command word of data/file_command.h: "DEL"
//                      deletes the current record, the others move and read;
//                      a word that is no command is 147
//   FILEREL(a; b; relation; flags) statements  flag 2 is kept only with
//                      0x10 or _LASTKEY 29 or 23, flag 1 always set; with
//                      flag 4 while _UPSTAT bit 4 is set and hook 3 filled,
//                      the hook does the work, else data/related_records.h
//   KEY$(file; key; part; parts)  the key value of the buffer part (1, 2),
//                      cut to its first parts (0 all); "" without a file
//   IER(file)          the file's last record-layer status; 168 without a file
//   FN$FLDS(ref; part) raw: a field reference of the buffer part, an array
//                      or "_" call, a declared variable, else hook 0's screen
//                      field (147 when nobody answers)
//   FILESEL(state) / FILESEL(file; flags) / FILESEL(stream)  an open state
//                      (statuses above 121 fail), a stream opened (0xFFFF
//                      fails) or closed
//   READ$(source; position; count), WRITE(dest; position; text)  a text is a
//                      file name, a number a stream; positions are 16-bit:
//                      -1 the stream's current position for reads and the end
//                      for writes, any other a byte offset. READ$ gives the
//                      empty text for every failure and, with a stream and
//                      count 0, the character 26 at the stream's end. WRITE
//                      to a name: -2 a parameter file, -3 the file replaced;
//                      its status is its number
//   EXEC$(file; entry) a file with an extension and no entry: run as a
//                      parameter file; otherwise hook 1 runs the entry point
//                      and its value (popped from list 30) is the result; 148
//                      "EXEC$()" without hook 1
// A file argument of 0, or above the file count, is the current file. The
// record functions call the record layer directly: FILEFIND adds and
// FILELOCATE deletes without the hooked write and its rules. Record-layer
// statuses below 128 are results; from 128 they end the expression.
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
