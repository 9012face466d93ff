// Start-up and shut-down of a small application in a temporary folder (the
// fixture dictionary, prefix PL, and the configuration files written by the
// tests), and the session state file: the order of the phases, the failures
// that stop a start, recovery of an interrupted session, another program
// writing the state file between two commands.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "core/dyn_strings.h"
#include "core/exp_eval.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/string_lists.h"
#include "data/app_start.h"
#include "data/data_file_store.h"
#include "data/dict_file_path.h"
#include "data/dictionary.h"
#include "data/lock_marker.h"
#include "data/session_state.h"
#include "platform/msgbox_headless.h"
#include "tests/support/data_fixture.h"

namespace eng::test {
namespace {

using plat::MsgAnswer;

// What the test application's phase callback saw.
struct Seen {
  std::vector<uint16_t> phases;
  uint16_t files_at_phase2 = 0;
  std::string clientes_at_phase2;
  std::string identity_at_phase2;
  std::string title_at_phase2;
};
Seen g_seen;

// The test application's phase callback: phase 2 loads the configuration
// files and language variables, executes "RLV=1" and checks the session
// state, as the programs do.
Status TestPhase(uint16_t phase) {
  g_seen.phases.push_back(phase);
  if ((phase & 0xF) != 2) return kOk;
  g_seen.files_at_phase2 = DictFileCount();
  g_seen.clientes_at_phase2 = ExpEvalStr(StrOf("clientes")).str();
  g_seen.identity_at_phase2 = DynStrGet(sl::kSettings, sl::kIdentity).str();
  g_seen.title_at_phase2 = DynStrGet(sl::kSettings, sl::kTitle).str();
  Status s = AppLoadConfigFiles(StrFromC(kAppConfigFiles));
  if (s == kOk) s = ExpExecute(StrOf("RLV=1"));
  if (s == kOk) s = SessionStateCheck(1);
  return s;
}

class AppStartTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    // AppStart builds the string store and the tables itself.
    CoreRuntimeReset();
    MemSetLimits(kArenaProgramKb, 0xFFFF);
    MsgBoxSetService(&box_);
    g_seen = Seen{};
  }
  void TearDown() override {
    MsgBoxSetService(nullptr);
    TempFolderTest::TearDown();
  }

  // The dictionary and the one required configuration file.
  void WriteApplication() {
    CopyDataFixture(dir_);
    Put("PLCLCFIX.DAT", "FIXED$='yes'\r\n");
  }
  Status Start(const std::string& options = "", uint8_t flags = kStartLoadDict) {
    std::string line = "\"" + (dir_ / "testprog").string() + "\"";
    if (!options.empty()) line += " " + options;
    return AppStart(nullptr, StrOf(line), StrOf("PLTEST01:Demo"), StrOf("Demo"), flags, &TestPhase);
  }
  std::string BoxText(size_t i) const { return i < box_.log().size() ? box_.log()[i].text : ""; }

  plat::HeadlessMsgBox box_;
};

