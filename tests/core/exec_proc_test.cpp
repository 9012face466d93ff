// Procedures compiled from files and run: flow statements, labels and entry
// points, CALL with arguments, functions, the trace, and compile failures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exec_compile.h"
#include "core/exec_handlers.h"
#include "core/exec_keywords.h"
#include "core/exec_run.h"
#include "core/hooks.h"
#include "core/runtime.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "tests/support/exp_fixture.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

class ExecProcTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_EQ(VarInitSystem(), kOk);
  }
  // Writes the procedure and runs it whole (as a menu command).
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
  // Declares globals that outlive the run (the run restores the variable scope).
  static void Globals(const std::string& assignments) { ASSERT_LT(Eval(assignments).status, 128); }
};

struct FlowCase {
  const char* what;
  const char* source;
  const char* var;
  const char* expect;
};

TEST_F(ExecProcTest, FlowStatements) {
  const FlowCase cases[] = {
      {"true IF runs its branch only", "IF 1\nR=1\nELSE\nR=2\nENDIF\nR=R*10", "R", "10"},
      {"false IF runs the ELSE branch only", "IF 0\nR=1\nELSE\nR=2\nENDIF\nR=R*10", "R", "20"},
      {"IF_FALSE inverts", "IF_FALSE 0\nR=5\nENDIF", "R", "5"},
      {"IF_TRUE without ELSE skipped", "R=3\nIF_TRUE 0\nR=4\nENDIF", "R", "3"},
      {"DO_WHILE retests each round", "I=0\nR=0\nDO_WHILE I<5\nI=I+1\nR=R+I\nLOOP", "R", "15"},
      {"DO_WHILE false at once skips the body", "R=7\nDO_WHILE 0\nR=8\nLOOP\nR=R+1", "R", "8"},
      {"LOOP_WHILE runs the body once", "R=0\nDO\nR=R+1\nLOOP_WHILE 0", "R", "1"},
      {"LOOP_UNTIL", "R=0\nDO\nR=R+1\nLOOP_UNTIL R==3", "R", "3"},
      {"DO_UNTIL", "R=0\nDO_UNTIL R>=4\nR=R+1\nLOOP", "R", "4"},
      {"nested loops and IF", "R=0\nI=0\nDO_WHILE I<3\nI=I+1\nJ=0\nDO_WHILE J<I\nJ=J+1\nIF J==2\nR=R+100\nELSE\nR=R+1\nENDIF\nLOOP\nLOOP",
       "R", "204"},
      {"GOTO forward skips", "R=1\nGOTO done\nR=2\n:done\nR=R+10", "R", "11"},
      {"GOTO backward loops", "R=0\n:again\nR=R+1\nIF R<4\nGOTO again\nENDIF", "R", "4"},
      {"mixed case keywords", "R=0\ngosub Sub\nif r==0\nR=R+1\nendif\nEnd\n:Sub\nR=R+5\nreturn", "R", "6"},
      {"nested GOSUB returns in order", "R$=''\nGOSUB a\nR$=R$+'3'\nEND\n:a\nR$=R$+'1'\nGOSUB b\nRETURN\n:b\nR$=R$+'2'\nRETURN",
       "R$", "123"},
      {"GOSUB running past the end ends", "R=0\nGOSUB s\nR=99\nEND\n:s\nR=R+1", "R", "1"},
      {"RETURN without GOSUB ends", "R=1\nRETURN\nR=2", "R", "1"},
      {"END ends", "R=1\nEND\nR=2", "R", "1"},
      {"division by zero goes on", "R=1/0\nR=R+2", "R", "2"},
      {"comments, blanks and tabs", "; a comment\n# another\n/ and another\n\n\t R=3 \t\n", "R", "3"},
      {"unclosed false IF ends, never loops", "R=R+1\nIF 0\nR=R+100", "R", "1"},
      {"unclosed false DO_WHILE ends", "R=R+1\nDO_WHILE 0\nR=R+100", "R", "1"},
      {"keyword glued to ( is an expression", "R=1\nIF(R==1)", "R", "1"},
      {"texts", "R$='ab'\nR$=R$+'C'", "R$", "abC"},
  };
  for (const FlowCase& c : cases) {
    SCOPED_TRACE(c.what);
    Globals("R=0;R$='';I=0;J=0");
    EXPECT_EQ(Run(c.source), kOk) << S(ErrIncidentText());
    EXPECT_EQ(Var(c.var), c.expect);
    EXPECT_EQ(ExecProcCount(), 0);
  }
}

