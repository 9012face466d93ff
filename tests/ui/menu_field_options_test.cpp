// The field option menu of the help key on a screen field: which options it
// offers, which command it runs for HELP$ and the field's WINDOWS$ entries,
// the built-in calculator writing its value back, and the help that cannot
// be shown.
#include <string>
#include <vector>

#include "core/hooks.h"
#include "core/streams.h"
#include "core/sys_vars.h"
#include "tests/ui/screen_fixture.h"
#include "data/maint_services.h"
#include "data/record_statements.h"
#include "data/stat_steps.h"
#include "ui/accept_win.h"
#include "ui/action_codes.h"
#include "ui/field_controls.h"
#include "ui/field_values.h"
#include "ui/menu_field_options.h"
#include "ui/popup_install.h"
#include "ui/screen_actions.h"
#include "ui/screen_dispatch.h"

namespace eng::test {
namespace {

std::vector<std::string> g_runs;

Status RecordAccept(StrPair argument, std::string* last) {
  g_runs.push_back("accept " + argument.str());
  *last = "'12.5'";
  return kOk;
}
Status RecordVerb(int field, StrPair command) {
  g_runs.push_back("verb " + std::to_string(field) + " " + command.str());
  return kOk;
}

class FieldOptionsTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    g_runs.clear();
    ScreenFieldOptionServicesSet(&RecordAccept, &RecordVerb);
  }
  // A form of three fields with the parameters, in definition files of its
  // own; field 3 current.
  void Form(const std::string& help, const std::string& windows) {
    const std::string name = "F" + std::to_string(++forms_);
    Def(name + ".PAN", 1, {FieldLine(2, 12, 0, 0, 6, 'A'), FieldLine(3, 12, 0, 0, 20, 'A'), FieldLine(4, 12, 0, 0, 8, 'A')});
    std::vector<std::string> parms = {"FD$:=\"CODIGO,NOMBRE,PESO\""};
    if (!help.empty()) parms.push_back("HELP$:=\"" + help + "\"");
    if (!windows.empty()) parms.push_back("WINDOWS$:=\",,'" + windows + "'\"");
    Def(name + ".PPN", 1, parms);
    WinDefRecord r = WinDefParse(StrOf(name + ",1,40,8"));
    form = WinCreateKind(5, 0, StrOf(""), 0, r.columns, r.rows, &ScreenDialogProc);
    ASSERT_EQ(ScreenOpen(StrOf(r.file), StrOf(r.key), r.number, r.columns, r.rows, 0, StrOf("")), kOk);
    ASSERT_EQ(ScreenSetWin(0), kOk);
    ScreenActionSet([](uint16_t) -> Status { return kOk; }, nullptr, nullptr);
    d.ws().Show(form, plat::ShowCmd::kShow);
    d.ws().Activate(form);
    ScreenWinGet(-1)->current_field = 3;
  }
  // The items of the popup menu shown last.
  std::vector<std::string> LastPopup() {
    std::vector<std::string> out;
    const plat::Menu* m = d.ws().MenuRec(d.ws().MenuCreate() - 1);
    if (m)
      for (const plat::MenuItem& it : m->items) out.push_back(it.text);
    return out;
  }
  static std::string Trimmed(int field) {
    std::string v = ScreenFieldRaw(field).str();
    v.erase(0, v.find_first_not_of(' '));
    v.erase(v.find_last_not_of(' ') + 1);
    return v;
  }
  Status Run() { return ScreenFieldWinAction(static_cast<uint16_t>(ScreenCounterGet(kCurWin)), nullptr); }
  plat::Hwnd form = plat::kNoWindow;
  int forms_ = 0;
};

