// The controls of a screen's fields: kinds, styles, sizes and ids.
#include "core/sys_vars.h"
#include "platform/win_dump.h"
#include "tests/ui/screen_fixture.h"
#include "ui/field_controls.h"

namespace eng::test {
namespace {

using FieldControlsTest = ScreenTest;

TEST_F(FieldControlsTest, ControlsByTypeAndOrder) {
  Def("C.PAN", 1, {FieldLine(2, 5, 0, 0, 25, 'A'), FieldLine(3, 5, 0, 0, 6, 'N'), FieldLine(4, 5, 0, 0, 8, 'P'),
                   FieldLine(5, 5, 0, 0, 1, 'L'), FieldLine(6, 5, 0, 0, 0, 'A'), FieldLine(7, 5, 0, 0, 4, 'A'),
                   FieldLine(8, 5, 0, 0, 4, 'A')});
  Def("C.PPN", 1, {"FD$:=\"A,N,P,L,Z,H,R\"", "HIDDEN$:=\"H\"", "NOEDIT$:=\"R\"", "BEGINFLD%:=3"});
  SysVarSet(kVarAuxStat, kAuxStatCheckBoxes);
  ASSERT_EQ(Open("C,1,80,20"), kOk);
  ASSERT_EQ(ScreenSetWin(0), kOk);
  plat::WinSystem& ws = d.ws();
  plat::Hwnd top = WinTop();
  auto rec = [&](int id) { return ws.Rec(ws.FindChild(top, id)); };
  ASSERT_NE(rec(2000), nullptr);
  EXPECT_EQ(ws.GetRect(ws.FindChild(top, 2000)), (plat::Rect{46, 25, 294, 24})) << "a quarter cell left of column 5";
  EXPECT_EQ(rec(2000)->edit.limit, 25u);
  EXPECT_TRUE(rec(2001)->style & plat::kEsReadOnly) << "the begin field";
  EXPECT_TRUE(rec(2001)->style & plat::kEsRight);
  EXPECT_TRUE(rec(2002)->style & plat::kEsPassword);
  EXPECT_EQ(ScreenFieldGet(3).type, 'A') << "a password field stores as text";
  EXPECT_EQ(rec(2003)->kind, plat::WinKind::kCheckBox);
  EXPECT_EQ(rec(2003)->rect.w, 48);
  EXPECT_EQ(rec(2004)->rect.w, 15) << "at least 15 pixels";
  EXPECT_EQ(rec(2005), nullptr) << "hidden";
  EXPECT_TRUE(rec(2006)->style & plat::kEsReadOnly) << "NOEDIT$";
  EXPECT_EQ(ScreenFieldGet(1).control, ws.FindChild(top, 2000));
}

TEST_F(FieldControlsTest, FlatLayoutAndBoundedRange) {
  Def("B.PAN", 1, {FieldLine(2, 5, 0, 0, 4, 'A'), FieldLine(3, 5, 0, 0, 4, 'A'), FieldLine(4, 5, 0, 0, 4, 'A'),
                   FieldLine(5, 5, 0, 0, 4, 'A')});
  Def("B.PPN", 1, {"FD$:=\"A,B,C,D\"", "BOUNDS$:=\"B,C\""});
  ASSERT_EQ(Open("B,1,80,20"), kOk);
  ASSERT_EQ(ScreenSetWin(2), kOk);
  plat::Hwnd top = WinTop();
  EXPECT_EQ(ScreenCurrent().control_flags, 2);
  EXPECT_NE(d.ws().FindChild(top, 2000), plat::kNoWindow);
  EXPECT_EQ(d.ws().FindChild(top, 2001), plat::kNoWindow) << "bounded fields belong to the line grid";
  EXPECT_EQ(d.ws().FindChild(top, 2002), plat::kNoWindow);
  EXPECT_EQ(d.ws().GetRect(d.ws().FindChild(top, 2003)), (plat::Rect{49, 97, 54, 21})) << "flat: x kept, 7/8 high";
  EXPECT_EQ(ScreenSetWin(1), kOk);
  EXPECT_EQ(ScreenCurrent().control_flags, 1);
}

}  // namespace
}  // namespace eng::test
