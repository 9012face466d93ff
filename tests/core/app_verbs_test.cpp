// Commands: parsing verbs, the action callback, the default dispatcher and
// its per-verb services, PrcExec patterns with the chooser, command lists and
// the STEPS$ window hook.
#include "core/app_verbs.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/help.h"
#include "core/module_parms.h"
#include "core/msg_box.h"
#include "core/string_lists.h"
#include "core/var_store.h"
#include "platform/msgbox_headless.h"
#include "tests/support/exp_fixture.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

namespace fs = std::filesystem;

struct Offer {
  std::string title;
  std::string items;
  uint16_t mode;
};
std::deque<uint16_t> g_choices;
std::vector<Offer> g_offers;
int g_closed = 0;

uint16_t FakeChoose(StrPair title, StrPair items, uint16_t mode) {
  g_offers.push_back({title.str(), items.str(), mode});
  if (g_choices.empty()) return 0;
  uint16_t c = g_choices.front();
  g_choices.pop_front();
  return c;
}
void FakeClose() { ++g_closed; }

std::vector<std::string> g_served;
Status FakeReport(StrPair argument) {
  g_served.push_back("Report[" + argument.str() + "]");
  return 7;
}
Status FakeFont(StrPair) {
  g_served.push_back("FontSet");
  return 0;
}

std::vector<std::string> g_callback;
Status RecordingCallback(uint32_t verb_and_status, StrPair rest) {
  g_callback.push_back(std::to_string(AppVerbOf(verb_and_status)) + "/" +
                       std::to_string(AppParseStatusOf(verb_and_status)) + "/" + rest.str());
  return 9;
}

std::vector<std::string> g_viewed;
Status FakeViewer(StrPair file, uint16_t) {
  g_viewed.push_back(file.str());
  return 0;
}

std::vector<std::string> g_exits;
Status FakeCloseOnExit(uint16_t action, Status status, uint16_t flags) {
  g_exits.push_back(std::to_string(action) + "/" + std::to_string(status) + "/" + std::to_string(flags));
  return 77;
}

class AppVerbsTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_EQ(VarInitSystem(), kOk);
    MsgBoxSetService(&box_);
    g_choices.clear();
    g_offers.clear();
    g_closed = 0;
    g_served.clear();
    g_callback.clear();
    g_viewed.clear();
    g_exits.clear();
  }
  static std::string Var(const std::string& name) {
    EvalResult r = Eval(name);
    return r.status == 0 && r.text.empty() ? "0" : r.text;
  }
  static std::string Incident() { return S(ErrIncidentText()); }
  static Status Dispatch(const std::string& command) {
    ScratchScope scope;
    AppCommand c = AppParseVerb(StrOf(command));
    return AppVerbDispatch(c.verb_and_status, c.rest);
  }
  plat::HeadlessMsgBox box_{plat::HeadlessMsgBox::Mode::kScripted, nullptr};
};

TEST_F(AppVerbsTest, ParsesVerbAndRest) {
  struct Case {
    const char* command;
    uint16_t verb;
    Status status;
    const char* rest;
  };
  const Case cases[] = {
      {"Report,a", kVerbReport, kOk, "a"},
      {"Report a", kVerbReport, kOk, "a"},
      {"Report a,b", kVerbReport, kOk, "a,b"},             // commas stay in the rest
      {"Report,a b", kVerbNone, kStDataError, ""},        // the blank separates: verb "Report,a"
      {"Report 'a b',c", kVerbReport, kOk, "'a b',c"},
      {"PrcExec,'x y.prx'", kVerbPrcExec, kOk, "'x y.prx'"},  // a quoted blank does not separate
      {"report x", kVerbNone, kStDataError, ""},          // case counts
      {"EXPEVAL A=1", kVerbNone, kStDataError, ""},
      {"Help", kVerbHelp, kOk, ""},
      {"ExpEval", kVerbExpEval, kOk, ""},
      {"Copy 1", kVerbCopy, kOk, "1"},
      {"  PrcExec demo.prx \r", kVerbPrcExec, kOk, "demo.prx"},
      {"ExpEval[3-2] ", kVerbNone, kStDataError, ""},     // "ExpEval1"
      {"PrcExec [2+3].prx", kVerbPrcExec, kOk, "5.prx"},  // macros expand first
      {"", kVerbNone, kStDataError, ""},
      {"Nada", kVerbNone, kStDataError, ""},
  };
  for (const Case& c : cases) {
    ScratchScope scope;
    AppCommand p = AppParseVerb(StrOf(c.command));
    EXPECT_EQ(AppVerbOf(p.verb_and_status), c.verb) << c.command;
    EXPECT_EQ(AppParseStatusOf(p.verb_and_status), c.status) << c.command;
    EXPECT_EQ(S(p.rest), c.rest) << c.command;
  }
  // Every verb of the table parses to its own number.
  for (uint16_t n = 1; n <= kAppVerbCount; ++n) {
    ScratchScope scope;
    std::string command = std::string(AppVerbs[n - 1]) + " x";
    EXPECT_EQ(AppParseVerb(StrOf(command)).verb_and_status, AppVerbWord(n, kOk)) << command;
  }
}

