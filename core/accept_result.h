// AcceptResult: what an accept window hands back when it ends, and what an
// accept definition passes to the application hook its ACCEPT_PRC% names.
// Plain values only, so that the core's hook table can carry it.
#pragma once

#include <cstdint>

#include "core/str_pair.h"

namespace eng {

struct AcceptResult {
  uint32_t exit_key = 0;  // the _LASTKEY code the window ended with (0 Enter)
  StrPair values;         // accepted values, each quoted, separated by commas
  StrPair filter;         // comparisons of the items with an operator, joined by "&&"
  Status status = 0;      // 0 confirmed, 122 cancelled, or the first failure
};

}  // namespace eng
