// Blocking waits for front ends that read a device (a terminal, a pipe).
//
// MonotonicMs is the clock such front ends report. WaitReadable sleeps in
// poll until the descriptor has input or the clock reaches the deadline; an
// interrupted poll is resumed with the time that is left. A loop that waits
// through it uses no processor time while idle.
#pragma once

#include <cstdint>

namespace plat {

uint64_t MonotonicMs();

enum class WaitResult : uint8_t { kReadable, kDeadline, kError };

// deadline_ms on the MonotonicMs clock; kNoDeadline (UINT64_MAX) waits for
// input only. A negative fd waits for the deadline only.
WaitResult WaitReadable(int fd, uint64_t deadline_ms);

}  // namespace plat
