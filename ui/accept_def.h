// Accept definitions: the one-line description of an accept form, read into
// items, and the pure steps over it (labels, the form key, the collection of
// typed values into a values text and a filter).
//
// A definition is the items, optionally followed by " /" and the options
// (the screen parameters of the form, plus ON_CONFIRM$ and ON_CANCEL$). A
// text without ":" but with ";" reads every ";" as ":". Items are separated
// by "," and their parts by ":" (quote-aware): label, type, target, initial
// value, assignment variable. One part is a field reference with an optional
// comparison operator ("CUENTA{1}>="). An item may end in "/ROW=n" and/or
// "/COL=n", which place its field.
//
// Labels: a field reference shows the field's name, its operator's words
// (message 0080; no operator counts as ">=" for item 1 and "<=" for item 2)
// and ":"; a quoted label is evaluated; others show as written. A shown
// label "{row,col}text" stands at that place and shows only the text.
//
// The form key: n = the ":"-pieces of the items text, k = 8 div n (1 when
// 0); the first k characters of label i are appended for i = 1..n while the
// key is shorter than 8.
//
// Collection (AcceptCollectValues) over the raw field texts: the target
// (part 3, else part 1) is scanned; its value (right-trimmed for a text
// operand) goes quoted into the values text; a target with a comparison
// operator and a non-blank value adds target + literal to the filter, joined
// by "&&". The literal is made by the condition texts of the data layer, so
// a typed value never becomes expression text: a text operand's raw value
// (blanks kept) as a text literal, a number's value only when it is a plain
// number (else 147). An empty target is 163; a value holding both quote
// characters cannot go into the values text: 163.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/status.h"
#include "core/str_pair.h"
#include "ui/screen_records.h"

namespace eng {

struct AcceptItem {
  std::string text;                 // the item without its /ROW= and /COL= tail
  std::vector<std::string> parts;   // 1 to 5 parts, as written
  uint16_t row = 0, column = 0;     // /ROW= and /COL= (0: not given)
  std::string Part(size_t n) const { return n >= 1 && n <= parts.size() ? parts[n - 1] : std::string(); }
};

struct AcceptDef {
  std::string items_text;
  std::string options;
  std::vector<AcceptItem> items;
};

struct AcceptLabel {
  std::string shown;
  bool placed = false;  // a "{row,col}" prefix was given
  uint16_t row = 0, column = 0;
};

struct AcceptAssignment {
  std::string name;
  std::string value;
};

struct AcceptCollected {
  Status status = kOk;
  std::string values;
  std::string filter;
  std::vector<AcceptAssignment> assignments;
};

AcceptDef AcceptDefParse(StrPair definition);
// The label of item i (1-based).
AcceptLabel AcceptItemLabel(const AcceptDef& def, size_t i);
std::string AcceptFormKey(const AcceptDef& def);
// The field record of an item: a field reference takes the dictionary
// field's type and length (an invalid one puts its status in the record),
// otherwise the type part, evaluated as a text, gives the type letter and
// the length; "D" is stored in at most 8 characters; placed at row, column.
ScreenFieldDesc ScreenFieldFromAcceptItem(const AcceptItem& item, uint16_t row, uint16_t column);
AcceptCollected AcceptCollectValues(const AcceptDef& def, const std::vector<std::string>& raw);

}  // namespace eng
