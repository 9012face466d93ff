// Relational-update rules on the shared fixture: loading the rule file into
// list 7, releasing, slot lists and rule texts, the two passes of a trigger
// and the empty-record test.
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
#include "data/record_buffer.h"
#include "data/relup_rules.h"
#include "tests/support/data_fixture.h"

namespace eng::test {
namespace {

constexpr uint16_t kRules = sl::kRelUpdateRules;

class RelUpdTest : public DataFixtureTest {
 protected:
  void SetUp() override {
    DataFixtureTest::SetUp();
    ASSERT_EQ(VarInitSystem(), kOk);
    for (uint16_t f = 1; f <= fx::kFileCount; ++f) ASSERT_EQ(BufInit(f), kOk);
    DataInstallFieldAccess();
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("PLMRQV13:Norvique")), kOk);
    // movs: slot 0 in two lines, slot 2; totales: slot 1 only; a line of
    // another file between them.
    Put("PLRELUP.DAT",
        "0200A=1\r\n"
        "0200   B=2\r\n"
        "0101 X=9\r\n"
        " 202C=3\r\n"
        "0301T=4\r\n");
    SysVarSet(kVarCurFil, fx::kMovs);
  }
  void TearDown() override {
    FieldAccessInstall(nullptr);
    DataFixtureTest::TearDown();
  }
  static std::string Elem(uint16_t i) { return DynStrGet(kRules, i).str(); }
  static std::string RuleText(uint16_t file, const char* slots) {
    ScratchScope scope;
    return S(RelRuleText(file, StrOf(slots)));
  }
  static std::string Num(const char* expr) {
    ScratchScope scope;
    return S(ExpEvalStr(StrOf(expr)));
  }
};

TEST_F(RelUpdTest, LoadsSlotsAtTheFilesBase) {
  ASSERT_EQ(DynStrPush(kRules, StrOf("earlier")), kOk);
  ASSERT_EQ(RelUpdLoad(fx::kMovs, StrOf("")), kOk);
  EXPECT_EQ(RelUpdBase(fx::kMovs), 1);
  EXPECT_EQ(RelUpdSlots(fx::kMovs), 3);
  ASSERT_EQ(DynStrCount(kRules), 4);
  EXPECT_EQ(Elem(1), "A=1;B=2");
  EXPECT_EQ(Elem(2), "");
  EXPECT_EQ(Elem(3), "C=3");
  // Loaded once while the base is set.
  ASSERT_EQ(RelUpdLoad(fx::kMovs, StrOf("")), kOk);
  EXPECT_EQ(DynStrCount(kRules), 4);
  // A second file: slot 0 created empty, slot 1 at its own base + 1.
  ASSERT_EQ(RelUpdLoad(fx::kTotales, StrOf("")), kOk);
  EXPECT_EQ(RelUpdBase(fx::kTotales), 4);
  EXPECT_EQ(Elem(4), "");
  EXPECT_EQ(Elem(5), "T=4");
  // "NONE", and a file without lines, load nothing.
  EXPECT_EQ(RelUpdLoad(fx::kParams, StrOf("NONE")), kOk);
  EXPECT_EQ(RelUpdLoad(fx::kParams, StrOf("")), kOk);
  EXPECT_EQ(RelUpdBase(fx::kParams), kRelUpdNoBase);
  EXPECT_EQ(DynStrCount(kRules), 6);
}

TEST_F(RelUpdTest, RuleFileChoiceAndBadLines) {
  // Under _AUXSTAT 2048 the SQL rule file is read; it is missing: no rules, no failure.
  SysVarSet(kVarAuxStat, kAuxStatRulesSql);
  EXPECT_EQ(RelUpdLoad(fx::kMovs, StrOf("")), kOk);
  EXPECT_EQ(RelUpdBase(fx::kMovs), kRelUpdNoBase);
  Put("PLRELUPSQL.DAT", "0201S=1\r\n");
  EXPECT_EQ(RelUpdLoad(fx::kMovs, StrOf("")), kOk);
  EXPECT_EQ(Elem(1), "S=1");
  EXPECT_EQ(RelUpdRelease(fx::kMovs, 0), kOk);
  // The local load clears the bit and reads RELUP.DAT.
  EXPECT_EQ(RelUpdLoadLocal(fx::kMovs, StrOf("")), kOk);
  EXPECT_FALSE(SysVarHas(kVarAuxStat, kAuxStatRulesSql));
  EXPECT_EQ(Elem(0), "A=1;B=2");
  EXPECT_EQ(RelUpdRelease(fx::kMovs, 0), kOk);
  // A slot that is not two digits loads nothing at all.
  Put("PLRELUP.DAT", "0200A=1\r\n02X1B=2\r\n");
  EXPECT_EQ(RelUpdLoad(fx::kMovs, StrOf("")), kStDataError);
  EXPECT_EQ(RelUpdBase(fx::kMovs), kRelUpdNoBase);
  EXPECT_EQ(DynStrCount(kRules), 0);
}

