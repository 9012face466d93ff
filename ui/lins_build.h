// Building a lines buffer from the current screen and a list of column names.
//
// LinsModeGet: the current screen's MODE$ among "ALONE,DOCUMENT,NAVIGATION"
// as 1, 2, 4; 2 when absent or not one of them.
// LinsColumnDesc (i, first, last, names): the field record of column i. With
// a bounded range [first, last] (first 0: none) its columns come first, then
// the names; without one, column i is screen field i when the screen has it,
// else name i. A name of a screen field gives that field; a field reference
// ("NAME{file}") a text column bound to that file and field, as wide as the
// field; any other name is an expression: a text column as wide as its value
// at build time.
// LinsBuild (first, last, headings, names, max lines, flags, mode, total or
// null): the lines file is _CURFIL; columns = range size + names. A column's
// heading is item i of the headings when given, else the dictionary name of
// its field. The total grows by each range column's display width + 1 (with
// flag 0x80 at least the heading's length). Columns bound to the lines file
// keep their field number. The buffer's status tells whether it is complete.
// LinsGridValue (buffer, name, line, first): the column of a name: the name
// of exactly one screen field gives that field's number - first + 1, "_GRID"
// followed by a number that number, anything else 0; the cell's text.
#pragma once

#include <cstdint>
#include <string>

#include "core/str_pair.h"
#include "ui/lins_buf.h"

namespace eng {

inline constexpr uint16_t kListHeadingWidth = 0x80;

struct LinsColumnSource {
  Status status = kOk;
  LinsColumnInfo info;
  uint16_t storage_len = 0;
};

uint8_t LinsModeGet();
LinsColumnSource LinsColumnDesc(uint16_t i, uint16_t first, uint16_t last, StrPair names);
LinsBuf LinsBuild(uint16_t first, uint16_t last, StrPair headings, StrPair names, uint16_t max_lines, uint16_t flags,
                  uint8_t mode, uint32_t* total);
std::string LinsGridValue(const LinsBuf& b, StrPair name, int line, uint16_t first);

}  // namespace eng
