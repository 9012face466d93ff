// How the text operations hand over a text they made: as the newest scratch
// entry, directly above the caller's mark, or as a failure pair. A failed
// reservation leaves nothing behind. For the string operations' own use.
#pragma once

#include <string_view>

#include "core/scratch_arena.h"
#include "core/str_pair.h"

namespace eng {

// A copy of the bytes as the newest entry; more than 65,535 bytes is (null, 146).
inline StrPair StrEmit(std::string_view s) {
  if (s.size() > kMaxText) return StrFail(kStStringTooLong);
  ScratchScope scope;
  return scope.Keep(ScratchText(s));
}

// A new entry of n bytes left for the caller to fill, or null with the status
// in *status (the arena released to where it was).
inline char* StrEmitReserve(size_t n, Status* status) {
  uint16_t mark = ScratchMark(-1);
  Status s = ScratchReserve(n, kFillLeave);
  if (s) {
    ScratchMark(mark);
    *status = s;
    return nullptr;
  }
  *status = kOk;
  return const_cast<char*>(ScratchTop().ptr);
}

}  // namespace eng
