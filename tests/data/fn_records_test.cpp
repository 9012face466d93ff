// The record, file, stream and procedure built-ins and the record statements,
// run through expressions and procedures on the shared fixture.
#include <gtest/gtest.h>

#include <string>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exec_compile.h"
#include "core/exec_handlers.h"
#include "core/exec_keywords.h"
#include "core/exec_run.h"
#include "core/exp_eval.h"
#include "core/field_access.h"
#include "core/fn_builtins.h"
#include "core/fn_builtins_detail.h"
#include "core/hooks.h"
#include "core/scratch_arena.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "data/app_start.h"
#include "data/field_ref.h"
#include "data/fn_records.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/record_statements.h"
#include "data/relup_rules.h"
#include "tests/support/data_fixture.h"

namespace eng::test {
namespace {

constexpr int64_t kFailed = -1000000;

class RecordBuiltinsTest : public DataFixtureTest {
 protected:
  void SetUp() override {
    DataFixtureTest::SetUp();
    ASSERT_EQ(VarInitSystem(), kOk);
    DataInstallFieldAccess();
    FnInstallValueBuiltins();
    DataInstallRecordBuiltins();
    ExecRegisterHandlers();
    DataInstallRecordStatements();
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("PLMRQV13:Norvique")), kOk);
    // Movements keep T; any rule on the totals file counts in N.
    Put("PLRELUP.DAT", "0200T=T+_SGN*AMT{2}\r\n0300N=N+1\r\n");
    for (uint16_t f : {fx::kMovs, fx::kTotales}) {
      Status open = DataFileOpen(f, 0);
      ASSERT_TRUE(open == 0 || open == 2) << open;
      ASSERT_EQ(RelUpdLoad(f, StrOf("")), kOk);
    }
    ASSERT_EQ(ExpFileNumberVars(), kOk);
    ASSERT_EQ(ExpExecute(StrOf("T=0;N=0")), kOk);
  }
  void TearDown() override {
    DataSetFileDialog(nullptr);
    FieldAccessInstall(nullptr);
    DataFixtureTest::TearDown();
  }

  // The value of a numeric expression, or kFailed - status.
  static int64_t Num(const std::string& expr) {
    ScratchScope scope;
    Status s = ExpEvalText(StrOf(expr));
    if (s >= kStFirstError) return kFailed - s;
    if (s == 1) return kFailed;
    return fn::WholeOf(ScratchTop());
  }
  static std::string Text(const std::string& expr) {
    ScratchScope scope;
    return S(ExpEvalStr(StrOf(expr)));
  }
  static Status Eval(const std::string& expr) {
    ScratchScope scope;
    return ExpEvalText(StrOf(expr));
  }
  static Status Exec(const std::string& list) {
    ScratchScope scope;
    return ExpExecute(StrOf(list));
  }
  Status Run(const std::string& source) {
    Put("s.prx", source);
    return ExecRunMenuProc(StrOf("s.prx"), nullptr);
  }
  // A total's record on disk by its key, "<none>" when absent.
  static std::string TotalCodeOf(const std::string& code) {
    ScratchScope scope;
    if (DataFileLocate(fx::kTotales, 1, StrOf(code), 0) != 0) return "<none>";
    return S(BufFieldText(fx::kTotales, 1, kBufCurrent));
  }
};

TEST_F(RecordBuiltinsTest, FileFindAddsOnlyWithFlag4AndRunsNoRules) {
  EXPECT_EQ(Num("FILEFIND('X99';3;1)"), 2);
  EXPECT_EQ(Num("FN#FLEN('totales')"), 0) << "nothing added without flag 4";
  EXPECT_EQ(Num("IER(3)"), 2);

  EXPECT_EQ(Num("FILEFIND('X99';3;1;4)"), 0);
  EXPECT_EQ(Num("FN#FLEN('totales')"), 1);
  EXPECT_EQ(TotalCodeOf("X99"), "X99       ");
  EXPECT_EQ(Num("N"), 0) << "the add bypasses the relational-update rules";

  // Found: read, nothing added.
  EXPECT_EQ(Num("FILEFIND('X99';3;1;4)"), 0);
  EXPECT_EQ(Num("FN#FLEN(3)"), 1);
  // A value sorting between two keys is not found either: added too.
  ASSERT_EQ(Num("FILEFIND('ZZ';3;1;5)"), 0);
  EXPECT_EQ(Num("FILEFIND('M';3;1;5)"), 0);
  EXPECT_EQ(Num("FN#FLEN('totales')"), 3);
  EXPECT_EQ(TotalCodeOf("M"), "M         ");
  // An empty value adds nothing.
  EXPECT_EQ(Num("FILEFIND('';3;1;4)"), 1);
  EXPECT_EQ(Num("FN#FLEN('totales')"), 3);
  // A closed file counts what its record file holds.
  ASSERT_EQ(DataFileClose(fx::kTotales), kOk);
  EXPECT_EQ(Num("FN#FLEN('TOTALES')"), 3);
}

