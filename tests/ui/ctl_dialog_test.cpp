// Dialog controls: the toolbar, the footer, the Ok button and buttons made
// from texts, with their ids and pixel places on an 80 x 24 grid.
#include "platform/win_dump.h"
#include "tests/ui/ui_fixture.h"

namespace eng::test {
namespace {

using plat::Hwnd;

class CtlDialogTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    Ui().base_grid = {80, 24, 0, 0, 0, 0};
    top = WinCreateKind(0, 0, StrOf("Form"), 0, 80, 24, {});
    ASSERT_NE(top, plat::kNoWindow);
  }
  plat::Rect RectOf(int id) { return d.ws().GetRect(d.ws().FindChild(top, id)); }
  std::vector<int> ChildIds() {
    std::vector<int> ids;
    for (Hwnd c : d.ws().Children(top)) ids.push_back(d.ws().Id(c));
    return ids;
  }
  Hwnd top = plat::kNoWindow;
};

TEST_F(CtlDialogTest, ToolbarButtonsByLayout) {
  CtlToolbarCreate(top, 6, StrOf("NEW,TOP,PRV,NEXT,BOT,FND,SVE,DEL"), StrOf("Nuevo,Primero,Anterior,Siguiente,Ultimo,Buscar,Grabar,Borrar"),
                   24, StrOf("1,4,5,7,8"));
  EXPECT_EQ(ChildIds(), (std::vector<int>{3001, 3005, 3006, 3008, 3010})) << "ids by the verb's place; NEXT is NXT";
  EXPECT_EQ(RectOf(3001), (plat::Rect{180, 2, 120, 24}));
  EXPECT_EQ(RectOf(3005), (plat::Rect{300, 2, 120, 24}));
  EXPECT_EQ(RectOf(3010), (plat::Rect{660, 2, 120, 24}));
  EXPECT_EQ(d.ws().GetText(d.ws().FindChild(top, 3005)), "Siguiente");

  for (Hwnd c : d.ws().Children(top)) d.ws().Destroy(c);
  CtlToolbarCreate(top, 0, StrOf("NEW,SVE,DEL"), StrOf("N,S,D"), 24, StrOf(""));
  EXPECT_EQ(ChildIds(), (std::vector<int>{3001, 3008, 3010}));
  EXPECT_EQ(RectOf(3001), (plat::Rect{2, 2, 320, 24})) << "layout 0: W / shown from x 2";
  EXPECT_EQ(RectOf(3010), (plat::Rect{642, 2, 320, 24}));

  for (Hwnd c : d.ws().Children(top)) d.ws().Destroy(c);
  CtlToolbarCreate(top, 12, StrOf("NEW,SVE"), StrOf("N,S"), 24, StrOf(""));
  EXPECT_EQ(RectOf(3001), (plat::Rect{420, 2, 60, 24})) << "60 pixels, centred";

  WinShowTop(-1);
  CtlToolbarEnable(8, false);
  EXPECT_FALSE(d.ws().IsEnabled(d.ws().FindChild(top, 3008)));
}

TEST_F(CtlDialogTest, FooterAndOkButton) {
  CtlDialogFooter(top, 0x70);
  EXPECT_EQ(RectOf(kIdFooterButton), (plat::Rect{0, 553, 60, 24}));
  EXPECT_EQ(RectOf(kIdStatus1), (plat::Rect{1, 553, 84, 24}));
  EXPECT_EQ(RectOf(kIdStatus2), (plat::Rect{84, 553, 876, 24}));
  EXPECT_FALSE(d.ws().IsEnabled(d.ws().FindChild(top, kIdStatus1)));
  EXPECT_FALSE(d.ws().IsEnabled(d.ws().FindChild(top, kIdStatus2)));
  CtlAddOkButton(top);
  CtlAddOkButton(top);
  EXPECT_EQ(RectOf(kIdOk), (plat::Rect{781, 541, 144, 24}));
  int oks = 0;
  for (int id : ChildIds()) oks += id == kIdOk;
  EXPECT_EQ(oks, 1);

  Hwnd other = WinCreateKind(5, 0, StrOf("Dlg"), 0, 40, 10, {});
  CtlDialogFooter(other, 0x40);
  EXPECT_EQ(d.ws().GetRect(d.ws().FindChild(other, kIdStatus2)), (plat::Rect{0, 553, 960, 24}));
}

int AttrPlain(int, int) { return -1; }
int AttrKeep(int, int state) { return state; }

TEST_F(CtlDialogTest, ButtonsFromTexts) {
  Hwnd a = CtlButtonFromText(top, 1, 1, 60, 24, StrOf("'Si'"), 1500, -1, 0, nullptr);
  EXPECT_EQ(d.ws().Rec(a)->kind, plat::WinKind::kButton);
  EXPECT_EQ(d.ws().GetText(a), "Si");
  Hwnd b = CtlButtonFromText(top, 1, 1, 60, 24, StrOf("B"), 1501, 3, 0, AttrPlain);
  EXPECT_EQ(d.ws().Rec(b)->kind, plat::WinKind::kButton);
  Hwnd c = CtlButtonFromText(top, 1, 1, 60, 24, StrOf("C"), 1502, 3, 0, AttrKeep);
  EXPECT_EQ(d.ws().Rec(c)->kind, plat::WinKind::kOwnerDrawButton);
  EXPECT_EQ(d.ws().Rec(c)->value, 3);
  Hwnd e = CtlButtonFromText(top, 1, 1, 60, 24, StrOf("logo.bmp"), 1503, -1, kButtonImage, nullptr);
  EXPECT_EQ(d.ws().Rec(e)->kind, plat::WinKind::kButton) << "no images on this front end: a text button";
}

TEST_F(CtlDialogTest, EditsAndTheirTexts) {
  Hwnd num = CtlEditCreate(top, 1, 1, 120, 24, 2001, kEditNumeric);
  EXPECT_TRUE(d.ws().Rec(num)->style & plat::kEsRight);
  EXPECT_NE(d.ws().GetFont(num), 0) << "the screen font";
  Hwnd box = CtlEditCreate(top, 1, 30, 48, 24, 2002, kEditCheckBox);
  EXPECT_EQ(d.ws().Rec(box)->kind, plat::WinKind::kCheckBox);
  Hwnd plain = CtlEditCreate(top, 1, 60, 48, 24, 2003, kEditNoFont | kEditDisabled | kEditMultiline);
  EXPECT_EQ(d.ws().GetFont(plain), 0);
  EXPECT_FALSE(d.ws().IsEnabled(plain));
  EXPECT_EQ(CtlSetText(top, 2001, StrOf("12")), kOk);
  EXPECT_EQ(CtlGetText(top, 2001, -1).str(), "12");
  EXPECT_EQ(CtlSetText(top, 2999, StrOf("x")), kStWindowsControl);
  EXPECT_EQ(CtlGetText(top, 2999, -1).str(), "");
  EXPECT_EQ(CtlIdentity(42), 42);
}

}  // namespace
}  // namespace eng::test
