// Popup menus at a point: the chosen command comes back to the caller and
// nothing is posted.
#include "platform/compositor.h"
#include "platform/ctl_menu.h"
#include "tests/platform/win_fixture.h"

namespace plat::test {
namespace {

class PopupMenuTest : public WinTest {
 protected:
  Hwnd form = kNoWindow;
  Hwnd edit = kNoWindow;
  int menu = 0;
  std::string seen;  // what the popup showed, captured while it was open

  void SetUp() override {
    form = Top("Form", {0, 0, 480, 264});
    edit = Edit(form, 2000, "edit", {12, 24, 120, 24});
    menu = ws.MenuCreate();
    ws.MenuAppend(menu, "Copiar", 1700);
    ws.MenuAppend(menu, "Pegar", 1701);
    ws.MenuAppend(menu, "Borrar", 1702);
    ws.MenuEnableItem(menu, 1701, false);
    ws.Show(form, ShowCmd::kShow);
    ws.Activate(form, edit);
    log.clear();
  }

  int Track(Point at) {
    return PopupMenuTrack(ws, edit, menu, at);
  }
};

TEST_F(PopupMenuTest, KeysChooseSkippingDisabledItems) {
  d.Run("key Down\nkey Enter\n");  // from Copiar, Down skips the disabled Pegar
  EXPECT_EQ(Track({120, 48}), 1702);
  EXPECT_EQ(ws.Focus(), edit);  // the focus is back where it was
  ws.Pump();
  EXPECT_EQ(Log().find("COMMAND"), std::string::npos) << Log();  // nothing posted or sent
}

TEST_F(PopupMenuTest, EscAndAClickOutsideDismiss) {
  d.Run("key Esc\n");
  EXPECT_EQ(Track({0, 0}), 0);
  d.Run("click cell=30,8\n");  // on the form, outside the popup
  EXPECT_EQ(Track({0, 0}), 0);
  EXPECT_EQ(ws.Focus(), edit);
}

TEST_F(PopupMenuTest, ClickAndScriptedPickChoose) {
  // The popup's top-left cell is the point's cell: (10, 2); its second row is Pegar (disabled).
  d.Run("click cell=11,2\n");
  EXPECT_EQ(Track({120, 48}), 1700);
  d.Run("click cell=11,3\nmenu id=1702\n");  // the disabled row does nothing
  EXPECT_EQ(Track({120, 48}), 1702);
}

TEST_F(PopupMenuTest, ScriptPickingAnItemTheMenuLacksStopsTheRun) {
  std::string report;
  ws.SetStallHandler([&](WinSystem&, const std::string& r) { report = r; });
  d.Run("menu id=1701\n");  // disabled
  EXPECT_EQ(Track({120, 48}), 0);
  EXPECT_NE(report.find("1701"), std::string::npos);
}

TEST_F(PopupMenuTest, NearTheEdgesItStaysInsideTheWorkArea) {
  // A timer looks at the popup while it is open, then the script dismisses it.
  Rect seen_rect;
  ws.SetTimer(form, 1, 10, [&](WinSystem& s, Hwnd, int) {
    s.KillTimer(form, 1);
    seen_rect = s.GetRect(s.Active());
    seen = Compose(s).Snapshot();
  });
  d.Run("wait 20ms\nkey Esc\n");
  EXPECT_EQ(Track({959, 599}), 0);
  // 8 columns (the longest text and a blank each side) by 3 rows, in the corner of 80 x 25.
  EXPECT_EQ(seen_rect, (Rect{72 * 12, 22 * 24, 8 * 12, 3 * 24}));
  EXPECT_NE(seen.find(" Copiar"), std::string::npos) << seen;
}

}  // namespace
}  // namespace plat::test