TEST_F(RecordBuiltinsTest, FileFindFlag8MovesFirstThenNextWithinTheBound) {
  for (const char* code : {"A1", "A2", "B1"}) ASSERT_EQ(Num(std::string("FILEFIND('") + code + "';3;1;5)"), 0);
  EXPECT_EQ(Num("FILEFIND('A';3;1;8)"), 0);
  EXPECT_EQ(Text("CODE{3}"), "A2        ");
  EXPECT_EQ(Num("FILEFIND('0';3;1;8)"), 2) << "the first record's key passed the bound";
  // A closed file is a failure of the expression.
  ASSERT_EQ(DataFileClose(fx::kTotales), kOk);
  EXPECT_EQ(Num("FILEFIND('A1';3;1)"), kFailed - kStFileNotInit);
}

TEST_F(RecordBuiltinsTest, FileLocateMovesAndDeletesWithoutRules) {
  ASSERT_EQ(Run("FILELOCATE('NEW';2)\nCODE{2}='A'\nN_LINE{2}=1\nAMT{2}=10\nRC_INSERT '2'\n"
                "FILELOCATE('NEW';2)\nCODE{2}='B'\nN_LINE{2}=1\nAMT{2}=7\nRC_INSERT 2,''\n"),
            kOk)
      << S(ErrIncidentText());
  EXPECT_EQ(Num("T"), 17);
  SysVarSet(kVarCurFil, fx::kMovs);
  EXPECT_EQ(Num("FILELOCATE('TOP')"), 0);
  EXPECT_EQ(Text("CODE{2}"), "A         ");
  EXPECT_EQ(Num("FILELOCATE('next')"), 0) << "a synonym";
  EXPECT_EQ(Text("CODE{2}"), "B         ");
  EXPECT_EQ(Num("FILELOCATE('NXT')"), 2) << "past the last record";
  EXPECT_EQ(Num("FILELOCATE('TOP';2)"), 0);
  EXPECT_EQ(Num("FILELOCATE('BOGUS';2)"), kFailed - kStSyntax);
  EXPECT_EQ(Text("CODE{2}"), "A         ") << "a refused word leaves the buffer alone";
  EXPECT_EQ(Num("FILELOCATE('BOT';2)"), 0);
  EXPECT_EQ(Num("FILELOCATE('DEL';2)"), 0);
  EXPECT_EQ(Num("FN#FLEN('movs')"), 1);
  EXPECT_EQ(Num("T"), 17) << "the delete runs no rule";
  EXPECT_EQ(Num("FILELOCATE('TOP';2)"), 0);
  EXPECT_EQ(Text("CODE{2}"), "A         ");
}

TEST_F(RecordBuiltinsTest, RecordStatementsKeepARuleTotalRight) {
  // Add, rewrite and delete through the hooked write, with KEY$ and FILEFIND.
  // K$ and R belong to the test, so that they outlive each run's variables.
  ASSERT_EQ(Exec("K$='';R=9"), 0);
  ASSERT_EQ(Run("FILELOCATE('NEW';movs)\nCODE{2}='A'\nN_LINE{2}=1\nAMT{2}=10\nRC_INSERT 'movs,1'\n"
                "K$=KEY$(2)\nFILELOCATE('NEW';2)\nCODE{2}='B'\nN_LINE{2}=1\nAMT{2}=7\nRC_INSERT '2'\n"),
            kOk)
      << S(ErrIncidentText());
  EXPECT_EQ(Num("T"), 17);
  ASSERT_EQ(Run("R=FILEFIND(K$;2;1)\nAMT{2}=25\nRC_WRITE '2'\n"), kOk) << S(ErrIncidentText());
  EXPECT_EQ(Num("R"), 0);
  EXPECT_EQ(Num("T"), 32) << "-10 over the old record, +25 over the new";
  EXPECT_EQ(Num("FILEFIND(K$;2;1)"), 0);
  EXPECT_EQ(Text("AMT{2}"), "25");
  ASSERT_EQ(Run("FILEFIND(K$;2;1)\nRC_DELETE '2'\n"), kOk);
  EXPECT_EQ(Num("T"), 7);
  EXPECT_EQ(Num("FN#FLEN('movs')"), 1);
  EXPECT_EQ(Num("FILEFIND(K$;2;1)"), 1) << "gone: the value now stands before B";
  // RC_INSERT is the plain add: a key that exists is added once more.
  EXPECT_EQ(Run("FILELOCATE('NEW';2)\nCODE{2}='B'\nN_LINE{2}=1\nAMT{2}=99\nRC_INSERT '2'\n"), kOk)
      << S(ErrIncidentText());
  EXPECT_EQ(Num("FN#FLEN('movs')"), 2);
}

