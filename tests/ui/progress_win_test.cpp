// The progress window: scaling of large totals, the remainder of scaled
// steps, the cyclic bar, the clock-driven tick, cancelling, its geometry and
// text mode, and what its closing gives back.
#include "ui/progress_win.h"

#include <gtest/gtest.h>

#include "core/clock.h"
#include "platform/ctl_progress.h"
#include "tests/ui/ui_fixture.h"

namespace eng::test {
namespace {

class ProgressWinTest : public UiTest {
 protected:
  void TearDown() override {
    ProgClose();
    ClockReset();
    UiTest::TearDown();
  }
  int BarMax() { return d.ws().Rec(ProgGetState().control)->progress.max; }
  int BarPos() { return plat::ProgressPos(d.ws(), ProgGetState().control); }
  plat::Hwnd Child(int id) { return d.ws().FindChild(ProgGetState().window, id); }
};

TEST_F(ProgressWinTest, LargeTotalsAreScaledOnceAtTheFirstStep) {
  struct Case {
    uint32_t total;
    uint32_t range;
    int64_t divisor;
    int32_t cyclic;
  } cases[] = {
      {1000000, 62500, 16, 0}, {65535, 65535, 0, 0}, {65536, 32768, 2, 0},
      {131072, 32768, 4, 0},   {0, 200, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.total);
    ASSERT_EQ(ProgOpen(0, c.total), kOk);
    EXPECT_EQ(ProgStep(0, 1, StrPair{}), kOk);
    // Later steps with the bar still at 0 leave the scale alone.
    EXPECT_EQ(ProgStep(0, 1, StrPair{}), kOk);
    EXPECT_EQ(ProgGetState().range, c.range);
    EXPECT_EQ(ProgGetState().divisor, c.divisor);
    EXPECT_EQ(ProgGetState().cyclic, c.cyclic);
    EXPECT_EQ(BarMax(), static_cast<int>(c.range));
    ProgClose();
  }
}

TEST_F(ProgressWinTest, ScaledStepsGatherInARoundedRemainder) {
  ASSERT_EQ(ProgOpen(0, 1000000), kOk);
  const std::pair<int, uint32_t> after[] = {{7, 0}, {8, 1}, {23, 1}, {24, 2}, {32, 2}};
  int done = 0;
  for (auto [steps, position] : after) {
    for (; done < steps; ++done) ASSERT_EQ(ProgStep(0, 1, StrPair{}), kOk);
    EXPECT_EQ(ProgGetState().position, position) << steps;
    EXPECT_EQ(BarPos(), static_cast<int>(position)) << steps;
  }
  // An increment of 0 counts as 1.
  for (int i = 0; i < 16; ++i) ASSERT_EQ(ProgStep(0, 0, StrPair{}), kOk);
  EXPECT_EQ(ProgGetState().position, 3u);
}

TEST_F(ProgressWinTest, WithoutATotalTheBarRunsRoundFrom1To200) {
  for (int i = 0; i < 200; ++i) ASSERT_EQ(ProgStep(0, 1, StrPair{}), kOk);
  EXPECT_NE(ProgGetState().window, plat::kNoWindow);  // the first step opened it
  EXPECT_EQ(ProgGetState().position, 200u);
  ASSERT_EQ(ProgStep(0, 1, StrPair{}), kOk);
  EXPECT_EQ(ProgGetState().position, 1u);
  EXPECT_FALSE(ProgActive());
}

TEST_F(ProgressWinTest, TheTickStepsEvery32Milliseconds) {
  ClockSetVirtualMonotonic(1000);
  ASSERT_EQ(ProgOpen(0, 0), kOk);
  EXPECT_EQ(ProgTick(0), kOk);
  const std::pair<uint32_t, uint32_t> at[] = {{31, 0}, {32, 1}, {63, 1}, {64, 2}};
  uint64_t now = 0;
  for (auto [ms, position] : at) {
    ClockSleepMs(static_cast<uint32_t>(ms - now));
    now = ms;
    EXPECT_EQ(ProgTick(2), kOk);
    EXPECT_EQ(ProgGetState().position, position) << ms;
  }
}

TEST_F(ProgressWinTest, ACancelSticksUntilTheWindowCloses) {
  struct Case {
    const char* what;
    plat::Script script;
  };
  const Case cases[] = {
      {"Esc", plat::Script().Key("Esc")},
      {"the Cancel button", plat::Script().Click(kIdProgCancel)},
      {"the close box", plat::Script().Close()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(ProgOpen(0, 10), kOk);
    EXPECT_EQ(ProgStep(0, 1, StrPair{}), kOk);
    d.Run(c.script);
    EXPECT_EQ(ProgStep(0, 1, StrPair{}), kStCancelled);
    EXPECT_EQ(ProgPump(), kStCancelled);
    EXPECT_EQ(ProgShowText(StrOf("x")), kStCancelled);
    // The window stays for the operation to close it.
    EXPECT_TRUE(d.ws().IsWindow(ProgGetState().window));
    ProgClose();
    ASSERT_EQ(ProgOpen(0, 10), kOk);
    EXPECT_EQ(ProgStep(0, 1, StrPair{}), kOk);
    ProgClose();
    EXPECT_EQ(d.input().remaining(), 0u);
  }
  EXPECT_EQ(stall, "");
}

TEST_F(ProgressWinTest, TheWindowItsBarAndItsButton) {
  for (uint16_t width : {uint16_t{0}, uint16_t{0xFFFF}}) {
    ASSERT_EQ(ProgOpen(width, 50), kOk);
    plat::WinSystem& ws = d.ws();
    const plat::Rect r = ws.GetRect(ProgGetState().window);
    EXPECT_EQ(r.w, 440);
    EXPECT_EQ(ws.ClientRect(ProgGetState().window).h, 90);
    EXPECT_EQ(r.x, (960 - r.w) / 2);
    EXPECT_EQ(r.y, (600 - r.h) / 2);
    EXPECT_EQ(ws.GetText(ProgGetState().window), "Proceso en progreso.....");
    EXPECT_EQ(ws.GetRect(ProgGetState().control), (plat::Rect{20, 10, 400, 17}));
    EXPECT_EQ(ws.Rec(ProgGetState().control)->kind, plat::WinKind::kProgress);
    EXPECT_EQ(ws.GetRect(Child(kIdProgCancel)), (plat::Rect{350, 35, 70, 20}));
    EXPECT_EQ(ws.GetText(Child(kIdProgCancel)), "Cancelar");
    ProgClose();
  }
  // A second open keeps the window and its state.
  ASSERT_EQ(ProgOpen(0, 50), kOk);
  const plat::Hwnd first = ProgGetState().window;
  ProgStep(0, 3, StrPair{});
  ASSERT_EQ(ProgOpen(0, 999), kOk);
  EXPECT_EQ(ProgGetState().window, first);
  EXPECT_EQ(ProgGetState().position, 3u);
  EXPECT_EQ(ProgGetState().total, 50u);
  EXPECT_TRUE(ProgActive());
}

TEST_F(ProgressWinTest, TextModeReplacesTheBarForGood) {
  plat::WinSystem& ws = d.ws();
  // Without a window a text opens one in text mode.
  ASSERT_EQ(ProgShowText(StrOf("Copiando CLIENTES")), kOk);
  EXPECT_EQ(ProgGetState().text_mode, 1);
  EXPECT_EQ(ws.Rec(ProgGetState().control)->kind, plat::WinKind::kStatic);
  EXPECT_EQ(ws.GetText(ProgGetState().control), "Copiando CLIENTES");
  ProgClose();

  // A text on a bar window: a text line in the bar's place, and steps show texts.
  ASSERT_EQ(ProgOpen(0, 10), kOk);
  ASSERT_EQ(ProgStep(0, 1, StrPair{}), kOk);
  ASSERT_EQ(ProgTextStep(5, 0, StrOf("Movimientos")), kOk);
  EXPECT_EQ(ws.Rec(ProgGetState().control)->kind, plat::WinKind::kStatic);
  EXPECT_EQ(ws.GetRect(ProgGetState().control), (plat::Rect{20, 10, 400, 17}));
  ASSERT_EQ(ProgStep(0, 1, StrOf("Totales")), kOk);
  EXPECT_EQ(ws.GetText(ProgGetState().control), "Totales");
  EXPECT_EQ(ws.Children(ProgGetState().window).size(), 2u);  // the text line and the button
  ProgSetTitle(StrOf("Copia"));
  EXPECT_EQ(ws.GetText(ProgGetState().window), "Copia");
}

TEST_F(ProgressWinTest, ClosingGivesTheWindowBelowBackAndNeverEndsTheRun) {
  plat::WinSystem& ws = d.ws();
  plat::Hwnd below = WinCreateKind(1, 0, StrOf("Clientes"), 0, 20, 5, {});
  ASSERT_NE(below, plat::kNoWindow);
  WinShowTop(-1);
  ASSERT_EQ(ProgOpen(0, 5), kOk);
  EXPECT_EQ(WinTop(), ProgGetState().window);
  EXPECT_EQ(ws.Owner(ProgGetState().window), below);
  EXPECT_FALSE(ws.IsEnabled(below));
  ProgClose();
  EXPECT_EQ(ProgGetState().window, plat::kNoWindow);
  EXPECT_EQ(WinTop(), below);
  EXPECT_TRUE(ws.IsEnabled(below));
  EXPECT_EQ(ws.Active(), below);
  plat::Msg m;
  EXPECT_FALSE(ws.PeekMessage(m));
  ws.Destroy(below);
  while (ws.PeekMessage(m)) {
  }

  // Alone on the stack, the progress window leaves no quit behind.
  ASSERT_EQ(ProgOpen(0, 5), kOk);
  ProgClose();
  EXPECT_EQ(WinTop(), plat::kNoWindow);
  EXPECT_FALSE(ws.PeekMessage(m));
  // Closing without a window does nothing.
  ProgClose();
}

TEST_F(ProgressWinTest, ResetSetsTheStateWithoutAWindowAndTheDivisorScalesFurther) {
  ProgReset(0, 100000, StrOf("Cierre"));
  EXPECT_EQ(ProgGetState().window, plat::kNoWindow);
  EXPECT_TRUE(ProgActive());
  // The first step opens the window with the reset total.
  ASSERT_EQ(ProgStep(0, 4, StrPair{}), kOk);
  EXPECT_NE(ProgGetState().window, plat::kNoWindow);
  EXPECT_EQ(ProgGetState().range, 50000u);
  EXPECT_EQ(ProgGetState().divisor, 2);
  EXPECT_EQ(ProgGetState().position, 2u);
  ProgClose();

  // A divisor set on the open window is doubled by the scaling: 100000 ->
  // 50000 with divisor 8, and an increment of 4 moves the bar by 1.
  ASSERT_EQ(ProgOpen(0, 100000), kOk);
  ProgSetStep(4);
  ASSERT_EQ(ProgStep(0, 4, StrPair{}), kOk);
  EXPECT_EQ(ProgGetState().divisor, 8);
  EXPECT_EQ(ProgGetState().position, 1u);
  EXPECT_EQ(ProgGetState().remainder, -4);
}

}  // namespace
}  // namespace eng::test
