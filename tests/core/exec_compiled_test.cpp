// Procedures run from their compiled statements: CALL entry points and
// arguments read at load, and variables that come and go with LOCALVARS
// scopes while the statements that use them stay compiled.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exec_compile.h"
#include "core/exec_run.h"
#include "core/fn_builtins.h"
#include "core/fn_call.h"
#include "core/runtime.h"
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

TEST_F(ExecCompiledTest, ACallFollowsTheProceduresLoadedAndFreed) {
  // The entry a CALL found is kept between runs; the newest procedure that
  // has the entry serves, whatever was found before.
  // R is the caller's: what the callee sets stays after the call.
  ASSERT_LT(Eval("R=0").status, kStFirstError);
  Put("main.prx", "CALL f\n");
  Put("one.prx", "DEF_FN f\nR=1\n");
  Put("two.prx", "DEF_FN g\nR=3\nDEF_FN f\nR=2\n");
  const uint16_t main = ExecLoadProc(StrOf("main.prx"));
  ASSERT_LT(main, kExecMaxProcs);
  auto run = [&] {
    ExecProcGet(main)->position = 0;
    return ExecRunStatements(main, 0);
  };
  EXPECT_EQ(run(), kStSyntax) << "no procedure has the entry yet";
  const uint16_t one = ExecLoadProc(StrOf("one.prx"));
  ASSERT_LT(one, kExecMaxProcs);
  EXPECT_EQ(run(), kOk);
  EXPECT_EQ(Var("R"), "1");
  const uint16_t two = ExecLoadProc(StrOf("two.prx"));
  ASSERT_LT(two, kExecMaxProcs);
  EXPECT_EQ(run(), kOk);
  EXPECT_EQ(Var("R"), "2");
  ASSERT_EQ(ExecUnloadProc(two), kOk);
  EXPECT_EQ(run(), kOk);
  EXPECT_EQ(Var("R"), "1");
  ASSERT_EQ(ExecUnloadProc(one), kOk);
  EXPECT_EQ(run(), kStSyntax);
}

TEST_F(ExecCompiledTest, NameListsReadTheSameDuringAndAfterCalls) {
  // The callee sees its LOCALVARS names at the end of the name lists, and
  // after the call the lists, their bytes in the string store, and the
  // values of the caller are as they were. A name first read while it is
  // not declared, then declared by a call that keeps its variables, is
  // found by the statement that read it.
  Put("lib.prx",
      "DEF_FN f\nLOCALVARS A,B$\nN$=_$(12;0)\nT$=_$(12;2)\nEND\n"
      "DEF_FN keep\nLOCALVARS X\nEND\n");
  ASSERT_LT(Eval("N$='';T$='';R=0").status, kStFirstError);
  const std::string ints = S(DynStrGet(sl::kVarNames, 0));
  const std::string texts = S(DynStrGet(sl::kVarNames, 2));
  const uint32_t bytes = Core().strings.text_in_use;
  Put("t.prx", "I=0\nDO_WHILE I<3\nI=I+1\nR=R+X\nCALL f 1,'b'\nLOOP\nCALL keep,,0 4\nI=0\nR=R+X\n");
  // I is new: inside the call the lists end with it and the callee's names.
  EXPECT_EQ(ExecRunMenuProc(StrOf("t.prx;lib.prx"), nullptr), kOk) << S(ErrIncidentText());
  EXPECT_EQ(Var("N$"), ints + ",I,A");
  EXPECT_EQ(Var("T$"), texts + ",B$");
  EXPECT_EQ(Var("R"), "4");
  // The command's own scope is cut at its end too.
  EXPECT_EQ(S(DynStrGet(sl::kVarNames, 0)), ints);
  EXPECT_EQ(S(DynStrGet(sl::kVarNames, 2)), texts);
  EXPECT_FALSE(VarLookup(StrOf("A")).declared());
  EXPECT_FALSE(VarLookup(StrOf("X")).declared());
  // Only the two texts read back take room in the string store.
  EXPECT_EQ(Core().strings.text_in_use, bytes + (ints + ",I,A").size() + (texts + ",B$").size());
}

struct CallCase {
  const char* what;
  const char* globals;
  const char* source;
  std::vector<std::pair<std::string, std::string>> expect;  // variables after the run
};

