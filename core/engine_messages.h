// The engine's built-in message texts and the tables that hold them.
//
// A message table is one text of entries separated by TAB characters; an
// entry is four digits, one blank and the message text. The text of a
// message is the first TAB-separated item after its number and blank, where
// a TAB inside quotes does not separate (so menu texts may hold TAB-led
// quoted items). Items that do not start with four digits and a blank belong
// to no number; the first entry of a number wins.
//
// The engine's texts (numbers 1-999) come in three tables: below 40, 40-88
// and 89-999. They are code page 1252 bytes. Numbers without an entry read as
// the empty text.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "core/str_pair.h"

namespace eng {

class MsgTable {
 public:
  // Parses the table once; `text` must outlive the table (a static text).
  explicit MsgTable(std::string_view text);
  // The text of a number, pointing into the table; "" when absent.
  StrPair Find(uint16_t number) const;
  size_t size() const { return entries_.size(); }

 private:
  std::string_view text_;
  std::unordered_map<uint16_t, std::string_view> entries_;
};

// The built-in text of an engine message (static storage); "" when absent
// or when the number is 0 or above 999.
StrPair EngineMessageText(uint16_t number);
// The raw table a number is looked up in (empty above 999).
std::string_view EngineMessageTable(uint16_t number);

}  // namespace eng
