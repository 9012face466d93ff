// The dispatcher's close rule and error boxes, the field cursor in and out
// of a bounded range, field windows, waiting for a key and scrolling.
#include "core/err_register.h"
#include "core/module_parms.h"
#include "core/sys_vars.h"
#include "platform/win_keys.h"
#include "tests/ui/screen_fixture.h"
#include "ui/action_codes.h"
#include "ui/field_controls.h"
#include "ui/field_values.h"
#include "ui/screen_actions.h"
#include "ui/screen_dispatch.h"

namespace eng::test {
namespace {

Status g_answer = 0;
Status FixedHandler(uint16_t) { return g_answer; }

class DispatchTest : public ScreenTest {
 protected:
  void OpenSix(const char* extra) {
    std::vector<std::string> lines;
    for (int i = 1; i <= 6; ++i) lines.push_back(FieldLine(i + 1, 5, 0, 0, 4, 'A'));
    Def("D.PAN", 1, lines);
    Def("D.PPN", 1, {"FD$:=\"F1,F2,F3,F4,F5,F6\"", extra});
    ASSERT_EQ(Open("D,1,80,20"), kOk);
  }
  int Boxes() { return static_cast<int>(d.msgbox().log().size()); }
};

TEST_F(DispatchTest, CloseRuleAndStatuses) {
  OpenSix("X$:=1");
  plat::Hwnd top = WinTop();
  ScreenActionSet(&FixedHandler, nullptr, nullptr);
  g_answer = 0x0C;
  EXPECT_EQ(ScreenActionDispatch(top, 5), 0) << "0x0C closes and answers 0";
  g_answer = 0x88;
  EXPECT_EQ(ScreenActionDispatch(top, 5), 0x88);
  EXPECT_EQ(Boxes(), 1) << "a status from 122 is shown";
  g_answer = kStBadData;
  EXPECT_EQ(ScreenActionDispatch(top, 5), kStBadData) << "a failed check keeps the window";
  EXPECT_EQ(Boxes(), 2);
  d.ws().Pump();
  EXPECT_FALSE(d.ws().IsWindow(top)) << "the close request of the first dispatch (handled by any loop)";
}

TEST_F(DispatchTest, FieldCursorWrapsOnlyInsideTheBoundedRange) {
  OpenSix("BOUNDS$:=\"F3,F5\"");
  EXPECT_EQ(ScreenFieldNext(3, -1), 5);
  EXPECT_TRUE(SysVarBits(kVarScrStat) & kScrStatWrapped);
  SysVarSet(kVarScrStat, 0);
  EXPECT_EQ(ScreenFieldNext(5, +1), 3);
  EXPECT_EQ(ScreenFieldNext(1, -1), -1) << "outside the range: nothing before the first";
  EXPECT_EQ(ScreenFieldNext(6, +1), -1);
  EXPECT_EQ(ScreenFieldNext(0, +1), 1);
  ScreenWin w = ScreenWinCurrent();
  w.current_field = 1;
  EXPECT_EQ(ScreenKeyDefault(kAcPrevField, w), kOk) << "Shift+Tab on the first field does nothing";
  EXPECT_EQ(ScreenKeyDefault(25, w), kStDataError) << "not a key action";
}

TEST_F(DispatchTest, NoEditableFieldKeepsTheCurrentField) {
  OpenSix("NOEDIT$:=\"F1,F2,F3,F4,F5,F6\"");
  ScreenWinGet(-1)->current_field = 4;
  EXPECT_EQ(ScreenKeyDefault(kAcNextField, ScreenWinCurrent()), kOk);
  EXPECT_EQ(ScreenWinCurrent().current_field, 4);
  EXPECT_EQ(SysVarGet(kVarCurEdFld), 0);
}

TEST_F(DispatchTest, ChecksGiveTheirReason) {
  OpenSix("ALARM$:=\"'Faltan [1+1] datos';1>2,2>1,,nada+\"");
  EXPECT_EQ(ScreenCheckParm(kParmAlarm, 1), kStBadData);
  EXPECT_EQ(ErrIncidentText().str(), "Faltan 2 datos") << "the leading literal, macro-expanded";
  EXPECT_EQ(ScreenCheckParm(kParmAlarm, 2), kOk);
  EXPECT_EQ(ScreenCheckParm(kParmAlarm, 3), kOk) << "an empty condition holds";
  EXPECT_GE(ScreenCheckParm(kParmAlarm, 4), kStFirstError) << "an evaluation error";
}

TEST_F(DispatchTest, FieldWindowDueOncePerField) {
  OpenSix("WINDOWS$:=\"CLI;3;NAME\"");
  ASSERT_EQ(ScreenFieldStore(118, 1, StrOf("17")), kOk);
  ScreenWinGet(-1)->current_field = 1;
  SysVarSet(kVarLastKey, kKeyEnter);
  EXPECT_EQ(ScreenFieldWindowDue(kAcNextField), 1);
  EXPECT_EQ(ScreenFieldWindowDue(kAcNextField), 0) << "not twice in a row";
  ScreenWinGet(-1)->field_window_field = 0;
  SysVarSet(kVarLastKey, kKeyTab);
  EXPECT_EQ(ScreenFieldWindowDue(kAcNextField), 0) << "Tab is not Enter";
}

TEST_F(DispatchTest, WaitingForAKeyAndScrolling) {
  OpenSix("X$:=1");
  plat::Hwnd top = WinTop();
  WinShowTop(-1);
  d.Run("key F3\n");
  EXPECT_EQ(CtlWaitKey(), 13);
  d.ws().ShowScrollBar(top, plat::kSbVert, true);
  d.ws().SetScrollInfo(top, plat::kSbVert, 0, 40, 100, 0);
  ASSERT_EQ(ScreenSetWin(0), kOk);
  const int y0 = d.ws().GetRect(d.ws().FindChild(top, 2000)).y;
  ScreenScroll(top, plat::kWmVScroll, plat::kSbPageDown);
  EXPECT_EQ(d.ws().GetRect(d.ws().FindChild(top, 2000)).y, y0 - 24) << "a page is a cell";
  ScreenScroll(top, plat::kWmVScroll, plat::kSbLineDown);
  EXPECT_EQ(d.ws().GetScrollInfo(top, plat::kSbVert).pos, 26) << "a line is 2 pixels";
  ScreenScroll(top, plat::kWmVScroll, plat::kSbBottom);
  ScreenScroll(top, plat::kWmVScroll, plat::kSbPageDown);
  EXPECT_EQ(d.ws().GetScrollInfo(top, plat::kSbVert).pos, 40) << "stops at the range's end";
  EXPECT_EQ(d.ws().GetRect(d.ws().FindChild(top, 2000)).y, y0 - 40);
}

}  // namespace
}  // namespace eng::test
