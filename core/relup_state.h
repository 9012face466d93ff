// Where each data file's relational-update rules lie in string list 7: the
// element of its slot 0 (its base; 0xFFFF while no rules are loaded) and the
// number of slots loaded. Lives in the runtime context beside the dictionary's
// counters, so a fresh runtime has no rules loaded. Only the data layer's
// rule code (data/relup_rules.h) reads or writes it.
#pragma once

#include <array>
#include <cstdint>

namespace eng {

inline constexpr uint16_t kRelUpdNoBase = 0xFFFF;
inline constexpr uint16_t kRelUpdFiles = 31;  // indexed by file number 1-30

struct RelUpdFileRules {
  uint16_t base = kRelUpdNoBase;
  uint16_t slots = 0;
};

struct RelUpdState {
  std::array<RelUpdFileRules, kRelUpdFiles> files{};
};

}  // namespace eng
