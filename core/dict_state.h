// The data dictionary's counters and its stack of saved extents. The
// dictionary's descriptors and texts live in the object tables and the string
// store; these few numbers live in the runtime context beside them, so that a
// fresh runtime starts with an empty dictionary. Only the data layer
// (data/dict_*.h) reads or writes them.
#pragma once

#include <array>
#include <cstdint>

namespace eng {

// The dictionary's size at one moment: files, fields, keys, and the current
// file (_CURFIL) at that moment.
struct DictExtent {
  uint8_t files = 0;
  uint16_t fields = 0;
  uint16_t keys = 0;
  int16_t current_file = 0;
};

inline constexpr uint16_t kDictScopeDepth = 7;

struct DictState {
  uint8_t file_count = 0;
  uint8_t keyed_mark = 0;     // the highest file number that has its keys
  uint16_t next_field = 0;    // the next global field index
  uint16_t next_key = 0;      // the next global key index
  std::array<DictExtent, kDictScopeDepth> scopes{};
  uint8_t scope_depth = 0;
  // A number new whenever a file or a field is defined or the dictionary is
  // cut back, and whenever the string store's file or field name lists or the
  // object tables of file and field descriptions change by any other way (a
  // program writing a list, the stores started or ended): never given before
  // in the process; 0 for a fresh runtime. What was read from the dictionary
  // can be kept while the number stays the same.
  uint32_t epoch = 0;
};

// Gives the dictionary a new epoch: whatever was kept from it is stale.
void DictEpochRenew();

}  // namespace eng
