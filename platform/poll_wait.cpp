#include "platform/poll_wait.h"

#include <poll.h>

#include <cerrno>
#include <chrono>
#include <climits>

#include "platform/win_frontend.h"

namespace plat {

uint64_t MonotonicMs() {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

WaitResult WaitReadable(int fd, uint64_t deadline_ms) {
  for (;;) {
    int timeout = -1;
    if (deadline_ms != kNoDeadline) {
      uint64_t now = MonotonicMs();
      if (now >= deadline_ms) return WaitResult::kDeadline;
      uint64_t left = deadline_ms - now;
      timeout = left > static_cast<uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(left);
    } else if (fd < 0) {
      return WaitResult::kError;  // nothing could ever end the wait
    }
    struct pollfd p = {fd, POLLIN, 0};
    int n = poll(&p, fd < 0 ? 0 : 1, timeout);
    if (n < 0) {
      if (errno == EINTR) continue;
      return WaitResult::kError;
    }
    if (n > 0) return (p.revents & (POLLIN | POLLHUP)) ? WaitResult::kReadable : WaitResult::kError;
  }
}

}  // namespace plat
