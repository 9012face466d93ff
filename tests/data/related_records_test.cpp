// Related records on the shared fixture: movs relates to its total (3R1K1)
// and its customer (1R1K1); clientes relates to its movements (2R1K1).
#include "data/related_records.h"

#include <gtest/gtest.h>

#include "core/sys_vars.h"
#include "tests/data/record_set_fixture.h"

namespace eng::test {
namespace {

using fx::kClientes;
using fx::kMovs;
using fx::kTotales;

class RelatedRecordsTest : public RecordSetTest {
 protected:
  void SetUp() override {
    RecordSetTest::SetUp();
    SysVarSet(kVarUpStat, 0);
    Open(kClientes);
    Open(kMovs);
    Open(kTotales);
    ASSERT_EQ(Add(kClientes, {"A", "Ana", "Bilbao"}), kOk);
    ASSERT_EQ(Add(kClientes, {"B", "Bruno", "Avila"}), kOk);
    ASSERT_EQ(AddMov("A", "1", "10"), kOk);
    ASSERT_EQ(AddMov("A", "2", "30"), kOk);
    ASSERT_EQ(AddMov("A", "3", "50"), kOk);
    ASSERT_EQ(AddMov("B", "1", "7"), kOk);
  }
  // Makes the movs line current (key 1: CODE + N_LINE).
  static void AtMov(const std::string& code, const std::string& line) {
    ASSERT_EQ(DataFileMove(kMovs, 1), 3);
    ASSERT_EQ(BufSetField(kMovs, 1, StrOf(code)), kOk);
    ASSERT_EQ(BufSetField(kMovs, 2, StrOf(line)), kOk);
    ScratchScope scope;
    std::string key = BufFileKeyValue(kMovs, 1).str();
    ASSERT_EQ(DataFileLocate(kMovs, 1, StrOf(key), 0), 0);
  }
  static Status Rel(uint16_t a, uint16_t b, uint16_t flags, const std::string& statements = "") {
    return DataFileRelFetch(a, b, 1, flags, StrOf(statements));
  }
};

TEST_F(RelatedRecordsTest, FetchReadsTheRelatedRecord) {
  AtMov("B", "1");
  SysVarSet(kVarRelRes, 9);
  // The relation's "{}" is file a, whichever file is current; the current
  // file stays as it was.
  SysVarSet(kVarCurFil, kTotales);
  EXPECT_EQ(Rel(kMovs, kClientes, 0), 0);
  EXPECT_EQ(Field(kClientes, 2), "Bruno");
  EXPECT_EQ(SysVarGet(kVarRelRes), 0);
  EXPECT_EQ(SysVarGet(kVarCurFil), kTotales);
  // A missing related record with flag 1: a blank buffer holding the value.
  AtMov("B", "1");
  ASSERT_EQ(BufSetField(kMovs, 1, StrOf("Q")), kOk);
  EXPECT_EQ(Rel(kMovs, kClientes, 1), 2);
  EXPECT_EQ(Field(kClientes, 1), "Q");
  EXPECT_EQ(Field(kClientes, 2), "");
  EXPECT_EQ(Codes(kClientes), (std::vector<std::string>{"A", "B"}));
}

TEST_F(RelatedRecordsTest, RelationWithoutExpressionGives163) {
  AtMov("A", "1");
  EXPECT_EQ(DataFileRelFetch(kMovs, kClientes, 2, 0, StrOf("")), kStDataError);
  EXPECT_EQ(DataFileRelFetch(kTotales, kMovs, 1, 0, StrOf("")), kStDataError);
}

TEST_F(RelatedRecordsTest, DeleteModeDeletesOnlyAFoundRecord) {
  AtMov("B", "1");
  ASSERT_EQ(BufSetField(kMovs, 1, StrOf("Z")), kOk);
  EXPECT_EQ(Rel(kMovs, kClientes, 12), 2);
  EXPECT_EQ(SysVarGet(kVarRelRes), 0);
  EXPECT_EQ(Codes(kClientes), (std::vector<std::string>{"A", "B"}));
  AtMov("B", "1");
  EXPECT_EQ(Rel(kMovs, kClientes, 12), 0);
  EXPECT_EQ(SysVarGet(kVarRelRes), 12);
  EXPECT_EQ(Codes(kClientes), std::vector<std::string>{"A"});
}

TEST_F(RelatedRecordsTest, CreateModeMakesTheMissingRecordAndRunsTheStatements) {
  // The totales buffer holds an unrelated record; the new one starts blank.
  ASSERT_EQ(Add(kTotales, {"X", "99"}), kOk);
  AtMov("A", "2");
  EXPECT_EQ(Rel(kMovs, kTotales, 4, "TOTAL{3}=TOTAL{3}+AMT{2}"), 0);
  EXPECT_EQ(SysVarGet(kVarRelRes), 4);
  EXPECT_EQ(Codes(kTotales), (std::vector<std::string>{"A", "X"}));
  ASSERT_EQ(DataFileLocate(kTotales, 1, StrOf("A"), 0), 0);
  EXPECT_EQ(Val("TOTAL{3}"), "30");
  // Found: the statements run on it and it is rewritten; nothing created.
  AtMov("A", "3");
  EXPECT_EQ(Rel(kMovs, kTotales, 4, "TOTAL{3}=TOTAL{3}+AMT{2}"), 0);
  EXPECT_EQ(SysVarGet(kVarRelRes), 0);
  ASSERT_EQ(DataFileLocate(kTotales, 1, StrOf("A"), 0), 0);
  EXPECT_EQ(Val("TOTAL{3}"), "80");
  // Failing statements write nothing.
  AtMov("B", "1");
  EXPECT_GE(Rel(kMovs, kTotales, 4, "TOTAL{3}=(("), kStFirstError);
  EXPECT_EQ(SysVarGet(kVarRelRes), 0);
  EXPECT_EQ(Codes(kTotales), (std::vector<std::string>{"A", "X"}));
}

TEST_F(RelatedRecordsTest, WhileRulesRunEveryRelatedRecordIsUpdated) {
  SysVarSet(kVarUpStat, kUpRulesRunning);
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("A"), 0), 0);
  EXPECT_EQ(Rel(kClientes, kMovs, 0, "AMT{2}=AMT{2}+1"), 0);
  std::vector<std::string> amts;
  DataFileSetKeyNumber(kMovs, 1);
  for (Status st = DataFileMove(kMovs, 0x24); st == 0; st = DataFileMove(kMovs, 0x10))
    amts.push_back(Field(kMovs, 1) + ":" + Val("AMT{2}"));
  EXPECT_EQ(amts, (std::vector<std::string>{"A:11", "A:31", "A:51", "B:7"}));
  // Flag 4 creates the first related record when there is none.
  ASSERT_EQ(Add(kClientes, {"C", "Carla"}), kOk);
  SysVarSet(kVarRelRes, 0);
  EXPECT_EQ(Rel(kClientes, kMovs, 4, "AMT{2}=5"), 0);
  EXPECT_EQ(SysVarGet(kVarRelRes), 4);
  ASSERT_EQ(DataFileLocate(kMovs, 1, StrOf("C"), 2), 0);
  EXPECT_EQ(Field(kMovs, 1), "C");
  EXPECT_EQ(Val("AMT{2}"), "5");
  // Delete mode is not an update.
  AtMov("B", "1");
  EXPECT_EQ(Rel(kMovs, kClientes, 12), 0);
  EXPECT_EQ(SysVarGet(kVarRelRes), 12);
}

