// The arguments of a handler statement: its text (already macro-expanded)
// split at "," outside quotes and parentheses, each item evaluated as an
// expression. A number gives kind 0, its integer value (rounded) and its text
// with _PRECIS decimals; a text gives kind 1, integer 0 and the text; an
// empty item is a missing argument (0 and the empty text). More than 16
// arguments are 147; an evaluation error of 122 and above (other than the
// empty expression) is the answer.
#pragma once

#include "core/exec_state.h"
#include "core/str_pair.h"

namespace eng {

Status ExecEvalArgs(StrPair text, ExecArgs* args);
// A value with _PRECIS decimals, "-1.50", "0.00", "7" with no decimals.
std::string ExecNumberText(int64_t value, int decimals);

}  // namespace eng
