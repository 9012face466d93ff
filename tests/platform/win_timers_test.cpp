// Timers on the virtual clock, idle waiting and the fail-fast stop.
#include "tests/platform/win_fixture.h"

namespace plat::test {
namespace {

class Waiting : public WinTest {
 protected:
  Hwnd top = kNoWindow;
  std::string stall_report;
  void SetUp() override {
    top = Top("top");
    ws.Show(top, ShowCmd::kShow);
    ws.SetStallHandler([this](WinSystem&, const std::string& report) { stall_report = report; });
    log.clear();
  }
};

TEST_F(Waiting, TimersFireOnTheVirtualClockAndAnIdleLoopWaitsForThem) {
  std::vector<uint64_t> fired;
  ws.SetTimer(top, 7, 350, [&](WinSystem& s, Hwnd h, int id) {
    fired.push_back(s.Now());
    EXPECT_EQ(h, top);
    EXPECT_EQ(id, 7);
    if (fired.size() == 2) s.PostQuit(0);
  });
  d.Run(Script().Wait(1000));
  EXPECT_EQ(ws.RunLoop(), 0);
  EXPECT_EQ(fired, (std::vector<uint64_t>{350, 700}));
  // The loop blocked once per deadline: it never spun on an empty queue.
  EXPECT_EQ(d.input().waits(), 2u);
  EXPECT_EQ(ws.waits(), 2u);
  // The rest of the wait is still in the script.
  EXPECT_EQ(d.input().remaining(), 1u);
}

TEST_F(Waiting, ATimerWithoutCallbackReachesTheWindowProcedure) {
  ws.SetTimer(top, 3, 100);
  d.Run(Script().Wait(250).Type("q"));
  auto prev = std::make_shared<WndProc>();
  *prev = ws.SetProc(top, [prev](WinSystem& s, Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
    if (msg == kWmKeyDown) s.PostQuit(1);
    return (*prev)(s, h, msg, w, l);
  });
  EXPECT_EQ(ws.RunLoop(), 1);
  EXPECT_EQ(Log(), "top:TIMER 3, top:TIMER 3, top:KEYDOWN Q, top:CHAR q");
  ws.KillTimer(top, 3);
  d.Run(Script().Wait(1000));
  ws.PostQuit(2);
  EXPECT_EQ(ws.RunLoop(), 2);
  EXPECT_EQ(Log(), "top:TIMER 3, top:TIMER 3, top:KEYDOWN Q, top:CHAR q");
}

TEST_F(Waiting, InputIsTakenBeforeDueTimers) {
  ws.SetTimer(top, 1, 100);
  d.Run(Script().Wait(100).Type("a").Type("b"));
  auto prev = std::make_shared<WndProc>();
  *prev = ws.SetProc(top, [prev](WinSystem& s, Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
    if (msg == kWmTimer) s.PostQuit(0);
    return (*prev)(s, h, msg, w, l);
  });
  ws.RunLoop();
  EXPECT_EQ(Log(), "top:KEYDOWN A, top:CHAR a, top:KEYUP A, top:KEYDOWN B, top:CHAR b, top:KEYUP B, top:TIMER 1");
}

TEST_F(Waiting, TimersOfADestroyedWindowStop) {
  Hwnd other = Top("other");
  int fired = 0;
  ws.SetTimer(other, 1, 50, [&](WinSystem&, Hwnd, int) { ++fired; });
  ws.Destroy(other);
  d.Run(Script().Wait(500));
  ws.RunLoop();
  EXPECT_EQ(fired, 0);
}

TEST_F(Waiting, AWindowWaitingOnAnExhaustedScriptStopsTheRunWithTheDump) {
  d.Run(Script().Type("x"));
  EXPECT_EQ(ws.RunLoop(), -1);
  EXPECT_TRUE(ws.stalled());
  EXPECT_NE(stall_report.find("a window waits for input and none can come"), std::string::npos);
  EXPECT_NE(stall_report.find("window \"top\""), std::string::npos) << stall_report;
  EXPECT_NE(stall_report.find("active: window \"top\""), std::string::npos) << stall_report;
  // Every loop ends from now on, nested ones included: nothing can hang.
  EXPECT_EQ(ws.RunLoop(), -1);
}

TEST_F(Waiting, PeekNeverBlocks) {
  Msg m;
  EXPECT_FALSE(ws.PeekMessage(m));
  d.Run(Script().Wait(100));
  EXPECT_FALSE(ws.PeekMessage(m));
  EXPECT_EQ(ws.Now(), 0u);
  EXPECT_FALSE(ws.stalled());
}

TEST(WaitingDeathTest, WithoutAHandlerAStallEndsTheProcessWithTheDump) {
  EXPECT_DEATH(
      {
        HeadlessDriver d;
        CreateParams p;
        p.class_name = "Form";
        p.style = kWsCaption;
        Hwnd h = d.ws().Create(p);
        d.ws().Show(h, ShowCmd::kShow);
        d.ws().RunLoop();
      },
      "a window waits for input and none can come(.|\n)*window \"Form\"");
}

TEST(WaitingDeathTest, ABatchRunEndsWithStatus122WhenAWindowWaits) {
  EXPECT_EXIT(
      {
        WinSystem ws;  // no front end: no input can ever come
        ws.SetStallHandler(ExitOnStall());
        CreateParams p;
        p.class_name = "Batch";
        Hwnd h = ws.Create(p);
        ws.Show(h, ShowCmd::kShow);
        ws.RunLoop();
      },
      ::testing::ExitedWithCode(122), "none can come(.|\n)*window \"Batch\"");
}

TEST_F(Waiting, AScriptStepThatDoesNotFitStopsTheRun) {
  d.Run(Script().Answer(MsgAnswer::kYes));
  ws.RunLoop();
  EXPECT_NE(stall_report.find("the script answers a message box, but none is open"), std::string::npos);
  stall_report.clear();
}

TEST_F(Waiting, AnUnknownKeyStopsTheRunWhenItIsReached) {
  d.Run(Script().Key("Hyper+Q"));
  EXPECT_EQ(d.input().remaining(), 1u);
  ws.RunLoop();
  EXPECT_NE(stall_report.find("the script names a key that does not exist"), std::string::npos);
}

TEST_F(Waiting, AClickOnAMissingIdStopsTheRun) {
  d.Run(Script().Click(4242));
  ws.RunLoop();
  EXPECT_NE(stall_report.find("the script clicks id 4242, but no shown window has it"), std::string::npos);
}

}  // namespace
}  // namespace plat::test