TEST_F(ExecProcTest, ConditionErrorStopsTheRun) {
  Globals("R=0");
  Status s = Run("R=1\nIF (1\nR=2\nENDIF");
  EXPECT_GE(s, kStFirstWarning);
  EXPECT_EQ(Var("R"), "1");
}

TEST_F(ExecProcTest, GosubDeeperThan64Fails) {
  EXPECT_EQ(Run(":deep\nGOSUB deep"), kStProcStack);
}

struct BadCase {
  const char* what;
  std::string source;
  Status status;
  std::string incident;  // expected inside the incident text
};

std::string Repeat(const std::string& line, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += line + "\n";
  return s;
}

std::string Labels(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += ":L" + std::to_string(i) + "\n";
  return s + "X=1\n";
}

std::string Entries(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "DEF_FN F" + std::to_string(i) + "\nX=1\n";
  return s;
}

TEST_F(ExecProcTest, MalformedProceduresFailToCompile) {
  const BadCase cases[] = {
      {"unknown label, remarks not counted", "; c\n:top\nX=1\nY=2\nGOTO NOPE\n", kStSyntax,
       "\r\nLabel 'NOPE' in line 3 (+ remmarks) not found"},
      {"GOSUB to an unknown label", "GOSUB nowhere\n", kStSyntax, "Label 'nowhere' in line 1 (+ remmarks)"},
      {"labels match exactly", ":Top\nGOTO top\n", kStSyntax, "Label 'top' in line 1"},
      {"ENDIF without IF", "X=1\n\n; note\nENDIF\n", kStSyntax,
       "\r\nFinal of Conditional or loop without \r\nBegin (Loop, Endif...) in line 2 (+ remmarks)"},
      {"LOOP first", "LOOP\n", kStSyntax, "in line 1 (+ remmarks)"},
      {"ELSE without IF", "X=1\nELSE\n", kStSyntax, "in line 2 (+ remmarks)"},
      {"17 nested openers", Repeat("IF 1", 17) + Repeat("ENDIF", 17), kStOutOfMemory, ""},
      {"129 labels", Labels(129), kStOutOfMemory, ""},
      {"129 entry points", Entries(129), kStOutOfMemory, ""},
  };
  for (const BadCase& c : cases) {
    SCOPED_TRACE(c.what);
    ErrSetLast(2, 0, 0, 0);
    ErrIncident(0, StrPair{}, false);
    Put("bad.prx", c.source);
    uint16_t r = ExecLoadProc(StrOf("bad.prx"));
    EXPECT_EQ(r, c.status);
    EXPECT_EQ(ErrLastModule(), kModExecCompiler);
    EXPECT_NE(S(ErrIncidentText()).find(c.incident), std::string::npos) << S(ErrIncidentText());
    EXPECT_EQ(ExecProcCount(), 0);
    EXPECT_EQ(DynStrCount(sl::kLineQueue), 0) << "every line is taken off the queue";
  }
}

TEST_F(ExecProcTest, LimitsThemselvesCompile) {
  Put("ok.prx", Repeat("IF 1", 16) + Repeat("ENDIF", 16) + Labels(128) + Entries(128));
  uint16_t r = ExecLoadProc(StrOf("ok.prx"));
  ASSERT_LT(r, kExecMaxProcs);
  EXPECT_EQ(ExecProcGet(r)->entry_count, 128);
  EXPECT_EQ(ExecUnloadProc(r), kOk);
}

TEST_F(ExecProcTest, MissingFileIs164WithItsName) {
  ErrIncident(0, StrPair{}, false);
  EXPECT_EQ(ExecLoadProc(StrOf("gone.prx")), kStFileNotFound);
  EXPECT_NE(S(ErrIncidentText()).find("gone.prx"), std::string::npos);
  EXPECT_EQ(Run("", "empty.prx"), kOk) << "an empty file is an empty procedure";
}

TEST_F(ExecProcTest, FoundAlongTheApplicationFolders) {
  std::filesystem::create_directories("app");
  Put("app/lib.prx", "R=42");
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kAppFolder, StrOf("nowhere,app")), kOk);
  Globals("R=0");
  EXPECT_EQ(ExecRunMenuProc(StrOf("lib.prx"), nullptr), kOk);
  EXPECT_EQ(Var("R"), "42");
}

