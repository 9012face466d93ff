// Window-definition lines: one comma line that names a screen and a few
// values for the window's owner:
//   file;key,number,columns,rows,data file,number 6,number 7,entry,text 9,number 10
// The key defaults to the file name followed by item 2 ("CLI,3" has key
// "CLI3"). Numbers are the items trimmed, unquoted and read as 16-bit
// integers; data file and number 7 keep their low 8 bits; number 6 is -1
// when the line has five items or fewer; missing items are 0 or empty.
//
// ParmItemIn (parameter, item, text): the parameter's value in a parameter
// string (its context form first, then the bare name); a name holding "%"
// gives the value raw, others unquoted. Absent, and the name holding no
// "(": the program variable of that name with every "%" removed, as a text.
// Item 0 or -1 gives the whole value, others that comma item of it.
// WinDefApplyScreenSize (columns, rows): SCREENSIZE$ of the parameter string
// in effect: items 1 and 2 (default: the line's columns and rows) size the
// override when either is not 0 (0 keeps the grid's own); items 3-6 set the
// left, top and bottom margins and the row spacing (-1 keeps).
#pragma once

#include <cstdint>
#include <string>

#include "core/str_pair.h"
#include "ui/geom.h"

namespace eng {

struct WinDefRecord {
  std::string file;
  std::string key;
  uint16_t number = 0;
  uint16_t columns = 0;
  uint16_t rows = 0;
  uint8_t data_file = 0;
  uint16_t number6 = 0;
  uint8_t number7 = 0;
  std::string entry;
  std::string text9;
  uint16_t number10 = 0;
};

WinDefRecord WinDefParse(StrPair line);
// The definition file of that kind (name plus the kind's extension), as
// named and then along the data folders; empty when none exists or the name
// is empty. The newest scratch entry.
StrPair WinDefFilePath(StrPair name, uint16_t kind);
StrPair ParmItemIn(uint16_t parameter, int item, StrPair text);
StrPair ParmItem(uint16_t parameter, int item);
// ParmItem evaluated as an integer expression (an error counts as 0).
int16_t ParmItemInt(uint16_t parameter, int item);
// Item n of a comma list as an integer expression, or the default when 0.
int16_t WinDefItemInt(StrPair list, uint16_t n, int16_t fallback);
ScreenGrid WinDefApplyScreenSize(int columns, int rows);

}  // namespace eng
