#include "data/stat_scan.h"

#include <filesystem>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exec_handlers.h"
#include "core/exec_run.h"
#include "core/fn_builtins.h"
#include "core/module_parms.h"
#include "core/string_lists.h"
#include "data/fn_records.h"
#include "data/record_statements.h"
#include "data/stat_move.h"
#include "data/stat_steps.h"
#include "data/struct_scope.h"
#include "tests/data/record_set_fixture.h"

namespace eng::test {
namespace {

class StatScanTest : public RecordSetTest {
 protected:
  void SetUp() override {
    RecordSetTest::SetUp();
    FnInstallValueBuiltins();
    DataInstallRecordBuiltins();
    ExecRegisterHandlers();
    DataInstallRecordStatements();
    ASSERT_EQ(StatRegister(), kOk);
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("PLMRQV13:Norvique")), kOk);
    // The journal: A 10.50 - 3.25 + 100 = 107.25; B 20; C 5.05 + 5.05 = 10.10.
    Open(fx::kMovs);
    ASSERT_EQ(AddMov("A", "1", "10.50", "20240105"), kOk);
    ASSERT_EQ(AddMov("A", "2", "-3.25", "20240210"), kOk);
    ASSERT_EQ(AddMov("A", "3", "100", "20240301"), kOk);
    ASSERT_EQ(AddMov("B", "1", "20", "20240115"), kOk);
    ASSERT_EQ(AddMov("C", "1", "5.05", "20240220"), kOk);
    ASSERT_EQ(AddMov("C", "2", "5.05", "20240220"), kOk);
  }
  void TearDown() override {
    SysVarSet(kVarUpStat, 1);
    RecordSetTest::TearDown();
  }
  Status Run(const std::string& source) {
    Put("s.prx", source);
    return ExecRunMenuProc(StrOf("s.prx"), nullptr);
  }
  // CODE=TOTAL of every record of the totals file in key order.
  std::vector<std::string> Totals() {
    std::vector<std::string> out;
    DataFileSetKeyNumber(fx::kTotales, 1);
    for (Status st = DataFileMove(fx::kTotales, 0x24); st == 0; st = DataFileMove(fx::kTotales, 0x10))
      out.push_back(Field(fx::kTotales, 1) + "=" + Field(fx::kTotales, 2));
    return out;
  }
  static constexpr const char* kSum = "CODE{3}=CODE{2};TOTAL{3}=TOTAL{3}+AMT{2};1";
};

using V = std::vector<std::string>;

TEST_F(StatScanTest, AccumulationOverTheJournalGivesTheHandComputedTotals) {
  Open(fx::kTotales);
  DictSelectFile(fx::kTotales);
  EXPECT_EQ(StatAccumulate(fx::kMovs, fx::kTotales, 1, StrPair{}, StrPair{}, StrPair{}, StrPair{}, StrOf(kSum),
                           StrPair{}, 0),
            kOk);
  EXPECT_EQ(Totals(), (V{"A=107.25", "B=20.00", "C=10.10"}));
  EXPECT_EQ(SysVarGet(kVarSgn), 0);
  // A range, a record condition: February only (key 2 is DATE + CODE + N_LINE).
  Open(fx::kParams);
  ASSERT_EQ(StatVirtualFile(fx::kTotales, 0), kOk);
  ASSERT_EQ(StatVirtualFile(fx::kTotales, kOpenExclusive), kStEndOfData);
  EXPECT_EQ(StatAccumulate(fx::kMovs, fx::kTotales, 2, StrOf("202402"), StrOf("202402"), StrPair{},
                           StrOf("AMT{2}>0"), StrOf(kSum), StrPair{}, 0),
            kOk);
  EXPECT_EQ(Totals(), (V{"C=10.10"}));
  // Nothing in the range: 127.
  EXPECT_EQ(StatAccumulate(fx::kMovs, fx::kTotales, 1, StrOf("X"), StrOf("Y"), StrPair{}, StrPair{}, StrOf(kSum),
                           StrPair{}, 0),
            kStNoData);
}

