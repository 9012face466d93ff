#include "core/log.h"

#include <string>

#include "core/clock.h"
#include "core/dyn_strings.h"
#include "core/err_assert.h"
#include "core/err_register.h"
#include "core/streams.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

class LogTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrFromC("PLMRQV13:Norvique")), kOk);
    ClockSetFixedLocal(LocalTime{2024, 3, 5, 9, 7, 0, 0});
  }
};

StrPair N(const char* s) { return StrFromC(s); }

const std::string kFramedBody =
    std::string(29, '*') + "\r\n Date:05-03-2024 - Time:09:07 - User:0\r\nbody\r\n" + std::string(22, '*') +
    "\r\n\r\n";

TEST_F(LogTest, TraceLinesFollowTheTraceBits) {
  EXPECT_EQ(S(LogPath()), "PLlog.txt");
  SysVarSet(kVarTrace, 0);
  LogTrace(N("t"), 1);
  EXPECT_FALSE(Has("PLlog.txt"));
  SysVarSet(kVarTrace, 1);
  LogTrace(N("t"), 1);
  EXPECT_EQ(Get("PLlog.txt"), "t\r\n");
  LogTrace(N("u"), 2);
  LogTrace(N("v"), 0x100);  // only the low 8 bits count
  EXPECT_EQ(Get("PLlog.txt"), "t\r\n");
  LogTrace(StrFail(kStFileNotFound), 1);
  LogTrace(N("w"), 3);
  EXPECT_EQ(Get("PLlog.txt"), "t\r\nError #164\r\nw\r\n");
}

TEST_F(LogTest, SetPathStartsTheLogAfresh) {
  Put("mine.log", "old lines\r\n");
  EXPECT_EQ(LogSetPath(N("mine.log")), kOk);
  EXPECT_FALSE(Has("mine.log"));
  LogTrace(N("only"), 1);
  EXPECT_EQ(Get("mine.log"), "only\r\n");
  EXPECT_EQ(S(LogPath()), "mine.log");
  EXPECT_EQ(LogSetPath(N("")), kOk);
  EXPECT_EQ(S(LogPath()), "mine.log");
  EXPECT_EQ(LogAppendLine(N(""), N("x")), 0);
  EXPECT_EQ(LogAppendLine(N("other.txt"), N("x")), 1);
  EXPECT_EQ(Get("other.txt"), "x\r\n");
}

TEST_F(LogTest, PathFromTheIdentity) {
  DynStrSet(sl::kSettings, sl::kIdentity, N("TRVKQZ13:Norvique"));
  EXPECT_EQ(S(LogPath()), "TRlog.txt");
  DynStrSet(sl::kSettings, sl::kIdentity, N(""));
  EXPECT_EQ(S(LogPath()), "log.txt");
}

TEST_F(LogTest, FramedRecordByteForByte) {
  EXPECT_EQ(LogRecord(N("body"), N("")), kOk);
  EXPECT_EQ(Get("PLlog.txt"), kFramedBody);
  EXPECT_EQ(LogRecord(N("body"), N("trace.log")), kOk);
  EXPECT_EQ(LogRecord(N("body"), N("TRACE.LOG")), kOk);
  EXPECT_EQ(Get("trace.log"), kFramedBody + kFramedBody);
}

TEST_F(LogTest, RecordToAFileThatCannotBeOpened) {
  std::filesystem::create_directory("folder");
  EXPECT_EQ(LogRecord(N("body"), N("folder")), kStFileNotFound);
  EXPECT_EQ(ErrLastCode(), kStFileNotFound);
  EXPECT_EQ(ErrLastModule(), kModStreams);
  EXPECT_EQ(S(ErrIncidentText()), "folder");
}

TEST_F(LogTest, InputScript) {
  EXPECT_EQ(S(CmdInputNextLine()), "");
  Put("input.txt", "a\r\nb");
  uint16_t h = StrmOpen(N("input.txt"), kStrmNoUpdate);
  SysVarSet(kVarInHnd, int16_t(h));
  EXPECT_EQ(S(CmdInputNextLine()), "a");
  EXPECT_EQ(S(CmdInputNextLine()), "b");
  EXPECT_EQ(S(CmdInputNextLine()), "");
  EXPECT_EQ(S(CmdInputNextLine()), "");
}

TEST_F(LogTest, ProcedureTraceFile) {
  LogProcTrace(N("1\tIF x\r\n"));
  EXPECT_FALSE(Has("PrcLog.txt"));
  SysVarSet(kVarTrace, 9);
  LogProcTrace(N("1\tIF x\r\n"));
  LogProcTrace(N("2\t X=1\r\n"));
  EXPECT_EQ(Get("PrcLog.txt"), "1\tIF x\r\n2\t X=1\r\n");
}

void BoxToFile(StrPair text, StrPair caption) {
  std::string line = caption.str() + "|" + text.str() + "\n";
  StrmWriteFileAt(StrFromC("box.log"), kStrmHere, line.data(), line.size());
}

using ErrAssertDeathTest = LogTest;

TEST_F(ErrAssertDeathTest, FailedAssertionShowsLogsAndDies) {
  ErrAssert(true, "Fine");
  EXPECT_FALSE(Has("assertions.log"));
  ErrAssertSetBox(&BoxToFile);
  EXPECT_DEATH(ErrAssert(false, "WinRec"), "");
  EXPECT_EQ(Get("box.log"), "Assertion Fail|WinRec\n");
  std::string want = std::string(29, '*') + "\r\n Date:05-03-2024 - Time:09:07 - User:0\r\nWinRec\r\n" +
                     std::string(22, '*') + "\r\n\r\n";
  EXPECT_EQ(Get("assertions.log"), want);
}

}  // namespace
}  // namespace eng::test
