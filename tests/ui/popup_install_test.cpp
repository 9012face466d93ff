// The popups installed for the lower layers, driven end to end through the
// calls of those layers: reorganisation and backup with the progress window,
// the table chooser and the folder browser; FILESELECT with the file dialog;
// PrcExec patterns with the chooser; session recovery stepping the progress
// window; the procedure runner's pump; the window of STATSTEPS.
#include "ui/popup_install.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/app_state.h"
#include "core/app_verbs.h"
#include "core/dyn_strings.h"
#include "core/exec_handlers.h"
#include "core/exec_keywords.h"
#include "core/exec_run.h"
#include "core/exp_eval.h"
#include "core/err_register.h"
#include "core/module_parms.h"
#include "core/fn_builtins.h"
#include "core/string_lists.h"
#include "data/data_file_store.h"
#include "data/fn_records.h"
#include "data/maint_services.h"
#include "data/maint_verbs.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/record_statements.h"
#include "platform/ctl_msgbox.h"
#include "data/stat_steps.h"
#include "data/trans_external.h"
#include "tests/ui/screen_fixture.h"
#include "ui/field_values.h"
#include "ui/progress_win.h"

namespace eng::test {
namespace {

namespace fs = std::filesystem;

class PopupInstallTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("PLMRQV13:Norvique")), kOk);
    UiInstallPopupServices(&d.ws());
    DataInstallMaintenance();
  }
  void TearDown() override {
    for (uint16_t f = 1; f <= fx::kFileCount; ++f) DataFileClose(f);
    ProgClose();
    MaintSetServices(MaintServices{});
    DataSetFileDialog(nullptr);
    StatSetScreenServices(StatScreenServices{});
    ScreenTest::TearDown();
  }
  // n clients "C000", "C001", ... written and the file closed.
  static void AddClients(int n) {
    Status open = DataFileOpen(fx::kClientes, 0);
    ASSERT_TRUE(open == 0 || open == 2) << open;
    for (int i = 0; i < n; ++i) {
      char code[8];
      std::snprintf(code, sizeof code, "C%03d", i);
      ASSERT_EQ(DataFileMove(fx::kClientes, 1), 3);
      ASSERT_EQ(BufSetField(fx::kClientes, 1, StrOf(code)), kOk);
      ASSERT_EQ(DataFileAddRecord(fx::kClientes), kOk);
    }
    ASSERT_EQ(DataFileClose(fx::kClientes), kOk);
  }
  static std::string RecordFile() { return Get("clientes.FD"); }
};

TEST_F(PopupInstallTest, AReorganisationCancelledInItsProgressWindowLeavesTheFileAlone) {
  AddClients(30);
  const std::string before = RecordFile();
  ASSERT_FALSE(before.empty());
  // The first step of the rebuild pumps the Esc into the progress window.
  d.Run(plat::Script().Key("Esc"));
  EXPECT_EQ(AppVerbDispatch(AppVerbWord(kVerbReorg, kOk), StrOf("clientes")), kStCancelled);
  EXPECT_EQ(d.input().remaining(), 0u);
  EXPECT_EQ(ProgGetState().window, plat::kNoWindow);
  EXPECT_TRUE(d.ws().TopLevels().empty());
  EXPECT_EQ(RecordFile(), before);
  EXPECT_EQ(stall, "");
}

TEST_F(PopupInstallTest, AReorganisationThroughTheTableChooserRunsToItsEnd) {
  AddClients(5);
  // Enter takes the first table (clientes); message 0005 is answered OK.
  d.Run(plat::Script().Key("Enter").Wait(5).Answer(plat::MsgAnswer::kOk));
  EXPECT_EQ(AppVerbDispatch(AppVerbWord(kVerbReorg, kOk), StrPair{}), kOk);
  EXPECT_EQ(d.input().remaining(), 0u);
  ASSERT_FALSE(d.msgbox().log().empty());
  EXPECT_NE(d.msgbox().log().back().text.find("Proceso Completado"), std::string::npos);
  EXPECT_TRUE(d.ws().TopLevels().empty());
  EXPECT_EQ(stall, "");

  // Esc in the table chooser: 122, nothing done.
  d.Run(plat::Script().Key("Esc"));
  EXPECT_EQ(AppVerbDispatch(AppVerbWord(kVerbReorg, kOk), StrPair{}), kStCancelled);
  EXPECT_TRUE(d.ws().TopLevels().empty());
}

