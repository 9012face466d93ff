#include "core/runtime.h"

#include <memory>

namespace eng {

namespace {
std::unique_ptr<CoreRuntime>& Slot() {
  static std::unique_ptr<CoreRuntime> rt = std::make_unique<CoreRuntime>();
  return rt;
}
}  // namespace

namespace detail {
CoreRuntime* core_current = nullptr;

CoreRuntime& CoreMake() {
  core_current = Slot().get();
  return *core_current;
}
}  // namespace detail

void CoreRuntimeReset() {
  // The new runtime is current before the old one is taken down.
  auto fresh = std::make_unique<CoreRuntime>();
  detail::core_current = fresh.get();
  Slot() = std::move(fresh);
}

void MemSetLimits(uint16_t arena_kb, uint16_t slots) {
  MemControl& m = Core().mem;
  if (arena_kb != 0xFFFF) m.arena_kb = arena_kb;
  if (slots != 0xFFFF) m.slot_limit = static_cast<int16_t>(slots);
}

Status MemTableInit() {
  MemControl& m = Core().mem;
  if (m.initialised) return kStUndefinedWarning;
  Status s = ScratchInit();
  if (s) return s;
  m.initialised = true;
  return kOk;
}

bool MemIsInitialised() { return Core().mem.initialised; }

}  // namespace eng
