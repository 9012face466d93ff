// Internal invariant checks. ErrAssert with a false condition shows a stop
// box with the routine's name under the caption "Assertion Fail", appends a
// framed record with the name to "assertions.log" in the current folder, and
// ends the process at once (no shut-down steps). Only for invariants of the
// engine itself, never for bad input.
#pragma once

#include "core/str_pair.h"

namespace eng {

inline constexpr const char* kAssertCaption = "Assertion Fail";
inline constexpr const char* kAssertLogName = "assertions.log";

// Replaces the stop box (by default MsgBox kind 3, the stop icon).
using AssertBoxFn = void (*)(StrPair text, StrPair caption);

struct AssertState {
  AssertBoxFn box = nullptr;
};

void ErrAssertSetBox(AssertBoxFn fn);
void ErrAssert(bool condition, const char* routine);

}  // namespace eng
