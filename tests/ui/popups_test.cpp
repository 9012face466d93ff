// Popup menus of comma lists and the banner.
#include "ui/popups.h"

#include <gtest/gtest.h>

#include "platform/ctl_menu.h"
#include "tests/ui/ui_fixture.h"

namespace eng::test {
namespace {

class PopupsTest : public UiTest {
 protected:
  void TearDown() override {
    PopupBannerHide();
    UiTest::TearDown();
  }
};

uint32_t PointAt100x300() { return (100u << 16) | 300u; }

TEST_F(PopupsTest, TheMenuAnswersTheItemChosenOr0) {
  plat::WinSystem& ws = d.ws();
  plat::Hwnd form = WinCreateKind(1, 0, StrOf("Ventas"), 0, 30, 8, {});
  ASSERT_NE(form, plat::kNoWindow);
  WinShowTop(-1);
  struct Case {
    const char* what;
    plat::Hwnd window;
    plat::Script script;
    uint16_t answer;
  };
  const Case cases[] = {
      {"the third item", form, plat::Script().Menu(1702), 3},
      {"the first, by keys", form, plat::Script().Key("Enter"), 1},
      {"Down twice and Enter", form, plat::Script().Key("Down").Key("Down").Key("Enter"), 3},
      {"Esc", form, plat::Script().Key("Esc"), 0},
      {"without a window", plat::kNoWindow, plat::Script().Menu(1701), 2},
      {"without a window, Esc", plat::kNoWindow, plat::Script().Key("Esc"), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    d.Run(c.script);
    EXPECT_EQ(PopupMenuChoose(c.window, StrOf("Uno,'Dos',Tres"), &PointAt100x300), c.answer);
    EXPECT_EQ(d.input().remaining(), 0u);
    // Nothing is left behind: the form is the only window.
    EXPECT_EQ(ws.TopLevels(), std::vector<plat::Hwnd>{form});
  }
  EXPECT_EQ(stall, "");
  // The items as shown, unquoted, and nothing for an empty list.
  EXPECT_EQ(PopupMenuChoose(form, StrPair{}, nullptr), 0);
}

TEST_F(PopupsTest, TheMenuHangsAboveThePoint) {
  plat::Rect shown;
  d.ws().SetTimer(plat::kNoWindow, 7, 10, [&](plat::WinSystem& ws, plat::Hwnd, int) {
    ws.KillTimer(plat::kNoWindow, 7);
    for (plat::Hwnd h : ws.TopLevels())
      if (ws.Rec(h)->class_name == plat::kMenuPopupClass) shown = ws.GetRect(h);
  });
  d.Run(plat::Script().Wait(20).Key("Esc"));
  EXPECT_EQ(PopupMenuChoose(plat::kNoWindow, StrOf("Uno,Dos,Tres"), &PointAt100x300), 0);
  // Three rows of 24 pixels end at y 300 (the row of y 228 is row 9); x 100
  // falls in cell 8.
  EXPECT_EQ(shown.y, 9 * 24);
  EXPECT_EQ(shown.h, 3 * 24);
  EXPECT_EQ(shown.x, 8 * 12);
}

TEST_F(PopupsTest, TheBannerIsSizedByItsLinesAndCentred) {
  plat::WinSystem& ws = d.ws();
  struct Case {
    std::string text;
    int w, h;
  } cases[] = {
      {"Procesando\r\nEspere", 120, 120},
      {"Uno", 36, 96},
      {std::string(100, 'x'), 950, 96},
      {"a\rbb\rccc", 36, 144},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(PopupBannerSize(StrOf(c.text)), (GeomSize{c.w, c.h}));
  }

  const plat::Hwnd focus = ws.Focus();
  ASSERT_EQ(PopupBannerShow(StrOf("Procesando\r\nEspere")), kOk);
  const plat::Hwnd banner = Ui().banner;
  ASSERT_TRUE(ws.IsWindow(banner));
  EXPECT_EQ(ws.GetRect(banner), (plat::Rect{(960 - 120) / 2, (600 - 120) / 2, 120, 120}));
  EXPECT_TRUE(ws.IsShown(banner));
  EXPECT_EQ(ws.Focus(), focus);  // it takes no focus
  ASSERT_EQ(ws.Children(banner).size(), 1u);
  EXPECT_EQ(ws.GetText(ws.Children(banner)[0]), "Procesando\r\nEspere");

  // A second show keeps the banner and shows the new text.
  EXPECT_EQ(PopupBannerShow(StrOf("Casi")), 0xFFFF);
  EXPECT_EQ(Ui().banner, banner);
  EXPECT_EQ(ws.GetText(ws.Children(banner)[0]), "Casi");
  EXPECT_EQ(ws.TopLevels().size(), 1u);

  PopupBannerHide();
  EXPECT_FALSE(ws.IsWindow(banner));
  EXPECT_TRUE(ws.TopLevels().empty());
  PopupBannerHide();  // without a banner: nothing
  EXPECT_EQ(PopupBannerShow(StrOf("Otra vez")), kOk);
}

}  // namespace
}  // namespace eng::test
