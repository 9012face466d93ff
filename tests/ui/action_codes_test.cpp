// The key tables, control ids as actions, the common exit of window actions
// and the button attribute store.
#include "core/sys_vars.h"
#include "tests/ui/screen_fixture.h"
#include "ui/action_codes.h"
#include "ui/screen_actions.h"

namespace eng::test {
namespace {

using ActionCodesTest = ScreenTest;

TEST_F(ActionCodesTest, VirtualKeysToCodes) {
  struct Case { uint8_t vk; uint16_t code; } cases[] = {
      {13, 0}, {9, 9}, {27, 3}, {112, 11}, {122, 21}, {38, 22}, {33, 23}, {37, 4}, {39, 4}, {40, 28}, {34, 29},
      {239, 6}, {65, 4}, {123, 4}};
  for (const Case& c : cases) EXPECT_EQ(CtlVirtualKeyToCode(c.vk), c.code) << int(c.vk);
}

TEST_F(ActionCodesTest, CodesToActionsBySet) {
  struct Case { int set; uint16_t code; uint16_t action; } cases[] = {
      {0, 13, 0x0D19}, {1, 13, 0x0F19}, {0, 14, 0x0C19}, {1, 14, 0}, {0, 16, 0x0719}, {0, 23, 0x0319},
      {0, 29, 0x0519}, {0, 21, 0x1019}, {1, 21, 0x0F19}, {0, 0, 1},    {1, 8, 2},     {0, 32, 22},
      {0, 3, 21},      {0, 4, 0},      {2, 0, 0},      {2, 9, 0},      {0, 40, 0}};
  for (const Case& c : cases) {
    SysVarSet(kVarKeyMap, static_cast<int16_t>(c.set));
    EXPECT_EQ(ScreenKeyToAction(c.code), c.action) << c.set << "/" << c.code;
  }
}

TEST_F(ActionCodesTest, MovementFlagsAndKeyKinds) {
  struct Case { uint16_t code, flags; } cases[] = {
      {0, 0x02}, {8, 0x04}, {22, 0x0C}, {28, 0x0A}, {23, 0x14}, {29, 0x12}, {32, 0x40},
      {3, 0x20}, {0x0103, 0x20}, {0x0109, 0x0102}, {15, 0x01}, {4, 0}};
  for (const Case& c : cases) EXPECT_EQ(KeyMoveFlags(c.code), c.flags) << c.code;
  EXPECT_EQ(KeyIsNavigation(19), 3);
  EXPECT_EQ(KeyIsNavigation(16), -1);
  EXPECT_EQ(KeyIsPage(29), 1);
  EXPECT_EQ(KeyIsPage(28), -1);
}

TEST_F(ActionCodesTest, ControlIdsToActions) {
  struct Case { int id; uint16_t action; } cases[] = {
      {1499, 0xFFFF}, {1500, 0x0010}, {1949, 0xF90F}, {1950, 0xFFFF}, {2001, 0xFFFF}, {3013, 0x0D19},
      {3021, 0xFFFF}, {3100, 0x6419}, {3101, 0x6519}, {3102, 0xFFFF}, {3600, 0x002B}, {3650, 0x002C}};
  for (const Case& c : cases) {
    SysVarSet(kVarLastKey, 9);
    EXPECT_EQ(ScreenCommandToAction(c.id), c.action) << c.id;
    EXPECT_EQ(SysVarGet(kVarLastKey), c.action == kActionNone ? 9 : 4) << c.id;
  }
  EXPECT_EQ(kActionOk, 25625);
  EXPECT_EQ(kActionFooter, 25881);
}

TEST_F(ActionCodesTest, CloseOnExit) {
  Def("X.PAN", 1, {FieldLine(2, 1, 0, 0, 4, 'A')});
  ASSERT_EQ(Open("X,1,80,20"), kOk);
  EXPECT_EQ(ScreenCloseOnExit(25, 0, 0), 0);
  EXPECT_EQ(ScreenCloseOnExit(25, 5, 0), 5);
  EXPECT_EQ(ScreenCloseOnExit(21, 0, 0), 24);
  EXPECT_EQ(ScreenCloseOnExit(28, 130, 0), 130);
  EXPECT_EQ(ScreenCloseOnExit(28, 0, 0x10), kStInternal) << "RESTORE with no saved state";
  EXPECT_EQ(ScreenCounterGet(kWinCount), 1) << "nothing closed";
  EXPECT_EQ(ScreenCloseOnExit(28, 0, 0), 4);
  EXPECT_EQ(ScreenCounterGet(kWinCount), 0);
  EXPECT_EQ(ScreenCloseOnExit(28, 0, 0), kStScreenStruct) << "no window record left";
}

TEST_F(ActionCodesTest, AttributeStore) {
  Def("Q.PAN", 1, {FieldLine(2, 1, 0, 0, 4, 'A')});
  Def("Q.PPN", 1, {"MAX_IDS_ATTR%:=2"});
  ASSERT_EQ(Open("Q,1,80,20"), kOk);
  plat::Hwnd w = WinTop();
  EXPECT_EQ(ScreenWinAttribute(w, 7, -1), -1);
  EXPECT_EQ(ScreenWinAttribute(w, 7, 3), 3);
  EXPECT_EQ(ScreenWinAttribute(w, 7, -1), 3);
  EXPECT_EQ(ScreenWinAttribute(w, 8, 5), 5);
  EXPECT_EQ(ScreenWinAttribute(w, 9, 1), -1) << "the table is full";
  EXPECT_EQ(ScreenWinAttribute(w, 7, 4), 4);
  EXPECT_EQ(ScreenWinAttribute(w, 7, -1), 4);
  EXPECT_EQ(ScreenWinAttribute(12345, 7, -1), -1) << "a window that is not on the stack";
  EXPECT_EQ(CtlButtonFromText(w, 1, 1, 48, 24, StrOf("B"), 8, 5, 0,
                              [](int id, int state) { return ScreenWinAttribute(WinTop(), id, state); }) != 0,
            true);
}

}  // namespace
}  // namespace eng::test