TEST_F(RelatedRecordsTest, SteppingMovesTheRelatedFile) {
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("A"), 0), 0);
  // Without _SCRSTAT bit 64: the first record of the prefix, no step.
  EXPECT_EQ(Rel(kClientes, kMovs, 2), 0);
  EXPECT_EQ(Val("AMT{2}"), "10");
  EXPECT_EQ(SysVarGet(kVarRelRes), 0);
  // With it: one step forward, and the bit is cleared.
  SysVarSet(kVarScrStat, kScrStepRelated);
  SysVarSet(kVarLastKey, 4);
  EXPECT_EQ(Rel(kClientes, kMovs, 2), 0);
  EXPECT_EQ(Val("AMT{2}"), "30");
  EXPECT_EQ(SysVarGet(kVarRelRes), 2);
  EXPECT_EQ(SysVarGet(kVarScrStat), 0);
  // With flag 8 it goes on until the statements hold.
  SysVarSet(kVarScrStat, kScrStepRelated);
  EXPECT_EQ(Rel(kClientes, kMovs, 10, "AMT{2}>40"), 0);
  EXPECT_EQ(Val("AMT{2}"), "50");
  SysVarSet(kVarScrStat, kScrStepRelated);
  EXPECT_EQ(Rel(kClientes, kMovs, 10, "AMT{2}>100"), 2);  // runs off the end
  // _LASTKEY 23 steps backward: from "B" (key "B" then the line) to A/3.
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("B"), 0), 0);
  SysVarSet(kVarScrStat, kScrStepRelated);
  SysVarSet(kVarLastKey, kLastKeyPrevious);
  EXPECT_EQ(Rel(kClientes, kMovs, 2), 0);
  EXPECT_EQ(Field(kMovs, 1), "A");
  EXPECT_EQ(Val("AMT{2}"), "50");
}

}  // namespace
}  // namespace eng::test
