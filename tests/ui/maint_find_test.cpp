// Find by fields in a maintenance window: F6 opens the field form (answered
// here from the INPUT script); the first record from the current one on
// whose fields equal the filled ones is shown; a search that finds nothing
// says so and the window stays in search; a cancelled form moves nothing.
#include "core/script_io.h"
#include "core/streams.h"
#include "core/sys_vars.h"
#include "tests/ui/maint_win_fixture.h"
#include "ui/accept_win.h"

namespace eng::test {
namespace {

class MaintFindTest : public MaintWinTest {
 protected:
  void SetUp() override {
    MaintWinTest::SetUp();
    AcceptInstall();
  }
  void TearDown() override {
    if (SysVarGet(kVarInHnd)) StrmClose(SysVarBits(kVarInHnd));
    SysVarSet(kVarInHnd, 0);
    MaintWinTest::TearDown();
  }
  // The lines that answer the forms, in order.
  void Script(const std::string& lines) {
    Put("in.txt", lines);
    const uint16_t stream = StrmOpen(StrOf("in.txt"), kStrmNoUpdate | kStrmQuiet);
    ASSERT_LT(stream, kStreams);
    SysVarSet(kVarInHnd, static_cast<int16_t>(stream));
  }
};

TEST_F(MaintFindTest, F6FindsTheFirstRecordWithTheFilledFields) {
  Seed({kC001, kC002, CliRecord{"C003", "GAMMA", "LYON", "5"}});
  ASSERT_EQ(Open("CLI,1,60,12,1"), kOk);
  // By city: C002 is the first in LYON; then by name and city together.
  Script("'','','LYON',''\r\n'','GAMMA','LYON',''\r\n'','','ROMA',''\r\n");
  Drive("key F6\nexpect text id=2001 \"BETA\"\n");
  EXPECT_EQ(State(), kMantEdit);
  EXPECT_EQ(Text(kIdCode), "C002");
  Drive("key F6\nexpect text id=2000 \"C003\"\n");
  EXPECT_EQ(State(), kMantEdit);
  EXPECT_TRUE(Boxes().empty()) << ::testing::PrintToString(Boxes());
  // Nobody in ROMA: the box says so; the file is back on its first record
  // and the fields show that record, not the one shown before.
  Drive("key F6\nanswer OK\n");
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Fin de fichero"}));
  EXPECT_EQ(Text(kIdCode), "C001");
  EXPECT_EQ(Text(kIdName), "ACME");
  // The script is used up: the form is cancelled, which is said, and
  // nothing moves.
  Drive("key F6\nanswer OK\n");
  EXPECT_EQ(Text(kIdCode), "C001");
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Fin de fichero", "Cancelado por el usuario"}));
  Drive("close\n");
  EXPECT_FALSE(WindowOpen());
}

}  // namespace
}  // namespace eng::test
