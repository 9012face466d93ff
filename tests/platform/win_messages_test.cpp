// The message rules of the window system, each pinned by the exact message
// log it must produce.
#include "tests/platform/win_fixture.h"

namespace plat::test {
namespace {

class MessageRules : public WinTest {
 protected:
  Hwnd top = kNoWindow, e1 = kNoWindow, e2 = kNoWindow, ok = kNoWindow;
  void SetUp() override {
    top = Top("top");
    e1 = Edit(top, 2001, "e1", {12, 0, 120, 24});
    e2 = Edit(top, 2002, "e2", {12, 24, 120, 24});
    ok = Button(top, 3100, "ok", {12, 48, 72, 24});
    ws.Show(top, ShowCmd::kShow);
    ws.SetFocus(e1);
    log.clear();
  }
};

TEST_F(MessageRules, AKeyIsKeyDownThenCharThenKeyUp) {
  Drive(Script().Type("a").Key("Shift+Tab").Key("F3"));
  EXPECT_EQ(Log(),
            "e1:KEYDOWN A, e1:CHAR a, e1:KEYUP A, "
            "e1:KEYDOWN Shift, e1:KEYDOWN Tab, e1:CHAR 9, e1:KEYUP Tab, e1:KEYUP Shift, "
            "e1:KEYDOWN F3, e1:KEYUP F3");
}

TEST_F(MessageRules, ModifierStateTravelsWithTheKey) {
  std::vector<std::string> seen;
  auto prev = std::make_shared<WndProc>();
  *prev = ws.SetProc(e1, [&, prev](WinSystem& s, Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
    if (msg == kWmKeyDown || msg == kWmKeyUp)
      seen.push_back(MsgName(msg) + " " + KeyName(static_cast<uint8_t>(w)) + (s.KeyIsDown(kVkShift) ? " shift" : "") +
                     (s.KeyIsDown(kVkControl) ? " ctrl" : ""));
    return (*prev)(s, h, msg, w, l);
  });
  Drive(Script().Key("Ctrl+Shift+Tab").Key("Tab"));
  std::vector<std::string> want = {"KEYDOWN Ctrl ctrl",          "KEYDOWN Shift shift ctrl", "KEYDOWN Tab shift ctrl",
                                   "KEYUP Tab shift ctrl",       "KEYUP Shift ctrl",         "KEYUP Ctrl",
                                   "KEYDOWN Tab",                "KEYUP Tab"};
  EXPECT_EQ(seen, want);
}

TEST_F(MessageRules, PostedMessagesComeBeforeInput) {
  d.Run(Script().Type("x"));
  ws.Post(e1, kWmUser);
  ws.Post(top, kWmUser + 1);
  ws.Pump();
  EXPECT_EQ(Log(), "e1:USER+0, top:USER+1, e1:KEYDOWN X, e1:CHAR x, e1:KEYUP X");
}

TEST_F(MessageRules, InputGoesToTheWindowFocusedWhenItIsFetched) {
  // Type-ahead: the Tab moves the focus, so what follows lands in the next field.
  auto prev = std::make_shared<WndProc>();
  *prev = ws.SetProc(e1, [prev, this](WinSystem& s, Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
    if (msg == kWmKeyDown && w == kVkTab) {
      s.SetFocus(e2);
      return int64_t{0};
    }
    return (*prev)(s, h, msg, w, l);
  });
  Drive(Script().Type("ABC").Key("Tab").Type("DEF"));
  EXPECT_EQ(ws.GetText(e1), "ABC");
  EXPECT_EQ(ws.GetText(e2), "DEF");
  EXPECT_EQ(ws.Focus(), e2);
}

TEST_F(MessageRules, ALoopThatTakesKeyDownWithoutTranslatingGetsNoChar) {
  d.Run(Script().Key("Enter").Type("z"));
  Msg m;
  ASSERT_TRUE(ws.GetMessage(m));
  EXPECT_EQ(m.msg, kWmKeyDown);  // taken and not translated, as a wait-for-key does
  ws.Pump();
  EXPECT_EQ(Log(), "e1:KEYUP Enter, e1:KEYDOWN Z, e1:CHAR z, e1:KEYUP Z");
  EXPECT_EQ(ws.GetText(e1), "z");
}

TEST_F(MessageRules, KillFocusReachesTheOldWindowBeforeSetFocusReachesTheNew) {
  ws.SetFocus(e2);
  EXPECT_EQ(Log(), "e1:KILLFOCUS, e2:SETFOCUS");
  EXPECT_EQ(ws.Focus(), e2);
}

TEST_F(MessageRules, AFocusChangeMadeInsideAFocusHandlerWins) {
  // Inside SETFOCUS: the new window hands the focus on.
  auto prev2 = std::make_shared<WndProc>();
  *prev2 = ws.SetProc(e2, [prev2, this](WinSystem& s, Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
    int64_t r = (*prev2)(s, h, msg, w, l);
    if (msg == kWmSetFocus) s.SetFocus(ok);
    return r;
  });
  ws.SetFocus(e2);
  EXPECT_EQ(Log(), "e1:KILLFOCUS, e2:SETFOCUS, e2:KILLFOCUS, ok:SETFOCUS");
  EXPECT_EQ(ws.Focus(), ok);
}

TEST_F(MessageRules, AFieldThatRefusesToLoseTheFocusKeepsIt) {
  // Inside KILLFOCUS: the old window takes the focus back (a failed check);
  // the window that was to get it hears nothing.
  auto prev1 = std::make_shared<WndProc>();
  *prev1 = ws.SetProc(e1, [prev1, this](WinSystem& s, Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
    int64_t r = (*prev1)(s, h, msg, w, l);
    if (msg == kWmKillFocus) s.SetFocus(e1);
    return r;
  });
  ws.SetFocus(e2);
  EXPECT_EQ(Log(), "e1:KILLFOCUS, e1:SETFOCUS");
  EXPECT_EQ(ws.Focus(), e1);
}

TEST_F(MessageRules, AClickFocusesTheControlBeforeItsCommandArrives) {
  Drive(Script().Type("x").Click(3100));
  EXPECT_EQ(Log(), "e1:KEYDOWN X, e1:CHAR x, e1:KEYUP X, e1:KILLFOCUS, ok:SETFOCUS, top:COMMAND 3100/0");
  EXPECT_EQ(ws.Focus(), ok);
}

TEST_F(MessageRules, SpaceOnAButtonSendsItsCommand) {
  ws.SetFocus(ok);
  log.clear();
  Drive(Script().Key("Space"));
  EXPECT_EQ(Log(), "ok:KEYDOWN Space, ok:CHAR 32, ok:KEYUP Space, top:COMMAND 3100/0");
}

TEST_F(MessageRules, QuitEndsOnlyTheInnermostLoop) {
  std::vector<int> results;
  auto prev = std::make_shared<WndProc>();
  *prev = ws.SetProc(top, [&, prev](WinSystem& s, Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
    if (msg == kWmUser) {
      s.Post(h, kWmUser + 1);
      s.PostQuit(7);
      results.push_back(s.RunLoop());
      s.PostQuit(9);
      return int64_t{0};
    }
    return (*prev)(s, h, msg, w, l);
  });
  ws.Post(top, kWmUser);
  results.push_back(ws.RunLoop());
  EXPECT_EQ(results, (std::vector<int>{7, 9}));
  // The message posted before the inner quit was handled by the inner loop.
  EXPECT_EQ(Log(), "top:USER+1");
}

TEST_F(MessageRules, PumpReportsQuitAndAnEmptyDesktop) {
  ws.PostQuit(0);
  EXPECT_TRUE(ws.Pump());
  EXPECT_FALSE(ws.Pump());
  ws.Destroy(top);
  EXPECT_TRUE(ws.Pump());
}

TEST_F(MessageRules, DisabledWindowsGetNoInput) {
  ws.Enable(e2, false);
  EXPECT_EQ(ws.SetFocus(e2), kNoWindow);
  EXPECT_EQ(ws.Focus(), e1);
  ws.Enable(top, false);  // a modal box would do this to its owner
  log.clear();
  Drive(Script().Type("x").Click(3100).ClickCell(2, 1));
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(ws.GetText(e1), "");
  ws.Enable(top, true);
  Drive(Script().Click(2002));  // still disabled itself
  EXPECT_EQ(Log(), "");
}

TEST_F(MessageRules, DisablingTheFocusedWindowTakesTheFocusAway) {
  ws.Enable(e1, false);
  EXPECT_EQ(Log(), "e1:KILLFOCUS");
  EXPECT_EQ(ws.Focus(), kNoWindow);
}

TEST_F(MessageRules, HiddenWindowsRefuseTheFocus) {
  ws.Show(e2, ShowCmd::kHide);
  EXPECT_EQ(ws.SetFocus(e2), kNoWindow);
  Hwnd hidden = Top("hidden");
  EXPECT_EQ(ws.SetFocus(hidden), kNoWindow);
  EXPECT_FALSE(ws.Activate(hidden));
  EXPECT_EQ(ws.Focus(), e1);
}

TEST_F(MessageRules, TopLevelWindowsAreCreatedHiddenAndShowingActivatesAndFocusesThem) {
  Hwnd w2 = Top("w2", {120, 48, 240, 120});
  EXPECT_FALSE(ws.IsVisible(w2));
  EXPECT_EQ(ws.Active(), top);
  ws.Show(w2, ShowCmd::kShow);
  EXPECT_EQ(ws.Active(), w2);
  EXPECT_EQ(ws.Focus(), w2);
  EXPECT_EQ(Log(), "e1:KILLFOCUS, w2:SETFOCUS");
  EXPECT_EQ(ws.TopLevels().back(), w2);
}

TEST_F(MessageRules, AClickActivatesTheWindowUnderIt) {
  Hwnd w2 = Top("w2", {480, 0, 240, 120});
  Hwnd e3 = Edit(w2, 2001, "e3", {0, 0, 120, 24});
  ws.Show(w2, ShowCmd::kShow);
  log.clear();
  // Cell (3, 1): first client row of "top", over e1.
  Drive(Script().ClickCell(3, 1));
  EXPECT_EQ(ws.Active(), top);
  EXPECT_EQ(ws.Focus(), e1);
  EXPECT_EQ(Log(), "w2:KILLFOCUS, top:SETFOCUS, top:KILLFOCUS, e1:SETFOCUS");
  (void)e3;
}

TEST_F(MessageRules, DestroyGoesToOwnedWindowsFirstThenParentThenChildren) {
  Hwnd owned = Top("owned", {0, 0, 120, 48}, top);
  Hwnd inner = CreateStatic(ws, e2, 1, {0, 0, 12, 24}, "x");
  Watch(inner, "inner");
  ws.Destroy(top);
  EXPECT_EQ(Log(), "owned:DESTROY, e1:KILLFOCUS, top:DESTROY, e1:DESTROY, e2:DESTROY, inner:DESTROY, ok:DESTROY");
  EXPECT_EQ(ws.Focus(), kNoWindow);
  EXPECT_EQ(ws.Active(), kNoWindow);
  for (Hwnd h : {top, owned, e1, e2, inner, ok}) EXPECT_FALSE(ws.IsWindow(h));
  EXPECT_TRUE(ws.TopLevels().empty());
}

TEST_F(MessageRules, DestroyingTheActiveWindowActivatesNothing) {
  Hwnd below = Top("below", {0, 0, 480, 264});
  ws.Show(below, ShowCmd::kShow);
  ws.Show(top, ShowCmd::kShow);
  ASSERT_EQ(ws.Active(), top);
  ws.Destroy(top);
  EXPECT_EQ(ws.Active(), kNoWindow);
  EXPECT_EQ(ws.Focus(), kNoWindow);
}

TEST_F(MessageRules, CallsOnADestroyedWindowAreHarmless) {
  ws.Destroy(e2);
  EXPECT_FALSE(ws.IsWindow(e2));
  EXPECT_EQ(ws.Send(e2, kWmUser), 0);
  EXPECT_FALSE(ws.Post(e2, kWmUser));
  ws.SetText(e2, "x");
  ws.Move(e2, {1, 2, 3, 4});
  ws.Enable(e2, false);
  ws.Show(e2, ShowCmd::kShow);
  ws.Destroy(e2);
  EXPECT_EQ(ws.SetFocus(e2), kNoWindow);
  EXPECT_FALSE(ws.SetTimer(e2, 1, 100));
  EXPECT_EQ(ws.GetText(e2), "");
  EXPECT_EQ(ws.FindChild(top, 2002), kNoWindow);
  // The slot is reused under a new handle; the old one stays dead.
  Hwnd again = CreateEdit(ws, top, 2002, {0, 0, 12, 24});
  EXPECT_NE(again, e2);
  EXPECT_FALSE(ws.IsWindow(e2));
  EXPECT_EQ(ws.FindChild(top, 2002), again);
}

TEST_F(MessageRules, AProcedureMayDestroyItsOwnWindowAndTheCharOfThatKeyIsDropped) {
  Hwnd below = Top("below", {0, 0, 480, 264});
  Hwnd eb = Edit(below, 2001, "eb", {0, 0, 120, 24});
  ws.Show(below, ShowCmd::kShow);
  ws.Show(top, ShowCmd::kShow);
  ws.Activate(top, e1);
  auto prev = std::make_shared<WndProc>();
  *prev = ws.SetProc(e1, [prev, this, below, eb](WinSystem& s, Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
    if (msg == kWmKeyDown && w == kVkReturn) {
      s.Send(top, kWmClose);  // the close rule: Enter closes the form
      s.Activate(below, eb);
      return int64_t{0};
    }
    return (*prev)(s, h, msg, w, l);
  });
  log.clear();
  Drive(Script().Key("Enter"));
  EXPECT_FALSE(ws.IsWindow(top));
  EXPECT_EQ(ws.Focus(), eb);
  EXPECT_EQ(ws.GetText(eb), "");
  // The key-up goes to the window focused when it is fetched.
  EXPECT_EQ(Log(), "top:CLOSE, e1:KILLFOCUS, top:DESTROY, e1:DESTROY, e2:DESTROY, ok:DESTROY, eb:SETFOCUS, eb:KEYUP Enter");
}

TEST_F(MessageRules, SubclassingChainsToThePreviousProcedure) {
  std::string order;
  auto first = std::make_shared<WndProc>();
  *first = ws.SetProc(e1, [&, first](WinSystem& s, Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
    if (msg == kWmUser + 5) order += "first ";
    return (*first)(s, h, msg, w, l);
  });
  auto second = std::make_shared<WndProc>();
  *second = ws.SetProc(e1, [&, second](WinSystem& s, Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
    if (msg == kWmUser + 5) order += "second ";
    return (*second)(s, h, msg, w, l);
  });
  ws.Send(e1, kWmUser + 5);
  EXPECT_EQ(order, "second first ");
  // Putting the previous procedure back removes the newest link only.
  WndProc mine = ws.SetProc(e1, *second);
  EXPECT_TRUE(static_cast<bool>(mine));
  order.clear();
  ws.Send(e1, kWmUser + 5);
  EXPECT_EQ(order, "first ");
  // The chain still ends in the edit's own procedure.
  ws.SetText(e1, "");
  Drive(Script().Type("ok"));
  EXPECT_EQ(ws.GetText(e1), "ok");
}

TEST_F(MessageRules, FindChildSearchesDescendantsById) {
  Hwnd inner = CreateStatic(ws, e2, 4165, {0, 0, 12, 24}, "x");
  EXPECT_EQ(ws.FindChild(top, 2002), e2);
  EXPECT_EQ(ws.FindChild(top, 4165), inner);
  EXPECT_EQ(ws.FindChild(top, 9999), kNoWindow);
  EXPECT_EQ(ws.TopLevelOf(inner), top);
}

}  // namespace
}  // namespace plat::test

