// The built-in functions of the procedure language that work on values:
// texts, numbers, dates and times, lists, the string-list store, the
// accumulator array, macros and the lazy conditionals. FnInstallValueBuiltins
// plugs every one of them into the function table (core/fn_call.h); start-up
// and tests call it once after the runtime is set up. The record, file and
// stream built-ins are installed elsewhere; until then they answer 148.
#pragma once

#include "core/status.h"

namespace eng {

Status FnInstallValueBuiltins();

}  // namespace eng