TEST_F(ExecProcTest, EndlessSelfCallFails) {
  Globals("N=0");
  EXPECT_EQ(Run("CALL A\nEND\nDEF_FN A\nN=N+1\nCALL A\n"), kStProcStack);
  EXPECT_EQ(Var("N"), std::to_string(kExecMaxCallDepth - 1)) << "the outermost run is the menu's";
  EXPECT_EQ(Core().exec.call_depth, 0);
  // A recursion that ends runs as written.
  Globals("N=0");
  EXPECT_EQ(Run("CALL A\nEND\nDEF_FN A\nN=N+1\nIF N<50\nCALL A\nENDIF\n"), kOk) << S(ErrIncidentText());
  EXPECT_EQ(Var("N"), "50");
}

TEST_F(ExecProcTest, CallWithArgumentsIntoLocalVars) {
  Put("p.prx", "DEF_FN f\nLOCALVARS x,y$,z#\nA=x\nB$=y$\nC#=z#\nEND\nDEF_FN g\nA=A+1\n");
  Globals("A=0;B$='';C#=0");
  EXPECT_EQ(Run("CALL f,p.prx 1,'b',2.5\nA=A*10"), kOk) << S(ErrIncidentText());
  EXPECT_EQ(Var("A"), "10");
  EXPECT_EQ(Var("B$"), "b");
  EXPECT_EQ(Var("C#"), "2.5");
  EXPECT_FALSE(VarLookup(StrOf("x")).declared()) << "the callee's variables are gone";
  EXPECT_EQ(DynStrCount(sl::kProcArgs), 0);

  // Arguments converted to the receiving variable's kind; a missing one is empty.
  Put("q.prx", "DEF_FN h\nLOCALVARS a$,e$,n\nB$=a$+'/'+e$\nA=n\n");
  EXPECT_EQ(Run("CALL h,q.prx 7;,'12'"), kOk) << S(ErrIncidentText());
  EXPECT_EQ(Var("B$"), "7.00/");
  EXPECT_EQ(Var("A"), "12");
}

TEST_F(ExecProcTest, CallWhoseCalleeLeavesItsArguments) {
  Put("p.prx", "DEF_FN g\nA=A+1\n");
  Globals("A=0");
  ErrIncident(0, StrPair{}, false);
  EXPECT_EQ(Run("CALL g,p.prx 1,2\nA=100"), kStSyntax);
  EXPECT_EQ(Var("A"), "1") << "the callee ran, the caller stopped";
  EXPECT_NE(S(ErrIncidentText()).find("LOCALVARS"), std::string::npos);
  EXPECT_EQ(DynStrCount(sl::kProcArgs), 0);
  EXPECT_EQ(Run("CALL g,p.prx\nA=A+10"), kOk) << "no arguments, none to take";
  EXPECT_EQ(Var("A"), "12");
}

TEST_F(ExecProcTest, CallTargetsAndEntryPoints) {
  Put("lib.prx", "DEF_FN one\nA=A+1\nEND\nDEF_FN two\nA=A+2\n:tail\nA=A+4\n");
  Globals("A=0;F$='lib.prx'");
  // Entry name and file from text expressions; a loaded library found without a file.
  EXPECT_EQ(Run("CALL 'two',F$\nA=A*100"), kOk) << S(ErrIncidentText());
  EXPECT_EQ(Var("A"), "600");
  Globals("A=0");
  EXPECT_EQ(ExecRunMenuProc(StrOf("main.prx;lib.prx"), nullptr), kStFileNotFound);
  Put("main.prx", "CALL one\nCALL two\n");
  EXPECT_EQ(ExecRunMenuProc(StrOf("main.prx;lib.prx"), nullptr), kOk) << S(ErrIncidentText());
  EXPECT_EQ(Var("A"), "7");
  EXPECT_EQ(ExecProcCount(), 0) << "everything the command loaded is unloaded";
  ErrIncident(0, StrPair{}, false);
  EXPECT_EQ(Run("CALL three,lib.prx"), kStSyntax);
  EXPECT_NE(S(ErrIncidentText()).find("three"), std::string::npos);
}

TEST_F(ExecProcTest, VariableScopeRestoredUnlessAskedNot) {
  Put("p.prx", "DEF_FN f\nNEWVAR=5\n");
  EXPECT_EQ(Run("CALL f,p.prx,0"), kOk);
  // The callee kept its variable, but the whole run restored the scope.
  EXPECT_FALSE(VarLookup(StrOf("NEWVAR")).declared());
  EXPECT_EQ(ExecRunFunction(StrOf("f"), StrOf("p.prx"), 0), kOk);
  EXPECT_EQ(Var("NEWVAR"), "5");
}

