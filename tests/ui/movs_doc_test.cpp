// Document windows driven by key scripts, with the invoice file checked on
// disk after each step: a new document typed and saved, reloaded and
// edited, lines inserted and deleted, the document deleted.
#include "tests/ui/movs_fixture.h"

namespace eng::test {
namespace {

class MovsDocTest : public MovsWinTest {};

TEST_F(MovsDocTest, ANewDocumentIsSavedWithItsHeaderAndNumberedLines) {
  Screen(1);
  ASSERT_EQ(Open(), kOk);
  EXPECT_EQ(EventLog(), (std::vector<int>{kMovsEvInit}));
  Drive("type \"A\"\nkey Tab\ntype \"000001\"\nkey Tab\n");
  EXPECT_EQ(State(), kMantEdit);
  EXPECT_EQ(Text(kIdStatus2), "Edicion [AvPag/RePag] [Nueva alta/Impresi\xF3n Desact.]");
  Drive("type \"ACME\"\nkey Tab\n");
  EXPECT_EQ(State(), kStateEdit);
  Drive("type \"TORN\"\nkey Tab\ntype \"4\"\nkey Tab\ntype \"150\"\nkey Tab\n");
  EXPECT_EQ(Lines()->used, 2) << "past the last field of a line a new line opens";
  EXPECT_EQ(Lines()->current, 2);
  EXPECT_EQ(FieldText(kFldTotal), "    2") << "FLDUPDATE$ after the line change";
  Drive("type \"BOLT\"\nkey Tab\ntype \"10\"\nkey Tab\ntype \"20\"\nkey Ctrl+End\n");
  EXPECT_TRUE(Boxes().empty()) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(OnDisk(), Sorted({FacRec("000001", 0, "ACME", "BOLT", 10, 20), FacRec("000001", 1, "ACME", "TORN", 4, 150),
                              FacRec("000001", 2, "ACME", "BOLT", 10, 20)}));
  EXPECT_EQ(EventLog(), (std::vector<int>{kMovsEvInit, kMovsEvLoad, kMovsEvCheck, kMovsEvSave}));
  EXPECT_EQ(State(), kMantSearch) << "a blank new document at the key";
  EXPECT_EQ(Lines()->used, 0);
  EXPECT_EQ(FieldText(kFldNum), "");
}

TEST_F(MovsDocTest, ANewLineLeftWithItsDefaultsIsNotSaved) {
  // QTY has a default, so the new line opened after the last one is not blank.
  Screen(1, {"ASSIGN$:=\",,,,1,,_LLST\""});
  ASSERT_EQ(Open(), kOk);
  Drive("type \"A\"\nkey Tab\ntype \"000001\"\nkey Tab\ntype \"ACME\"\nkey Tab\n");
  Drive("type \"TORN\"\nkey Tab\ntype \"4\"\nkey Tab\ntype \"150\"\nkey Tab\n");
  ASSERT_EQ(Lines()->current, 2);
  EXPECT_EQ(FieldText(kFldQty).find_first_not_of(' '), FieldText(kFldQty).size() - 1) << FieldText(kFldQty);
  Drive("key Ctrl+End\n");
  EXPECT_TRUE(Boxes().empty()) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(OnDisk(), Sorted({FacRec("000001", 0, "ACME", "TORN", 4, 150), FacRec("000001", 1, "ACME", "TORN", 4, 150)}));
}

TEST_F(MovsDocTest, ALineIsTypedOnItsCellsAndAFullFieldShowsWhole) {
  // On screen: a field typed to its full length shows every character while
  // the cursor is still in it; the second line's edits start on the column
  // the first line's text shows in, and a number ends against its column's
  // "|".
  Screen(1);
  ASSERT_EQ(Open(), kOk);
  Drive("type \"A\"\nkey Tab\ntype \"000001\"\n");
  EXPECT_NE(d.Snapshot().find("000001"), std::string::npos) << d.Snapshot();
  Drive("key Tab\ntype \"ACME\"\nkey Tab\n");
  Drive("type \"TORN\"\nkey Tab\ntype \"4\"\nkey Tab\ntype \"150\"\nkey Tab\n");
  Drive("type \"BOLTANDNUT\"\n");
  ASSERT_EQ(Lines()->current, 2);
  const auto above = ScreenFind("TORN");
  const auto typed = ScreenFind("BOLTANDNUT");
  ASSERT_NE(above.first, -1) << d.Snapshot();
  EXPECT_EQ(typed.first, above.first + 1) << d.Snapshot();
  EXPECT_EQ(typed.second, above.second) << d.Snapshot();
  Drive("key Tab\ntype \"10\"\n");
  const std::string row_above = ScreenRow(above.first), row_typed = ScreenRow(above.first + 1);
  EXPECT_NE(row_above.find("4|"), std::string::npos) << row_above;
  EXPECT_EQ(row_typed.find("10|"), row_above.find("4|") - 1) << row_above << "\n" << row_typed;
}

}  // namespace
}  // namespace eng::test