TEST_F(RelUpdTest, ReleaseResetsEveryFileLoadedAboveTheCount) {
  ASSERT_EQ(RelUpdLoad(fx::kMovs, StrOf("")), kOk);
  ASSERT_EQ(RelUpdLoad(fx::kTotales, StrOf("")), kOk);
  ASSERT_EQ(RelUpdRelease(fx::kTotales, 3), kOk);
  EXPECT_EQ(RelUpdBase(fx::kMovs), 0);
  EXPECT_EQ(RelUpdBase(fx::kTotales), kRelUpdNoBase);
  EXPECT_EQ(DynStrCount(kRules), 3);
  ASSERT_EQ(RelUpdLoad(fx::kTotales, StrOf("")), kOk);
  // Released down to 0 on behalf of movs: totales' rules are gone too.
  ASSERT_EQ(RelUpdRelease(fx::kMovs, 0), kOk);
  EXPECT_EQ(RelUpdBase(fx::kMovs), kRelUpdNoBase);
  EXPECT_EQ(RelUpdBase(fx::kTotales), kRelUpdNoBase);
  EXPECT_EQ(DynStrCount(kRules), 0);
  // and both load again.
  ASSERT_EQ(RelUpdLoad(fx::kTotales, StrOf("")), kOk);
  EXPECT_EQ(RelUpdBase(fx::kTotales), 0);
}

TEST_F(RelUpdTest, DefaultSlotLists) {
  ScratchScope scope;
  EXPECT_EQ(S(DataFileLineExpr(StrOf("NONE"), 0)), "");
  EXPECT_EQ(S(DataFileLineExpr(StrOf("2"), 0)), "2");
  EXPECT_EQ(S(DataFileLineExpr(StrOf(""), 0)), "");  // nothing loaded
  ASSERT_EQ(RelUpdLoad(fx::kTotales, StrOf("")), kOk);  // two slots
  EXPECT_EQ(S(DataFileLineExpr(StrOf(""), 0)), "1");
  ASSERT_EQ(RelUpdLoad(fx::kMovs, StrOf("")), kOk);  // three slots, movs has N_LINE
  EXPECT_EQ(S(DataFileLineExpr(StrOf(""), 2)), "1+(N_LINE{}>0)");
  SysVarSet(kVarCurFil, fx::kClientes);
  EXPECT_EQ(S(DataFileLineExpr(StrOf(""), 2)), "");
}

TEST_F(RelUpdTest, RuleTextsBySlot) {
  EXPECT_EQ(RuleText(fx::kMovs, "1"), "");  // nothing loaded
  ASSERT_EQ(RelUpdLoad(fx::kMovs, StrOf("")), kOk);
  ASSERT_EQ(RelUpdLoad(fx::kTotales, StrOf("")), kOk);
  // A header (N_LINE 0) runs slots 0 and 1, a line slots 0 and 2.
  ASSERT_EQ(BufSetField(fx::kMovs, 2, StrOf("0")), kOk);
  EXPECT_EQ(RuleText(fx::kMovs, "1+(N_LINE{}>0)"), "A=1;B=2");
  ASSERT_EQ(BufSetField(fx::kMovs, 2, StrOf("3")), kOk);
  EXPECT_EQ(RuleText(fx::kMovs, "1+(N_LINE{}>0)"), "A=1;B=2;C=3");
  EXPECT_EQ(RuleText(fx::kMovs, ""), "A=1;B=2");
  EXPECT_EQ(RuleText(fx::kMovs, "'2,0,2,x'"), "A=1;B=2;C=3");  // repeats and non-numbers add nothing
  // A slot beyond the file's own slots never reaches the next file's rules.
  EXPECT_EQ(RuleText(fx::kMovs, "'4'"), "A=1;B=2");
  EXPECT_EQ(RuleText(fx::kTotales, "1"), "T=4");
  EXPECT_EQ(RuleText(fx::kMovs, "NOPE{2}"), "<fail 147>");
}