TEST_F(AppStartTest, StartRunsThePhasesInOrderAndShutDownClosesTheSession) {
  WriteApplication();
  Put("PLLANGVARS.DAT", "X$=0033\r\nN=0033\r\nY$=0008\r\n");
  ASSERT_EQ(Start(), kOk) << BoxText(0);
  EXPECT_TRUE(box_.log().empty());
  // Phase 1 before the dictionary, phase 2 after it and the file variables.
  EXPECT_EQ(g_seen.phases, (std::vector<uint16_t>{0x21, 0x22}));
  EXPECT_EQ(g_seen.files_at_phase2, fx::kFileCount);
  EXPECT_EQ(g_seen.clientes_at_phase2, "1");
  EXPECT_EQ(g_seen.identity_at_phase2, "PLTEST01:Demo");
  EXPECT_EQ(g_seen.title_at_phase2, "Demo");
  // The locale texts and the normalised command line.
  std::string locale = DynStrGet(sl::kSettings, sl::kLocaleText).str();
  EXPECT_EQ(locale.substr(0, MsgText("0019").len), MsgText("0019").str());
  EXPECT_NE(DynStrGet(sl::kSettings, sl::kCommandLine).str().find("testprog"), std::string::npos);
  // The application folder is the program's.
  EXPECT_EQ(std::filesystem::path(DynStrGet(sl::kSettings, sl::kAppFolder).str()), dir_);
  // Configuration, language variables (the failing line skipped), RLV.
  EXPECT_EQ(ExpEvalStr(StrOf("FIXED$")).str(), "yes");
  EXPECT_EQ(ExpEvalStr(StrOf("X$")).str(), MsgText("0033").str());
  EXPECT_EQ(ExpEvalStr(StrOf("Y$")).str(), MsgText("0008").str());
  EXPECT_EQ(ExpEvalStr(StrOf("RLV")).str(), "1");
  EXPECT_EQ(SysVarGet(kVarTrace) & 1, 1);
  // The session is open and every command may run.
  EXPECT_EQ(Get("PLFSTAT.DAT"), "1");
  EXPECT_EQ(SessionStateCheck(2), kOk);

  EXPECT_EQ(SessionStateCheck(0), kOk);
  EXPECT_EQ(Get("PLFSTAT.DAT"), "0");
  EXPECT_EQ(AppShutdown(&TestPhase, kOk), kOk);
  EXPECT_EQ(g_seen.phases.back(), 3);
  // Closing a closed session writes nothing and says so.
  std::filesystem::last_write_time("PLFSTAT.DAT", std::filesystem::file_time_type{});
  CoreRuntimeReset();
  MemSetLimits(kArenaProgramKb, 0xFFFF);
  ASSERT_EQ(DynStrInit(), kOk);
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("PLTEST01:Demo")), kOk);
  EXPECT_EQ(SessionStateCheck(0), kStNetwork);
  EXPECT_EQ(std::filesystem::last_write_time("PLFSTAT.DAT"), std::filesystem::file_time_type{});
}

TEST_F(AppStartTest, ShutDownTurnsOnlyErrorsIntoTheExitCode) {
  struct Case {
    Status run;
    Status exit;
  };
  for (Case c : {Case{0, 0}, Case{122, 0}, Case{139, 139}, Case{0xFFFF, 0xFFFF}}) {
    CoreRuntimeReset();
    ASSERT_EQ(VarInitSystem(), kOk);
    EXPECT_EQ(AppShutdown(nullptr, c.run), c.exit) << c.run;
  }
}

TEST_F(AppStartTest, MissingDictionaryStopsTheStartWithItsMessage) {
  Put("PLCLCFIX.DAT", "FIXED$='yes'\r\n");
  box_.Queue(MsgAnswer::kOk);
  EXPECT_EQ(Start(), kStFileNotFound);
  ASSERT_EQ(box_.log().size(), 1u);
  EXPECT_EQ(box_.log()[0].kind, 3);
  EXPECT_NE(BoxText(0).find("PLDICC.DAT"), std::string::npos) << BoxText(0);
  // Phase 2 does not run and the session is not opened.
  EXPECT_EQ(g_seen.phases, (std::vector<uint16_t>{0x21}));
  EXPECT_FALSE(Has("PLFSTAT.DAT"));
}

TEST_F(AppStartTest, DictionaryUnderTheDataPathIsFoundByTheRetry) {
  std::filesystem::create_directory(dir_ / "dict");
  CopyDataFixture(dir_ / "dict");
  Put("PLCLCFIX.DAT", "FIXED$='yes'\r\n");
  std::string dpath = (dir_ / "dict").string();
  ASSERT_EQ(Start("/DPATH:'" + dpath + "'"), kOk) << BoxText(0);
  EXPECT_EQ(g_seen.files_at_phase2, fx::kFileCount);
  EXPECT_EQ(DynStrGet(sl::kSettings, sl::kAppFolder).str(), dpath);
}