TEST_F(StatScanTest, FileScanAccumulatesIntoAFreshFileAndCloseDeletesIt) {
  DictSelectFile(fx::kTotales);
  ASSERT_EQ(Run("FILESCAN 'ACUM FILE=2 INDEX=1 VIRTUAL=2','','CODE{3}=CODE{2};TOTAL{3}=TOTAL{3}+AMT{2};1','',''\n"),
            kOk)
      << S(ErrIncidentText());
  EXPECT_EQ(SysVarGet(kVarStat), 0);
  EXPECT_FALSE(Has("totales.FD")) << "the accumulation lives in fresh temporary files";
  EXPECT_FALSE(Has("totales.lock"));
  EXPECT_EQ(Totals(), (V{"A=107.25", "B=20.00", "C=10.10"}));
  EXPECT_TRUE(SysVarHas(kVarUpStat, kUpStatScan)) << "until CLOSE";
  // No match in the range: _STAT 0.
  SysVarSet(kVarStat, 9);
  ASSERT_EQ(Run("FILESCAN 'ACUM FILE=2 INDEX=1 FROM=\"Q\" TO=\"R\"','','CODE{3}=CODE{2}','',''\n"), kOk);
  EXPECT_EQ(SysVarGet(kVarStat), 0);
  // EXPSET over A's movements, for its effect.
  ASSERT_EQ(Run("FILESCAN 'EXPSET FILE=2 INDEX=1 FROM=\"A\" TO=\"A\"','','_USER01=_USER01+AMT{2}','',''\n"), kOk);
  EXPECT_EQ(SysVarGet(kVarUser01), 11 - 3 + 100) << "each amount rounded as it is stored";
  const DataFileNames used = DataFileSlotOf(fx::kTotales).names;
  ASSERT_TRUE(Has(used.records));
  ASSERT_EQ(Run("FILESCAN 'CLOSE'\n"), kOk);
  EXPECT_FALSE(Has(used.records));
  EXPECT_FALSE(Has(used.index));
  EXPECT_FALSE(SysVarHas(kVarUpStat, kUpStatScan));
  EXPECT_EQ(Run("FILESCAN 'FOO'\n"), kStDataError);
}

TEST_F(StatScanTest, RelatedUpdatesDuringAScanLandInTheAccumulationFile) {
  // The statements post through the relation movs -> totales (FILEREL with
  // flag 4, hook 3); as a condition they are false, so the scan itself adds nothing.
  DictSelectFile(fx::kTotales);
  ASSERT_EQ(Run("FILESCAN 'ACUM FILE=2 INDEX=1 VIRTUAL=2','','FILEREL(2;3;1;4;TOTAL{3}=TOTAL{3}+AMT{2});0','',''\n"),
            kOk)
      << S(ErrIncidentText());
  EXPECT_EQ(Totals(), (V{"A=107.25", "B=20.00", "C=10.10"}));
  EXPECT_FALSE(Has("totales.FD"));
  ASSERT_EQ(Run("FILESCAN 'CLOSE'\n"), kOk);
}

TEST_F(StatScanTest, ClosingAFileOnItsOwnNamesKeepsIt) {
  Open(fx::kTotales);
  ASSERT_EQ(Add(fx::kTotales, {"K", "1"}), kOk);
  EXPECT_EQ(StatVirtualFile(fx::kTotales, 0), kOk);
  EXPECT_TRUE(Has("totales.FD"));
  EXPECT_TRUE(Has("totales.DIR"));
}

TEST_F(StatScanTest, TheResetOfAnAccumulationRecordBlanksItsTmpFields) {
  ASSERT_EQ(StructScopeDefine(StrOf("WORK"), StrOf("CODE;4;A,TMPA;3;A,KEEP;3;A,TMPB;2;A"), StrOf("0001004")), kOk);
  const uint16_t f = DictFileCount();
  ASSERT_EQ(BufInit(f), kOk);
  for (uint16_t i = 1; i <= 4; ++i) ASSERT_EQ(BufSetField(f, i, StrOf("xyz")), kOk);
  EXPECT_EQ(StatClearTmpFields(f), kOk);
  EXPECT_EQ(Record(f), "xyz    xyz  ");
  // A reset statement in RESET$ runs instead.
  ASSERT_EQ(DynStrPush(sl::kModuleParms, StrOf("RESET$:=\"5,KEEP{}='k'\"")), kOk);
  DictSelectFile(f);
  for (uint16_t i = 1; i <= 4; ++i) ASSERT_EQ(BufSetField(f, i, StrOf("xyz")), kOk);
  EXPECT_EQ(StatClearTmpFields(f), kOk);
  EXPECT_EQ(Record(f), "xyz xyzk  xy");
  ASSERT_EQ(StructScopeRestore(), kOk);
}

TEST_F(StatScanTest, ExpressionScanAddsToSixtyFourBitAccumulators) {
  std::vector<int64_t> acc;
  EXPECT_EQ(StatExpSet(fx::kMovs, 1, StrPair{}, StrPair{}, StrOf("AMT{2}<>20"), StrOf("AMT{2},1"), 0, &acc), kOk);
  ASSERT_EQ(acc.size(), 2u);
  EXPECT_EQ(acc[0], ExpEvalNum(StrOf("117.35"))) << "A and C: 10.50 - 3.25 + 100 + 5.05 + 5.05";
  EXPECT_EQ(acc[1], ExpEvalNum(StrOf("5")));
  EXPECT_EQ(StatExpSet(fx::kMovs, 1, StrOf("Z"), StrOf("Z"), StrPair{}, StrOf("AMT{2}"), 0, &acc), kStNoData);
}

