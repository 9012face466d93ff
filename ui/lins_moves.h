// Transfers between a lines buffer and the record buffer of the lines file.
//
// MovsLineToBuffer (file, buffer, assignment): _LNUM := the current line;
// every column bound to a field of the file stores its text of the current
// line into that field of the file's current record (the first failure
// stops); then the assignment is executed.
// MovsLineToRecord (file, level, line): the line into the record, then the
// record's key 1 located (_IER := its status); 144 when another record has
// the same key 1, so that the line's record is not known.
// MovsWriteLines (file, buffer, number, assignment, slot list): every used
// line into the record (numbered in "N_LINE" when asked and the file has
// it) and, with numbering, added through the hooked write (0x500). The
// first status of 128 or more, else 0.
// MovsLineFromRecord (buffer, "before,after"): item 1 executed; each column
// of the current line takes its value from the record: range columns the
// display value of their screen field (read from the file's record, with
// ASSIGN$), the other columns the value of their name (item i - range size
// of the names the buffer was built from) evaluated as a text; then item 2.
// MovsAppendLine: a blank line inserted at the current line, filled from the
// record, and the current line advanced. MovsSelForEach calls a function for
// each record of the file's selection, the first non-zero answer stopping.
// MovsReadLines (buffer, from, to): the records of the current file between
// the keys (default: the document key with line 1, and without a line
// number), at most the lines left from the current line, inserted from the
// current line on (READLINS$ around each); the current line comes back;
// the changed flag is cleared; a status below 128 goes to _IER.
// MovsDocKey (n): the document key of the current record on the window's
// key index: IK$(k) when given, else key k's value; without "N_LINE" it is
// right-trimmed; with "N_LINE" last in the key, cut before it and followed
// by nothing (n -1), blanks (0) or n right-aligned.
// MovsGridFieldValue (name, line): hook 2 for "_GRIDn(line)" and bounded
// field names with an index: the current window record's list level's cell.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/status.h"
#include "core/str_pair.h"
#include "ui/lins_buf.h"

namespace eng {

using MovsLineFn = std::function<Status(uint16_t file, LinsBuf& buffer, StrPair text)>;

Status MovsLineToBuffer(uint16_t file, LinsBuf& b, StrPair assignment);
Status MovsLineToRecord(uint16_t file, int level, uint16_t line);
Status MovsWriteLines(uint16_t file, LinsBuf& b, bool number, StrPair assignment, StrPair slots);
Status MovsLineFromRecord(LinsBuf& b, StrPair text);
Status MovsAppendLine(uint16_t file, LinsBuf& b, StrPair text);
Status MovsSelForEach(uint16_t file, LinsBuf& b, StrPair text, const MovsLineFn& fn);
Status MovsReadLines(LinsBuf& b, StrPair from, StrPair to);
std::string MovsDocKey(int n);
StrPair MovsGridFieldValue(StrPair name, int32_t line);

}  // namespace eng