TEST_F(RecordBuiltinsTest, RcUpdateIsNotAvailableAndBadSpecsFail) {
  EXPECT_EQ(Run("RC_UPDATE 2,1,'AMT{2}=0'\nX=1\n"), kStLowFailure);
  EXPECT_GE(Run("RC_INSERT '(2'\n"), kStFirstError);
  EXPECT_EQ(Run("RC_INSERT 'FN$CHRS(65)'\n"), kStIncompatibleTypes);
}

TEST_F(RecordBuiltinsTest, FileRelFetchesAndCreatesRelatedRecords) {
  ASSERT_EQ(Run("FILELOCATE('NEW';2)\nCODE{2}='A'\nN_LINE{2}=1\nAMT{2}=10\nRC_INSERT '2'\n"), kOk);
  // movs 3R1K1=CODE{}: the total of the line's code, created with flag 4 and
  // updated by the raw statements that follow the fourth argument.
  EXPECT_EQ(Num("FILEREL(2;3;1;4;TOTAL{3}=TOTAL{3}+AMT{2})"), 0);
  EXPECT_EQ(SysVarGet(kVarRelRes), 4);
  EXPECT_EQ(TotalCodeOf("A"), "A         ");
  EXPECT_EQ(Text("TOTAL{3}"), "10");
  EXPECT_EQ(Num("FILEREL(2;3;1;4;TOTAL{3}=TOTAL{3}+AMT{2};TOTAL{3}=TOTAL{3}*2)"), 0);
  EXPECT_EQ(Text("TOTAL{3}"), "40");
  EXPECT_EQ(Num("FN#FLEN(3)"), 1);
  EXPECT_EQ(Num("FILEREL(2;3;9)"), kFailed - kStDataError) << "no such relation";
}

TEST_F(RecordBuiltinsTest, FileRelAdjustsItsFlagsAndLeavesScansToHook3) {
  static uint16_t seen;
  static std::string statements;
  HookSetFn(static_cast<HookRelFetchFn>([](uint16_t a, uint16_t b, uint16_t c, uint16_t flags, StrPair text) -> Status {
              seen = flags;
              statements = text.str();
              return a == 2 && b == 3 && c == 1 ? Status{7} : Status{kStDataError};
            }),
            kHookRelFetch);
  SysVarSet(kVarUpStat, 1 | 4);
  struct Case {
    const char* expr;
    int16_t last_key;
    uint16_t flags;
  };
  for (const Case& c : {Case{"FILEREL(2;3;1;6;X=1)", 0, 5}, Case{"FILEREL(2;3;1;6;X=1)", 23, 7},
                        Case{"FILEREL(2;3;1;6;X=1)", 29, 7}, Case{"FILEREL(2;3;1;22;X=1)", 0, 0x17}}) {
    SysVarSet(kVarLastKey, c.last_key);
    seen = 0;
    EXPECT_EQ(Num(c.expr), 7) << c.expr;
    EXPECT_EQ(seen, c.flags) << c.expr << " _LASTKEY " << c.last_key;
    EXPECT_EQ(statements, "X=1");
  }
  // Without flag 4, or outside statistics steps, the fetch is the data layer's.
  seen = 0;
  EXPECT_EQ(Num("FILEREL(2;3;1;2)"), 2);
  EXPECT_EQ(seen, 0);
  SysVarSet(kVarUpStat, 1);
  EXPECT_EQ(Num("FILEREL(2;3;1;4)"), 0);
  EXPECT_EQ(seen, 0);
  EXPECT_EQ(SysVarGet(kVarRelRes), 4) << "the data layer created the total";
}

