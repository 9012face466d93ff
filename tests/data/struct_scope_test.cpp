// Structure scopes from procedures: FILESTRUCT defines a file of the
// procedure's own, "RESTORE" and the end of a whole run take it away again,
// and a dictionary loaded with LOADSTRUCT stays.
#include <gtest/gtest.h>

#include <string>

#include "core/err_register.h"
#include "core/exec_compile.h"
#include "core/exec_handlers.h"
#include "core/exec_run.h"
#include "core/scratch_arena.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "data/record_statements.h"
#include "data/struct_scope.h"
#include "tests/support/data_fixture.h"

namespace eng::test {
namespace {

class StructScopeTest : public DataFixtureTest {
 protected:
  void SetUp() override {
    DataFixtureTest::SetUp();
    ASSERT_EQ(VarInitSystem(), kOk);
    ExecRegisterHandlers();
    DataInstallRecordStatements();
  }
  Status Run(const std::string& source) {
    Put("s.prx", source);
    return ExecRunMenuProc(StrOf("s.prx"), nullptr);
  }
  static bool Same(const DictExtent& a, const DictExtent& b) {
    return a.files == b.files && a.fields == b.fields && a.keys == b.keys && a.current_file == b.current_file;
  }
};

TEST_F(StructScopeTest, FileStructDefinesAndRestoreTakesItBack) {
  SysVarSet(kVarCurFil, 2);
  DictExtent before = DictExtentNow();
  ASSERT_EQ(StructScopeDefine(StrOf("WORK"), StrOf("CODE;2+2;A,AMOUNT;9;2"), StrOf("0001004")), kOk);
  EXPECT_EQ(DictFileCount(), fx::kFileCount + 1);
  EXPECT_EQ(SysVarGet(kVarCurFil), fx::kFileCount + 1) << "the new file is current";
  EXPECT_EQ(DictFieldCount(5), 2);
  EXPECT_EQ(S(DictFieldName(5, 1)), "CODE");
  EXPECT_EQ(DictRecordLength(5), 13);
  ASSERT_EQ(DictKeyCount(5), 1);
  EXPECT_EQ(DictKeyParts(5, 1).parts.part[0].length, 4);

  ASSERT_EQ(StructScopeDefine(StrOf("RESTORE"), StrPair{}, StrPair{}), kOk);
  EXPECT_TRUE(Same(DictExtentNow(), before));
  EXPECT_EQ(DictFileByName(StrOf("work")), 0);
}

TEST_F(StructScopeTest, RestoreWithNothingSavedRemovesNothing) {
  DictExtent before = DictExtentNow();
  EXPECT_EQ(StructScopeRestore(), kStInternal);
  EXPECT_TRUE(Same(DictExtentNow(), before));
  EXPECT_EQ(Run("FILESTRUCT 'RESTORE'"), kStInternal);
  EXPECT_EQ(DictFileCount(), fx::kFileCount);
}

TEST_F(StructScopeTest, AFailingStepIsTheAnswer) {
  EXPECT_EQ(StructScopeDefine(StrOf("BADKEY"), StrOf("K;4;A"), StrOf("0000004")), kStDataError);
  for (int i = 0; i < 6; ++i) ASSERT_EQ(StructScopeStack(true), kOk);
  EXPECT_EQ(StructScopeDefine(StrOf("EIGHTH"), StrOf("K;4;A"), StrPair{}), kStDataOutBound);
}

TEST_F(StructScopeTest, WholeRunsPopTheScopesTheyLeft) {
  SysVarSet(kVarCurFil, 3);
  DictExtent before = DictExtentNow();
  EXPECT_EQ(Run("FILESTRUCT 'T1','K;4;A','0001004'\nFILESTRUCT 'T2','K;4;A'\nN=_CURFIL"), kOk)
      << S(ErrIncidentText());
  EXPECT_TRUE(Same(DictExtentNow(), before));
  EXPECT_EQ(DictScopeDepth(), 0);
}

TEST_F(StructScopeTest, LoadStructStaysAfterTheRun) {
  // A second dictionary under the code "QX": one file of one field.
  Put("QXDICC.DAT", "01**01EXTRA\n01       004 ANAME\n");
  EXPECT_EQ(Run("LOADSTRUCT 'QX'"), kOk) << S(ErrIncidentText());
  EXPECT_EQ(DictFileCount(), fx::kFileCount + 1);
  EXPECT_NE(DictFileByName(StrOf("extra")), 0);
}

}  // namespace
}  // namespace eng::test