TEST_F(AppVerbsTest, UnservedVerbsAndFailedParsesGive163WithMessage0031) {
  const char* commands[] = {"report x", "Menu x",     "Accept x",     "MantMain x", "MantAuto x", "MantMovs x",
                            "LnManMain x", "LnNavMain x", "Perform x", "WizzSelect x", "AcceptRun CLI,1",
                            "Report LIST", "Reorg",       "Copy 0",     "FileTrans T1"};
  for (const char* command : commands) {
    ErrIncident(0, StrPair{}, false);
    EXPECT_EQ(Dispatch(command), kStDataError) << command;
    EXPECT_EQ(Incident(), "Proceso no definido") << command;
  }
  // A verb number beyond the table.
  EXPECT_EQ(AppVerbDispatch(AppVerbWord(20, kOk), StrPair{}), kStDataError);
}

TEST_F(AppVerbsTest, HigherLayersPlugInTheirVerbs) {
  EXPECT_EQ(Dispatch("FontSet"), kOk);  // no font dialog yet: nothing happens
  EXPECT_EQ(AppVerbServiceSet(kVerbReport, &FakeReport), kOk);
  EXPECT_EQ(AppVerbServiceSet(kVerbFontSet, &FakeFont), kOk);
  // Verbs the dispatcher never serves cannot be given a service.
  EXPECT_EQ(AppVerbServiceSet(kVerbMenu, &FakeReport), kStDataError);
  EXPECT_EQ(AppVerbServiceSet(kVerbPrcExec, &FakeReport), kStDataError);
  EXPECT_EQ(AppVerbServiceSet(0, &FakeReport), kStDataError);
  EXPECT_EQ(AppVerbServiceSet(20, &FakeReport), kStDataError);

  EXPECT_EQ(Dispatch("Report,LISTADO"), 7);
  EXPECT_EQ(Dispatch("FontSet whatever"), kOk);
  EXPECT_EQ(Dispatch("Menu x"), kStDataError);
  EXPECT_EQ(g_served, (std::vector<std::string>{"Report[LISTADO]", "FontSet"}));

  EXPECT_EQ(AppVerbServiceSet(kVerbReport, nullptr), kOk);
  EXPECT_EQ(Dispatch("Report,LISTADO"), kStDataError);
}

TEST_F(AppVerbsTest, ExpEvalAndHelp) {
  EXPECT_EQ(Dispatch("ExpEval A=2,B$='x y'"), kOk);
  EXPECT_EQ(Var("A"), "2");
  EXPECT_EQ(Var("B$"), "x y");
  EXPECT_GE(Dispatch("ExpEval A=(1"), kStFirstError);

  DynStrSet(sl::kSettings, sl::kIdentity, StrOf("KDTEST01:Demo"));
  DynStrSet(sl::kSettings, sl::kLanguage, StrOf("ES"));
  HelpSetViewer(&FakeViewer);
  // No argument: the help opens; any argument: the About box.
  EXPECT_EQ(Dispatch("Help"), kOk);
  ASSERT_EQ(g_viewed.size(), 1u);
  EXPECT_NE(g_viewed[0].find("Demo"), std::string::npos);
  EXPECT_TRUE(box_.log().empty());
  box_.Queue(plat::MsgAnswer::kOk);
  EXPECT_EQ(Dispatch("Help x"), kOk);
  EXPECT_EQ(g_viewed.size(), 1u);
  ASSERT_EQ(box_.log().size(), 1u);
  EXPECT_EQ(box_.log()[0].caption, "Acerca de");
}