TEST_F(RecordBuiltinsTest, KeyAndIerReadTheBuffersAndControlBlocks) {
  EXPECT_EQ(SysVarGet(kVarCurFil), 0);
  EXPECT_EQ(Text("KEY$()"), "");
  EXPECT_EQ(Num("IER()"), kFailed - kStDataOutBound);
  ASSERT_EQ(Num("FILEFIND('A1';3;1;5)"), 0);
  SysVarSet(kVarCurFil, fx::kMovs);
  EXPECT_EQ(Text("KEY$(3)"), "A1        ");
  EXPECT_EQ(Num("IER(3)"), 0);
  EXPECT_EQ(Num("IER()"), 2) << "the current file's block";
  // Parts: movs key 1 is CODE + N_LINE; the first part alone; the saved copy.
  ASSERT_EQ(Exec("FILELOCATE('NEW';2);CODE{2}='Q';N_LINE{2}=4"), 0);
  const std::string code = "Q" + std::string(9, ' '), line = "  4";
  EXPECT_EQ(Text("KEY$(2;1)"), code + line);
  EXPECT_EQ(Text("KEY$(2;1;1;1)"), code);
  EXPECT_EQ(Text("KEY$(2;2;1)"), std::string(8, ' ') + code + line) << "key 2 is DATE + CODE + N_LINE";
  EXPECT_EQ(Text("KEY$(2;1;2)"), std::string(13, ' ')) << "the saved copy is still blank";
  EXPECT_EQ(Num("KEY$(2;1;3)"), kFailed - kStSyntax);
}

TEST_F(RecordBuiltinsTest, FldsReadsFieldsVariablesAndScreenFields) {
  ASSERT_EQ(Exec("FILELOCATE('NEW';3);CODE{3}='K1';X$='text';N#=2"), 0);
  EXPECT_EQ(Text("FN$FLDS(CODE{3})"), "K1        ");
  EXPECT_EQ(Text("FN$FLDS(CODE{3};2)"), "          ");
  EXPECT_EQ(Text("FN$FLDS(CODE{3};N#)"), "          ") << "the part is evaluated";
  EXPECT_EQ(Text("FN$FLDS(X$)"), "text");
  EXPECT_EQ(Text("FN$FLDS(FN$CHRS(66))"), "B");
  EXPECT_EQ(Num("FN$FLDS(N#)"), 2) << "a number stays a number";
  EXPECT_EQ(Eval("FN$FLDS(SCREENNAME)"), kStSyntax);
  EXPECT_EQ(Eval("FN$FLDS(NOFIELD{3})"), kStSyntax);
  HookSetFn(static_cast<HookFieldProviderFn>([](StrPair name, uint16_t mode, StrPair) -> StrPair {
              return ScratchText(name.str() + "/" + std::to_string(mode));
            }),
            kHookFieldProvider);
  EXPECT_EQ(Text("FN$FLDS(SCREENNAME;2)"), "SCREENNAME/2");
}

