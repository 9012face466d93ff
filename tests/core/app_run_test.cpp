// The run after start-up: INPUT lines, the RUN command, the main window
// through the window layer's services, its action handler and the close check.
#include "core/app_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app_verbs.h"
#include "core/cmd_line.h"
#include "core/dyn_strings.h"
#include "core/hooks.h"
#include "core/msg_box.h"
#include "core/obj_table.h"
#include "core/streams.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "platform/msgbox_headless.h"
#include "tests/support/exp_fixture.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

using plat::MsgAnswer;

std::vector<std::string> g_calls;
bool g_window = false;

Status FakeMainWindow(StrPair menu) {
  g_calls.push_back("main[" + menu.str() + "]");
  g_window = true;
  return 0;
}
bool FakeWindowOpen() { return g_window; }
Status FakeModalLoop() {
  g_calls.push_back("loop");
  return 0;
}
Status FakeScreenClose(int32_t which) {
  g_calls.push_back("close[" + std::to_string(which) + "]");
  return 0;
}

Status g_task_close = kStNotAvailable;
Status FakeTaskClose() { return g_task_close; }
Status g_menu_answer = kStNotAvailable;
Status FakeMenuCommand(StrPair command) {
  g_calls.push_back("menu[" + command.str() + "]");
  return g_menu_answer;
}

// An application's action callback: its check before every command refuses
// the second one (another program wrote the session state file).
int g_commands = 0;
Status CheckingCallback(uint32_t verb_and_status, StrPair rest) {
  if (++g_commands == 2) return kStNetwork;
  return AppVerbDispatch(verb_and_status, rest);
}

class AppRunTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_EQ(VarInitSystem(), kOk);
    MsgBoxSetService(&box_);
    g_calls.clear();
    g_window = false;
    g_task_close = kStNotAvailable;
    g_menu_answer = kStNotAvailable;
    ASSERT_LT(Eval("A=0;B=0;H=0;R=0").status, kStFirstError);
  }
  void TearDown() override {
    EXPECT_EQ(box_.pending(), 0u) << "answers left unused";
    TempFolderTest::TearDown();
  }
  static void CommandLine(const std::string& options) {
    ASSERT_EQ(CmdLineStore(StrOf("\"/opt/app/pelmora\" " + options)), kOk);
  }
  static void WindowLayer() {
    AppRunServices s;
    s.main_window = &FakeMainWindow;
    s.window_open = &FakeWindowOpen;
    s.modal_loop = &FakeModalLoop;
    s.screen_close = &FakeScreenClose;
    AppRunServicesSet(s);
  }
  static std::string Var(const std::string& name) {
    EvalResult r = Eval(name);
    return r.status == 0 && r.text.empty() ? "0" : r.text;
  }
  plat::HeadlessMsgBox box_{plat::HeadlessMsgBox::Mode::kScripted, nullptr};
};