TEST_F(ExecProcTest, FunctionResultOnList30) {
  Put("f.prx", "DEF_FN TOTAL\nX=3\n'abc'\nEND\nDEF_FN NUM\n3*4\nIF 1\nENDIF\nDEF_FN NONE\nIF 1\nENDIF\n");
  // EXEC$ reaches the runner through hook 1, installed by the first compile.
  ASSERT_EQ(ExecUnloadProc(ExecLoadProc(StrOf("f.prx"))), kOk);
  ASSERT_TRUE(HookFilled(kHookExecFunction));
  EXPECT_EQ(HookCallExecFunction(StrOf("TOTAL"), StrOf("f.prx"), 3), std::optional<Status>(kOk));
  EXPECT_EQ(S(DynStrTop(sl::kReturnBuffer)), "abc");
  EXPECT_EQ(ExecRunFunction(StrOf("NUM"), StrOf("f.prx"), 3), kOk);
  EXPECT_EQ(S(DynStrTop(sl::kReturnBuffer)), "12.00");
  EXPECT_EQ(ExecRunFunction(StrOf("NONE"), StrOf("f.prx"), 3), kOk);
  EXPECT_EQ(S(DynStrTop(sl::kReturnBuffer)), "");
  EXPECT_EQ(DynStrCount(sl::kReturnBuffer), 3);
  EXPECT_EQ(ExecProcCount(), 0);
  EXPECT_EQ(ExecRunFunction(StrPair{}, StrPair{}, 0), kStSyntax) << "no file and no name";
}

TEST_F(ExecProcTest, TraceFile) {
  SysVarSet(kVarTrace, kTraceProcedure);
  Globals("X=0");
  EXPECT_EQ(Run("; remark\nIF X==0\nX=1\nENDIF\n"), kOk);
  EXPECT_EQ(Get("PrcLog.txt"), "1\tIF X==0\r\n2\t X=1\r\n3\tENDIF \r\n");
  SysVarSet(kVarTrace, 1);
  EXPECT_EQ(Run("X=2"), kOk);
  EXPECT_EQ(Get("PrcLog.txt"), "1\tIF X==0\r\n2\t X=1\r\n3\tENDIF \r\n") << "no trace without bit 8";
}

// --- Handler statements --------------------------------------------------

struct Seen {
  std::vector<uint16_t> codes;
  ExecArgs args;
  Status answer = 0;
};
Seen* g_seen = nullptr;

Status Recorder(uint16_t code, const ExecArgs& args) {
  g_seen->codes.push_back(code);
  g_seen->args = args;
  return g_seen->answer;
}

class ExecChainTest : public ExecProcTest {
 protected:
  void SetUp() override {
    ExecProcTest::SetUp();
    g_seen = &seen_;
  }
  void TearDown() override {
    g_seen = nullptr;
    ExecProcTest::TearDown();
  }
  Seen seen_;
};

TEST_F(ExecChainTest, NoHandlerAtAllIs148) {
  Globals("R=0");
  EXPECT_EQ(Run("R=1\nFILESCAN 'a'\nR=2"), kStNotAvailable);
  EXPECT_EQ(Var("R"), "1");
  EXPECT_EQ(ErrLastModule(), kModMemAcums);
  EXPECT_NE(S(ErrIncidentText()).find("Line: 2 (+ remmarks):\r\nFILESCAN 'a'"), std::string::npos);
}

TEST_F(ExecChainTest, HandlerArguments) {
  ExecHandlerSet(0, &Recorder);
  Globals("N=4");
  ASSERT_EQ(Run("FILESCAN 1+2,'x',,2.5,N*2,'a,b',('A')"), kOk) << S(ErrIncidentText());
  ASSERT_EQ(seen_.codes, std::vector<uint16_t>{uint16_t{kExecFileScan}});
  const ExecArgs& a = seen_.args;
  ASSERT_EQ(a.count, 7);
  const uint16_t kinds[] = {0, 1, 0, 0, 0, 1, 1};
  const int32_t ints[] = {3, 0, 0, 3, 8, 0, 0};
  const char* texts[] = {"3.00", "x", "", "2.50", "8.00", "a,b", "A"};
  for (uint16_t i = 1; i <= 7; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(a.Kind(i), kinds[i - 1]);
    EXPECT_EQ(a.Int(i), ints[i - 1]);
    EXPECT_EQ(S(a.Text(i)), texts[i - 1]);
  }
  EXPECT_EQ(a.Int(8), 0);
  EXPECT_EQ(S(a.Text(8)), "") << "a missing argument";
  // Handler statements are macro-expanded afresh at each execution, quotes included.
  Globals("N=1");
  ASSERT_EQ(Run("DO_WHILE N<3\nFILESCAN 'f[N*10].txt'\nN=N+1\nLOOP"), kOk) << S(ErrIncidentText());
  EXPECT_EQ(S(seen_.args.Text(1)), "f20.txt");
  std::string many = "FILESCAN 1";
  for (int i = 0; i < 15; ++i) many += ",1";
  EXPECT_EQ(Run(many), kOk) << "16 arguments";
  EXPECT_EQ(seen_.args.count, 16);
  EXPECT_EQ(Run(many + ",1"), kStSyntax) << "17 arguments";
}

