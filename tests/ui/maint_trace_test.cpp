// The maintenance trace: one framed record in the application log per
// record command while _TRACE has bit 64, with the user, the command's
// verb, the statuses, both key values and the record; nothing without it.
#include <string>

#include "core/dyn_strings.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "tests/ui/maint_win_fixture.h"
#include "ui/maint_trace.h"

namespace eng::test {
namespace {

class MaintTraceTest : public MaintWinTest {
 protected:
  void SetUp() override {
    MaintWinTest::SetUp();
    Seed({kC001});
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kDatabaseLogin, StrOf("host,db,'u1',secret")), kOk);
    ASSERT_LT(DataFileOpen(kCli, 8), kStFirstWarning);
    ASSERT_EQ(DataFileMove(kCli, 0x24), kOk);  // C001 current, its saved copy too
    ASSERT_EQ(BufCopyPart(kCli, 1), kOk);
    SysVarSet(kVarIer, 0);
  }
  void TearDown() override {
    DataFileClose(kCli);
    MaintWinTest::TearDown();
  }
  std::string Record() {
    ScratchScope scope;
    return BufRecord(kCli, kBufCurrent).str();
  }
};

TEST_F(MaintTraceTest, RecordCommandsAreLoggedOnlyWithBit64) {
  SysVarSet(kVarTrace, 1);
  MantTrace(kCli, 8);
  EXPECT_FALSE(Has("PLlog.txt")) << "_TRACE 1: nothing";
  SysVarSet(kVarTrace, 65);
  MantTrace(kCli, 8);
  ASSERT_EQ(BufSetField(kCli, 1, StrOf("C002")), kOk);  // a changed key, as an add would write it
  MantTrace(kCli, 9);
  const std::string log = Get("PLlog.txt");
  const std::string rewrite = "User:u1 Cmd:SVE IER:0 IER():0 Key:<C001  > Keyr:<C001  > Data:<";
  const std::string add = "User:u1 Cmd:INS IER:0 IER():0 Key:<C002  > Keyr:<C001  > Data:<" + Record() + ">";
  const size_t first = log.find(rewrite);
  ASSERT_NE(first, std::string::npos) << log;
  EXPECT_NE(log.find(add, first), std::string::npos) << log;
  EXPECT_EQ(log.find("*****************************\r\n"), 0u) << "framed records";
}

TEST_F(MaintTraceTest, TextIsCutAndUnknownFilesAreSkipped) {
  SysVarSet(kVarTrace, 64);
  const std::string user(600, 'u');
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kDatabaseLogin, StrOf("h,d," + user)), kOk);
  EXPECT_EQ(MantTraceText(kCli, 8).size(), 384u + DictRecordLength(kCli) + 2u * 6u);
  EXPECT_EQ(MantTraceText(9, 8), "");
  MantTrace(9, 8);
  EXPECT_FALSE(Has("PLlog.txt"));
}

}  // namespace
}  // namespace eng::test