TEST_F(RecordBuiltinsTest, ReadWriteAndStreams) {
  EXPECT_EQ(Num("WRITE('t.txt';-3;'L1'+FN$CHRS(13)+FN$CHRS(10)+'L2')"), 0);
  EXPECT_EQ(Get("t.txt"), "L1\r\nL2");
  EXPECT_EQ(Num("WRITE('t.txt';-1;'!')"), 0) << "appended at the end";
  EXPECT_EQ(Text("READ$('t.txt')"), "L1\r\nL2!");
  EXPECT_EQ(Text("READ$('t.txt';4;2)"), "L2");
  EXPECT_EQ(Text("READ$('missing.txt')"), "");
  EXPECT_EQ(Num("FN#FLEN('t.txt')"), 7);
  EXPECT_EQ(Num("FN#FLEN('missing.txt')"), 0);
  EXPECT_EQ(Eval("WRITE(;0;'x')"), kStSyntax) << "no destination";
  EXPECT_EQ(Eval("WRITE('t.txt';0)"), kStSyntax) << "exactly three arguments";

  ASSERT_EQ(Exec("S=FILESEL('t.txt';8)"), 0);
  const int64_t stream = Num("S");
  ASSERT_GE(stream, 3);
  EXPECT_EQ(Text("READ$(S;-1)"), "L1");
  EXPECT_EQ(Text("READ$(S;-1;0)"), "") << "not at the end yet";
  EXPECT_EQ(Text("READ$(S;-1)"), "L2!");
  EXPECT_EQ(Text("READ$(S;0;0)"), std::string(1, '\x1a'));
  EXPECT_EQ(Text("READ$(S;-1)"), "") << "the end is the empty text, no failure";
  EXPECT_EQ(Text("READ$(S;0)"), "L1") << "position 0 is the start of the file";
  EXPECT_EQ(Num("FILESEL(S)"), 0);
  EXPECT_EQ(Text("READ$(S;-1;0)"), "") << "a closed stream";
  EXPECT_EQ(Num("FILESEL('nofolder/x.txt';8)"), kFailed - kStLowFailure);

  ASSERT_EQ(Exec("S=FILESEL('w.txt';2)"), 0);
  const int64_t out = Num("S");
  ASSERT_GE(out, 3);
  EXPECT_EQ(Num("WRITE(S;-1;'ab')+WRITE(S;-1;'cd')"), 0);
  EXPECT_EQ(Num("WRITE(S;0;'X')"), 0);
  EXPECT_EQ(Num("FILESEL(S)"), 0);
  EXPECT_EQ(Get("w.txt"), "Xbcd");
}

TEST_F(RecordBuiltinsTest, ProcedureReadsAStreamToItsEndAndStoresEachLine) {
  Put("lines.txt", "C1;Ana\r\nC2;Bruno\r\nC1;Ana Maria\r\n");
  ASSERT_EQ(DataFileOpen(fx::kClientes, 8), 2);
  ASSERT_EQ(Exec("N=0"), 0);
  // Each line: the customer found or added, its name written with the hooked write.
  ASSERT_EQ(Run("S=FILESEL('lines.txt';8)\n"
                "DO_UNTIL READ$(S;-1;0)==FN$CHRS(26)\n"
                "L$=READ$(S;-1)\n"
                "FILEFIND(FN$PARM(L$;1;59);1;1;5)\n"
                "NAME{1}=FN$PARM(L$;2;59)\n"
                "RC_WRITE '1'\n"
                "N=N+1\n"
                "LOOP\n"
                "FILESEL(S)\n"
                "WRITE('count.txt';-3;'records: '+FN$CHRS(48+FN#FLEN('clientes')))\n"),
            kOk)
      << S(ErrIncidentText());
  EXPECT_EQ(Num("N"), 3);
  EXPECT_EQ(Get("count.txt"), "records: 2");
  ScratchScope scope;
  ASSERT_EQ(DataFileLocate(fx::kClientes, 1, StrOf("C1"), 0), 0);
  EXPECT_EQ(S(BufFieldText(fx::kClientes, 2, kBufCurrent)), "Ana Maria" + std::string(21, ' '));
  ASSERT_EQ(DataFileLocate(fx::kClientes, 1, StrOf("C2"), 0), 0);
  EXPECT_EQ(S(BufFieldText(fx::kClientes, 2, kBufCurrent)), "Bruno" + std::string(25, ' '));
}

TEST_F(RecordBuiltinsTest, WriteAndExecParameterFiles) {
  Put("p.dat", "A=5;C=2");
  EXPECT_EQ(Num("WRITE('p.dat';-2;\"A=1,B$='x'\")"), 0);
  EXPECT_EQ(Num("A"), 1);
  EXPECT_EQ(Text("B$"), "x");
  EXPECT_EQ(Num("C"), 2);
  ASSERT_EQ(Exec("A=9;C=9"), 0);
  EXPECT_EQ(Text("EXEC$('p.dat')"), "");
  EXPECT_EQ(Num("A"), 1) << "the file is executed again";
  EXPECT_EQ(Num("C"), 2);
  EXPECT_EQ(Eval("EXEC$('none.dat')"), kStFileNotFound);
}

