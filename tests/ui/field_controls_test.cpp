// The controls of a screen's fields: kinds, styles, sizes and ids, and the
// cells an edit covers.
#include <iterator>
#include <vector>

#include "core/sys_vars.h"
#include "platform/win_dump.h"
#include "platform/win_layout.h"
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
  EXPECT_EQ(ws.GetRect(ws.FindChild(top, 2000)), (plat::Rect{46, 25, 300, 24}))
      << "a quarter cell left of column 5, a cell per character";
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
  EXPECT_EQ(d.ws().GetRect(d.ws().FindChild(top, 2003)), (plat::Rect{49, 97, 48, 21})) << "flat: x kept, 7/8 high";
  EXPECT_EQ(ScreenSetWin(1), kOk);
  EXPECT_EQ(ScreenCurrent().control_flags, 1);
}

TEST_F(FieldControlsTest, AnEditCoversOneCellPerCharacterOfItsField) {
  // Short numbers and long texts alike, in either layout; a field running
  // past the screen's right edge is cut there when the screen is built.
  struct Case { int column, length; char type; int cells; };
  const Case cases[] = {{5, 1, 'N', 1},   {5, 3, 'N', 3},   {5, 5, 'N', 5},   {5, 6, 'A', 6},
                        {5, 12, 'N', 12}, {5, 16, 'A', 16}, {5, 40, 'A', 40}, {60, 30, 'A', 20}};
  std::vector<std::string> lines;
  std::string names;
  for (size_t i = 0; i < std::size(cases); ++i) {
    lines.push_back(FieldLine(static_cast<int>(i) + 2, cases[i].column, 0, 0, cases[i].length, cases[i].type));
    names += (i ? ",F" : "F") + std::to_string(i);
  }
  Def("W.PAN", 1, lines);
  Def("W.PPN", 1, {"FD$:=\"" + names + "\""});
  for (int layout : {0, 2}) {
    ASSERT_EQ(Open("W,1,80,20"), kOk);
    ASSERT_EQ(ScreenSetWin(static_cast<uint16_t>(layout)), kOk);
    const plat::Hwnd top = WinTop();
    const plat::CellRect client = plat::ClientCells(d.ws(), top);
    for (size_t i = 0; i < std::size(cases); ++i) {
      const plat::Hwnd edit = d.ws().FindChild(top, kIdFieldBase + 1 + static_cast<int>(i));
      ASSERT_NE(edit, plat::kNoWindow);
      const plat::CellRect at = plat::WindowCells(d.ws(), edit);
      EXPECT_EQ(at.col, client.col + cases[i].column - 1) << "layout " << layout << ", field " << i;
      EXPECT_EQ(at.cols, cases[i].cells) << "layout " << layout << ", field " << i;
    }
    ASSERT_EQ(ScreenWinClose(-1), kOk);
  }
}

}  // namespace
}  // namespace eng::test