TEST_F(AppRunTest, InputScriptStopsAtTheFirstFailingCommand) {
  WindowLayer();
  Put("in.txt", "ExpEval A=1,H=_INHND\r\n\r\nMenu x\r\nExpEval B=1\r\n");
  CommandLine("/INPUT:'in.txt'");
  box_.Queue(MsgAnswer::kOk);
  EXPECT_EQ(AppRunMenu(StrOf("P2MENU")), kStDataError);
  EXPECT_EQ(Var("A"), "1");
  EXPECT_EQ(Var("B"), "0");  // the third command did not run
  const int16_t stream = static_cast<int16_t>(std::stoi(Var("H")));
  EXPECT_GE(stream, 3);
  EXPECT_EQ(StrmHandle(static_cast<uint16_t>(stream)), nullptr);  // closed
  EXPECT_EQ(SysVarGet(kVarInHnd), 0);
  // The failure was shown as an error and no main window opened.
  ASSERT_EQ(box_.log().size(), 1u);
  EXPECT_EQ(box_.log()[0].kind, 3);
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(AppRunTest, InputLinesPassTheApplicationsActionCallback) {
  WindowLayer();
  g_commands = 0;
  AppSetActionCallback(&CheckingCallback);
  Put("in.txt", "ExpEval A=1\nExpEval B=1\nExpEval R=1\n");
  CommandLine("/INPUT:'in.txt'");
  box_.Queue(MsgAnswer::kOk);
  EXPECT_EQ(AppRunMenu(StrOf("P2MENU")), kStNetwork);
  EXPECT_EQ(g_commands, 2);
  EXPECT_EQ(Var("A"), "1");
  EXPECT_EQ(Var("B"), "0");
  EXPECT_EQ(Var("R"), "0");
  EXPECT_EQ(SysVarGet(kVarInHnd), 0);
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(AppRunTest, InputScriptThenMainWindowAndLoop) {
  WindowLayer();
  Put("in.txt", "ExpEval A=1\nExpEval B=A+1\n");
  CommandLine("/INPUT:'in.txt' /OUTPUT:'out.txt'");
  EXPECT_EQ(AppRunMenu(StrOf("P2MENU")), kOk);
  EXPECT_EQ(Var("B"), "2");
  EXPECT_EQ(SysVarGet(kVarOutHnd), 1);
  EXPECT_TRUE(SysVarHas(kVarScrStat, kScrStatMainWindow));
  EXPECT_FALSE(SysVarHas(kVarScrStat, kScrStatRunCommand));
  EXPECT_EQ(g_calls, (std::vector<std::string>{"main[P2MENU]", "loop"}));
  EXPECT_TRUE(box_.log().empty());
}

TEST_F(AppRunTest, InputLineBeyondTheLongestTextStopsTheScript) {
  // A line one byte past the longest text and a far longer one: neither is
  // skipped silently; the reading stops with 146 and the file is closed.
  for (size_t length : {kMaxText + 1, kMaxText + 5000}) {
    ASSERT_LT(Eval("A=0;B=0").status, kStFirstError);
    Put("in.txt", "ExpEval A=1\n" + std::string(length, 'x') + "\nExpEval B=1\n");
    CommandLine("/INPUT:'in.txt'");
    EXPECT_EQ(AppRunInputScript(), kStStringTooLong) << length;
    EXPECT_EQ(Var("A"), "1") << length;
    EXPECT_EQ(Var("B"), "0") << length;
    EXPECT_EQ(SysVarGet(kVarInHnd), 0) << length;
  }
}

// An INPUT file that was asked for and cannot be opened is no run without
// commands: its status and name are shown, and neither a command nor the
// main window follows.
TEST_F(AppRunTest, MissingInputFileStopsTheRunWithItsName) {
  WindowLayer();
  CommandLine("/INPUT:'nowhere.txt'");
  box_.Queue(MsgAnswer::kOk);
  EXPECT_EQ(AppRunMenu(StrOf("P2MENU")), kStFileNotFound);
  EXPECT_FALSE(Has("nowhere.txt"));  // never created
  ASSERT_EQ(box_.log().size(), 1u);
  EXPECT_EQ(box_.log()[0].text, "Error Fichero no encontrado(Streams): nowhere.txt");
  EXPECT_FALSE(SysVarHas(kVarScrStat, kScrStatMainWindow));
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(AppRunTest, NoInputFileAndNoWindowLayerReturns) {
  CommandLine("");
  EXPECT_EQ(AppRunMenu(StrOf("P2MENU")), kOk);
  EXPECT_EQ(SysVarGet(kVarOutHnd), 0);
  // Without a window layer no main window opens, and the run returns.
  EXPECT_FALSE(SysVarHas(kVarScrStat, kScrStatMainWindow));
  EXPECT_TRUE(box_.log().empty());
}

TEST_F(AppRunTest, RunOptionRunsItsCommandInsteadOfTheMainWindow) {
  WindowLayer();
  Put("in.txt", "ExpEval A=4\n");
  CommandLine("/INPUT:'in.txt' /RUN:'ExpEval R=A+1'");
  EXPECT_EQ(AppRunMenu(StrOf("P2MENU")), kOk);
  EXPECT_EQ(Var("R"), "5");  // after the INPUT lines
  EXPECT_TRUE(SysVarHas(kVarScrStat, kScrStatRunCommand));
  EXPECT_FALSE(SysVarHas(kVarScrStat, kScrStatMainWindow));
  EXPECT_TRUE(g_calls.empty());

  // A RUN command without a menu name runs too; its failure is shown and returned.
  CommandLine("/RUN:'PrcExec missing.prx'");
  box_.Queue(MsgAnswer::kOk);
  Status s = AppRunMenu(StrPair{});
  EXPECT_GE(s, kStFirstError);
  EXPECT_EQ(box_.log().size(), 1u);
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(AppRunTest, NoMenuAndNoRunGives163) {
  WindowLayer();
  Put("in.txt", "ExpEval A=1\n");
  CommandLine("/INPUT:'in.txt'");
  box_.Queue(MsgAnswer::kOk);
  EXPECT_EQ(AppRunMenu(StrPair{}), kStDataError);
  EXPECT_EQ(Var("A"), "0");  // nothing ran
  EXPECT_EQ(box_.log().size(), 1u);
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(AppRunTest, ConfirmCloseHearsTaskCloseFirst) {
  AppFunctions f;
  f.task_close = &FakeTaskClose;
  AppFunctionsSet(f);
  struct Case {
    const char* what;
    Status task_close;
    int screens;       // loaded screens (object table 4)
    bool quiet;        // _AUXSTAT bit 32
    MsgAnswer answer;  // to the question 0033, when it is asked
    int expect;
    const char* box;   // the text of the box shown ("" none)
  };
  const Case cases[] = {
      {"nothing to say, one screen, yes", kStNotAvailable, 1, false, MsgAnswer::kYes, 1,
       "Recuerde sus Copias de Seguridad"},
      {"nothing to say, one screen, no", kStNotAvailable, 1, false, MsgAnswer::kNo, 0,
       "Recuerde sus Copias de Seguridad"},
      {"nothing to say, two screens", kStNotAvailable, 2, false, MsgAnswer::kOk, 0,
       "Aun hay ventanas abiertas (2 Pantallas, 0 Ventanas)"},
      {"no objection, quiet close", kOk, 3, true, MsgAnswer::kFailed, 1, ""},
      {"nothing to say, quiet close", kStNotAvailable, 0, true, MsgAnswer::kFailed, 1, ""},
      {"an objection", 1, 0, true, MsgAnswer::kOk, 0, "Aun hay ventanas abiertas (1 Pantallas, 1 Ventanas)"},
      {"an objection of 5", 5, 0, false, MsgAnswer::kOk, 0, "Aun hay ventanas abiertas (5 Pantallas, 5 Ventanas)"},
  };
  for (const Case& c : cases) {
    g_task_close = c.task_close;
    ObjTableFree(kObjScreens);
    for (int i = 0; i < c.screens; ++i) ObjTableSet<int>(kObjScreens, static_cast<uint16_t>(i), i);
    SysVarSet(kVarAuxStat, c.quiet ? kAuxStatCloseQuiet : 0);
    box_.ClearLog();
    if (c.answer != MsgAnswer::kFailed) box_.Queue(c.answer);
    EXPECT_EQ(AppConfirmClose(), c.expect) << c.what;
    if (*c.box) {
      ASSERT_EQ(box_.log().size(), 1u) << c.what;
      EXPECT_EQ(box_.log()[0].text, c.box) << c.what;
    } else {
      EXPECT_TRUE(box_.log().empty()) << c.what;
    }
  }
}

TEST_F(AppRunTest, MainWindowActions) {
  WindowLayer();
  AppFunctions f;
  f.menu_command = &FakeMenuCommand;
  f.task_close = &FakeTaskClose;
  AppFunctionsSet(f);
  ASSERT_EQ(DynStrSet(sl::kMenuCommands, 3, StrOf("ExpEval A=9")), kOk);
  ASSERT_EQ(DynStrSet(sl::kMenuCommands, 4, StrOf("Menu LISTADO")), kOk);

  // A menu item the application leaves to the engine runs as a command.
  EXPECT_EQ(AppMainWinAction(kActMenuItem | (3 << 8)), kOk);
  EXPECT_EQ(Var("A"), "9");
  // One the application takes is not run, and its status comes back.
  g_menu_answer = 5;
  ASSERT_EQ(DynStrSet(sl::kMenuCommands, 3, StrOf("ExpEval A=1")), kOk);
  EXPECT_EQ(AppMainWinAction(kActMenuItem | (3 << 8)), 5);
  EXPECT_EQ(Var("A"), "9");
  EXPECT_TRUE(box_.log().empty());
  // A failing command is shown.
  g_menu_answer = kStNotAvailable;
  box_.Queue(MsgAnswer::kOk);
  EXPECT_EQ(AppMainWinAction(kActMenuItem | (4 << 8)), kStDataError);
  ASSERT_EQ(box_.log().size(), 1u);
  EXPECT_EQ(box_.log()[0].kind, 3);

  // A close request that is agreed closes the current window.
  g_calls.clear();
  box_.ClearLog();
  box_.Queue(MsgAnswer::kYes);
  EXPECT_EQ(AppMainWinAction(kActCloseRequest), 1);
  box_.Queue(MsgAnswer::kNo);
  EXPECT_EQ(AppMainWinAction(kActCloseRequest), 0);
  EXPECT_EQ(g_calls, std::vector<std::string>{"close[-1]"});
  // With a second screen loaded the close is refused and nothing closes.
  ObjTableSet<int>(kObjScreens, 0, 0);
  ObjTableSet<int>(kObjScreens, 1, 1);
  box_.ClearLog();
  box_.Queue(MsgAnswer::kOk);
  EXPECT_EQ(AppMainWinAction(kActCloseRequest), 0);
  EXPECT_EQ(g_calls, std::vector<std::string>{"close[-1]"});
  ASSERT_EQ(box_.log().size(), 1u);
  EXPECT_EQ(box_.log()[0].text, "Aun hay ventanas abiertas (2 Pantallas, 0 Ventanas)");
  ObjTableFree(kObjScreens);
  // Help without a help index says so and answers 0.
  box_.Queue(MsgAnswer::kOk);
  EXPECT_EQ(AppMainWinAction(kActHelp), kOk);
  // Other classes are not handled here.
  EXPECT_EQ(AppMainWinAction(40), kStDataError);
  EXPECT_EQ(box_.log().size(), 2u);
}

}  // namespace
}  // namespace eng::test