TEST_F(AppVerbsTest, RunCommandInstallsTheDefaultOnlyWhenNoCallbackIs) {
  EXPECT_EQ(AppGetActionCallback(), nullptr);
  EXPECT_EQ(AppRunCommand(StrOf("ExpEval A=3"), &AppVerbDispatch), kOk);
  EXPECT_EQ(Var("A"), "3");
  EXPECT_EQ(AppGetActionCallback(), &AppVerbDispatch);

  // An installed callback takes every command, the failed parse too, and
  // the default given later is not used.
  AppSetActionCallback(&RecordingCallback);
  EXPECT_EQ(AppRunCommand(StrOf("Report,a"), &AppVerbDispatch), 9);
  EXPECT_EQ(AppRunCommand(StrOf("nada que ver"), &AppVerbDispatch), 9);
  EXPECT_EQ(g_callback, (std::vector<std::string>{"11/0/a", "0/163/"}));
}

TEST_F(AppVerbsTest, AddDefaultVerb) {
  ScratchScope scope;
  EXPECT_EQ(S(AppAddDefaultVerb(StrOf("PrcExec x.prx"), kVerbAcceptRun)), "PrcExec x.prx");
  EXPECT_EQ(S(AppAddDefaultVerb(StrOf("CLI,2,,,,,8"), kVerbAcceptRun)), "AcceptRun CLI,2,,,,,8");
  EXPECT_EQ(S(AppAddDefaultVerb(StrOf("prcexec x"), kVerbExpEval)), "ExpEval prcexec x");
}

TEST_F(AppVerbsTest, CommandListStopsAtASkippedVerb) {
  ScratchScope scope;
  ASSERT_LT(Eval("C=0;G=0").status, kStFirstError);
  const std::string skip(1, char(kVerbCopy));
  uint16_t position = 0;
  EXPECT_EQ(AppRunCommandList(StrOf("'ExpEval A=1','Copy 0','ExpEval C=1'"), &position, StrOf(skip)),
            kAppVerbSkipped);
  EXPECT_EQ(position, 2);
  EXPECT_EQ(Var("A"), "1");
  EXPECT_EQ(Var("C"), "0");

  // Items are text expressions; a start position skips the first ones.
  position = 2;
  EXPECT_EQ(AppRunCommandList(StrOf("'ExpEval D=1','ExpEval D=D+'+'5','ExpEval E=7'"), &position, StrPair{}), kOk);
  EXPECT_EQ(Var("D"), "5");
  EXPECT_EQ(Var("E"), "7");
  EXPECT_EQ(position, 3);

  // A command that does not parse ends the list with 163; commands bypass the
  // installed action callback.
  AppSetActionCallback(&RecordingCallback);
  position = 0;
  EXPECT_EQ(AppRunCommandList(StrOf("'ExpEval F=1','Nada','ExpEval G=1'"), &position, StrPair{}), kStDataError);
  EXPECT_EQ(position, 2);
  EXPECT_EQ(Var("F"), "1");
  EXPECT_EQ(Var("G"), "0");
  EXPECT_TRUE(g_callback.empty());

  // The arena is back at its mark after a long list.
  const uint16_t mark = ScratchMark(-1);
  std::string list;
  for (int i = 0; i < 600; ++i) list += (i ? "," : "") + std::string("'ExpEval H=H+1'");
  EXPECT_EQ(AppRunCommandList(StrOf(list), nullptr, StrPair{}), kOk);
  EXPECT_EQ(Var("H"), "600");
  EXPECT_EQ(ScratchMark(-1), mark);
  EXPECT_EQ(AppRunCommandList(StrPair{}, nullptr, StrPair{}), kOk);
}

TEST_F(AppVerbsTest, PrcExecRunsProceduresAndPatterns) {
  ASSERT_LT(Eval("R=0").status, kStFirstError);
  Put("one.prx", "R=R+1\n");
  EXPECT_EQ(Dispatch("PrcExec one.prx"), kOk);
  EXPECT_EQ(Var("R"), "1");
  EXPECT_NE(Dispatch("PrcExec missing.prx"), kOk);

  // No file matches: 164 with message 0031.
  ErrIncident(0, StrPair{}, false);
  AppChooserSet(&FakeChoose, &FakeClose);
  EXPECT_EQ(Dispatch("PrcExec *.zzz"), kStFileNotFound);
  EXPECT_EQ(Incident(), "Proceso no definido");
  EXPECT_TRUE(g_offers.empty());

  // Cancelled at once: 0, nothing run.
  fs::create_directories("procs");
  Put("procs/a.prx", ";Sumar uno\nR=R+1\n");
  Put("procs/b.prx", "R=R+10\nX=1/(\n");
  fs::create_directories("procs/dir.prx");  // a folder is no procedure
  DynStrSet(sl::kSettings, sl::kAppFolder, StrOf(dir_.string() + "/procs"));
  EXPECT_EQ(Dispatch("PrcExec *.prx"), kOk);
  ASSERT_EQ(g_offers.size(), 1u);
  EXPECT_EQ(g_offers[0].title, "Selecci\xf3n de Fichero");
  EXPECT_EQ(g_offers[0].mode, 3);
  EXPECT_EQ(g_offers[0].items, "'Sumar uno','" + dir_.string() + "/procs/b.prx'");
  EXPECT_EQ(g_closed, 0);
  EXPECT_EQ(Var("R"), "1");

  // Choices run until one fails: a, a, b (fails), and the chooser is not asked again.
  g_offers.clear();
  g_choices = {1, 1, 2, 1};
  Status s = Dispatch("PrcExec *.PRX");
  EXPECT_GE(s, kStFirstError);
  EXPECT_EQ(g_offers.size(), 3u);
  EXPECT_EQ(g_closed, 3);
  EXPECT_EQ(Var("R"), "13");

  // Without a chooser the choice counts as cancelled.
  AppChooserSet(nullptr, nullptr);
  EXPECT_EQ(Dispatch("PrcExec *.prx"), kOk);
  EXPECT_EQ(Var("R"), "13");
}