TEST_F(RecordBuiltinsTest, ExecRunsAProcedureEntryThroughHook1) {
  Put("f.prx", "DEF_FN TOTAL\nX=3\nX*14\nEND\nDEF_FN NAME\n'abc'\n");
  EXPECT_EQ(Eval("EXEC$('f.prx';'TOTAL')"), kStNotAvailable) << "no procedure compiled yet";
  EXPECT_NE(S(ErrIncidentText()).find("EXEC$()"), std::string::npos);
  ASSERT_EQ(Run("Y=1\n"), kOk);
  const uint16_t depth = DynStrCount(sl::kReturnBuffer);
  EXPECT_EQ(Text("EXEC$('f.prx';'TOTAL')"), "42.00");
  EXPECT_EQ(Text("EXEC$('f.prx';'NAME')+'!'"), "abc!");
  EXPECT_EQ(DynStrCount(sl::kReturnBuffer), depth) << "the value is popped";
  EXPECT_EQ(Eval("EXEC$('f.prx';'NOSUCH')"), kStSyntax);
  EXPECT_EQ(DynStrCount(sl::kReturnBuffer), depth);
}

TEST_F(RecordBuiltinsTest, FileSelAndFileSelectApplyOpenStates) {
  EXPECT_EQ(Num("FILESEL('clientes')"), 0);
  EXPECT_EQ(DataFileCtrl(fx::kClientes).open_flags, 8) << "read-write and current";
  EXPECT_EQ(SysVarGet(kVarCurFil), fx::kClientes);
  EXPECT_EQ(Num("FILESEL('RESTORE')"), 0);
  EXPECT_EQ(DataFileCtrl(fx::kClientes).open_flags, 0);
  EXPECT_EQ(Num("FILESEL('nofile')"), kFailed - kStFileOpening);

  EXPECT_EQ(Run("FILESELECT 'params'\nR=FN#FLEN('params')\n"), kOk) << S(ErrIncidentText());
  EXPECT_EQ(Num("R"), 0);
  EXPECT_EQ(DataFileCtrl(fx::kParams).open_flags, 0) << "the run restored the open state";
  EXPECT_EQ(Run("FILESELECT 'nofile'\n"), kStFileOpening);
}

TEST_F(RecordBuiltinsTest, FileSelectDialogGoesThroughTheInstalledService) {
  EXPECT_EQ(Run("FILESELECT 3,0\n"), kStNotAvailable);
  DataSetFileDialog([](uint16_t kind, uint16_t flags, std::string* chosen) -> Status {
    if (kind == 9) return kStCancelled;
    *chosen = "K" + std::to_string(kind) + "F" + std::to_string(flags) + ".PRX";
    return kOk;
  });
  ASSERT_EQ(DynStrCount(sl::kReturnBuffer), 0);
  EXPECT_EQ(Run("FILESELECT 3,2\n"), kOk);
  EXPECT_EQ(S(DynStrTop(sl::kReturnBuffer)), "K3F2.PRX") << "pushed onto the empty list";
  EXPECT_EQ(Run("FILESELECT '4'\n"), kOk);
  EXPECT_EQ(DynStrCount(sl::kReturnBuffer), 1);
  EXPECT_EQ(S(DynStrTop(sl::kReturnBuffer)), "K4F0.PRX") << "the top element replaced";
  EXPECT_EQ(Run("FILESELECT 9,0\nX=1\n"), kStCancelled);
  EXPECT_EQ(S(DynStrTop(sl::kReturnBuffer)), "K4F0.PRX");
  // The statistics statements are served too: an unknown sub-command, and
  // steps without the window layer.
  EXPECT_EQ(Run("FILESCAN 'a','b','c','d','e'\n"), kStDataError);
  EXPECT_EQ(Run("STATSTEPS 'x'\n"), kStNotAvailable);
}

TEST(RecordBuiltinsStartTest, StartUpInstallsTheBuiltinsAndStatements) {
  CoreRuntimeReset();
  MemSetLimits(kArenaProgramKb, 0xFFFF);
  ASSERT_EQ(AppInitCore(kStartLineText, StrOf("\"/p/prog\""), nullptr), kOk);
  for (uint16_t n : {kFnFlen, kFnFileFind, kFnFileLocate, kFnFileSel, kFnRead, kFnWrite, kFnFlds, kFnKey,
                     kFnIer, kFnExec})
    EXPECT_TRUE(FnBuiltinInstalled(n)) << n;
  EXPECT_NE(ExecGetServices().struct_scope_restore, nullptr);
  ExecArgs args;
  EXPECT_EQ(ExecRunRecords(kExecRcUpdate, args), kStLowFailure) << "served by the data layer";
  FieldAccessInstall(nullptr);
  CoreRuntimeReset();
}

}  // namespace
}  // namespace eng::test