TEST_F(FieldOptionsTest, OptionsAndTheCommandTheyRun) {
  struct Case {
    const char* help;
    const char* windows;   // field 3's WINDOWS$ item
    const char* script;    // the popup's answer, when it opens
    Status status;
    std::vector<std::string> runs;
    std::vector<std::string> popup;  // empty: no popup
  } cases[] = {
      {"", "Calculator", "", kOk, {std::string("accept ") + (kCalculatorCommand + 7)}, {}},
      {"", "Add_Applet", "", kOk, {std::string("accept ") + (kAddAppletCommand + 7)}, {}},
      {"", "CLI,1,60,12,1", "", kOk, {}, {}},
      {"AYUDA", "CLI,1,60,12,1", "key Esc\n", kOk, {}, {"Ayuda", "Ventana Desconocida 1"}},
      {"", "CLI,1,60,12,1,,,,Clientes;Calculator", "menu id=1700\n", kFieldOptionRan,
       {"verb 3 MantMain CLI,1,60,12,1,,,,Clientes"}, {"Clientes", "Ventana Desconocida 2"}},
      {"", "CLI,1,60,12,1;AcceptRun X", "menu id=1701\n", kFieldOptionRan, {"verb 3 AcceptRun X"},
       {"Ventana Desconocida 1", "Ventana Desconocida 2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.help) + " | " + c.windows);
    g_runs.clear();
    Form(c.help, c.windows);
    const int before = d.ws().MenuCreate();
    d.Run(c.script);
    EXPECT_EQ(Run(), c.status);
    EXPECT_EQ(g_runs, c.runs);
    EXPECT_EQ(SysVarGet(kVarCurEdFld), 3);
    if (c.popup.empty()) {
      EXPECT_EQ(d.ws().MenuCreate(), before + 1) << "no popup menu was made";
    } else {
      EXPECT_EQ(LastPopup(), c.popup);
    }
    EXPECT_EQ(stall, "");
    EXPECT_EQ(d.input().remaining(), 0u) << "the popup took the answer";
    d.ws().Destroy(form);
    ScreenClose(-1);
    d.ws().DiscardPending();  // the quit that the last window's end posted
  }
}

TEST_F(FieldOptionsTest, TheCalculatorWritesItsValueIntoTheField) {
  Form("", "Calculator");
  ASSERT_EQ(Run(), kOk);
  EXPECT_EQ(ScreenFieldRaw(3).str(), "12.5    ") << "the last value, unquoted";
}

// With the services the programs install, the calculator's form is a real
// accept window: answered from the INPUT script, its last value (the total)
// goes into the field.
TEST_F(FieldOptionsTest, InstalledServicesRunTheCalculatorForm) {
  UiInstallPopupServices(&d.ws());
  AcceptInstall();
  Put("in.txt", "'2','7.5'\r\n");
  const uint16_t stream = StrmOpen(StrOf("in.txt"), kStrmNoUpdate | kStrmQuiet);
  ASSERT_LT(stream, kStreams);
  SysVarSet(kVarInHnd, static_cast<int16_t>(stream));
  Form("", "Calculator");
  EXPECT_EQ(Run(), kOk);
  EXPECT_EQ(stall, "");
  EXPECT_EQ(Trimmed(3), "7.50") << "the total as the form shows it";
  // The script has no line left: the form is cancelled, the field unchanged.
  EXPECT_EQ(Run(), kOk);
  EXPECT_EQ(Trimmed(3), "7.50");
  StrmClose(stream);
  SysVarSet(kVarInHnd, 0);
  MaintSetServices(MaintServices{});
  DataSetFileDialog(nullptr);
  StatSetScreenServices(StatScreenServices{});
}

TEST_F(FieldOptionsTest, HelpRunsAtOnceAndSaysWhenItCannotBeShown) {
  struct Case {
    const char* help;
    const char* entry;
  } cases[] = {{"AYUDA", "AYUDA,3"}, {"AYUDA,CLI", "AYUDA,CLI03"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.help);
    Form(c.help, "");
    const size_t seen = d.msgbox().log().size();
    d.Run("answer OK\n");
    EXPECT_EQ(Run(), kOk);
    ASSERT_EQ(d.msgbox().log().size(), seen + 1);
    EXPECT_EQ(d.msgbox().log().back().caption, "P\xE1ginas de Ayuda");
    EXPECT_EQ(d.msgbox().log().back().text, std::string("Pagina de Ayuda no definida\r\n") + c.entry);
    d.ws().Destroy(form);
    ScreenClose(-1);
  }
}

TEST_F(FieldOptionsTest, TheHelpKeyReachesTheApplicationsHook) {
  HookSetFn(&ScreenFieldWinAction, kHookFieldHelp);
  Form("", "Calculator");
  ScreenActionSet(nullptr, nullptr, nullptr);
  EXPECT_EQ(ScreenActionDefault(kAcHelp), kOk);
  EXPECT_EQ(g_runs.size(), 1u);
  // Without the services, the accept is not available and says which verb.
  ScreenFieldOptionServicesSet(nullptr, nullptr);
  EXPECT_EQ(ScreenActionDefault(kAcHelp), kStNotAvailable);
  EXPECT_EQ(std::string(ErrIncidentText().view()), "Accept");
}

}  // namespace
}  // namespace eng::test
