// The stacking order of top-level windows: owned windows stay above their
// owners through activation, clicks and raises, and are drawn that way.
#include "platform/compositor.h"
#include "tests/platform/win_fixture.h"

namespace plat::test {
namespace {

class Stacking : public WinTest {
 protected:
  std::string Order() const {
    std::string s;
    for (Hwnd h : ws.TopLevels()) s += (s.empty() ? "" : " ") + ws.GetText(h);
    return s;
  }
  Hwnd Shown(const std::string& name, Rect r, Hwnd owner = kNoWindow) {
    Hwnd h = Top(name, r, owner);
    ws.Show(h, ShowCmd::kShow);
    return h;
  }
};

TEST_F(Stacking, ActivatingTheOwnerBringsItsOwnedWindowsAlong) {
  Hwnd a = Shown("A", {0, 0, 480, 264});
  Hwnd b = Shown("B", {240, 120, 240, 120}, a);
  Hwnd c = Shown("C", {600, 0, 240, 120});
  EXPECT_EQ(Order(), "A B C");
  ws.Activate(a);
  EXPECT_EQ(Order(), "C A B");
  EXPECT_EQ(ws.Active(), a);
  ws.Activate(c);
  EXPECT_EQ(Order(), "A B C");
  // Focusing a window inside the owner activates it the same way.
  Hwnd e = Edit(a, 2001, "e", {0, 0, 120, 24});
  ws.SetFocus(e);
  EXPECT_EQ(Order(), "C A B");
  // The owned window may go above its owner's other owned windows, never below the owner.
  Hwnd b2 = Shown("B2", {0, 240, 120, 48}, a);
  ws.Activate(b);
  EXPECT_EQ(Order(), "C A B2 B");
  ws.Raise(a);
  EXPECT_EQ(Order(), "C A B2 B");
  (void)b2;
}

TEST_F(Stacking, OwnershipChainsMoveAsOneKeepingTheirOrder) {
  Hwnd a = Shown("A", {0, 0, 240, 120});
  Hwnd x = Shown("X", {0, 0, 240, 120});
  Hwnd b = Shown("B", {0, 0, 240, 120}, a);
  Hwnd y = Shown("Y", {0, 0, 240, 120}, x);
  Hwnd c = Shown("C", {0, 0, 240, 120}, b);
  Hwnd d2 = Shown("D", {0, 0, 240, 120}, a);
  EXPECT_EQ(Order(), "A X B Y C D");
  ws.Raise(x);
  EXPECT_EQ(Order(), "A B C D X Y");
  ws.Raise(a);
  EXPECT_EQ(Order(), "X Y A B C D");
  // Raising an owned window takes its own owned windows, not its owner.
  ws.Raise(b);
  EXPECT_EQ(Order(), "X Y A D B C");
  // Hidden owned windows keep their place above the owner too.
  ws.Show(c, ShowCmd::kHide);
  ws.Raise(x);
  ws.Raise(a);
  EXPECT_EQ(Order(), "X Y A D B C");
  (void)y;
  (void)d2;
}

TEST_F(Stacking, AClickOnTheOwnerLeavesTheOwnedWindowDrawnAndHitAboveIt) {
  Hwnd a = Shown("A", {0, 0, 480, 264});
  Hwnd e = Edit(a, 2001, "e", {0, 0, 240, 24});
  Hwnd b = Shown("B", {120, 0, 240, 96}, a);
  ws.SetText(e, "0123456789ABCDEFGHIJ");
  Shown("C", {600, 0, 240, 120});
  // A click on the owner's edit, left of the owned window.
  Drive(Script().ClickCell(2, 1));
  EXPECT_EQ(ws.Active(), a);
  EXPECT_EQ(ws.Focus(), e);
  EXPECT_EQ(Order(), "C A B");
  CellGrid g = Compose(ws);
  // The owned window's caption covers the owner's caption row from column 10,
  // and its client area covers the rest of the edit.
  EXPECT_EQ(g.Row(0).substr(0, 13), " A         B ");
  EXPECT_EQ(g.Row(1).substr(0, 10), "0123456789");
  EXPECT_EQ(g.Row(1).size(), 10u);
  EXPECT_EQ(ws.HitTest({10 * 12 + 6, 1 * 24 + 12}).h, b);
  EXPECT_EQ(ws.HitTest({9 * 12 + 6, 1 * 24 + 12}).h, e);
}

}  // namespace
}  // namespace plat::test
