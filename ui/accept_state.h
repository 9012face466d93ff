// The accept windows' part of the window layer's runtime context.
#pragma once

#include <cstdint>
#include <vector>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

// Runs a window-definition line whose window has an application hook as its
// handler (the Accept verbs' other form): (line, window flags, hook
// selector) -> status. Installed by the layer that builds those windows.
using AcceptHookWinRunFn = Status (*)(StrPair line, uint16_t flags, uint16_t selector);

struct AcceptState {
  // Window records (by block) whose values their caller collects: the
  // collection journals them, so their Ok exit does not.
  std::vector<uint32_t> collected;
  // Window records whose first ending action (Ok, cancel, or a close that
  // is not the follow-up of one) has run.
  std::vector<uint32_t> ended;
  AcceptHookWinRunFn hook_win_run = nullptr;
};

}  // namespace eng
