// The type selector under a begin field, on a customer screen whose begin
// field is the key CODE and whose DOCTYPETXT$ lists three codes: Down on
// the field or a click in the list picks the code, which the field takes and
// through it the record the window writes; the selector goes with the
// window, and a binding to a missing field is refused.
#include <string>
#include <vector>

#include "core/err_register.h"
#include "tests/ui/maint_win_fixture.h"
#include "ui/combo_selector.h"
#include "ui/combo_slots.h"
#include "ui/field_controls.h"
#include "ui/geom.h"
#include "ui/screen_actions.h"

namespace eng::test {
namespace {

class SelectorTest : public MaintWinTest {
 protected:
  void SetUp() override {
    MaintWinTest::SetUp();
    const std::vector<std::string> fields = {FieldLine(2, 12, 1, 1, 6, 'A'), FieldLine(3, 12, 1, 2, 30, 'A'),
                                             FieldLine(4, 12, 1, 3, 20, 'A'), FieldLine(5, 12, 1, 4, 10, 'N')};
    const std::string fd = "FD$:=\"CODE,NAME,CITY,BAL\"";
    const std::string filedef = "FILEDEF$:=\"CODE{1},NAME{1},CITY{1},BAL{1}\"";
    ScreenTest::Def("CLI.PPN", 16, {fd, filedef, "BEGINFLD%:=2", "DOCTYPETXT$:=\"'C001','C002','C003'\""});
    // The list takes rows 3 to 5 under CODE.
    ScreenTest::Def("CLI.PAN", 16, {FieldLine(2, 12, 1, 1, 6, 'A'), FieldLine(6, 12, 1, 2, 30, 'A'),
                                    FieldLine(7, 12, 1, 3, 20, 'A'), FieldLine(8, 12, 1, 4, 10, 'N')});
    // 17: BEGINFLD% names a field the screen does not have.
    ScreenTest::Def("CLI.PPN", 17, {fd, filedef, "BEGINFLD%:=9", "DOCTYPETXT$:=\"'C001','C002'\""});
    ScreenTest::Def("CLI.PAN", 17, fields);
  }
  plat::Rect ComboRect() { return d.ws().GetRect(ComboHandle(ScreenWinCurrent().doctype_selector)); }
};

TEST_F(SelectorTest, DownPicksTheCodeTheNewRecordIsWrittenWith) {
  ASSERT_EQ(Open("CLI,16,60,12,1"), kOk);
  ASSERT_NE(ComboHandle(ScreenWinCurrent().doctype_selector), plat::kNoWindow);
  EXPECT_EQ(ComboRect().y, GeomRowToY(3)) << "under the begin field";
  EXPECT_EQ(ComboRect().x, GeomColToX(12));
  EXPECT_EQ(Text(kIdCode), "") << "the list does not write the field by itself";
  EXPECT_EQ(ComboGetSel(ScreenWinCurrent().doctype_selector), 0);
  Drive("key Down\nexpect text id=2000 \"C002\"\nkey Tab\ntype \"BETA\"\nkey Tab\ntype \"LYON\"\nkey Tab\n"
        "type \"20\"\nkey Enter\n");
  EXPECT_TRUE(Boxes().empty()) << ::testing::PrintToString(Boxes());
  const uint16_t slot = ScreenWinCurrent().doctype_selector;
  Drive("close\n");
  EXPECT_FALSE(WindowOpen());
  EXPECT_EQ(ComboHandle(slot), plat::kNoWindow) << "the selector went with its window";
  EXPECT_EQ(OnDisk(), (std::vector<CliRecord>{kC002}));
}

TEST_F(SelectorTest, AClickInTheListPicksAndTheChoiceIsKeptForTheNextWindow) {
  ASSERT_EQ(Open("CLI,16,60,12,1"), kOk);
  // The list's rows start one row below the selector's own field: its
  // second row is the second code.
  const plat::Rect r = ComboRect();
  const plat::Point p = d.ws().ClientToScreen(mant, {r.x + 4, r.y + 48 + 4});
  Drive("click px=" + std::to_string(p.x) + "," + std::to_string(p.y) + "\nexpect text id=2000 \"C002\"\n"
        "expect focus id=2000\n");
  Drive("key Up\nexpect text id=2000 \"C001\"\nkey Down\nkey Down\nkey Down\nexpect text id=2000 \"C003\"\nclose\n");
  ASSERT_EQ(Open("CLI,16,60,12,1"), kOk);
  EXPECT_EQ(ComboGetSel(ScreenWinCurrent().doctype_selector), 2) << "the last choice";
  Drive("key Up\nexpect text id=2000 \"C002\"\nclose\n");
}

TEST_F(SelectorTest, ACodeNotFoundLeavesTheCursorOnTheCode) {
  // Searching: the picked code is not in the file; the window says so and
  // the cursor stays on the code, which the next key picks again.
  Seed({kC001});
  ASSERT_EQ(Open("CLI,16,60,12,1"), kOk);
  EXPECT_EQ(State(), kMantSearch);
  Drive("key Down\nexpect text id=2000 \"C002\"\nkey Tab\nanswer OK\nexpect focus id=2000\n"
        "key Up\nexpect text id=2000 \"C001\"\nclose\n");
  EXPECT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_FALSE(WindowOpen());
}

TEST_F(SelectorTest, BindingToAMissingFieldIsRefusedAndTheFormStays) {
  plat::Hwnd h = WinCreateKind(2, 0, StrOf("T"), 0, 60, 12, {});
  ASSERT_EQ(ScreenOpen(StrOf("CLI"), StrOf(""), 17, 60, 12, 1, StrOf("")), kOk);
  ASSERT_EQ(ScreenSetWin(0), kOk);
  EXPECT_EQ(MovsSelectorCombo(kSelectorShow), kStDataError);
  EXPECT_EQ(ErrIncidentText().str(), "BEGINFLD%");
  EXPECT_EQ(ScreenWinCurrent().doctype_selector, kComboNone);
  EXPECT_EQ(ScreenWinCurrent().window, h) << "the window and its record stay";
  EXPECT_EQ(MovsSelectorCombo(kSelectorDestroy), kOk);
  ScreenClose(-1);
  WinDestroy(h);
  EXPECT_EQ(MovsSelectorCombo(kSelectorShow), kStScreenStruct) << "no window record";
}

}  // namespace
}  // namespace eng::test