TEST_F(RelUpdTest, PassesRunOverTheSavedCopyThenTheNewRecord) {
  const char* rule = "T=T+_SGN*AMT{2};S=_SGN;U=_UPSTAT";
  ASSERT_EQ(ExpExecute(StrOf("T=100")), kOk);
  ASSERT_EQ(BufSetField(fx::kMovs, 4, StrOf("10")), kOk);
  ASSERT_EQ(BufCopyPart(fx::kMovs, 1), kOk);  // the record as read: AMT 10
  ASSERT_EQ(BufSetField(fx::kMovs, 4, StrOf("25")), kOk);
  std::string current = BufRecord(fx::kMovs, kBufCurrent).str();

  ASSERT_EQ(DataFileRunTrigger(kPassOld, fx::kMovs, StrOf(rule)), kOk);
  EXPECT_EQ(Num("T"), "90");
  EXPECT_EQ(Num("S"), "-1");
  EXPECT_EQ(Num("U"), "1");  // bit 32 only in RELUPSQL mode
  EXPECT_EQ(BufRecord(fx::kMovs, kBufCurrent).str(), current);
  EXPECT_EQ(SysVarGet(kVarSgn), 0);

  SysVarSet(kVarAuxStat, kAuxStatRulesSql);
  ASSERT_EQ(DataFileRunTrigger(kPassNew, fx::kMovs, StrOf(rule)), kOk);
  EXPECT_EQ(Num("T"), "115");
  EXPECT_EQ(Num("S"), "1");
  EXPECT_EQ(Num("U"), "33");
  EXPECT_EQ(SysVarGet(kVarUpStat), 1);
  EXPECT_EQ(SysVarGet(kVarSgn), 0);

  // Rules switched off: nothing runs.
  SysVarSet(kVarUpStat, 0);
  ASSERT_EQ(DataFileRunTrigger(kPassNew, fx::kMovs, StrOf(rule)), kOk);
  EXPECT_EQ(Num("T"), "115");
  SysVarSet(kVarUpStat, 1);
  // A failing rule is returned, and the pass still ends cleanly.
  EXPECT_GE(DataFileRunTrigger(kPassOld, fx::kMovs, StrOf("T=NOPE{2}")), kStFirstError);
  EXPECT_EQ(SysVarGet(kVarSgn), 0);
  EXPECT_EQ(BufRecord(fx::kMovs, kBufCurrent).str(), current);
}

TEST_F(RelUpdTest, EmptyRecordTest) {
  SysVarSet(kVarCurFil, fx::kClientes);
  EXPECT_EQ(DataFileIsBlankRecord(fx::kClientes, StrOf("")), 1);  // key 1 blank
  ASSERT_EQ(BufSetField(fx::kClientes, 1, StrOf("C1")), kOk);
  EXPECT_EQ(DataFileIsBlankRecord(fx::kClientes, StrOf("")), 0);
  // With a test: the same value as on a blank record means empty.
  EXPECT_EQ(DataFileIsBlankRecord(fx::kClientes, StrOf("NAME{1}")), 1);
  ASSERT_EQ(BufSetField(fx::kClientes, 2, StrOf("Ana")), kOk);
  std::string current = BufRecord(fx::kClientes, kBufCurrent).str();
  EXPECT_EQ(DataFileIsBlankRecord(fx::kClientes, StrOf("NAME{1}")), 0);
  EXPECT_EQ(BufRecord(fx::kClientes, kBufCurrent).str(), current);
  EXPECT_GE(DataFileIsBlankRecord(fx::kClientes, StrOf("NOPE{1}")), kStFirstError);
  EXPECT_EQ(BufRecord(fx::kClientes, kBufCurrent).str(), current);
}

}  // namespace
}  // namespace eng::test