TEST_F(PopupInstallTest, ABackupGoesToTheFolderPickedInTheBrowser) {
  AddClients(3);
  // OK in the browser takes the folder it starts in, the backup folder.
  d.Run(plat::Script().Click(1).Wait(5).Answer(plat::MsgAnswer::kOk));
  EXPECT_EQ(AppVerbDispatch(AppVerbWord(kVerbCopy, kOk), StrOf("0")), kOk);
  EXPECT_EQ(d.input().remaining(), 0u);
  std::string copy;
  for (const auto& e : fs::recursive_directory_iterator(dir_ / "Backups"))
    if (e.path().filename() == "clientes.FD") copy = Get(e.path().string());
  EXPECT_EQ(copy, RecordFile());
  EXPECT_TRUE(d.ws().TopLevels().empty());
  EXPECT_EQ(ProgGetState().window, plat::kNoWindow);

  // A restore asks for the file in the open dialog; Esc cancels it.
  d.Run(plat::Script().Key("Esc"));
  EXPECT_EQ(AppVerbDispatch(AppVerbWord(kVerbCopy, kOk), StrOf("1")), kStCancelled);
  EXPECT_EQ(stall, "");
}

TEST_F(PopupInstallTest, FileSelectTakesItsNameFromTheFileDialog) {
  DataInstallRecordStatements();
  Put("INFORME.PDF", "x");
  ExecArgs args;
  args.count = 2;
  args.kinds = {0, 0};
  args.ints = {7, 0x80};
  const fs::path here = fs::current_path();
  d.Run("type \"INFORME.PDF\"\nkey Enter");
  EXPECT_EQ(UtilityStatements(kExecFileSelect, args), kOk);
  EXPECT_EQ(S(DynStrTop(sl::kReturnBuffer)), (dir_ / "INFORME.PDF").string());
  d.Run("key Esc");
  EXPECT_EQ(UtilityStatements(kExecFileSelect, args), kStCancelled);
  EXPECT_EQ(S(DynStrTop(sl::kReturnBuffer)), (dir_ / "INFORME.PDF").string());
  EXPECT_EQ(fs::current_path(), here);
}

TEST_F(PopupInstallTest, PrcExecPatternsOfferTheirProceduresInTheChooser) {
  ExecRegisterHandlers();
  ASSERT_EQ(ExpExecute(StrOf("R=0")), kOk);
  fs::create_directories("procs");
  Put("procs/a.prx", ";Sumar uno\nR=R+1\n");
  Put("procs/b.prx", ";Sumar diez\nR=R+10\n");
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kAppFolder, StrOf(dir_.string() + "/procs")), kOk);
  // The second procedure, then the first, then Esc; each choice closes the popup.
  d.Run(plat::Script().Key("Down").Key("Enter").Wait(5).Key("Enter").Wait(5).Key("Esc"));
  EXPECT_EQ(AppVerbDispatch(AppVerbWord(kVerbPrcExec, kOk), StrOf("*.prx")), kOk);
  EXPECT_EQ(d.input().remaining(), 0u);
  ScratchScope scope;
  EXPECT_EQ(ExpEvalInt(StrOf("R")), 11);
  EXPECT_TRUE(d.ws().TopLevels().empty());
  EXPECT_EQ(stall, "");
}

