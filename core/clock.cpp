#include "core/clock.h"

#include <chrono>
#include <ctime>
#include <thread>

#include "core/runtime.h"

namespace eng {

LocalTime ClockLocalNow() {
  const ClockState& c = Core().clock;
  if (c.fixed_local) return *c.fixed_local;
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t secs = system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&secs, &tm);
  LocalTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec;
  t.ms = int(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  return t;
}

uint64_t ClockMonotonicMs() {
  const ClockState& c = Core().clock;
  if (c.virtual_ms) return *c.virtual_ms;
  using namespace std::chrono;
  return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void ClockSleepMs(uint32_t ms) {
  ClockState& c = Core().clock;
  if (c.virtual_ms) {
    *c.virtual_ms += ms;
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void ClockSetFixedLocal(const LocalTime& t) { Core().clock.fixed_local = t; }
void ClockSetVirtualMonotonic(uint64_t start_ms) { Core().clock.virtual_ms = start_ms; }
void ClockReset() { Core().clock = ClockState{}; }

}  // namespace eng