namespace eng::test {
namespace {

const std::vector<std::string> kStored = {FacRec("000001", 0, "ACME"), FacRec("000001", 1, "ACME", "TORN", 4, 150),
                                          FacRec("000001", 2, "ACME", "BOLT", 10, 20),
                                          FacRec("000001", 3, "ACME", "NUT", 7, 5)};
const std::string kOther = FacRec("000002", 0, "BETA");

class MovsStoredTest : public MovsWinTest {
 protected:
  void SetUp() override {
    MovsWinTest::SetUp();
    std::vector<std::string> all = kStored;
    all.push_back(kOther);
    Seed(all);
  }
  // Types the document key and goes on into the lines.
  static constexpr const char* kLoadAndEnter = "type \"A\"\nkey Tab\ntype \"000001\"\nkey Tab\nkey Tab\n";
};

TEST_F(MovsStoredTest, ReloadDeleteALineChangeAnotherAndSaveRenumbers) {
  Screen(1);
  ASSERT_EQ(Open(), kOk);
  Drive("type \"A\"\nkey Tab\ntype \"000001\"\nkey Tab\n");
  ASSERT_NE(Lines(), nullptr);
  EXPECT_EQ(Lines()->used, 3);
  EXPECT_EQ(FieldText(kFldCust), "ACME") << "the header's fields show the header just read";
  EXPECT_EQ(Text(kIdStatus2), "Edicion [AvPag/RePag] [Modificaci\xF3n/Impresi\xF3n Desact.]");
  Drive("key Tab\n");
  EXPECT_EQ(State(), kStateEdit);
  EXPECT_EQ(FieldText(kFldItem), "TORN");
  // F8 deletes line 1; the former line 2 is shown in its place.
  Drive("key F8\n");
  EXPECT_EQ(Lines()->used, 2);
  EXPECT_EQ(FieldText(kFldItem), "BOLT");
  EXPECT_EQ(OnDisk().size(), 5u) << "nothing reaches the disk before the save";
  Drive("key Tab\ntype \"11\"\nkey Ctrl+End\n");
  EXPECT_TRUE(Boxes().empty()) << ::testing::PrintToString(Boxes());
  std::vector<std::string> disk = OnDisk();
  ASSERT_EQ(disk.size(), 4u);
  EXPECT_EQ(disk[1].substr(0, 36), FacRec("000001", 1, "ACME", "BOLT").substr(0, 36));
  EXPECT_EQ(disk[1].substr(36), FacRec("000001", 1, "ACME", "BOLT", 11, 20).substr(36));
  EXPECT_EQ(disk[2], FacRec("000001", 2, "ACME", "NUT", 7, 5));
  EXPECT_EQ(disk[3], kOther) << "another document stays as it was";
  EXPECT_EQ(disk[0].substr(0, 31), FacRec("000001", 0, "ACME").substr(0, 31)) << "the header, N_LINE blank";
}

TEST_F(MovsStoredTest, InsertOpensABlankLineAtTheCursorAndDownPastTheLastAddsOne) {
  Screen(1);
  ASSERT_EQ(Open(), kOk);
  Drive(std::string(kLoadAndEnter) + "key Down\nkey F9\n");
  EXPECT_EQ(Lines()->used, 4);
  EXPECT_EQ(Lines()->current, 2);
  EXPECT_EQ(FieldText(kFldItem), "");
  // Past the line's last field the cursor wraps to the next line's first.
  Drive("type \"SCREW\"\nkey Tab\ntype \"3\"\nkey Tab\ntype \"1\"\nkey Tab\nkey Down\nkey Down\n");
  EXPECT_EQ(Lines()->current, 5) << "Down from the last used line opens a new one";
  EXPECT_EQ(Lines()->used, 5);
  Drive("type \"WASHER\"\nkey Tab\ntype \"2\"\nkey Tab\ntype \"3\"\nkey Ctrl+End\n");
  const std::vector<std::string> disk = OnDisk();
  ASSERT_EQ(disk.size(), 7u) << ::testing::PrintToString(disk);
  const std::vector<std::string> items = {"TORN", "SCREW", "BOLT", "NUT", "WASHER"};
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(disk[i + 1].substr(8, 3), docs::Num(static_cast<long>(i + 1), 3));
    EXPECT_EQ(disk[i + 1].substr(31, 10), docs::Pad(items[i], 10));
  }
}

TEST_F(MovsStoredTest, RightClickEliminarDeletesTheCurrentLine) {
  Screen(1);
  ASSERT_EQ(Open(), kOk);
  Drive(kLoadAndEnter);
  EXPECT_EQ(FieldText(kFldItem), "TORN");
  // A right click on line 2's row makes it current and offers the menu.
  Drive("rclick cell=14,10\nmenu id=1702\n");
  EXPECT_EQ(Lines()->used, 2);
  EXPECT_EQ(Line(1, 1), docs::Pad("TORN", 10));
  EXPECT_EQ(Line(2, 1), docs::Pad("NUT", 10));
}

TEST_F(MovsStoredTest, DeletingTheDocumentAsksAndRemovesEveryRecordOfItsKey) {
  Screen(1);
  ASSERT_EQ(Open(), kOk);
  Drive(std::string(kLoadAndEnter) + "click id=3016\nanswer No\n");
  EXPECT_EQ(OnDisk().size(), 5u);
  Drive("click id=3016\nanswer Yes\n");
  EXPECT_EQ(OnDisk(), (std::vector<std::string>{kOther}));
  EXPECT_EQ(EventLog().back(), kMovsEvDelete);
  EXPECT_EQ(State(), kMantSearch);
  EXPECT_EQ(Lines()->used, 0);
  // On a new document there is nothing to delete: no question.
  const size_t boxes = Boxes().size();
  Drive("type \"A\"\nkey Tab\ntype \"000009\"\nkey Tab\nclick id=3016\n");
  EXPECT_EQ(Boxes().size(), boxes);
}

TEST_F(MovsStoredTest, ADocumentWithoutLinesIsNotSaved) {
  Screen(1);
  ASSERT_EQ(Open(), kOk);
  Drive("type \"B\"\nkey Tab\ntype \"000001\"\nkey Tab\ntype \"NEW\"\nclick id=3008\nanswer OK\n");
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"No hay datos"}));
  EXPECT_EQ(OnDisk().size(), 5u);
  EXPECT_EQ(State(), kMantSearch) << "a new document";
  EXPECT_EQ(FieldText(kFldNum), "");
}

