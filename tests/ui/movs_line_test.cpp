// Line editing in NAVIGATION mode: every committed line reaches the lines
// file at once (a changed line rewritten, a new one added, both traced),
// a line that WRITELINS$ refuses is blanked and written nowhere, and a new
// line left as it was shown is written nowhere either.
#include "tests/ui/movs_fixture.h"

namespace eng::test {
namespace {

class MovsLineTest : public MovsWinTest {
 protected:
  void SetUp() override {
    MovsWinTest::SetUp();
    Seed({FacRec("000001", 0, "ACME"), FacRec("000001", 1, "ACME", "TORN", 4, 150)});
    // Each line carries its record's key part N_LINE in a column of its own.
    Screen(1, {"MODE$:=\"NAVIGATION\"", "LNASSIGN$:=\"N_LINE{1}\"",
               "WRITELINS$:=\"N_LINE{1}=_LNUM,QTY{1}<100\""});
    SysVarSet(kVarTrace, 65);
    ASSERT_EQ(Open(), kOk);
    Drive("type \"A\"\nkey Tab\ntype \"000001\"\nkey Tab\nkey Tab\n");
  }
};

TEST_F(MovsLineTest, LeavingALineWritesItAtOnce) {
  ASSERT_EQ(State(), kStateEdit);
  EXPECT_EQ(FieldText(kFldItem), "TORN");
  Drive("key Tab\ntype \"9\"\nkey Shift+Tab\nkey Down\n");
  std::vector<std::string> disk = OnDisk();
  ASSERT_EQ(disk.size(), 2u);
  EXPECT_EQ(disk[1].substr(41, 5), "    9") << "rewritten when left";
  EXPECT_EQ(Lines()->current, 2);
  Drive("type \"BOLT\"\nkey Tab\ntype \"2\"\nkey Tab\ntype \"3\"\nkey Tab\n");
  disk = OnDisk();
  ASSERT_EQ(disk.size(), 3u) << ::testing::PrintToString(disk);
  EXPECT_EQ(disk[2].substr(8, 3), "  2");
  EXPECT_EQ(disk[2].substr(31, 10), docs::Pad("BOLT", 10));
  const std::string log = Get("DWlog.txt");
  const size_t sve = log.find("Cmd:SVE");
  ASSERT_NE(sve, std::string::npos) << log;
  EXPECT_NE(log.find("Cmd:INS", sve), std::string::npos) << log;
}

TEST_F(MovsLineTest, ARefusedLineIsBlankedAndStays) {
  Drive("key Down\ntype \"BIG\"\nkey Tab\ntype \"500\"\nkey Down\nanswer OK\n");
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Datos incorrectos"}));
  EXPECT_EQ(Lines()->current, 2) << "the user stays on the line";
  EXPECT_EQ(Line(2, 1), docs::Pad("", 10));
  EXPECT_EQ(OnDisk().size(), 2u) << "nothing written";
}

TEST_F(MovsLineTest, ANewLineLeftAsItWasShownIsNotWritten) {
  Drive("key Down\nkey Up\n");
  EXPECT_EQ(OnDisk().size(), 2u) << "nothing typed: no record";
  Drive("key Down\ntype \"BOLT\"\nkey Up\n");
  const std::vector<std::string> disk = OnDisk();
  ASSERT_EQ(disk.size(), 3u) << "a line typed on is written";
  EXPECT_EQ(disk[2].substr(31, 10), docs::Pad("BOLT", 10));
}

}  // namespace
}  // namespace eng::test
