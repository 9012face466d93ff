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

}  // namespace
}  // namespace eng::test
