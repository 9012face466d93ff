// Procedures run from their compiled statements: CALL entry points and
// arguments read at load, and variables that come and go with LOCALVARS
// scopes while the statements that use them stay compiled.
#include <gtest/gtest.h>

#include <string>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exec_compile.h"
#include "core/exec_run.h"
#include "core/fn_builtins.h"
#include "core/fn_call.h"
#include "core/string_lists.h"
#include "core/var_store.h"
#include "tests/support/exp_fixture.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

class ExecCompiledTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_EQ(VarInitSystem(), kOk);
    ASSERT_EQ(FnInstallValueBuiltins(), kOk);
  }
  Status Run(const std::string& source, const std::string& name = "t.prx") {
    Put(name, source);
    return ExecRunMenuProc(StrOf(name), nullptr);
  }
  static std::string Var(const std::string& name) {
    ScratchScope scope;
    Status s = VarRead(StrOf(name));
    if (s == 1) return ScratchTop().str();
    if (s) return "<status " + std::to_string(s) + ">";
    std::string t = DecToText(NumAccValue()).str();
    return t.empty() ? "0" : t;
  }
};

TEST_F(ExecCompiledTest, CallEntryPointsAndArgumentsReadAtLoad) {
  // Entry names with blanks around them, called many times with arguments of
  // both kinds; the LOCALVARS names are new at every call.
  Put("lib.prx", "DEF_FN  add \nLOCALVARS V,W$\nK=K+V\nL$=L$+W$\nEND\nDEF_FN two\nK=K*2\n");
  ASSERT_LT(Eval("K=0;L$=''").status, kStFirstError);
  EXPECT_EQ(Run("I=0\nDO_WHILE I<5\nI=I+1\nCALL add,lib.prx I*2,FN$CHRS(64+I)\nLOOP\nCALL two,lib.prx\n"), kOk)
      << S(ErrIncidentText());
  EXPECT_EQ(Var("K"), "60");
  EXPECT_EQ(Var("L$"), "ABCDE");
  EXPECT_FALSE(VarLookup(StrOf("V")).declared());
  EXPECT_EQ(DynStrCount(sl::kProcArgs), 0);

  // A target written as a text expression is evaluated at every call.
  ASSERT_LT(Eval("K=1;E$='two'").status, kStFirstError);
  EXPECT_EQ(Run("CALL E$,'lib.prx'\nE$='add'\nCALL E$,'lib.prx' 3,'x'\n"), kOk) << S(ErrIncidentText());
  EXPECT_EQ(Var("K"), "5");
  EXPECT_EQ(Var("L$"), "ABCDEx");

  // An unknown entry, and arguments that fail, report as before.
  ErrIncident(0, StrPair{}, false);
  EXPECT_EQ(Run("CALL three,lib.prx 1"), kStSyntax);
  EXPECT_NE(S(ErrIncidentText()).find("three"), std::string::npos);
  EXPECT_EQ(Run("CALL add,lib.prx 1+'a',''"), kStIncompatibleTypes);
  EXPECT_EQ(DynStrCount(sl::kProcArgs), 0);
}

TEST_F(ExecCompiledTest, StatementsSeeVariablesOfEachScope) {
  // M# is declared by each call of the callee and cut when it returns: the
  // compiled statements must find it anew every time, and the caller must
  // not find it at all.
  Put("lib.prx", "DEF_FN inner\nLOCALVARS Q#\nM#=M#+Q#\nR$=R$+FN$CHRS(48+M#)\nEND\n");
  ASSERT_LT(Eval("R$=''").status, kStFirstError);
  // The library stays loaded for the whole command, so its statements are
  // compiled once and run at every call.
  Put("t.prx", "I=0\nDO_WHILE I<2\nI=I+1\nCALL inner I+1\nR$=R$+FN$CHRS(48+M#)\nLOOP\n");
  EXPECT_EQ(ExecRunMenuProc(StrOf("t.prx;lib.prx"), nullptr), kOk) << S(ErrIncidentText());
  EXPECT_EQ(Var("R$"), "2030");
}

TEST_F(ExecCompiledTest, ANameCutAndAnotherDeclaredInItsPlace) {
  // The callee's V is cut after the first call, and the caller's Q takes its
  // position; the callee's compiled statements must find V at its new place
  // at the second call, and Q must keep its own value. A name list with
  // blanks, and one with an empty item, as LOCALVARS reads them.
  Put("lib.prx", "DEF_FN f\nLOCALVARS  V , W$ \nR=R+V\nS$=S$+W$\nEND\nDEF_FN bad\nLOCALVARS V,\nEND\n");
  ASSERT_LT(Eval("R=0;S$='';U=0").status, kStFirstError);
  Put("t.prx", "CALL f 5,'a'\nQ=7\nCALL f 6,'b'\nU=Q\n");
  EXPECT_EQ(ExecRunMenuProc(StrOf("t.prx;lib.prx"), nullptr), kOk) << S(ErrIncidentText());
  EXPECT_EQ(Var("R"), "11");
  EXPECT_EQ(Var("S$"), "ab");
  EXPECT_EQ(Var("U"), "7");
  EXPECT_FALSE(VarLookup(StrOf("V")).declared());
  Put("u.prx", "CALL bad 1,2\n");
  EXPECT_EQ(ExecRunMenuProc(StrOf("u.prx;lib.prx"), nullptr), kStIncompatibleTypes);
  EXPECT_EQ(DynStrCount(sl::kProcArgs), 0);
}

}  // namespace
}  // namespace eng::test
