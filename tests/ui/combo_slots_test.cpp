// Combo boxes by slot: their size from the items and the cell, the table of
// 80 slots (full, freed, and freed with a destroyed parent), the selection
// and the engine's key procedure on them.
#include <string>

#include "platform/ctl_combo.h"
#include "platform/win_keys.h"
#include "platform/win_messages.h"
#include "tests/ui/ui_fixture.h"
#include "ui/combo_slots.h"
#include "ui/fonts.h"

namespace eng::test {
namespace {

class ComboSlotsTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    Ui().base_grid = {80, 24, 0, 0, 0, 0};
    FontRegister(24, 12, 400, StrOf("Lucida Console"));
    parent = WinCreateKind(5, 0, StrOf("Combo"), 0, 60, 20, {});
    WinShowTop(-1);
  }
  plat::Hwnd parent = plat::kNoWindow;
};

TEST_F(ComboSlotsTest, SizeFollowsTheLongestItemAndTheStyle) {
  struct Case {
    const char* items;
    bool editable;
    plat::Rect rect;
    int count;
  } cases[] = {
      // Width: 3 cells of 12 + 20 (+ 20 editable); rows: one per item, five when editable.
      {"a,bb,ccc", false, {30, 48, 56, 72}, 3},
      {"a,bb,ccc", true, {30, 48, 76, 120}, 3},
      {"'Uno','Dos'", false, {30, 48, 56, 48}, 2},
  };
  for (const Case& c : cases) {
    const uint16_t slot = ComboCreate(parent, 48, 30, StrOf(c.items), c.editable);
    ASSERT_NE(slot, kComboNone) << c.items;
    const plat::Hwnd h = ComboHandle(slot);
    EXPECT_EQ(d.ws().Id(h), kIdComboBase + slot);
    const plat::Rect r = d.ws().GetRect(h);
    EXPECT_EQ(r.x, c.rect.x) << c.items;
    EXPECT_EQ(r.y, c.rect.y) << c.items;
    EXPECT_EQ(r.w, c.rect.w) << c.items << (c.editable ? " editable" : "");
    EXPECT_EQ(r.h, c.rect.h) << c.items << (c.editable ? " editable" : "");
    EXPECT_EQ(plat::ComboCount(d.ws(), h), c.count);
    ComboDestroy(slot);
  }
  const uint16_t slot = ComboCreate(parent, 0, 0, StrOf("'Uno','Dos'"), false);
  EXPECT_EQ(plat::ComboItem(d.ws(), ComboHandle(slot), 1), "Dos") << "items are shown unquoted";
}

TEST_F(ComboSlotsTest, EightySlotsThenNoneAndAFreedSlotIsTakenAgain) {
  for (uint16_t i = 0; i < kComboSlots; ++i) ASSERT_EQ(ComboCreate(parent, 0, 0, StrOf("a,b"), false), i);
  EXPECT_EQ(ComboCreate(parent, 0, 0, StrOf("a,b"), false), kComboNone) << "an 81st combo box";
  const size_t children = d.ws().Children(parent).size();
  ComboDestroy(7);
  EXPECT_EQ(d.ws().Children(parent).size(), children - 1);
  EXPECT_EQ(ComboHandle(7), plat::kNoWindow);
  EXPECT_EQ(ComboGetSel(7), -1);
  ComboSetSel(7, 1);  // a free slot: nothing happens
  EXPECT_EQ(ComboCreate(parent, 0, 0, StrOf("a,b"), false), 7);
}

TEST_F(ComboSlotsTest, SlotsOfADestroyedWindowAreFreeAgain) {
  const plat::Hwnd other = WinCreateKind(5, 0, StrOf("Other"), 0, 40, 10, {});
  for (uint16_t i = 0; i < kComboSlots; ++i) ASSERT_NE(ComboCreate(other, 0, 0, StrOf("a"), false), kComboNone);
  WinDestroy(other);
  EXPECT_EQ(ComboCreate(parent, 0, 0, StrOf("a"), false), 0);
  EXPECT_EQ(ComboCreate(plat::kNoWindow, 0, 0, StrOf("a"), false), kComboNone) << "no parent, no combo";
}

TEST_F(ComboSlotsTest, SelectionAndEnterPressesOk) {
  const uint16_t slot = ComboCreate(parent, 0, 0, StrOf("a,b,c"), false);
  EXPECT_EQ(ComboGetSel(slot), -1);
  ComboSetSel(slot, 2);
  EXPECT_EQ(ComboGetSel(slot), 2);
  ComboSetFocus(slot);
  EXPECT_EQ(d.ws().Focus(), ComboHandle(slot));
  int ok_pressed = 0;
  d.ws().SetProc(parent, [&](plat::WinSystem& ws, plat::Hwnd h, uint32_t m, uint64_t w, int64_t l) -> int64_t {
    if (m == plat::kWmCommand && plat::CommandId(w) == kIdOk) ++ok_pressed;
    return plat::WinSystem::DefProc(ws, h, m, w, l);
  });
  d.ws().Send(ComboHandle(slot), plat::kWmKeyDown, plat::kVkReturn);
  EXPECT_EQ(ok_pressed, 1);
}

}  // namespace
}  // namespace eng::test
