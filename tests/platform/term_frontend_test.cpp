// The terminal front end on a pseudo-terminal: the mouse modes it asks for
// and gives back, and the events it delivers from the bytes the terminal
// sends. The test plays the terminal on the master side; every wait has a
// deadline.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ctl_listview.h"
#include "platform/ctl_static.h"
#include "platform/term_frontend.h"
#include "platform/win_core.h"

namespace plat {
namespace {

class TermFrontEndTest : public ::testing::Test {
 protected:
  int master_ = -1;
  std::string slave_;
  std::string old_term_;
  bool had_term_ = false;

  void SetUp() override {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0 || !ptsname(master_))
      GTEST_SKIP() << "no pseudo-terminal";
    slave_ = ptsname(master_);
    struct winsize sz {};
    sz.ws_col = 80;
    sz.ws_row = 25;
    ioctl(master_, TIOCSWINSZ, &sz);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    if (const char* t = std::getenv("TERM")) {
      had_term_ = true;
      old_term_ = t;
    }
    setenv("TERM", "xterm-256color", 1);
  }

  void TearDown() override {
    if (had_term_) setenv("TERM", old_term_.c_str(), 1);
    else unsetenv("TERM");
    std::setlocale(LC_CTYPE, "C");  // the front end chose a UTF-8 character type
    if (master_ >= 0) close(master_);
  }

  // What the front end has written to the terminal so far.
  std::string Output() {
    std::string out;
    char buf[4096];
    for (;;) {
      struct pollfd p {master_, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) break;
      ssize_t n = read(master_, buf, sizeof buf);
      if (n <= 0) break;
      out.append(buf, static_cast<size_t>(n));
    }
    return out;
  }

  void Send(const std::string& bytes) { ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }

  // The events delivered until n have come (or the deadline passes).
  static std::string Events(TermFrontEnd& fe, size_t n) {
    std::vector<std::string> got;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    InputEvent ev;
    while (got.size() < n && std::chrono::steady_clock::now() < end) {
      if (!fe.Poll(ev)) {
        fe.Wait(fe.NowMs() + 100);
        continue;
      }
      using T = InputEvent::Type;
      std::string name = ev.type == T::kPress     ? "press"
                         : ev.type == T::kMove    ? "move"
                         : ev.type == T::kRelease ? "release"
                         : ev.type == T::kClick   ? "click"
                         : ev.type == T::kKey     ? "key"
                                                  : "other";
      if (ev.type == T::kKey) name += " " + std::to_string(ev.typed);
      else name += " " + std::to_string(ev.point.x) + "," + std::to_string(ev.point.y);
      got.push_back(name);
    }
    std::string s;
    for (const auto& g : got) s += (s.empty() ? "" : " ") + g;
    return s;
  }
};

TEST_F(TermFrontEndTest, AsksForButtonEventTrackingAndDeliversDrags) {
  TermFrontEnd fe;
  std::string error;
  if (!fe.Open(error, slave_.c_str())) GTEST_SKIP() << error;
  const std::string setup = Output();
  EXPECT_NE(setup.find("\x1b[?1002h"), std::string::npos);  // motion while a button is held
  EXPECT_NE(setup.find("\x1b[?1006h"), std::string::npos);  // SGR reports
  // A thumb dragged from cell (38, 2) to (38, 4), then a click and a letter.
  Send("\x1b[<0;39;3M\x1b[<32;39;4M\x1b[<32;39;5M\x1b[<0;39;5m");
  EXPECT_EQ(Events(fe, 4), "press 462,60 move 462,84 move 462,108 release 462,108");
  Send("\x1b[<0;2;2M\x1b[<0;2;2ma");
  EXPECT_EQ(Events(fe, 2), "click 18,36 key 97");
  fe.Close();
  const std::string teardown = Output();
  EXPECT_NE(teardown.find("\x1b[?1002l"), std::string::npos);
  EXPECT_NE(teardown.find("\x1b[?1006l"), std::string::npos);
}

// A list view's own colours come out as the terminal's colour sequences, and
// as reverse video alone where the terminal has no colours.
TEST_F(TermFrontEndTest, CellColoursBecomeColourPairsOrAttributes) {
  struct Case {
    const char* term;
    std::vector<std::string> present;
    std::vector<std::string> absent;
  } cases[] = {
      // Black (30) on bright white (107); the banner bright white (97) on dark grey (100).
      {"xterm-256color", {"\x1b[30m", "\x1b[107m", "\x1b[97m", "\x1b[100m"}, {}},
      // Eight colours: the bright ones are their dark forms, bold in front.
      {"xterm", {"\x1b[30m", "\x1b[47m", "\x1b[37m", "\x1b[40m"}, {"\x1b[107m", "\x1b[100m"}},
      {"vt100", {"4300", "Aviso"}, {"\x1b[30m", "\x1b[47m", "\x1b[107m", "\x1b[4"}},
  };
  for (const auto& c : cases) {
    setenv("TERM", c.term, 1);
    TermFrontEnd fe;
    std::string error;
    if (!fe.Open(error, slave_.c_str())) {
      ADD_FAILURE() << c.term << ": " << error;
      continue;
    }
    Output();
    WinSystem ws(&fe);
    fe.Attach(&ws);
    CreateParams p;
    p.class_name = "Form";
    p.text = "Form";
    p.style = kWsCaption;
    p.w = 960;
    p.h = 600;
    Hwnd form = ws.Create(p);
    Hwnd lv = CreateListView(ws, form, 3200, {0, 0, 480, 96});
    LvInsertColumn(ws, lv, 0, "Cuenta", 240, false);
    LvSetCell(ws, lv, LvAddRow(ws, lv), 0, "4300");
    LvSetColors(ws, lv, 0x000000, 0xFFE0E0);
    CreateStatic(ws, form, 0, {600, 0, 240, 48}, "Aviso", kSsBanner);
    ws.Show(form, ShowCmd::kShow);
    fe.Render();
    const std::string out = Output();
    for (const auto& want : c.present) EXPECT_NE(out.find(want), std::string::npos) << c.term << ": " << testing::PrintToString(want);
    for (const auto& not_want : c.absent)
      EXPECT_EQ(out.find(not_want), std::string::npos) << c.term << ": " << testing::PrintToString(not_want);
    fe.Close();
    Output();
  }
}

}  // namespace
}  // namespace plat
