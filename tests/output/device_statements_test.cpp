// The device statements of procedures: DEVICE, DLOCATE, DPRINT, ENDDEVICE
// and SYSTEM with a viewer, through the statement handler chain.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "core/exec_handlers.h"
#include "core/fn_builtins.h"
#include "core/exec_run.h"
#include "core/sys_vars.h"
#include "output/device_statements.h"
#include "tests/output/output_fixture.h"
#include "tests/output/pdf_check.h"

namespace eng::test {
namespace {

class StatementsTest : public OutputTest {
 protected:
  void SetUp() override {
    OutputTest::SetUp();
    ASSERT_EQ(FnInstallValueBuiltins(), kOk);
    ExecRegisterHandlers();
    OutputInstall();
  }
  Status Run(const std::string& source) {
    Put("t.prx", source);
    return ExecRunMenuProc(StrOf("t.prx"), nullptr);
  }
};

TEST_F(StatementsTest, APrintedPageInAFile) {
  EXPECT_EQ(Run("DEVICE 'out.txt /LP:5'\nDPRINT 'A'\nDLOCATE 3,5\nDPRINT 'B'\nDPRINT FN$CHRS(15)+'C',1\nENDDEVICE\n"), kOk);
  EXPECT_EQ(Get("out.txt"), "A\r\n\r\n    B\x0F" "C");
  EXPECT_EQ(SysVarGet(kVarStat), 0);
  EXPECT_EQ(ExecDevices().depth, 0);
}

TEST_F(StatementsTest, StackLimitsAndMissingDevices) {
  EXPECT_EQ(Run("DLOCATE 1,1\n"), kStDataOutBound);
  EXPECT_EQ(Run("ENDDEVICE\n"), kStDataOutBound);
  std::string seven;
  for (int i = 0; i < 7; ++i) seven += "DEVICE 'f" + std::to_string(i) + ".txt'\n";
  EXPECT_EQ(Run(seven + "DEVICE 'f7.txt'\n"), kStDataOutBound);
  EXPECT_FALSE(Has("f7.txt"));
  std::string close;
  for (int i = 0; i < 7; ++i) close += "ENDDEVICE\n";
  EXPECT_EQ(Run(close), kOk);
  EXPECT_EQ(ExecDevices().depth, 0);
  // No device dialog: the empty name is a cancel in _STAT, and the procedure goes on.
  EXPECT_EQ(Run("DEVICE ''\nR=_STAT\nDEVICE 'after.txt'\nDPRINT 'x'\nENDDEVICE\n"), kOk);
  EXPECT_EQ(Get("after.txt"), "x");
  // A device that did not open: its status, and DPRINT answers it too.
  EXPECT_EQ(Run("DEVICE 'missing/x.txt'\n"), kStLowFailure);
  EXPECT_EQ(Run("DPRINT 'x'\n"), kStLowFailure);
  EXPECT_EQ(Run("ENDDEVICE\n"), kOk);
}

TEST_F(StatementsTest, APdfFromAProcedureReadsBack) {
  ASSERT_TRUE(WritePng("pdf_header.png", 30, 10));
  EXPECT_EQ(Run("DEVICE 'list.pdf'\nN=0\nDO_WHILE N<3\nN=N+1\nDPRINT 'Row '+FN$MASK('#';N)+FN$CHRS(13)+FN$CHRS(10)\nLOOP\nENDDEVICE\n"),
            kOk);
  EXPECT_EQ(PdfPages("list.pdf"), 1);
  std::string text = PdfText("list.pdf");
  EXPECT_NE(text.find("Row 1\nRow 2\nRow 3"), std::string::npos) << text;
}

TEST_F(StatementsTest, SystemShowsAFileInAViewer) {
  Put("viewer.sh", "#!/bin/sh\nprintf '%s' \"$1\" > seen.txt\ntouch seen.done\n");
  std::filesystem::permissions("viewer.sh", std::filesystem::perms::owner_all);
  Out().config.viewers[1] = (dir_ / "viewer.sh").string();
  EXPECT_EQ(Run("SYSTEM 1,'out file.txt'\nR=_STAT\n"), kOk);
  for (int i = 0; i < 200 && !Has("seen.done"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(Get("seen.txt"), "out file.txt");
  EXPECT_EQ(SysVarGet(kVarStat), 0);
  EXPECT_EQ(Run("SYSTEM 6,'x'\n"), kOk);
  EXPECT_EQ(static_cast<uint16_t>(SysVarGet(kVarStat)), kStLowFailure);
}

}  // namespace
}  // namespace eng::test
