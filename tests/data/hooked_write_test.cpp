// The hooked record write on the shared fixture: the duplicate-key refusal,
// and a total kept by a rule that stays right through add, rewrite and delete.
#include <gtest/gtest.h>

#include <string>

#include "core/dyn_strings.h"
#include "core/exp_eval.h"
#include "core/field_access.h"
#include "core/scratch_arena.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "data/field_ref.h"
#include "data/hooked_write.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/relup_rules.h"
#include "tests/support/data_fixture.h"

namespace eng::test {
namespace {

class HookedWriteTest : public DataFixtureTest {
 protected:
  void SetUp() override {
    DataFixtureTest::SetUp();
    ASSERT_EQ(VarInitSystem(), kOk);
    DataInstallFieldAccess();
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("PLMRQV13:Norvique")), kOk);
    Put("PLRELUP.DAT", "0200T=T+_SGN*AMT{2}\r\n");
    Status open = DataFileOpen(fx::kMovs, 8);
    ASSERT_TRUE(open == 0 || open == 2) << open;
    ASSERT_EQ(RelUpdLoad(fx::kMovs, StrOf("")), kOk);
    ASSERT_EQ(ExpExecute(StrOf("T=0")), kOk);
  }
  void TearDown() override {
    DataFileClose(fx::kMovs);
    FieldAccessInstall(nullptr);
    DataFixtureTest::TearDown();
  }
  static void NewLine(const char* code, const char* line, const char* amt) {
    ASSERT_EQ(DataFileMove(fx::kMovs, 1), 3);
    ASSERT_EQ(BufSetField(fx::kMovs, 1, StrOf(code)), kOk);
    ASSERT_EQ(BufSetField(fx::kMovs, 2, StrOf(line)), kOk);
    ASSERT_EQ(BufSetField(fx::kMovs, 4, StrOf(amt)), kOk);
  }
  // Key 1 of a line as the buffer forms it.
  static std::string Key(const char* code, const char* line) {
    NewLine(code, line, "0");
    ScratchScope scope;
    return BufFileKeyValue(fx::kMovs, 1).str();
  }
  static std::string Total() {
    ScratchScope scope;
    return S(ExpEvalStr(StrOf("T")));
  }
  static std::string AmtOnDisk(const std::string& key) {
    ScratchScope scope;
    if (DataFileLocate(fx::kMovs, 1, StrOf(key), 0) != 0) return "<none>";
    return S(ExpEvalStr(StrOf("AMT{2}")));
  }
};

TEST_F(HookedWriteTest, TotalStaysRightThroughAddRewriteDelete) {
  const std::string a = Key("A", "1"), c = Key("C", "1");
  NewLine("A", "1", "10");
  ASSERT_EQ(DataFileWriteHooked(kWriteAdd | kWriteCheckEmpty, fx::kMovs, StrOf(""), StrOf("")), kOk);
  EXPECT_EQ(Total(), "10");
  NewLine("B", "1", "7");
  ASSERT_EQ(DataFileWriteHooked(kWriteAdd | kWriteCheckEmpty, fx::kMovs, StrOf(""), StrOf("")), kOk);
  EXPECT_EQ(Total(), "17");

  // Rewrite A to 25: -10 over the saved copy, then +25; the disk holds 25.
  ASSERT_EQ(DataFileLocate(fx::kMovs, 1, StrOf(a), 0), 0);
  ASSERT_EQ(BufSetField(fx::kMovs, 4, StrOf("25")), kOk);
  ASSERT_EQ(DataFileWriteHooked(kWriteRewrite, fx::kMovs, StrOf(""), StrOf("")), kOk);
  EXPECT_EQ(Total(), "32");
  EXPECT_EQ(AmtOnDisk(a), "25");

  // Delete A: its 25 taken back.
  ASSERT_EQ(DataFileWriteHooked(kWriteDelete, fx::kMovs, StrOf(""), StrOf("")), kOk);
  EXPECT_EQ(Total(), "7");
  EXPECT_EQ(AmtOnDisk(a), "<none>");

  // Rules switched off: written, total unchanged.
  SysVarSet(kVarUpStat, 0);
  NewLine("C", "1", "10");
  ASSERT_EQ(DataFileWriteHooked(kWriteAdd | kWriteCheckEmpty, fx::kMovs, StrOf(""), StrOf("")), kOk);
  EXPECT_EQ(Total(), "7");
  EXPECT_EQ(AmtOnDisk(c), "10");
}