TEST_F(ExecChainTest, AnyHandlerStatusStopsTheRun) {
  ExecHandlerSet(3, &Recorder);
  seen_.answer = 1;
  Globals("R=0");
  EXPECT_EQ(Run("R=1\nREPORT 'x'\nR=2"), 1);
  EXPECT_EQ(Var("R"), "1");
  EXPECT_EQ(seen_.codes, std::vector<uint16_t>{uint16_t{kExecReport}});
}

Status Slot5Extension(uint16_t code, const ExecArgs& args) {
  if (code != kExecFileScan) return kExecNotServed;
  return Recorder(code, args);
}

TEST_F(ExecChainTest, StatementsPassAlongTheChain) {
  // The engine's six handlers with no layer extensions: nobody serves FILESCAN.
  ExecRegisterHandlers();
  for (uint16_t slot = 0; slot < 6; ++slot) EXPECT_NE(ExecHandlerFrom(slot), nullptr);
  EXPECT_EQ(ExecHandlerFrom(6), nullptr);
  EXPECT_EQ(Run("FILESCAN 'a'"), kStSyntax);
  // The utilities' extension serves it, reached through slots 0-4.
  ASSERT_EQ(ExecHandlerExtend(kExecSlotUtils, &Slot5Extension), kOk);
  EXPECT_EQ(Run("FILESCAN 'a','b'"), kOk);
  EXPECT_EQ(seen_.codes, std::vector<uint16_t>{uint16_t{kExecFileScan}});
  // Codes it does not serve go on to the application's slots.
  ExecHandlerSet(9, &Recorder);
  EXPECT_EQ(Run("STATSTEPS 'x'"), kOk);
  EXPECT_EQ(seen_.codes.back(), kExecStatSteps);
  EXPECT_EQ(ExecHandlerSet(16, &Recorder), nullptr);
  EXPECT_EQ(ExecHandlerExtend(6, &Recorder), kStDataOutBound);
}

TEST_F(ExecChainTest, StatementsThatAreNotAvailable) {
  ExecRegisterHandlers();
  const std::pair<const char*, const char*> cases[] = {
      {"CONNECT", ""}, {"REMOTE", "ExecRunTrans REMOTE"}, {"SHELL", "ExecRunUtils SHELL"}};
  for (auto [statement, incident] : cases) {
    SCOPED_TRACE(statement);
    ErrIncident(0, StrPair{}, false);
    EXPECT_EQ(Run(statement), kStNotAvailable);
    EXPECT_NE(S(ErrIncidentText()).find(incident), std::string::npos);
  }
}

TEST_F(ExecChainTest, DeviceStackLimits) {
  ExecRegisterHandlers();
  for (const char* s : {"DLOCATE 1,1", "DPRINT 'x'", "ENDDEVICE"}) {
    SCOPED_TRACE(s);
    EXPECT_EQ(Run(s), kStDataOutBound);
  }
  EXPECT_EQ(ExecDeviceTop(), nullptr);
  for (int i = 0; i < 7; ++i) ASSERT_EQ(ExecDevicePush(std::any(i)), kOk);
  EXPECT_EQ(std::any_cast<int>(*ExecDeviceTop()), 6);
  EXPECT_EQ(Run("DEVICE 'out.txt'"), kStDataOutBound) << "an eighth device";
  EXPECT_EQ(ExecDevicePush(std::any(8)), kStDataOutBound);
  for (int i = 0; i < 7; ++i) ASSERT_EQ(ExecDevicePop(), kOk);
  EXPECT_EQ(ExecDevicePop(), kStDataOutBound);
}