TEST_F(PopupInstallTest, RecoveryAndProceduresStepAndCloseTheProgressWindow) {
  const AppStartServices& start = AppGetStartServices();
  ASSERT_NE(start.progress_step, nullptr);
  start.progress_step(1, StrOf("clientes"));
  start.progress_step(2, StrOf("movs"));
  EXPECT_NE(ProgGetState().window, plat::kNoWindow);
  EXPECT_EQ(ProgGetState().position, 2u);
  start.progress_close();
  EXPECT_EQ(ProgGetState().window, plat::kNoWindow);

  // A procedure stops at its next step once the user cancelled, and a
  // progress window it opened is closed when it ends.
  ExecRegisterHandlers();
  ASSERT_EQ(ExpExecute(StrOf("A=0")), kOk);
  ProgOpen(0, 10);
  d.Run(plat::Script().Key("Esc"));
  Put("p.prx", "A=1\nA=2\nA=3\n");
  EXPECT_EQ(ExecRunMenuProc(StrOf("p.prx"), nullptr), kStCancelled);
  ScratchScope scope;
  EXPECT_EQ(ExpEvalInt(StrOf("A")), 0);
  ProgClose();
}

TEST_F(PopupInstallTest, TheProgressWindowTakesTheTitleItIsOpenedWith) {
  MaintProgressOpen(10, StrOf("Proceso en progreso.....clientes.csv"));
  ASSERT_NE(ProgGetState().window, plat::kNoWindow);
  EXPECT_EQ(d.ws().GetText(ProgGetState().window), "Proceso en progreso.....clientes.csv");
  MaintProgressClose();
  // Without a title the window keeps its own caption.
  MaintProgressOpen(10);
  EXPECT_EQ(d.ws().GetText(ProgGetState().window), "Proceso en progreso.....");
  MaintProgressClose();
  EXPECT_EQ(ProgGetState().window, plat::kNoWindow);
}

TEST_F(PopupInstallTest, ATransactionsExternalFileIsChosenThenConfirmedInItsForm) {
  // The save dialog takes the name; the form shows the path, confirmed as
  // it stands.
  const fs::path here = fs::current_path();
  d.Run("type \"salida.csv\"\nkey Enter\nkey Enter\nkey Enter\n");
  uint16_t mode = 52;
  std::string name;
  EXPECT_EQ(TransExternalDialog(&mode, &name), kOk);
  EXPECT_EQ(d.input().remaining(), 0u);
  EXPECT_EQ(name, (dir_ / "salida.csv").string());
  EXPECT_EQ(fs::current_path(), here);
  // Esc in the dialog chooses nothing.
  d.Run("key Esc\n");
  name.clear();
  EXPECT_EQ(TransExternalDialog(&mode, &name), kStCancelled);
  EXPECT_EQ(name, "");
}

TEST_F(PopupInstallTest, StatStepsRunInTheWindowOfTheirDefinition) {
  Def("E.PAN", 1, {FieldLine(2, 10, 0, 0, 10, 'A'), FieldLine(3, 10, 0, 0, 10, 'A')});
  Def("E.PPN", 1, {"RESET$:=3", "STEPS$:=\"'ExpEval _USER01=7'\""});
  SysVarSet(kVarUser01, 0);
  const uint16_t parms = DynStrCount(sl::kModuleParms);
  EXPECT_EQ(StatStepsStatement(StrOf("E,1,40,10,3")), kOk) << S(ErrIncidentText());
  EXPECT_EQ(SysVarGet(kVarUser01), 7);
  // The window is gone and its parameters are off the stack.
  EXPECT_EQ(WinTop(), plat::kNoWindow);
  EXPECT_EQ(DynStrCount(sl::kModuleParms), parms);

  // A definition whose screen cannot be opened pushes nothing and leaves no window.
  EXPECT_NE(StatStepsStatement(StrOf("NADA,1,40,10,3")), kOk);
  EXPECT_EQ(WinTop(), plat::kNoWindow);
  EXPECT_EQ(DynStrCount(sl::kModuleParms), parms);

  // Without LIMITS$ the bounds are the raw texts of the window's fields 1 and 2.
  ASSERT_EQ(Open("E,1,40,10,3"), kOk);
  ASSERT_EQ(ScreenFieldPut(1, StrOf("C001")), kOk);
  ASSERT_EQ(ScreenFieldPut(2, StrOf("C009")), kOk);
  EXPECT_EQ(StatBoundValue(1), "C001      ");
  EXPECT_EQ(StatBoundValue(0), "C009      ");
}

}  // namespace
}  // namespace eng::test
