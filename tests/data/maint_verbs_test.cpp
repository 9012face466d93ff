#include "data/maint_verbs.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "core/app_verbs.h"
#include "core/err_register.h"
#include "core/folders.h"
#include "core/hooks.h"
#include "core/sys_vars.h"
#include "data/data_file_rebuild.h"
#include "data/maint_copy.h"
#include "data/lock_marker.h"
#include "data/maint_services.h"
#include "tests/data/maint_fixture.h"

namespace eng::test {
namespace {

namespace fs = std::filesystem;

struct Seen {
  std::string folder_start;
  std::vector<uint32_t> opened;
  int closed = 0;
  bool hook_swapped = false;
};
Seen g_seen;
std::string g_answer;
Status OwnLowLevel() { return kOk; }
Status AppLowLevel() { return kOk; }

class MaintVerbsTest : public MaintTest {
 protected:
  void SetUp() override {
    MaintTest::SetUp();
    g_seen = Seen{};
    g_answer = (dir_ / "saved").string();
    MaintServices ui;
    ui.choose_folder = [](StrPair start, StrPair) {
      g_seen.folder_start = start.str();
      return g_answer;
    };
    ui.progress_open = [](uint32_t steps, StrPair) {
      g_seen.opened.push_back(steps);
      HookEntry now = HookGet(kHookLowLevel);
      g_seen.hook_swapped = !(std::holds_alternative<HookNoArgsFn>(now) && std::get<HookNoArgsFn>(now) == &OwnLowLevel);
    };
    ui.progress_close = [] { ++g_seen.closed; };
    MaintSetServices(ui);
    HookSetFn(&OwnLowLevel, kHookLowLevel);
    AppFunctions app;
    app.task_low_level = &AppLowLevel;
    AppFunctionsSet(app);
  }
  void TearDown() override {
    MaintSetServices(MaintServices{});
    MaintTest::TearDown();
  }
  void FillAll() {
    FillClients(20);
    Open(fx::kMovs);
    ASSERT_EQ(AddMov("C001", "1", "10.50"), kOk);
    ASSERT_EQ(AddMov("C001", "2", "-3.25"), kOk);
    ASSERT_EQ(DataFileClose(fx::kMovs), kOk);
  }
  std::string Saved(const std::string& name) { return Get((dir_ / "saved" / name).string()); }
};

TEST_F(MaintVerbsTest, BackupThenRestoreRoundTripsEveryFileByteForByte) {
  FillAll();
  const std::string fd = Get("clientes.FD"), dir = Get("clientes.DIR");
  ASSERT_EQ(MaintBackupRestore(0), kOk);
  EXPECT_EQ(g_seen.opened, std::vector<uint32_t>{4});
  EXPECT_EQ(g_seen.closed, 1);
  EXPECT_TRUE(g_seen.hook_swapped) << "hook 23 is the application's TaskLowLevel during a backup";
  ASSERT_TRUE(std::holds_alternative<HookNoArgsFn>(HookGet(kHookLowLevel)));
  EXPECT_EQ(std::get<HookNoArgsFn>(HookGet(kHookLowLevel)), &OwnLowLevel) << "and put back";
  for (const char* name : {"clientes.FD", "clientes.DIR", "movs.FD", "movs.DIR"}) EXPECT_EQ(Saved(name), Get(name)) << name;
  EXPECT_FALSE(fs::exists(dir_ / "saved" / "totales.FD")) << "a missing source is skipped";
  // Change the file, then restore it from the saved copy.
  ASSERT_EQ(DataFileRebuild(fx::kClientes, nullptr), kOk);
  Open(fx::kClientes);
  ASSERT_EQ(Add(fx::kClientes, {"Z99", "new"}), kOk);
  ASSERT_NE(Get("clientes.FD"), fd);
  g_seen = Seen{};
  EXPECT_EQ(MaintBackupRestore(1, StrOf((dir_ / "saved" / "CLIENTES.FD").string())), kOk);
  EXPECT_EQ(g_seen.opened, std::vector<uint32_t>{0});
  EXPECT_TRUE(g_seen.hook_swapped);
  EXPECT_EQ(DataFileCtrl(fx::kClientes).open_flags, 0) << "closed before its pair is replaced";
  EXPECT_EQ(Get("clientes.FD"), fd);
  EXPECT_EQ(Get("clientes.DIR"), dir);
  EXPECT_EQ(IndexAgrees(fx::kClientes), kOk);
}

TEST_F(MaintVerbsTest, ASecondBackupSkipsUnchangedFilesWhileCopyIfNewerIsOn) {
  FillAll();
  ASSERT_EQ(MaintBackupRestore(0), kOk);
  SysVarSet(kVarAuxStat, kAuxStatCopyIfNewer);
  SysVarSet(kVarCount, 0);
  // The last file (params) has no record file: its 164 is skipped, the run gives 0.
  EXPECT_EQ(MaintBackupRestore(0), kOk);
  EXPECT_EQ(SysVarGet(kVarCount), 2) << "clientes and movs, one count each (the pair stops at 124)";
}

TEST_F(MaintVerbsTest, ABackupOfAFileOpenHereCarriesItsUnsavedIndex) {
  FillAll();
  Open(fx::kMovs);
  ASSERT_EQ(AddMov("C002", "1", "7"), kOk);  // the index on disk does not hold it yet
  ASSERT_EQ(MaintBackupRestore(0), kOk);
  ASSERT_EQ(DataFileClose(fx::kMovs), kOk);
  EXPECT_EQ(Saved("movs.FD"), Get("movs.FD"));
  EXPECT_EQ(Saved("movs.DIR"), Get("movs.DIR"));
}

TEST_F(MaintVerbsTest, ChoicesThatEndTheRun) {
  FillAll();
  g_answer = "";
  EXPECT_EQ(MaintBackupRestore(0), kStCancelled);
  EXPECT_TRUE(g_seen.opened.empty());
  // The browser starts at the backup folder, made with its parents.
  EXPECT_TRUE(fs::is_directory(g_seen.folder_start)) << g_seen.folder_start;
  // A restore of a name that is no dictionary file: 163, nothing copied.
  fs::create_directories("saved");
  Put("saved/ventas.FD", "x");
  const std::string fd = Get("clientes.FD");
  EXPECT_EQ(MaintBackupRestore(1, StrOf("saved/ventas.FD")), kStDataError);
  EXPECT_EQ(Get("clientes.FD"), fd);
  EXPECT_FALSE(Has("ventas.FD"));
  // Without a file dialog a restore cannot ask.
  EXPECT_EQ(MaintBackupRestore(1), kStNotAvailable);
  EXPECT_EQ(MaintBackupRestore(2), kOk);
}

TEST_F(MaintVerbsTest, ABackupFolderThatCannotBeWrittenFails) {
  FillAll();
  Put("afile", "x");
  g_answer = (dir_ / "afile" / "sub").string();
  Status s = MaintBackupRestore(0);
  EXPECT_GE(s, kStFirstError);
  EXPECT_NE(S(ErrIncidentText()).find("clientes.FD"), std::string::npos) << S(ErrIncidentText());
  EXPECT_EQ(Get("afile"), "x");
}

TEST_F(MaintVerbsTest, TheHeadlessBrowserTakesTheBackupFolder) {
  FillAll();
  MaintSetServices(MaintServices{});
  ASSERT_EQ(MaintBackupRestore(0), kOk);
  ScratchScope scope;
  const std::string backup = PathFolder(kPathBackRel).str();
  EXPECT_EQ(Get(backup + "/clientes.FD"), Get("clientes.FD"));
}

TEST_F(MaintVerbsTest, TheVerbsRunThroughTheDispatcher) {
  FillAll();
  DataInstallMaintenance();
  EXPECT_EQ(AppVerbDispatch(AppVerbWord(kVerbCopy, 0), StrOf("0")), kOk);
  EXPECT_EQ(Saved("movs.FD"), Get("movs.FD"));
  EXPECT_EQ(AppVerbDispatch(AppVerbWord(kVerbReorg, 0), StrOf("clientes")), kOk);
  EXPECT_EQ(LiveKeys(fx::kClientes).size(), 13u);
  EXPECT_EQ(Get("clientes.FD").size(), 13u * 60);
  EXPECT_EQ(AppVerbDispatch(AppVerbWord(kVerbReorg, 0), StrPair{}), kStNotAvailable);
  EXPECT_EQ(AppVerbDispatch(AppVerbWord(kVerbCopy, 0), StrOf("1," + (dir_ / "saved" / "movs.FD").string())), kOk);
}

// Kills a process looping over restores at random moments: after each kill
// the file opens with every record and its index agrees with it.
TEST_F(MaintVerbsTest, RestoreKilledAtRandomPointsLosesNoRecord) {
  FillClients(1500);
  ASSERT_EQ(MaintBackupRestore(0), kOk);
  // The live file holds the same records in another arrangement.
  ASSERT_EQ(DataFileRebuild(fx::kClientes, nullptr), kOk);
  const auto expected = LiveKeys(fx::kClientes);
  const std::string chosen = (dir_ / "saved" / "clientes.FD").string();
  int i = 0;
  ExpectSurvivesKills(
      [&] {
        if (++i % 2) DataFileRebuild(fx::kClientes, nullptr);
        else MaintBackupRestore(1, StrOf(chosen));
      },
      expected, 109);
}

}  // namespace
}  // namespace eng::test
