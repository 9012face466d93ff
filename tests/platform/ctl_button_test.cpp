// Buttons, check boxes, statics, scroll bars and the menu bar.
#include "platform/compositor.h"
#include "platform/ctl_menu.h"
#include "tests/platform/win_fixture.h"

namespace plat::test {
namespace {

class Controls : public WinTest {
 protected:
  Hwnd top = kNoWindow;
  void SetUp() override {
    top = Top("form", {0, 0, 480, 264});
    ws.Show(top, ShowCmd::kShow);
    log.clear();
  }
  std::string RowText(int row) { return Compose(ws).Row(row); }
};

TEST_F(Controls, ACheckBoxReportsTheClickAndDrawsTheStateTheOwnerSets) {
  Hwnd cb = CreateButton(ws, top, 2003, {12, 24, 48, 24}, "", WinKind::kCheckBox);
  Watch(cb, "cb");
  Drive(Script().Click(2003).Key("Space"));
  EXPECT_EQ(Log(), "form:KILLFOCUS, cb:SETFOCUS, form:COMMAND 2003/0, cb:KEYDOWN Space, cb:CHAR 32, cb:KEYUP Space, form:COMMAND 2003/0");
  EXPECT_EQ(ws.Send(cb, kBmGetCheck), 0);  // not automatic
  EXPECT_EQ(RowText(2), " [ ]");
  ws.Send(cb, kBmSetCheck, 0x11);  // the owner may add flag bits above the state
  EXPECT_EQ(ws.Send(cb, kBmGetCheck), 0x11);
  EXPECT_EQ(RowText(2), " [X]");
  ws.Send(cb, kBmSetCheck, 0x10);
  EXPECT_EQ(RowText(2), " [ ]");
}

TEST_F(Controls, PushButtonsDrawTheirLabelCentredAndThePushedStateReversed) {
  Hwnd b = CreateButton(ws, top, 3100, {24, 48, 96, 24}, "Ok");
  EXPECT_EQ(RowText(3), "  [  Ok  ]");
  EXPECT_EQ(ws.Send(b, kBmGetState), 0);
  ws.Send(b, kBmSetState, 1);
  EXPECT_EQ(ws.Send(b, kBmGetState), 1);
  CellGrid g = Compose(ws);
  for (int c = 2; c < 10; ++c) EXPECT_EQ(g.at(c, 3).attr, kAttrReverse) << c;
  // A label wider than the button shows its beginning.
  ws.SetText(b, "Aceptar todo");
  EXPECT_EQ(RowText(3), "  [Acepta]");
}

TEST_F(Controls, OwnerDrawnButtonsKeepTheirValueAndDrawLikePushButtons) {
  Hwnd b = CreateButton(ws, top, 3001, {0, 0, 72, 24}, "Alta", WinKind::kOwnerDrawButton);
  ws.Send(b, kBmSetValue, 3);
  EXPECT_EQ(ws.Rec(b)->value, 3);
  EXPECT_EQ(RowText(1), "[Alta]");
  Drive(Script().Click(3001));
  EXPECT_EQ(Log(), "form:KILLFOCUS, form:COMMAND 3001/0");
}

TEST_F(Controls, AButtonIsClickedWhereItIsDrawnEvenWhenItsPixelsDoNotFillItsCells) {
  // 20 pixels high from y 12: drawn in cell row 1 of the client area, whose
  // centre (y 36) lies below its last pixel row.
  Hwnd b = CreateButton(ws, top, 1110, {350, 12, 70, 20}, "Cancelar");
  Watch(b, "b");
  Drive(Script().Click(1110));
  EXPECT_EQ(Log(), "form:KILLFOCUS, b:SETFOCUS, form:COMMAND 1110/0");
  // A release outside the drawn cells is no click.
  log.clear();
  Drive(Script().PressCell(30, 3).ReleaseCell(40, 6));
  EXPECT_EQ(Log(), "");
}

TEST_F(Controls, BitmapButtonsExistOnlyWhereImagesCanBeShown) {
  EXPECT_EQ(CreateBitmapButton(ws, top, 3002, {0, 0, 72, 24}, "logo.bmp", "Logo"), kNoWindow);
  // The caller's fallback: a text button.
  EXPECT_NE(CreateButton(ws, top, 3002, {0, 0, 72, 24}, "Logo"), kNoWindow);
  d.input().SetSupportsImages(true);
  Hwnd b = CreateBitmapButton(ws, top, 3003, {0, 24, 120, 24}, "logo.bmp");
  ASSERT_NE(b, kNoWindow);
  EXPECT_NE(DescribeWindow(ws, b).find("image=\"logo.bmp\""), std::string::npos);
  EXPECT_EQ(RowText(2), "[logo.bmp]");
}

TEST_F(Controls, StaticsAlignTheirTextAndBannersCentreTheirLines) {
  CreateStatic(ws, top, 4001, {0, 0, 120, 24}, "Nombre:", kSsRight);
  CreateStatic(ws, top, 4002, {0, 24, 120, 24}, "left");
  CreateStatic(ws, top, 0, {120, 0, 120, 96}, "uno\r\ndos", kSsBanner);
  CellGrid g = Compose(ws);
  EXPECT_EQ(g.Row(1), "   Nombre:");
  EXPECT_EQ(g.Row(2), "left         uno");
  EXPECT_EQ(g.Row(3), "             dos");
  EXPECT_EQ(g.at(10, 1).attr, kAttrReverse);
  EXPECT_EQ(g.at(10, 4).attr, kAttrReverse);
  Drive(Script().Click(4001));  // statics take no focus
  EXPECT_EQ(ws.Focus(), top);
}

TEST_F(Controls, BringingAChildToTheTopDrawsItOverItsSiblings) {
  Hwnd under = CreateStatic(ws, top, 1, {0, 0, 120, 24}, "underneath");
  Hwnd over = CreateEdit(ws, top, 2001, {24, 0, 48, 24}, 0, "ov");
  EXPECT_EQ(RowText(1), "unov  eath");
  ws.BringChildToTop(under);
  EXPECT_EQ(RowText(1), "underneath");
  ws.BringChildToTop(over);
  Drive(Script().ClickCell(3, 1));  // clicks go to the window drawn on top
  EXPECT_EQ(ws.Focus(), over);
}

TEST_F(Controls, ScrollBarsOnATopLevelWindowSendTheScrollCodes) {
  logged.insert(kWmVScroll);
  logged.insert(kWmHScroll);
  ws.ShowScrollBar(top, kSbVert, true);
  ws.ShowScrollBar(top, kSbHorz, true);
  ws.SetScrollInfo(top, kSbVert, 0, 100, 10, 0);
  ws.SetScrollInfo(top, kSbHorz, 0, 40, 10, 40);
  EXPECT_EQ(ws.ClientRect(top), (Rect{0, 0, 456, 216}));
  // 40 x 11 cells: caption, 9 client rows and the horizontal bar; the
  // vertical bar takes the last two columns.
  CellGrid g = Compose(ws);
  EXPECT_EQ(g.Row(1).substr(38), "^^");
  EXPECT_EQ(g.Row(2).substr(38), "##");
  EXPECT_EQ(g.Row(3).substr(38), "::");
  EXPECT_EQ(g.Row(9).substr(38), "vv");
  EXPECT_EQ(g.Row(10), "<" + std::string(35, ':') + "#>");
  auto code = [](uint64_t c) { return std::to_string(c); };
  Drive(Script().ClickCell(38, 1).ClickCell(39, 9).ClickCell(38, 5).ClickCell(0, 10).ClickCell(20, 10));
  EXPECT_EQ(Log(), "form:VSCROLL " + code(kSbLineUp) + ", form:VSCROLL " + code(kSbLineDown) + ", form:VSCROLL " +
                       code(kSbPageDown) + ", form:HSCROLL " + code(kSbLineUp) + ", form:HSCROLL " + code(kSbPageUp));
  ScrollInfo s = ws.GetScrollInfo(top, kSbVert);
  EXPECT_EQ(s.max, 100);
  ws.SetScrollPos(top, kSbVert, 500);
  EXPECT_EQ(ws.GetScrollInfo(top, kSbVert).pos, 100);
}

TEST_F(Controls, ScrollingChildrenMovesThemByTheDifference) {
  Hwnd e = CreateEdit(ws, top, 2001, {12, 48, 60, 24});
  ws.ScrollChildren(top, 0, -24);
  EXPECT_EQ(ws.GetRect(e), (Rect{12, 24, 60, 24}));
  EXPECT_EQ(WindowCells(ws, e), (CellRect{1, 2, 5, 1}));
}

class MenuBar : public Controls {
 protected:
  int bar = 0, file = 0;
  void SetUp() override {
    Controls::SetUp();
    bar = ws.MenuCreate();
    file = ws.MenuCreate();
    ws.MenuAppend(file, "Abrir", 1501);
    ws.MenuAppend(file, "Cerrar", 1502);
    ws.MenuAppend(file, "Salir", 1503);
    ws.MenuAppendPopup(bar, "Archivo", file);
    ws.MenuAppend(bar, "Ayuda", 1600);
    ws.SetMenu(top, bar);
    Hwnd e = CreateEdit(ws, top, 2001, {0, 0, 120, 24});
    Watch(e, "e");
    ws.SetFocus(e);
    log.clear();
  }
};

TEST_F(MenuBar, TheMenuRowReplacesTheCaption) {
  EXPECT_EQ(RowText(0), " Archivo  Ayuda" + std::string(24, ' ') + "x");
  EXPECT_EQ(ws.FrameTop(top), 24);
  EXPECT_EQ(ws.FrameAdjust(kWsCaption, true), (Rect{0, 24, 0, 24}));
}

TEST_F(MenuBar, AClickOnAnItemWithoutPopupSendsItsCommand) {
  Drive(Script().ClickCell(11, 0));
  EXPECT_EQ(Log(), "form:COMMAND 1600/0");
}

TEST_F(MenuBar, APopupPicksWithKeysAndGivesTheFocusBack) {
  d.Run(Script().ClickCell(2, 0).Key("Down").Key("Enter"));
  ws.Pump();
  // The key-up of Enter reaches the edit, focused again by then.
  EXPECT_EQ(Log(), "e:KILLFOCUS, e:SETFOCUS, form:COMMAND 1502/0, e:KEYUP Enter");
  EXPECT_EQ(ws.Focus(), ws.FindChild(top, 2001));
  EXPECT_EQ(ws.TopLevels().size(), 1u);
}

TEST_F(MenuBar, APopupIsDrawnBelowItsItemAndPicksByClick) {
  bool checked = false;
  ws.SetTimer(top, 1, 10, [&](WinSystem& s, Hwnd, int) {
    if (checked) return;
    checked = true;
    CellGrid g = Compose(s);
    EXPECT_EQ(g.Row(1), " Abrir") << g.Snapshot() << DumpWindows(s);
    EXPECT_EQ(g.Row(2), " Cerrar");
    EXPECT_EQ(g.Row(3), " Salir");
    EXPECT_EQ(g.at(1, 1).attr, kAttrReverse);  // the first item is highlighted
  });
  d.Run(Script().ClickCell(2, 0).Wait(20).ClickCell(3, 3));  // the timer falls inside the wait
  ws.Pump();
  EXPECT_TRUE(checked);
  EXPECT_EQ(Log(), "e:KILLFOCUS, e:SETFOCUS, form:COMMAND 1503/0");
}

TEST_F(MenuBar, EscDismissesThePopup) {
  Drive(Script().ClickCell(2, 0).Key("Esc"));
  EXPECT_EQ(Log(), "e:KILLFOCUS, e:SETFOCUS, e:KEYUP Esc");
}

TEST_F(MenuBar, AScriptedPickNeedsAnEnabledItemOfTheActiveWindow) {
  std::string report;
  ws.SetStallHandler([&](WinSystem&, const std::string& r) { report = r; });
  Drive(Script().Menu(1501));
  EXPECT_EQ(Log(), "form:COMMAND 1501/0");
  ws.MenuEnableItem(bar, 1501, false);
  Drive(Script().Menu(1501));
  EXPECT_NE(report.find("picks menu item 1501"), std::string::npos);
}

}  // namespace
}  // namespace plat::test

namespace plat::test {
namespace {

TEST_F(Controls, TheCloseBoxAndTheScriptedCloseSendCloseToTheWindow) {
  EXPECT_EQ(RowText(0), " form" + std::string(34, ' ') + "x");
  Drive(Script().ClickCell(38, 0));  // the caption: nothing
  EXPECT_EQ(Log(), "");
  Drive(Script().ClickCell(39, 0));
  EXPECT_EQ(Log(), "form:CLOSE, form:KILLFOCUS, form:DESTROY");
  Hwnd other = Top("other", {0, 0, 240, 96});
  ws.Show(other, ShowCmd::kShow);
  log.clear();
  d.Run("close\n");
  ws.Pump();
  EXPECT_EQ(Log(), "other:CLOSE, other:KILLFOCUS, other:DESTROY");
  std::string report;
  ws.SetStallHandler([&](WinSystem&, const std::string& r) { report = r; });
  Drive(Script().Close());
  EXPECT_NE(report.find("the script closes the active window, but none is active"), std::string::npos);
}

}  // namespace
}  // namespace plat::test
