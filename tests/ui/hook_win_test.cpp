// Hook windows and the accept verbs on the customer screen: which hook a
// window's parameters select, the window answering its hook on Ok and on
// its close box, the parameter file rewritten on confirmation and by the
// verb MantAux, windows that cannot run leaving nothing behind, and the verb
// runner of field windows.
#include <string>
#include <vector>

#include "core/app_run.h"
#include "core/app_verbs.h"
#include "core/cmd_line.h"
#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/exp_parm_file.h"
#include "core/hooks.h"
#include "core/module_parms.h"
#include "tests/ui/maint_win_fixture.h"
#include "ui/accept_win.h"
#include "ui/hook_win.h"
#include "ui/maint_parm.h"
#include "ui/screen_actions.h"
#include "ui/ui_install.h"

namespace eng::test {
namespace {

std::vector<uint16_t> g_hook_calls;

// A window hook as the applications write them: a confirmation closes the
// window, every action ends in the common exit.
Status RecordingHook(uint16_t action) {
  g_hook_calls.push_back(action);
  return ScreenCloseOnExit(action & 0xFF, 8, 0);
}

class HookWinTest : public MaintWinTest {
 protected:
  void SetUp() override {
    MaintWinTest::SetUp();
    g_hook_calls.clear();
    UiInstallServices(&d.ws());
    const std::vector<std::string> common = {"FD$:=\"CODE,NAME,CITY,BAL\"",
                                              "FILEDEF$:=\"CODE{1},NAME{1},CITY{1},BAL{1}\""};
    const std::vector<std::vector<std::string>> extra = {
        {"PRCNAME$:=\"X\""},                                                    // 8: hook 6
        {"PARM_FILE$:=\"PARAMS.PRC\"", "PARM_FILE_WRITE$:=\"VECES=VECES+1\""},  // 9: hook 4
        {},                                                                     // 10: no hook
        {"PARM_FILE$:=\"MALO.PRC\""},                                           // 11: a bad file
        {"ACCEPT_PRC%:=9", "STEPS$:=\"A\""},                                    // 12
        {"STEPS$:=\"A\"", "PRCNAME$:=\"B\""},                                   // 13
        {"PARM_FILE$:=\"P.PRC\""},                                              // 14
    };
    for (size_t i = 0; i < extra.size(); ++i) {
      std::vector<std::string> ppn = common;
      ppn.insert(ppn.end(), extra[i].begin(), extra[i].end());
      const int n = static_cast<int>(8 + i);
      ScreenTest::Def("CLI.PPN", n, ppn);
      ScreenTest::Def("CLI.PAN", n, {FieldLine(2, 12, 1, 1, 6, 'A'), FieldLine(3, 12, 1, 2, 30, 'A'),
                                     FieldLine(4, 12, 1, 3, 20, 'A'), FieldLine(5, 12, 1, 4, 10, 'N')});
    }
    HookSetFn(&RecordingHook, kHookPrcName);
    HookSetFn(&MantParmCloseHook, kHookParmFile);
    Put("PARAMS.PRC", "VECES=1;TASA=5");
    Put("MALO.PRC", "VECES=(1");
    Seed({kC001});
  }
  // The hook window of definition n, run as the field windows' verbs run it.
  Status RunHookWindow(int n) {
    const int records = ScreenCounterGet(kWinCount);
    Status s = MantAcceptRun(StrOf("CLI," + std::to_string(n) + ",60,12,1"), kMantHookFlags, kAcceptHookSelector);
    mant = WinTop();
    opened_records = ScreenCounterGet(kWinCount) - records;
    return s;
  }
  // Runs the script in the hook window until the window is gone.
  void RunToClose(const std::string& script) {
    d.Run(script);
    WinModalLoop(mant);
    EXPECT_EQ(stall, "");
    EXPECT_TRUE(d.input().failures().empty()) << ::testing::PrintToString(d.input().failures());
  }
  int opened_records = 0;
};

TEST_F(HookWinTest, HookSelectionByTheScreensParameters) {
  struct Case {
    int definition;
    uint16_t selector;
    uint16_t slot;
  } cases[] = {
      {12, kAcceptHookSelector, 9},  // ACCEPT_PRC% before everything
      {13, kAcceptHookSelector, kHookSteps},
      {14, kAcceptHookSelector, kHookParmFile},
      {10, kAcceptHookSelector, kHookNone},
      {10, kHookPrcName, kHookPrcName},  // a selector is the slot itself
  };
  for (const Case& c : cases) {
    plat::Hwnd h = WinCreateKind(2, 0, StrOf("T"), 0, 60, 12, {});
    ASSERT_EQ(ScreenOpen(StrOf("CLI"), StrOf(""), c.definition, 60, 12, 1, StrOf("")), kOk);
    EXPECT_EQ(MantHookSelect(c.selector), c.slot) << "definition " << c.definition;
    ScreenClose(-1);
    WinDestroy(h);
  }
}

TEST_F(HookWinTest, OkAnswersTheHookAndTheWindowGoesWithItsRecord) {
  const int records = ScreenCounterGet(kWinCount);
  ASSERT_EQ(RunHookWindow(8), kOk);
  ASSERT_NE(mant, root);
  EXPECT_EQ(opened_records, 1);
  EXPECT_TRUE(d.ws().IsWindow(d.ws().FindChild(mant, kIdOk)));
  EXPECT_TRUE(g_hook_calls.empty());
  Drive("type \"C009\"\nclick id=3100\n");
  EXPECT_FALSE(WindowOpen());
  EXPECT_EQ(g_hook_calls, (std::vector<uint16_t>{25, 28}));
  EXPECT_EQ(ScreenCounterGet(kWinCount), records);
}

TEST_F(HookWinTest, ScriptLineAnswersTheHookWindowItOpened) {
  // The AcceptRun command opens the hook window; the next line fills it,
  // confirms it and closes it; the script then goes on to its end.
  Put("in.txt", "AcceptRun CLI,8,60,12,1\r\n'C009','NUEVO'\r\nExpEval _USER03=5\r\n");
  ASSERT_EQ(CmdLineStore(StrOf("\"/opt/app/pelmora\" /INPUT:'in.txt'")), kOk);
  const int records = ScreenCounterGet(kWinCount);
  EXPECT_EQ(AppRunInputScript(), kOk);
  EXPECT_EQ(stall, "");
  EXPECT_EQ(g_hook_calls, (std::vector<uint16_t>{25, 28}));
  EXPECT_EQ(WinTop(), root);
  EXPECT_EQ(ScreenCounterGet(kWinCount), records);
  EXPECT_EQ(SysVarGet(kVarUser03), 5) << "the script went on";
}

TEST_F(HookWinTest, CloseBoxClosesTheWindowRecordThroughTheHook) {
  const int records = ScreenCounterGet(kWinCount);
  ASSERT_EQ(RunHookWindow(8), kOk);
  Drive("close\n");
  EXPECT_FALSE(WindowOpen());
  EXPECT_EQ(g_hook_calls, (std::vector<uint16_t>{28}));
  EXPECT_EQ(ScreenCounterGet(kWinCount), records);
}

TEST_F(HookWinTest, ParameterWindowRewritesItsFileOnlyWhenConfirmed) {
  ASSERT_EQ(RunHookWindow(9), kOk);
  RunToClose("close\n");
  EXPECT_EQ(Get("PARAMS.PRC"), "VECES=1;TASA=5") << "closed without Ok: nothing written";
  ASSERT_EQ(RunHookWindow(9), kOk);
  RunToClose("click id=3100\n");
  EXPECT_FALSE(WindowOpen());
  EXPECT_EQ(Get("PARAMS.PRC"), "VECES=2;TASA=5");
}

TEST_F(HookWinTest, WindowsThatCannotRunLeaveNothingBehind) {
  struct Case {
    int definition;
    Status status;
    const char* incident;
  } cases[] = {
      {10, kStDataError, "ACCEPT_PRC%"},  // no parameter names a hook
      {11, 0, nullptr},                   // the parameter file does not load: its own status
  };
  for (const Case& c : cases) {
    const int records = ScreenCounterGet(kWinCount);
    ErrIncident(kOk, StrOf(""), false);
    const Status s = RunHookWindow(c.definition);
    if (c.incident) {
      EXPECT_EQ(s, c.status);
      EXPECT_EQ(ErrIncidentText().str(), c.incident);
    } else {
      EXPECT_GE(s, kStFirstWarning) << "definition " << c.definition;
    }
    EXPECT_EQ(WinTop(), root) << "definition " << c.definition;
    EXPECT_EQ(ScreenCounterGet(kWinCount), records);
    EXPECT_TRUE(g_hook_calls.empty());
  }
  // An empty hook slot counts as no hook.
  HookSetFn<HookActionFn>(nullptr, kHookPrcName);
  EXPECT_EQ(RunHookWindow(8), kStDataError);
  EXPECT_EQ(WinTop(), root);
}

TEST_F(HookWinTest, MantAuxWritesTheParameterFileOfTheCurrentScreen) {
  plat::Hwnd h = WinCreateKind(2, 0, StrOf("T"), 0, 60, 12, {});
  ASSERT_EQ(ScreenOpen(StrOf("CLI"), StrOf(""), 9, 60, 12, 1, StrOf("")), kOk);
  ASSERT_EQ(ExpLoadParmFile(StrOf("PARAMS.PRC"), 1), kOk);
  EXPECT_EQ(AppVerbDispatch(AppVerbWord(kVerbMantAux, kOk), StrOf("0")), kOk);
  EXPECT_EQ(Get("PARAMS.PRC"), "VECES=2;TASA=5");
  ScreenClose(-1);
  WinDestroy(h);
  // A screen without the two parameters writes nothing.
  h = WinCreateKind(2, 0, StrOf("T"), 0, 60, 12, {});
  ASSERT_EQ(ScreenOpen(StrOf("CLI"), StrOf(""), 14, 60, 12, 1, StrOf("")), kOk);
  EXPECT_EQ(AppVerbDispatch(AppVerbWord(kVerbMantAux, kOk), StrOf("0")), kOk);
  EXPECT_FALSE(Has("P.PRC"));
  EXPECT_EQ(AppVerbDispatch(AppVerbWord(kVerbMantAux, kOk), StrOf("2")), kStDataError);
  ScreenClose(-1);
  WinDestroy(h);
}

TEST_F(HookWinTest, VerbRunnerByVerb) {
  ASSERT_EQ(ExpExecute(StrOf("A=0")), kOk);
  ASSERT_EQ(ExpExecute(StrOf("B=5")), kOk);
  EXPECT_EQ(MantRunVerb(0, StrOf("ExpEval A=1,B=2"), kVerbAcceptRun), kOk);
  EXPECT_EQ(ExpEvalStr(StrOf("A")).str(), "1");
  EXPECT_EQ(ExpEvalStr(StrOf("B")).str(), "5") << "only item 1 runs";
  EXPECT_EQ(MantRunVerb(0, StrOf("Report LISTADO"), kVerbAcceptRun), kStSyntax);
  // A line without a verb runs as AcceptRun: here a hook window opens.
  EXPECT_EQ(MantRunVerb(0, StrOf("CLI,8,60,12,1"), kVerbAcceptRun), kOk);
  EXPECT_NE(WinTop(), root);
}

TEST_F(HookWinTest, AcceptVerbsCheckTheAlarmOfTheFieldTheyRunFor) {
  // Definition 6 refuses a negative balance (field 4); the cursor stands on
  // CODE, which has no alarm: the field asked for is the one checked.
  ASSERT_EQ(Open("CLI,6,60,12,1"), kOk);
  ASSERT_EQ(ScreenFieldStore(118, 4, StrOf("-5")), kOk);
  SysVarSet(kVarCurEdFld, 1);
  EXPECT_EQ(MantRunVerb(4, StrOf("AcceptRun CLI,8,60,12,1"), kVerbAcceptRun), kStBadData);
  EXPECT_EQ(WinTop(), mant) << "no window opened";
  EXPECT_EQ(MantRunVerb(1, StrOf("AcceptRun CLI,8,60,12,1"), kVerbAcceptRun), kOk);
  EXPECT_NE(WinTop(), mant);
}

}  // namespace
}  // namespace eng::test
