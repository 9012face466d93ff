// An idle loop on a real clock sleeps in the front end's wait.
#include "platform/poll_wait.h"

#include <poll.h>
#include <unistd.h>

#include "tests/platform/win_fixture.h"

namespace plat::test {
namespace {

// Input from a pipe; waiting sleeps in poll until input or the deadline.
class PipeFrontEnd : public FrontEnd {
 public:
  explicit PipeFrontEnd(int fd) : fd_(fd) {}
  uint64_t NowMs() override { return MonotonicMs(); }
  bool Poll(InputEvent& ev) override {
    char c;
    struct pollfd p = {fd_, POLLIN, 0};
    if (poll(&p, 1, 0) != 1 || read(fd_, &c, 1) != 1) return false;
    ev = InputEvent{};
    ev.typed = static_cast<unsigned char>(c);
    ev.vk = VkForChar(static_cast<uint8_t>(c));
    return true;
  }
  bool Wait(uint64_t deadline_ms) override { return WaitReadable(fd_, deadline_ms) != WaitResult::kError; }

 private:
  int fd_;
};

TEST(IdleLoop, SleepsUntilTheTimerInsteadOfSpinning) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  PipeFrontEnd fe(fds[0]);
  WinSystem ws(&fe);
  CreateParams p;
  p.style = kWsCaption;
  Hwnd h = ws.Create(p);
  ws.Show(h, ShowCmd::kShow);
  const uint64_t start = MonotonicMs();
  ws.SetTimer(h, 1, 60, [](WinSystem& s, Hwnd, int) { s.PostQuit(3); });
  EXPECT_EQ(ws.RunLoop(), 3);
  EXPECT_GE(MonotonicMs() - start, 60u);
  // One blocking wait covers the idle time (a second one at most, should
  // poll wake a moment early); a spinning loop would come back thousands of times.
  EXPECT_LE(ws.waits(), 2u);
  close(fds[0]);
  close(fds[1]);
}

TEST(IdleLoop, InputEndsTheWaitAtOnce) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  ASSERT_EQ(write(fds[1], "k", 1), 1);
  EXPECT_EQ(WaitReadable(fds[0], kNoDeadline), WaitResult::kReadable);
  EXPECT_EQ(WaitReadable(-1, MonotonicMs() + 5), WaitResult::kDeadline);
  EXPECT_EQ(WaitReadable(-1, kNoDeadline), WaitResult::kError);
  PipeFrontEnd fe(fds[0]);
  WinSystem ws(&fe);
  CreateParams p;
  p.style = kWsCaption;
  Hwnd h = ws.Create(p);
  Hwnd e = CreateEdit(ws, h, 1, {0, 0, 120, 24});
  ws.Show(h, ShowCmd::kShow);
  ws.SetFocus(e);
  ws.Pump();
  EXPECT_EQ(ws.GetText(e), "k");
  close(fds[0]);
  close(fds[1]);
}

}  // namespace
}  // namespace plat::test
