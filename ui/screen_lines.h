// Screen field files ("PAN"): numbered definitions (a two-digit key, a
// blank, then the line) of fixed-column lines, counted from 0:
//   0      line kind: 1 a field line, 0 a label line, other digits go to the
//          label callback too
//   1-2    row          3-4 column
//   5-6    field lines: data file number; label lines: the text from here on
//   7-8    field number in that file
//   9-10   display length
//   11     type letter
// A field line's type "V" (unless _COMPAT has 1024) takes its type and
// length from the text variable "_V" + the display length + "$" (its first
// character and the number after it); the line's values stay when that is
// not defined. The storage length is the display length, at most 8 for type
// "D"; width = display length.
//
// ScreenLoadFieldLines: the number of field lines read, or a status: 164
// (incident: the file's path) when the definition is missing, unless open
// flag 2 is set (then no fields); a callback's non-zero status, with the
// line as incident text; 177 at an 81st field line, and 163 for a field line
// shorter than its 12 columns, each with that line as incident text.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/status.h"
#include "core/str_pair.h"
#include "ui/screen_records.h"

namespace eng {

using ScreenLabelFn = std::function<Status(StrPair line)>;

void ScreenFieldFromLine(StrPair line, ScreenFieldDesc& field);
Status ScreenLoadFieldLines(StrPair file, uint16_t number, uint16_t open_flags,
                            std::vector<ScreenFieldDesc>* fields, const ScreenLabelFn& labels);

}  // namespace eng