TEST_F(ExecChainTest, KillSetsStatAndGoesOn) {
  ExecRegisterHandlers();
  Put("old.txt", "x");
  Globals("R=0;A=0;B=0");
  EXPECT_EQ(Run("KILL 'old.txt'\nA=_STAT\nKILL 'old.txt'\nB=_STAT\nR=1"), kOk);
  EXPECT_FALSE(Has("old.txt"));
  EXPECT_EQ(Var("A"), "0");
  EXPECT_EQ(Var("B"), "-1") << "a missing file";
  EXPECT_EQ(Var("R"), "1");
}

TEST_F(ExecChainTest, SystemRunsACommand) {
  ExecRegisterHandlers();
  Globals("A=9;R=0");
  EXPECT_EQ(Run("SYSTEM 'echo hi > out.txt'\nA=_STAT"), kOk);
  EXPECT_EQ(Get("out.txt"), "hi\n");
  EXPECT_EQ(Var("A"), "0");
  Core().exec.shell = "/nonexistent/sh";
  EXPECT_EQ(Run("SYSTEM 'true'\nA=_STAT\nR=1"), kOk);
  EXPECT_EQ(Var("A"), "164");
  EXPECT_EQ(Var("R"), "1") << "the next statement still runs";

  std::string out;
  Core().exec.shell = "/bin/sh";
  EXPECT_EQ(ExecShellCommand(StrOf("printf abc; printf def >&2"), [&](StrPair chunk) -> Status {
              out += chunk.view();
              return 0;
            }),
            kOk);
  EXPECT_EQ(out, "abcdef");
}

TEST_F(ExecChainTest, MessageAndWait) {
  ExecRegisterHandlers();
  Globals("A=9");
  // Without a message-box service the question takes its safe answer, No.
  EXPECT_EQ(Run("MESSAGE 'Sure?','Q'\nA=_STAT\nMESSAGE 'Done'"), kOk);
  EXPECT_EQ(Var("A"), "0");
  ClockSetVirtualMonotonic(1000);
  EXPECT_EQ(Run("WAIT 250\nWAIT 0"), kOk);
  EXPECT_EQ(ClockMonotonicMs(), 1250u);
  ClockReset();
  EXPECT_EQ(Run("WAIT 'KEY'"), kStSyntax) << "keys are the window layer's";
}

// --- Progress pump and context restore -------------------------------------

int g_pumps = 0;
Status CancelOnThirdPump() { return ++g_pumps >= 3 ? Status{kStCancelled} : Status{kOk}; }

TEST_F(ExecProcTest, CancelInTheProgressWindowStopsTheRun) {
  ExecServices sv;
  sv.progress_pump = &CancelOnThirdPump;
  ExecSetServices(sv);
  g_pumps = 0;
  Globals("R=0");
  EXPECT_EQ(Run("R=1\nR=2\nR=3\nR=4"), kStCancelled);
  EXPECT_EQ(Var("R"), "2");
}

int g_winopen = 0;
int g_scope_restores = 0;
Status CloseOneWindow() {
  if (g_winopen == 0) return kStDataOutBound;
  --g_winopen;
  return kOk;
}
Status RestoreOneScope() {
  ++g_scope_restores;
  DictState& d = Core().dict;
  if (d.scope_depth == 0) return kStInternal;
  d.file_count = d.scopes[--d.scope_depth].files;
  return kOk;
}

TEST_F(ExecProcTest, ContextRestoredAfterAWholeRun) {
  ExecServices sv;
  sv.winopen_close = &CloseOneWindow;
  sv.struct_scope_restore = &RestoreOneScope;
  ExecSetServices(sv);
  g_winopen = 3;
  g_scope_restores = 0;
  DictState& d = Core().dict;
  d.file_count = 2;
  // A file added without a scope (a loaded dictionary) stays: nothing to pop.
  EXPECT_EQ(ExecRestoreContext(ExecContextMark{0, 1, false}), kOk);
  EXPECT_EQ(g_scope_restores, 0);
  EXPECT_EQ(d.file_count, 2);
  EXPECT_EQ(g_winopen, 0);
  // Two scopes pushed since the mark are popped.
  d.scopes[0].files = 2;
  d.scopes[1].files = 3;
  d.scope_depth = 2;
  d.file_count = 4;
  EXPECT_EQ(ExecRestoreContext(ExecContextMark{0, 2, false}), kOk);
  EXPECT_EQ(g_scope_restores, 2);
  EXPECT_EQ(d.file_count, 2);
}

}  // namespace
}  // namespace eng::test
