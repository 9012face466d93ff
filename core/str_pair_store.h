// Writes a StrPair whole, its padding as zero bytes. For pairs that are read
// back as one piece soon after they are set (the arena's newest entry, the
// evaluator's values): such a read then finds the whole pair in one pending
// write instead of waiting for a write of the length alone to land.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/str_pair.h"

namespace eng {

inline void StrPairStore(StrPair& dst, StrPair v) {
  static_assert(sizeof(StrPair) == 2 * sizeof(uint64_t) && offsetof(StrPair, len) == sizeof(uint64_t));
  static_assert(std::endian::native == std::endian::little);
  const uint64_t words[2] = {reinterpret_cast<uintptr_t>(v.ptr), v.len};
  std::memcpy(static_cast<void*>(&dst), words, sizeof words);
}

}  // namespace eng
