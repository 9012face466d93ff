// The invoice document commands' CHECK in a document window on the
// headless window system: saving a document runs hook 12's Payments command,
// which writes the window's lines by the mode RD_COND$ gives each line and
// answers 1, so that the window does not save the document over them; a
// line whose mode is not available (3 to 5) ends the walk with 148 and the
// save goes no further.
#include "apps/truvesca/inv_doc.h"
#include "tests/ui/movs_fixture.h"

namespace eng::test {
namespace {

class TruvescaDocCheckTest : public MovsWinTest {
 protected:
  void SetUp() override {
    MovsWinTest::SetUp();
    HookSetFn(&truvesca::InvDocHook, 12);
    Seed({FacRec("000001", 0, "ACME"), FacRec("000001", 1, "ACME", "TORN", 4, 150),
          FacRec("000001", 2, "ACME", "BOLT", 10, 20), FacRec("000001", 3, "ACME", "NUT", 7, 5)});
  }
  void TearDown() override {
    HookSetFn(static_cast<HookTextFn>(nullptr), 12);
    MovsWinTest::TearDown();
  }
  // The document's CHECK: Payments, the key of the stored lines, the mode
  // and the statements that number each line written.
  static void CheckScreen(const char* mode) {
    Screen(1, {"CHECK.PRCNAME$:=\"12:Payments\"", "CHECK.SET$:=\"SERIE{1}+NUM{1}\"", "CHECK.INDEX%:=1",
               std::string("CHECK.RD_COND$:=\"") + mode + "\"", "CHECK.WR_EXP$:=\"N_LINE{1}=_LNUM\""});
  }
  // Loads document 000001, changes the first line's quantity to 5 and saves.
  void EditAndSave() {
    Drive("type \"A\"\nkey Tab\ntype \"000001\"\nkey Tab\nkey Tab\nkey Tab\ntype \"5\"\nkey Ctrl+End\nanswer OK\n");
  }
};

TEST_F(TruvescaDocCheckTest, TheLinesAreWrittenAfterTheStoredOnesAndTheWindowDoesNotSaveAgain) {
  CheckScreen("1");
  ASSERT_EQ(Open(), kOk);
  EditAndSave();
  EXPECT_EQ(OnDisk(), Sorted({FacRec("000001", 0, "ACME"), FacRec("000001", 1, "ACME", "TORN", 4, 150),
                              FacRec("000001", 2, "ACME", "BOLT", 10, 20), FacRec("000001", 3, "ACME", "NUT", 7, 5),
                              FacRec("000001", 4, "ACME", "TORN", 5, 150), FacRec("000001", 5, "ACME", "BOLT", 10, 20),
                              FacRec("000001", 6, "ACME", "NUT", 7, 5)}));
  EXPECT_EQ(Boxes().size(), 1u) << "the answer 1 is shown";
  EXPECT_EQ(EventLog(), (std::vector<int>{kMovsEvInit, kMovsEvLoad, kMovsEvSave}));
}

TEST_F(TruvescaDocCheckTest, ALineWhoseModeIsNotAvailableEndsTheSave) {
  // Mode 1 for a quantity up to 5, 3 (not available) above.
  CheckScreen("1+2*(QTY{1}>5)");
  ASSERT_EQ(Open(), kOk);
  EditAndSave();
  EXPECT_EQ(OnDisk(), Sorted({FacRec("000001", 0, "ACME"), FacRec("000001", 1, "ACME", "TORN", 4, 150),
                              FacRec("000001", 2, "ACME", "BOLT", 10, 20), FacRec("000001", 3, "ACME", "NUT", 7, 5),
                              FacRec("000001", 4, "ACME", "TORN", 5, 150)}));
  EXPECT_EQ(EventLog(), (std::vector<int>{kMovsEvInit, kMovsEvLoad})) << "no SAVE after the failure";
  EXPECT_FALSE(Boxes().empty()) << "the failure is shown";
}

}  // namespace
}  // namespace eng::test
