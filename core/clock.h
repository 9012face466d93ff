// The engine's clocks: local wall time (dates, log records, "today") and a
// monotonic millisecond clock (waits and elapsed times). Both can be fixed by
// a test; a fixed monotonic clock advances only when a wait sleeps on it.
#pragma once

#include <cstdint>
#include <optional>

namespace eng {

struct LocalTime {
  int year = 2000, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0, ms = 0;
};

LocalTime ClockLocalNow();
uint64_t ClockMonotonicMs();
// Sleeps (or advances a fixed monotonic clock) for ms milliseconds.
void ClockSleepMs(uint32_t ms);

// Test control: a fixed wall time and a virtual monotonic clock; reset restores the real clocks.
void ClockSetFixedLocal(const LocalTime& t);
void ClockSetVirtualMonotonic(uint64_t start_ms);
void ClockReset();

}  // namespace eng
