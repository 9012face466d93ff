// The chooser popup: choices by keys and clicks in both modes, cancelling,
// the highlight, the popup left for its caller, layouts and attributes.
#include "ui/chooser.h"

#include <gtest/gtest.h>

#include <set>

#include "core/sys_vars.h"
#include "platform/ctl_list.h"
#include "tests/ui/screen_fixture.h"
#include "ui/screen_actions.h"

namespace eng::test {
namespace {

constexpr uint16_t kListPopup = kChoiceOwnPopup | kChoiceListBox;

class ChooserTest : public UiTest {
 protected:
  plat::Hwnd Button(int id) { return d.ws().FindChild(WinTop(), id); }
};

TEST_F(ChooserTest, NothingIsShownForAnEmptyTitleOrList) {
  EXPECT_EQ(ChoiceSelect(StrPair{}, StrOf("a,b"), kListPopup), kChoiceNone);
  EXPECT_EQ(ChoiceSelect(StrOf("Elegir"), StrPair{}, kChoiceOwnPopup), kChoiceNone);
  EXPECT_TRUE(d.ws().TopLevels().empty());
  UiSetWinSystem(nullptr);
  EXPECT_EQ(ChoiceSelect(StrOf("Elegir"), StrOf("a,b"), kListPopup), kChoiceNone);
}

TEST_F(ChooserTest, AChoiceLeavesThePopupForItsCallerAndEscTakesItAway) {
  plat::WinSystem& ws = d.ws();
  const plat::Point at{0, 0};
  struct Case {
    const char* what;
    uint16_t flags;
    plat::Script script;
    uint16_t answer;
  };
  // At (0, 0) the list's rows are the screen rows 1, 2, 3 (below the caption).
  const Case cases[] = {
      {"list: Enter on the first row", kListPopup, plat::Script().Key("Enter"), 1},
      {"list: Down twice, Enter", kListPopup, plat::Script().Key("Down").Key("Down").Key("Enter"), 3},
      {"list: a double click on the third row", kListPopup, plat::Script().DblClickCell(2, 3), 3},
      {"buttons: a click on the fourth", kChoiceOwnPopup, plat::Script().Click(1503), 4},
      {"buttons: Down highlights the last", kChoiceOwnPopup, plat::Script().Key("Down").Key("Enter"), 4},
      {"buttons: Up highlights the first", kChoiceOwnPopup, plat::Script().Key("Up").Key("Enter"), 1},
      {"buttons: Down wraps from the last", kChoiceOwnPopup, plat::Script().Key("Down").Key("Down").Key("Enter"), 1},
      {"buttons: Up wraps from the first", kChoiceOwnPopup, plat::Script().Key("Up").Key("Up").Key("Enter"), 4},
      {"buttons: Up, Down, Down", kChoiceOwnPopup, plat::Script().Key("Up").Key("Down").Key("Down").Key("Enter"), 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    d.Run(c.script);
    EXPECT_EQ(ChoiceRun(StrOf("Elegir"), StrOf("Uno,Dos,Tres,Cuatro"), c.flags, &at), c.answer);
    EXPECT_EQ(SysVarGet(kVarStat), c.answer);
    // Still on top after the choice, until its caller closes it.
    ASSERT_NE(WinTop(), plat::kNoWindow);
    EXPECT_EQ(ws.GetText(WinTop()), "Elegir");
    EXPECT_EQ(ws.Rec(WinTop())->class_name, "Elegir");
    ChoiceClose();
    EXPECT_EQ(WinTop(), plat::kNoWindow);
    EXPECT_EQ(d.input().remaining(), 0u);
  }

  for (uint16_t flags : {kListPopup, kChoiceOwnPopup}) {
    SCOPED_TRACE(flags);
    d.Run(plat::Script().Key("Esc"));
    SysVarSet(kVarStat, 9);
    EXPECT_EQ(ChoiceRun(StrOf("Elegir"), StrOf("Uno,Dos"), flags, &at), 0);
    EXPECT_EQ(WinTop(), plat::kNoWindow);
    EXPECT_TRUE(ws.TopLevels().empty());
  }
  // Enter with no button highlighted chooses nothing; the close box cancels.
  d.Run(plat::Script().Key("Enter").Close());
  EXPECT_EQ(ChoiceSelect(StrOf("Elegir"), StrOf("Uno,Dos"), kChoiceOwnPopup), 0);
  EXPECT_TRUE(ws.TopLevels().empty());
  EXPECT_EQ(stall, "");
}

TEST_F(ChooserTest, ThePopupIsOwnedByTheTopWindowWhichItGivesBack) {
  plat::WinSystem& ws = d.ws();
  plat::Hwnd form = WinCreateKind(1, 0, StrOf("Ventas"), 0, 30, 8, {});
  WinShowTop(-1);
  d.Run(plat::Script().Key("Enter"));
  EXPECT_EQ(ChoiceSelect(StrOf("Elegir"), StrOf("a,b"), kListPopup), 1);
  EXPECT_EQ(ws.Owner(WinTop()), form);
  EXPECT_FALSE(ws.IsEnabled(form));
  ChoiceClose();
  EXPECT_EQ(WinTop(), form);
  EXPECT_TRUE(ws.IsEnabled(form));
  EXPECT_EQ(ws.Active(), form);
  // The grid in force before the run is in force after it.
  EXPECT_EQ(WinGridOverride(), (ScreenGrid{0, 0, 0, 0, 0, 0}));
}

TEST_F(ChooserTest, TheListBoxLayout) {
  d.Run(plat::Script().Key("Enter"));
  ASSERT_EQ(ChoiceSelect(StrOf("Elegir"), StrOf("Uno,Dos,Tres"), kListPopup), 1);
  plat::WinSystem& ws = d.ws();
  const plat::Hwnd popup = WinTop();
  const plat::Hwnd list = ws.FindChild(popup, kIdChooserList);
  ASSERT_NE(list, plat::kNoWindow);
  // w = 4 + 5 = 9, at least 15 columns, 3 rows of 21 pixels.
  EXPECT_EQ(ws.ClientRect(popup).w, 15 * 12);
  EXPECT_EQ(ws.ClientRect(popup).h, 63);
  EXPECT_EQ(plat::ListBoxItemHeight(ws, list), 21);
  EXPECT_EQ(plat::ListBoxCount(ws, list), 3);
  EXPECT_EQ(plat::ListBoxText(ws, list, 2), "Tres");
  ChoiceClose();
}

TEST_F(ChooserTest, ManyButtonsOnALowDesktopTakeSeveralColumns) {
  std::string items;
  for (int i = 1; i <= 40; ++i) items += (i > 1 ? "," : "") + std::to_string(i);
  d.Run(plat::Script().Click(1539));
  ASSERT_EQ(ChoiceSelect(StrOf("Elegir"), StrOf(items), kChoiceOwnPopup), 40);
  plat::WinSystem& ws = d.ws();
  std::set<int> xs;
  for (int id = 1500; id < 1540; ++id) {
    plat::Hwnd b = Button(id);
    ASSERT_NE(b, plat::kNoWindow) << id;
    xs.insert(ws.GetRect(b).x);
    // Every button lies inside the popup's client area.
    const plat::Rect r = ws.GetRect(b), c = ws.ClientRect(WinTop());
    EXPECT_LE(r.x + r.w, c.w) << id;
    EXPECT_LE(r.y + r.h, c.h) << id;
  }
  EXPECT_EQ(Button(1540), plat::kNoWindow);
  EXPECT_GE(xs.size(), 2u);
  ChoiceClose();
}

TEST_F(ChooserTest, ButtonsThatCannotShrinkFurtherStillAllGetTheirPlace) {
  // A window far too small for its items: shrinking stops at a few pixels,
  // and the rows grow instead, so every item has its button.
  plat::Hwnd w = WinCreateKind(1, 0, StrOf("Poco"), 0, 4, 1, {});
  ASSERT_NE(w, plat::kNoWindow);
  std::string items;
  for (int i = 0; i < 300; ++i) items += (i ? "," : "") + std::string("item") + std::to_string(i);
  ChoiceButtonGrid(w, 0xFFFF, 0xFFFF, 0xFFFF, StrOf(items), 2000, 0);
  for (int id = 2000; id < 2300; ++id) ASSERT_NE(d.ws().FindChild(w, id), plat::kNoWindow) << id;
}

TEST_F(ChooserTest, AttributeSuffixesAreTakenOffTheCaptions) {
  plat::WinSystem& ws = d.ws();
  struct Case {
    const char* items;
    std::vector<std::string> captions;
  } cases[] = {
      {"Nombre/#2,'Otro'", {"Nombre", "Otro"}},
      {"/#3,a,b", {"a", "b"}},
      {"'x/#1',y/#z", {"x", "y/#z"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.items);
    d.Run(plat::Script().Click(1500));
    ASSERT_EQ(ChoiceSelect(StrOf("Elegir"), StrOf(c.items), kChoiceOwnPopup), 1);
    for (size_t i = 0; i < c.captions.size(); ++i) EXPECT_EQ(ws.GetText(Button(1500 + int(i))), c.captions[i]);
    EXPECT_EQ(Button(1500 + int(c.captions.size())), plat::kNoWindow);
    ChoiceClose();
  }
}

TEST_F(ChooserTest, ButtonsInOneRow) {
  plat::Hwnd w = WinCreateKind(1, 0, StrOf("Barra"), 0, 60, 6, {});
  ChoiceButtons(w, StrOf("Uno,Dos,Tres"), 1500, 8);
  plat::WinSystem& ws = d.ws();
  const int y = ws.GetRect(ws.FindChild(w, 1500)).y;
  EXPECT_EQ(ws.GetRect(ws.FindChild(w, 1501)).y, y);
  EXPECT_EQ(ws.GetRect(ws.FindChild(w, 1502)).y, y);
  EXPECT_LT(ws.GetRect(ws.FindChild(w, 1500)).x, ws.GetRect(ws.FindChild(w, 1501)).x);
}

class ChooserScreenTest : public ScreenTest {};

TEST_F(ChooserScreenTest, AnAttributeTheScreenAcceptsMakesAnOwnerDrawnButton) {
  Def("B.PAN", 1, {FieldLine(2, 10, 0, 0, 10, 'A')});
  Def("B.PPN", 1, {"MAX_IDS_ATTR%:=2"});
  ASSERT_EQ(Open("B,1,60,12,1"), kOk);
  plat::WinSystem& ws = d.ws();
  const plat::Hwnd w = WinTop();
  // Two attribute entries: the first two attributed buttons take them, the
  // third finds none free and is a push button; an item without one is too.
  ChoiceButtons(w, StrOf("Nombre/#2,Otro,Alta/#5,Baja/#7"), kIdChoiceFirst, 3);
  struct Case {
    int id;
    const char* caption;
    plat::WinKind kind;
    int value;
  } cases[] = {
      {1500, "Nombre", plat::WinKind::kOwnerDrawButton, 2},
      {1501, "Otro", plat::WinKind::kButton, 0},
      {1502, "Alta", plat::WinKind::kOwnerDrawButton, 5},
      {1503, "Baja", plat::WinKind::kButton, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const plat::Hwnd b = ws.FindChild(w, c.id);
    ASSERT_NE(b, plat::kNoWindow);
    EXPECT_EQ(ws.GetText(b), c.caption);
    EXPECT_EQ(ws.Rec(b)->kind, c.kind);
    EXPECT_EQ(ws.Rec(b)->value, c.value);
  }
  EXPECT_EQ(ScreenWinAttribute(w, 1500, -1), 2);
  EXPECT_EQ(ScreenWinAttribute(w, 1502, -1), 5);
}

}  // namespace
}  // namespace eng::test