namespace plat::test {
namespace {

TEST_F(MessageRules, ShiftReleasedInsideABoxDoesNotStickToTheNextKey) {
  std::vector<std::string> tabs;
  auto prev = std::make_shared<WndProc>();
  *prev = ws.SetProc(e1, [&, prev](WinSystem& s, Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
    if (msg == kWmKeyDown && w == kVkTab) {
      const bool shift = s.KeyIsDown(kVkShift);
      tabs.push_back(shift ? "back" : "forward");
      if (shift) {
        MsgBoxRequest r;
        r.text = "x";
        r.style = MsgBoxKindStyle(0);
        d.msgbox().Show(r);  // the Shift key goes up while the box has the focus
      }
      return int64_t{0};
    }
    return (*prev)(s, h, msg, w, l);
  });
  d.Run("key Shift+Tab\nanswer OK\nkey Tab\n");
  ws.Pump();
  EXPECT_EQ(tabs, (std::vector<std::string>{"back", "forward"}));
  EXPECT_EQ(ws.Focus(), e1);
}

TEST_F(MessageRules, DiscardingPendingDropsPostedMessagesAndQueuedInput) {
  d.Run(Script().Key("Shift+Tab"));
  Msg m;
  ASSERT_TRUE(ws.PeekMessage(m));  // the Shift key-down; the rest of the key is queued
  ws.Post(e1, kWmUser);
  ws.DiscardPending();
  log.clear();
  ws.Pump();
  EXPECT_EQ(Log(), "");
}

TEST_F(MessageRules, TheMousePositionIsTheLastPointerEvent) {
  Drive(Script().ClickCell(5, 3));
  EXPECT_EQ(ws.MousePos(), (Point{66, 84}));
  Drive(Script().Click(2001));  // by id: the control's first cell
  EXPECT_EQ(ws.MousePos(), (Point{18, 36}));
}

}  // namespace
}  // namespace plat::test