TEST_F(HookedWriteTest, DuplicateKeyRefusedAndEmptyRecordsSkipped) {
  const std::string a = Key("A", "1");
  NewLine("A", "1", "10");
  ASSERT_EQ(DataFileWriteHooked(kWriteAdd | kWriteCheckEmpty, fx::kMovs, StrOf(""), StrOf("")), kOk);
  NewLine("A", "1", "99");
  EXPECT_EQ(DataFileWriteHooked(kWriteAdd | kWriteCheckEmpty, fx::kMovs, StrOf(""), StrOf("")), kStDuplicate);
  EXPECT_EQ(Total(), "10");
  EXPECT_EQ(AmtOnDisk(a), "10");
  // A blank key 1: nothing written, no rule.
  NewLine("", "", "5");
  EXPECT_EQ(DataFileWriteHooked(kWriteAdd | kWriteCheckEmpty, fx::kMovs, StrOf(""), StrOf("")), kOk);
  EXPECT_EQ(Total(), "10");
  // A rewrite judged empty by its test is skipped whole, rules included.
  ASSERT_EQ(DataFileLocate(fx::kMovs, 1, StrOf(a), 0), 0);
  ASSERT_EQ(BufSetField(fx::kMovs, 4, StrOf("40")), kOk);
  EXPECT_EQ(DataFileWriteHooked(kWriteRewrite | kWriteCheckEmpty, fx::kMovs, StrOf(""), StrOf("'same'")), kOk);
  EXPECT_EQ(Total(), "10");
  EXPECT_EQ(AmtOnDisk(a), "10");
  // The search for an existing key 1 leaves the file in its own key order.
  ASSERT_EQ(DataFileSetKeyNumber(fx::kMovs, 2), 2);
  NewLine("A", "1", "99");
  EXPECT_EQ(DataFileWriteHooked(kWriteAdd | kWriteCheckEmpty, fx::kMovs, StrOf(""), StrOf("")), kStDuplicate);
  EXPECT_EQ(DataFileKeyNumber(fx::kMovs), 2);
  NewLine("D", "1", "1");
  EXPECT_EQ(DataFileWriteHooked(kWriteAdd | kWriteCheckEmpty, fx::kMovs, StrOf(""), StrOf("")), kOk);
  EXPECT_EQ(DataFileKeyNumber(fx::kMovs), 2);
  EXPECT_EQ(Total(), "11");
}

TEST_F(HookedWriteTest, WriteStepAddsWhenItsConditionHolds) {
  const std::string a = Key("A", "1"), b = Key("B", "1");
  NewLine("A", "1", "10");
  EXPECT_EQ(DataFileWriteStep(fx::kMovs, StrOf("AMT{2}>5"), StrOf("")), kOk);
  EXPECT_EQ(Total(), "10");
  EXPECT_EQ(AmtOnDisk(a), "10");
  NewLine("B", "1", "3");
  EXPECT_EQ(DataFileWriteStep(fx::kMovs, StrOf("AMT{2}>5"), StrOf("")), kStNoData);
  EXPECT_GE(DataFileWriteStep(fx::kMovs, StrOf("NOPE{2}>5"), StrOf("")), kStFirstError);
  // Without a file the condition is only evaluated.
  EXPECT_EQ(DataFileWriteStep(0, StrOf("AMT{2}<5"), StrOf("")), kOk);
  EXPECT_EQ(Total(), "10");
  EXPECT_EQ(AmtOnDisk(b), "<none>");
}

TEST_F(HookedWriteTest, WriteLoopCountsItsWritesAndStopsAsTold) {
  ASSERT_EQ(ExpExecute(StrOf("I=0")), kOk);
  const char* const amounts[] = {"10", "5", "7", "0", "0"};
  int round = 0;
  // Each round's progress sets up the next line: amount 7 is passed over
  // by the record condition, amount 0 fails the write condition (127).
  auto next = [&](uint32_t) -> Status {
    ++round;
    NewLine("L", std::to_string(round + 1).c_str(), amounts[round]);
    return ExpExecute(StrOf("I=I+1"));
  };
  NewLine("L", "1", amounts[0]);
  uint32_t count = 99;
  EXPECT_EQ(DataFileWriteLoop(fx::kMovs, StrOf("1"), StrOf("AMT{2}<>7"), StrOf("AMT{2}>0"), StrOf("I>=9"),
                              StrOf(""), &count, nullptr, next),
            kOk);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(round, 3);
  EXPECT_EQ(Total(), "15");

  // The end condition ends it; the per-record callback runs after each write.
  ASSERT_EQ(ExpExecute(StrOf("I=0")), kOk);
  int after_write = 0;
  auto per_record = [&](uint16_t file) -> Status {
    EXPECT_EQ(file, fx::kMovs);
    ++after_write;
    return kOk;
  };
  round = 0;
  NewLine("M", "1", "1");
  EXPECT_EQ(DataFileWriteLoop(fx::kMovs, StrOf("1"), StrOf(""), StrOf(""), StrOf("I>=2"), StrOf(""), &count,
                              per_record, [&](uint32_t) -> Status {
                                ++round;
                                NewLine("M", std::to_string(round + 1).c_str(), "1");
                                return ExpExecute(StrOf("I=I+1"));
                              }),
            kOk);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(after_write, 2);
  EXPECT_EQ(Total(), "17");
  // A false start condition writes nothing; a cancel from the callback
  // ends the loop; a failing condition is the result.
  EXPECT_EQ(DataFileWriteLoop(fx::kMovs, StrOf("0"), StrOf(""), StrOf(""), StrOf(""), StrOf(""), &count,
                              nullptr, nullptr),
            kOk);
  EXPECT_EQ(count, 0u);
  NewLine("N", "1", "1");
  EXPECT_EQ(DataFileWriteLoop(fx::kMovs, StrOf("1"), StrOf(""), StrOf(""), StrOf("0"), StrOf(""), &count,
                              [](uint16_t) -> Status { return kStCancelled; }, nullptr),
            kOk);
  EXPECT_EQ(count, 1u);
  EXPECT_GE(DataFileWriteLoop(fx::kMovs, StrOf("1"), StrOf("NOPE{2}"), StrOf(""), StrOf("0"), StrOf(""), &count,
                              nullptr, nullptr),
            kStFirstError);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(Total(), "18");
}

}  // namespace
}  // namespace eng::test
