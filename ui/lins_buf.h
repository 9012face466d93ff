// The lines buffer behind a list level's grid: a fixed table of text lines,
// each line the concatenation of its column texts at fixed offsets. Every
// text is stored as typed: padded with blanks or cut to its column's width,
// left-aligned.
//
// LinsInit (columns, max lines, mode): the column arrays; max lines 0 means
// 100; no data until the last declared column is added (LinsAddColumn: 168
// beyond the declared count, kept as the buffer's status; 154 when the data
// cannot be had). LinsReset empties a buffer that has data: current and used
// lines 0 (_LNUM, _LLST), flags 1 and 2 set, and _SCRSTAT bit 32 cleared (a
// grid takes no input until lines are loaded).
// Lines and columns count from 1; line -1 is the current line.
// LinsGetField: the empty text outside the used lines or the columns.
// LinsSetField: 168 unless 1 <= line <= max and 1 <= column <= count; blank
// lines are appended up to the line (_LLST follows).
// LinsShift (k): +1 inserts a blank line at the current line (a full buffer
// loses its last line and keeps its count), -1 deletes the current line (the
// last used line is blanked and the count drops). 163 and nothing moves when
// there is no data, k is 0, the current line is 0 or beyond the maximum, a
// delete has no line under the cursor, or the count would leave 0..max + 1.
// LinsShiftIf (k, text "condition,procedure"): a condition that is not true
// answers its own result (false: 0) and nothing moves; after the shift the
// procedure is executed. LinsDeleteCurrent does nothing (0) past the used
// lines.
// LinsTrimBlank drops trailing blank lines (keeping one) and puts the current
// line on the last. LinsTrimToMax (count): 0 when count fits; 124 unless the
// mode is NAVIGATION; else line 1 is deleted until the count fits.
// LinsDeleteByKey: deletes every line whose key text (the given columns,
// concatenated) equals the key; the current line follows.
// LinsPosText: " current / used", without blanks when longer than 7.
// LinsFillWhile (start, condition, assignments, end): fills lines from start
// while the condition holds (a false condition skips a pass without using a
// line), until the end condition is true, a failure of 128 or more, or the
// maximum; the current line goes back to start. LinsFillLine (list): item i
// up to the column count is evaluated as a text into column i of the current
// line, other items are executed.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

enum LinsMode : uint8_t { kLinsAlone = 1, kLinsDocument = 2, kLinsNavigation = 4 };
inline constexpr uint16_t kLinsRedraw = 1;
inline constexpr uint16_t kLinsChanged = 2;
inline constexpr uint16_t kLinsDefaultMax = 100;
inline constexpr uint16_t kScrStatLinesLoaded = 32;

// What a grid shows of a column: the field record it came from.
struct LinsColumnInfo {
  char type = 'A';
  uint16_t display_len = 0;
  uint16_t screen_column = 0;  // the field's column on its screen; 0 when none
  uint16_t screen_field = 0;   // the screen field's number; 0 when none
  uint8_t file = 0;            // the data file the field is bound to; 0 none
  uint16_t file_field = 0;
  std::string heading;
};

struct LinsBuf {
  std::vector<uint16_t> offsets;
  std::vector<uint16_t> widths;
  std::vector<uint16_t> fields;  // field number in the lines file, 0 none
  std::vector<LinsColumnInfo> info;
  uint16_t column_count = 0;
  uint16_t line_width = 0;
  std::string data;
  bool has_data = false;
  uint16_t max_lines = 0;
  uint16_t current = 0;
  uint16_t used = 0;
  uint16_t added = 0;
  Status status = kOk;
  uint16_t flags = 0;
  uint8_t mode = kLinsDocument;
  // Where the columns came from: the bounded range of screen fields, then
  // the names (expressions, field references or screen fields).
  uint16_t range_first = 0;
  uint16_t range_last = 0;
  std::string names;
  // The new line last shown beyond the used lines (0 none) and its fields'
  // text as shown: a new line the user leaves as it was shown holds nothing
  // of theirs, and is neither written nor kept.
  uint16_t fresh_line = 0;
  std::string fresh_text;
};

LinsBuf LinsInit(uint16_t columns, uint16_t max_lines, uint8_t mode);
Status LinsAddColumn(LinsBuf& b, uint16_t width, uint16_t field);
void LinsFree(LinsBuf& b);
Status LinsReset(LinsBuf& b);
std::string LinsGetField(const LinsBuf& b, int line, uint16_t column);
Status LinsSetField(LinsBuf& b, int line, uint16_t column, std::string_view text);
std::string LinsKeyText(const LinsBuf& b, int line, std::span<const uint16_t> columns);
std::string LinsCurrentText(const LinsBuf& b);
Status LinsShift(LinsBuf* b, int k);
Status LinsShiftIf(int k, LinsBuf* b, StrPair text);
Status LinsInsertAtCurrent(LinsBuf* b, StrPair text);
Status LinsDeleteCurrent(LinsBuf* b, StrPair text);
void LinsTrimBlank(LinsBuf& b);
// Drops the last line when it is the untouched new line (see fresh_line).
void LinsDropUntouched(LinsBuf& b);
Status LinsTrimToMax(LinsBuf& b, uint16_t count, StrPair text);
Status LinsDeleteByKey(LinsBuf& b, std::string_view key, std::span<const uint16_t> columns, StrPair text);
std::string LinsPosText(const LinsBuf& b);
Status LinsFillWhile(LinsBuf& b, uint16_t start, StrPair condition, StrPair assignments, StrPair end);
Status LinsFillLine(LinsBuf& b, StrPair list);
// Sets the current line and _LNUM together.
void LinsSetCurrent(LinsBuf& b, uint16_t line);

}  // namespace eng