TEST_F(StatScanTest, AStepRunsTheSourcesRulesWithTheGivenSlots) {
  // The journal's rule posts each movement to its total through the relation
  // (hook 3 during the scan); slots 1 and 2 count their runs.
  Put("PLRELUP.DAT",
      "0200FILEREL(2;3;1;4;TOTAL{3}=TOTAL{3}+_SGN*AMT{2})\r\n0201_USER02=_USER02+1\r\n0202_USER03=_USER03+1;0\r\n");
  // The window's parameters: file 3 accumulates February's movements (key 2 starts with the date).
  ASSERT_EQ(DynStrPush(sl::kModuleParms, StrOf("INDEX%:=2:LIMITS$:=\"'202402','202402'\":RESET$:=3")), kOk);
  ASSERT_EQ(DataFileClose(fx::kMovs), kOk);
  // Items other than Perform run as commands.
  EXPECT_EQ(StatSteps(fx::kTotales, StrOf("'Perform 2,1;2','ExpEval _USER01=7'")), kOk)
      << S(ErrIncidentText());
  EXPECT_EQ(SysVarGet(kVarUser02), 3) << "slot 1 over the three February movements";
  EXPECT_EQ(SysVarGet(kVarUser03), 3) << "slot 2 as well";
  EXPECT_EQ(SysVarGet(kVarUser01), 7);
  EXPECT_FALSE(SysVarHas(kVarUpStat, kUpStatScan));
  EXPECT_FALSE(Has("totales.FD")) << "the accumulation file was temporary";
  EXPECT_EQ(DataFileCtrl(fx::kMovs).open_flags, 0) << "the step closes the source it opened";
  // An accumulation file beyond the dictionary: STRUCT$ defines it for the
  // steps and is dropped afterwards.
  const uint16_t files = DictFileCount();
  SysVarSet(kVarUser02, 0);
  Open(fx::kTotales);  // where the rule's relation posts now
  ASSERT_EQ(DynStrPush(sl::kModuleParms, StrOf("INDEX%:=2:LIMITS$:=\"'202402','202402'\":"
                                               "STRUCT$:=\"WORK,'CODE;10;A,TOTAL;12;2','0001010'\"")),
            kOk);
  EXPECT_EQ(StatSteps(files + 1, StrOf("'Perform 2,1;2'")), kStNoData) << "the rule posts to totales: WORK stays empty";
  EXPECT_EQ(SysVarGet(kVarUser02), 3);
  EXPECT_EQ(DictFileCount(), files);
  // Failures: an empty list; a source without rules.
  EXPECT_EQ(StatSteps(fx::kTotales, StrPair{}), kStDataError);
  EXPECT_EQ(StatSteps(fx::kTotales, StrOf("'Perform 1,1'")), kStDataError) << "No RELOPT defined";
}

TEST_F(StatScanTest, StatMoveWalksTheCurrentFile) {
  DictSelectFile(fx::kMovs);
  DataFileSetKeyNumber(fx::kMovs, 1);
  EXPECT_EQ(Val("StatMove('PRV')"), std::to_string(kStSyntax));
  EXPECT_EQ(Val("StatMove('FND')"), std::to_string(kStSyntax));
  // The function's value is the status (0 reads as the empty text).
  EXPECT_EQ(Val("StatMove('NEW';'B')"), "");
  EXPECT_EQ(Field(fx::kMovs, 1), "B");
  EXPECT_EQ(Val("StatMove('NXT')"), "");
  EXPECT_EQ(Field(fx::kMovs, 1), "C");
  EXPECT_EQ(DataFileCtrl(fx::kMovs).last_status, 0);
  EXPECT_EQ(Val("StatMove('RLD')"), "2") << "no selection";
  // In a scan: NXT moves on until the condition holds.
  SysVarSet(kVarUpStat, 1 | kUpStatScan);
  EXPECT_EQ(Val("StatMove('TOP')"), "");
  EXPECT_EQ(Field(fx::kMovs, 1), "A");
  EXPECT_EQ(Val("StatMove('NXT';'';'';'AMT{2}>50')"), "");
  EXPECT_EQ(Field(fx::kMovs, 3), "20240301");
}

}  // namespace
}  // namespace eng::test