TEST_F(AppStartTest, ShortPrefixGoesOnWhenPhaseTwoSucceeds) {
  WriteApplication();
  Put("PCLCFIX.DAT", "FIXED$='yes'\r\n");
  // "/APNAME:P": no dictionary (156), but phase 2 runs and decides.
  ASSERT_EQ(Start("/APNAME:P"), kOk) << BoxText(0);
  EXPECT_EQ(g_seen.files_at_phase2, 0);
  EXPECT_EQ(g_seen.identity_at_phase2, "P");
}

TEST_F(AppStartTest, TraceOptionShowsTheAboutBoxOnlyWithoutBit16) {
  WriteApplication();
  box_.Queue(MsgAnswer::kOk);
  ASSERT_EQ(Start("/TRACE:256"), kOk) << BoxText(0);
  EXPECT_EQ(box_.log().size(), 1u);
  EXPECT_EQ(SysVarGet(kVarTrace), 257);
  EXPECT_EQ(SessionStateCheck(0), kOk);

  CoreRuntimeReset();
  MemSetLimits(kArenaProgramKb, 0xFFFF);
  MsgBoxSetService(&box_);
  box_.ClearLog();
  ASSERT_EQ(Start("/TRACE:272"), kOk) << BoxText(0);
  EXPECT_TRUE(box_.log().empty());
}

TEST_F(AppStartTest, OptionalDictionaryFlagLetsTheStartGoOnWithoutOne) {
  Put("PLCLCFIX.DAT", "FIXED$='yes'\r\n");
  ASSERT_EQ(Start("", kStartLoadDict | kStartDictOptional), kOk) << BoxText(0);
  EXPECT_EQ(g_seen.files_at_phase2, 0);
  EXPECT_EQ(Get("PLFSTAT.DAT"), "1");
}

TEST_F(AppStartTest, MissingRequiredConfigurationFileStopsTheStart) {
  CopyDataFixture(dir_);
  box_.Queue(MsgAnswer::kOk);
  EXPECT_EQ(Start(), kStFileNotFound);
  ASSERT_EQ(box_.log().size(), 1u);
  EXPECT_NE(BoxText(0).find("PLCLCFIX.DAT"), std::string::npos) << BoxText(0);
  EXPECT_FALSE(Has("PLFSTAT.DAT"));
}

TEST_F(AppStartTest, UnreadableLanguageFileIsReportedAndTheBuiltInTextsStay) {
  WriteApplication();
  // A language file that cannot be read: a folder under its name.
  std::filesystem::create_directory(dir_ / "KV_LANG_ES.MSJ");
  box_.Queue(MsgAnswer::kOk);
  ASSERT_EQ(Start(), kOk) << BoxText(0);
  ASSERT_EQ(box_.log().size(), 1u);
  EXPECT_NE(BoxText(0).find("KV_LANG_"), std::string::npos) << BoxText(0);
  EXPECT_EQ(MsgCatalogLoadStatus(), kStFileOpening);
  EXPECT_EQ(MsgText("0033").str(), "Recuerde sus Copias de Seguridad");
  EXPECT_EQ(Get("PLFSTAT.DAT"), "1");
}

// A stale session: the fixture's files with a live record and no index, and
// the lock marker the interrupted session left behind.
class SessionRecoveryTest : public AppStartTest {
 protected:
  void WriteStaleSession() {
    WriteApplication();
    Put("PLFSTAT.DAT", "1");
  }
};

TEST_F(SessionRecoveryTest, DecliningRecoveryEndsTheStartWith122) {
  WriteStaleSession();
  box_.Queue(MsgAnswer::kNo);
  box_.Queue(MsgAnswer::kOk);
  EXPECT_EQ(Start(), kStCancelled);
  ASSERT_EQ(box_.log().size(), 2u);
  EXPECT_EQ(box_.log()[0].kind, 5);
  EXPECT_EQ(BoxText(0), MsgText("0115").str());
  EXPECT_EQ(box_.log()[1].kind, 1);  // 122 is shown as a warning
  EXPECT_EQ(Get("PLFSTAT.DAT"), "1");
  EXPECT_EQ(g_seen.phases, (std::vector<uint16_t>{0x21, 0x22}));
}