TEST_F(MovsStoredTest, AReadOnlyDocumentRefusesAChangedSave) {
  Screen(2, {"VOIDMODE%:=1024"});
  ASSERT_EQ(Open(2), kOk);
  Drive("type \"A\"\nkey Tab\ntype \"000001\"\nkey Tab\n");
  EXPECT_EQ(Text(kIdStatus2), "Edicion [AvPag/RePag] [Solo Consulta/Impresi\xF3n Desact.]");
  const std::vector<std::string> before = OnDisk();
  Drive("key Tab\nkey Tab\ntype \"99\"\nkey Ctrl+End\nanswer OK\n");
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Datos Cambiados. Grabaci\xF3n canceleda"}));
  EXPECT_EQ(OnDisk(), before);
}

TEST_F(MovsStoredTest, ADocumentLongerThanTheBufferIsNeverCutBySaving) {
  Screen(2, {"MAXLIN%:=2"});
  ASSERT_EQ(Open(2), kOk);
  Drive(std::string(kLoadAndEnter) + "type \"LATHE\"\nkey Ctrl+End\nanswer OK\n");
  EXPECT_EQ(Lines()->max_lines, 2);
  ASSERT_EQ(Boxes().size(), 1u) << "the refusal is shown";
  std::vector<std::string> stored = kStored;
  stored.push_back(kOther);
  EXPECT_EQ(OnDisk(), Sorted(stored)) << "the third line is still there";
}

TEST_F(MovsStoredTest, ABlankKeyNeverBecomesADocument) {
  Screen(1);
  ASSERT_EQ(Open(), kOk);
  Drive("key Tab\nkey Tab\ntype \"X\"\nkey Tab\ntype \"LOOSE\"\nkey Tab\ntype \"1\"\nkey Ctrl+End\n");
  for (const std::string& r : OnDisk()) EXPECT_NE(r.substr(0, 8), "        ") << r;
  EXPECT_EQ(OnDisk().size(), 5u);
}

}  // namespace
}  // namespace eng::test