TEST_F(ExecCompiledTest, CallsAndTheVariablesTheirCalleesDeclare) {
  const CallCase cases[] = {
      {"a LOCALVARS name the caller has already is that variable: it takes the argument and keeps it",
       "V=5;R=0", "CALL f 7\nR=R+V\nEND\nDEF_FN f\nLOCALVARS V\nEND\n", {{"V", "7"}, {"R", "7"}}},
      {"each level of a recursion takes its own argument into the one variable the outermost declared",
       "S$='';T$=''",
       "CALL down 4\nEND\nDEF_FN down\nLOCALVARS N\nS$=S$+FN$CHRS(48+N)\nIF N>1\nCALL down N-1\nENDIF\n"
       "T$=T$+FN$CHRS(48+N)\nEND\n",
       {{"S$", "4321"}, {"T$", "1111"}}},
      {"the callee reads the newest argument on list 35 before LOCALVARS takes them", "A$='';B$=''",
       "CALL f 'x','y'\nEND\nDEF_FN f\nA$=_$(35;0)\nLOCALVARS P$,Q$\nB$=P$+Q$\nEND\n", {{"A$", "y"}, {"B$", "xy"}}},
      {"the callee pops an argument off list 35 itself and LOCALVARS takes the rest", "A$='';B$=''",
       "CALL f 'x','y'\nEND\nDEF_FN f\nA$=_$(35;-1)\nLOCALVARS P$\nB$=P$\nEND\n", {{"A$", "y"}, {"B$", "x"}}},
      {"a nested call sees its caller's locals, and both are gone afterwards", "R=0;S$=''",
       "CALL outer 1,'a'\nEND\nDEF_FN outer\nLOCALVARS X,Y$\nCALL inner X+1\nS$=Y$\nEND\n"
       "DEF_FN inner\nLOCALVARS Z\nR=X*100+Z\nEND\n",
       {{"R", "102"}, {"S$", "a"}}},
      {"a macro names a local at run time", "R$=''", "CALL f 6\nEND\nDEF_FN f\nLOCALVARS V\nR$=MACRO$('[V*3]')\nEND\n",
       {{"R$", "18"}}},
  };
  for (const CallCase& c : cases) {
    ASSERT_LT(Eval(c.globals).status, kStFirstError) << c.what;
    EXPECT_EQ(Run(c.source), kOk) << c.what << ": " << S(ErrIncidentText());
    for (const auto& [name, value] : c.expect) EXPECT_EQ(Var(name), value) << c.what << ": " << name;
    for (const char* local : {"N", "P$", "Q$", "X", "Y$", "Z"})
      EXPECT_FALSE(VarLookup(StrOf(local)).declared()) << c.what << ": " << local;
    EXPECT_EQ(DynStrCount(sl::kProcArgs), 0) << c.what;
    EXPECT_EQ(Core().exec.call_depth, 0) << c.what;
  }
}

TEST_F(ExecCompiledTest, AFailureInsideACalleeUnwindsTheCall) {
  // The callee's statements before the failure have run; its variables, its
  // arguments and the call depth are gone; the incident names the callee's
  // statement, then the CALL. The same call runs again afterwards.
  ASSERT_LT(Eval("R=0").status, kStFirstError);
  Put("lib.prx", "DEF_FN f\nLOCALVARS V\nW=1\nR=R+V\nX=1+'a'\nR=100\nEND\n");
  Put("t.prx", "CALL f 'left',6\nR=R+1000\n");
  Put("u.prx", "CALL f 6\nR=R+1000\n");
  ErrIncident(0, StrPair{}, false);
  EXPECT_EQ(ExecRunMenuProc(StrOf("u.prx;lib.prx"), nullptr), kStIncompatibleTypes);
  EXPECT_EQ(Var("R"), "6");
  const std::string incident = S(ErrIncidentText());
  EXPECT_NE(incident.find("Line: 4 (+ remmarks):\r\n X=1+'a'"), std::string::npos) << incident;
  EXPECT_NE(incident.find("Line: 1 (+ remmarks):\r\nCALL f 6"), std::string::npos) << incident;
  for (const char* local : {"V", "W", "X"}) EXPECT_FALSE(VarLookup(StrOf(local)).declared()) << local;
  EXPECT_EQ(DynStrCount(sl::kProcArgs), 0);
  EXPECT_EQ(Core().exec.call_depth, 0);
  // A failure while arguments the callee never took are still on list 35.
  EXPECT_EQ(ExecRunMenuProc(StrOf("t.prx;lib.prx"), nullptr), kStIncompatibleTypes);
  EXPECT_EQ(Var("R"), "12");
  EXPECT_EQ(DynStrCount(sl::kProcArgs), 0);
  EXPECT_TRUE(Core().exec.arg_kinds.empty());
}

}  // namespace
}  // namespace eng::test