namespace plat::test {
namespace {

TEST_F(MessageRules, AChildThatDestroysItsParentWhileDyingIsToldOnce) {
  auto prev = std::make_shared<WndProc>();
  *prev = ws.SetProc(e2, [prev, this](WinSystem& s, Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
    int64_t r = (*prev)(s, h, msg, w, l);
    if (msg == kWmDestroy) s.Destroy(top);
    return r;
  });
  ws.Destroy(e2);
  EXPECT_EQ(Log(), "e2:DESTROY, e1:KILLFOCUS, top:DESTROY, e1:DESTROY, ok:DESTROY");
  EXPECT_FALSE(ws.IsWindow(top));
  EXPECT_FALSE(ws.IsWindow(e2));
  EXPECT_TRUE(ws.TopLevels().empty());
}

}  // namespace
}  // namespace plat::test

namespace plat::test {
namespace {

TEST_F(MessageRules, AButtonWhoseCommandClosesTheFormEndsCleanly) {
  auto prev = std::make_shared<WndProc>();
  *prev = ws.SetProc(top, [prev](WinSystem& s, Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
    if (msg == kWmCommand && CommandId(w) == 3100) {
      s.Destroy(h);
      s.PostQuit(4);
      return int64_t{0};
    }
    return (*prev)(s, h, msg, w, l);
  });
  d.Run(Script().Type("a").Click(3100).Type("b"));
  EXPECT_EQ(ws.RunLoop(), 4);
  EXPECT_FALSE(ws.IsWindow(top));
  EXPECT_FALSE(ws.IsWindow(ok));
  // Input after the close has nowhere to go and is dropped.
  EXPECT_TRUE(ws.Pump());
  EXPECT_EQ(d.input().remaining(), 0u);
}

}  // namespace
}  // namespace plat::test