TEST_F(AppVerbsTest, StepsHookRunsStepsOnConfirmation) {
  ASSERT_LT(Eval("S=0").status, kStFirstError);
  ASSERT_EQ(DynStrPush(sl::kModuleParms, StrOf("COND$:='X>1':STEPS$:=\"'ExpEval S=S+1','ExpEval T=2'\"")), kOk);
  EXPECT_EQ(AppAcceptStepsHook(25), kOk);
  EXPECT_EQ(S(DynStrGet(sl::kWork, sl::kAcceptCondition)), "X>1");
  EXPECT_EQ(Var("S"), "1");
  EXPECT_EQ(Var("T"), "2");
  // Other actions run nothing: a close request answers 4, anything else 24.
  EXPECT_EQ(AppAcceptStepsHook(28), 4);
  EXPECT_EQ(AppAcceptStepsHook(3), 24);
  EXPECT_EQ(Var("S"), "1");

  // A failing step is the confirmation's answer; the window layer's exit step
  // gets the action, the status and flag 16.
  ASSERT_EQ(DynStrPush(sl::kModuleParms, StrOf("STEPS$:=\"'Nada'\"")), kOk);
  EXPECT_EQ(AppAcceptStepsHook(25), kStDataError);
  AppScreenServicesSet(nullptr, &FakeCloseOnExit);
  EXPECT_EQ(AppAcceptStepsHook(25), 77);
  EXPECT_EQ(AppAcceptStepsHook(28), 77);
  EXPECT_EQ(g_exits, (std::vector<std::string>{"25/163/16", "28/0/16"}));
}

StrPair FakeScreenDef() { return StrOf("WINNAME$:='Clientes'"); }

TEST_F(AppVerbsTest, MantAuxParameterFileAndStack) {
  ASSERT_LT(Eval("P$='uno'").status, kStFirstError);
  ASSERT_EQ(DynStrPush(sl::kModuleParms, StrOf("PARM_FILE$:='p.dat':PARM_FILE_WRITE$:='P$'")), kOk);
  EXPECT_EQ(Dispatch("MantAux 0"), kOk);
  EXPECT_EQ(Get("p.dat").find("P$='uno'") != std::string::npos, true) << Get("p.dat");

  // "1,1" pushes the current screen's definition; "1" pops.
  const uint16_t depth = DynStrCount(sl::kModuleParms);
  EXPECT_EQ(Dispatch("MantAux 1,1"), kStDataError);  // no screen yet
  AppScreenServicesSet(&FakeScreenDef, nullptr);
  EXPECT_EQ(Dispatch("MantAux 1,1"), kOk);
  EXPECT_EQ(DynStrCount(sl::kModuleParms), depth + 1);
  EXPECT_EQ(S(DynStrTop(sl::kModuleParms)), "WINNAME$:='Clientes'");
  EXPECT_EQ(Dispatch("MantAux 1"), kOk);
  EXPECT_EQ(DynStrCount(sl::kModuleParms), depth);
  EXPECT_EQ(Dispatch("MantAux 2"), kStDataError);

  // Without both parameters nothing is written.
  ASSERT_EQ(DynStrPush(sl::kModuleParms, StrOf("PARM_FILE$:='q.dat'")), kOk);
  EXPECT_EQ(Dispatch("MantAux,0"), kOk);
  EXPECT_FALSE(Has("q.dat"));
}

}  // namespace
}  // namespace eng::test