TEST_F(SessionRecoveryTest, AcceptingRecoveryRebuildsEveryDataFile) {
  WriteStaleSession();
  // Load the dictionary once to learn the names, then leave a record file
  // without index and a stale lock marker for clientes.
  {
    ASSERT_EQ(VarInitSystem(), kOk);
    ASSERT_EQ(LoadDataFixture(), kOk);
    DataFileNames n = DictDataFileNames(fx::kClientes);
    std::string rec = std::string("C1") + std::string(8, ' ') + std::string(30, 'N') + std::string(20, 'X');
    Put(n.records, rec);
    ASSERT_EQ(LockMarkerWrite(n.marker), kOk);
    CoreRuntimeReset();
    MemSetLimits(kArenaProgramKb, 0xFFFF);
    MsgBoxSetService(&box_);
  }
  box_.Queue(MsgAnswer::kYes);
  box_.Queue(MsgAnswer::kOk);
  ASSERT_EQ(Start(), kOk) << BoxText(1);
  ASSERT_EQ(box_.log().size(), 2u);
  EXPECT_EQ(BoxText(1), MsgText("0005").str());
  EXPECT_EQ(Get("PLFSTAT.DAT"), "1");
  for (uint16_t f = 1; f <= fx::kFileCount; ++f) {
    DataFileNames n = DictDataFileNames(f);
    EXPECT_TRUE(Has(n.records)) << f;
    EXPECT_TRUE(Has(n.index)) << f;
    EXPECT_FALSE(LockMarkerPresent(n.marker)) << f;
  }
  DataFileNames n = DictDataFileNames(fx::kClientes);
  DataFileStore store;
  ASSERT_EQ(store.Open(n, DictFileLayout(fx::kClientes), kOpenReadOnly), kOk);
  EXPECT_FALSE(store.IndexRebuilt());
  EXPECT_EQ(store.Index().LiveCount(), 1);
}

TEST_F(SessionRecoveryTest, RecoveryLeavesAFileAnotherProgramHoldsAlone) {
  WriteStaleSession();
  ASSERT_EQ(VarInitSystem(), kOk);
  ASSERT_EQ(LoadDataFixture(), kOk);
  DataFileNames n = DictDataFileNames(fx::kMovs);
  DataFileStore other;
  ASSERT_EQ(other.Open(n, DictFileLayout(fx::kMovs), kOpenExclusive), kOk);
  EXPECT_EQ(SessionRecover(), kStPermission);
  EXPECT_TRUE(LockMarkerPresent(n.marker));
  EXPECT_TRUE(box_.log().empty());  // no "completed" message
}

TEST_F(AppStartTest, AnotherProgramWritingTheStateFileRefusesTheNextCommand) {
  WriteApplication();
  ASSERT_EQ(Start(), kOk) << BoxText(0);
  ASSERT_EQ(SessionStateCheck(2), kOk);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Another program in the same folder writes the file (a second later,
    // so that the two write times cannot coincide).
    struct stat st {};
    if (::stat("PLFSTAT.DAT", &st) != 0) _exit(2);
    { std::ofstream("PLFSTAT.DAT", std::ios::binary | std::ios::trunc) << "1"; }
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    times[1].tv_sec += 1;
    _exit(::utimensat(AT_FDCWD, "PLFSTAT.DAT", times, 0) == 0 ? 0 : 3);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(SessionStateCheck(2), kStNetwork);
  EXPECT_EQ(SessionStateCheck(2), kStNetwork);  // until this program writes it again
}

TEST_F(AppStartTest, MissingStateFileIsCreatedOpenWithoutAQuestion) {
  WriteApplication();
  ASSERT_FALSE(Has("PLFSTAT.DAT"));
  ASSERT_EQ(Start(), kOk) << BoxText(0);
  EXPECT_TRUE(box_.log().empty());
  EXPECT_EQ(Get("PLFSTAT.DAT"), "1");
  // The rewrite leaves nothing else behind.
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir_)) names.insert(e.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"PLCLCFIX.DAT", "PLDICC.DAT", "PLFSTAT.DAT", "PLREL.DAT"}));
}

}  // namespace
}  // namespace eng::test
