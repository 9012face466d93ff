// The session state file on its own: recovery of an interrupted session with
// no data files to rebuild, the check before a command when the file has
// gone, and the lock that keeps one session per folder.
#include "data/session_state.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>

#include "core/block_file.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/string_lists.h"
#include "core/var_store.h"
#include "data/dict_query.h"
#include "platform/msgbox_headless.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

using plat::MsgAnswer;

class SessionStateTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_EQ(VarInitSystem(), kOk);
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("PLTEST01:Demo")), kOk);
    MsgBoxSetService(&box_);
  }
  void TearDown() override {
    EXPECT_EQ(box_.pending(), 0u) << "answers left unused";
    MsgBoxSetService(nullptr);
    TempFolderTest::TearDown();
  }
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_)) names.insert(e.path().filename().string());
    return names;
  }
  plat::HeadlessMsgBox box_{plat::HeadlessMsgBox::Mode::kScripted, nullptr};
};

TEST_F(SessionStateTest, RecoveryWithAnEmptyDictionaryRebuildsNothingAndOpensTheSession) {
  ASSERT_EQ(DictFileCount(), 0);
  Put("PLFSTAT.DAT", "1");
  box_.Queue(MsgAnswer::kYes);
  box_.Queue(MsgAnswer::kOk);
  EXPECT_EQ(SessionStateCheck(1), kOk);
  ASSERT_EQ(box_.log().size(), 2u);
  EXPECT_EQ(box_.log()[0].text, MsgText("0115").str());
  EXPECT_EQ(box_.log()[1].text, MsgText("0005").str());
  EXPECT_EQ(Get("PLFSTAT.DAT"), "1");
  EXPECT_EQ(Names(), std::set<std::string>{"PLFSTAT.DAT"});  // no file was rebuilt
  // The write was this program's own: commands may run.
  EXPECT_EQ(SessionStateCheck(2), kOk);
}

TEST_F(SessionStateTest, StateFileRemovedByAnotherProgramRefusesTheNextCommand) {
  EXPECT_EQ(SessionStateCheck(1), kOk);
  ASSERT_EQ(Get("PLFSTAT.DAT"), "1");
  ASSERT_EQ(SessionStateCheck(2), kOk);
  std::filesystem::remove("PLFSTAT.DAT");
  EXPECT_EQ(SessionStateCheck(2), kStNetwork);
  EXPECT_TRUE(box_.log().empty());
}

// Another program's session: its open file under its lock (an open of its
// own locks against ours as another process's would).
TEST_F(SessionStateTest, ASecondSessionIsRefusedWithoutRecoveryWhileTheFirstHoldsTheFile) {
  Put("PLFSTAT.DAT", "1");
  BlockFile first;
  ASSERT_EQ(first.Open("PLFSTAT.DAT", true, false), kOk);
  ASSERT_EQ(first.Lock(BlockLock::kExclusive), kOk);
  EXPECT_EQ(SessionStateCheck(1), kStNetwork);
  EXPECT_EQ(ErrIncidentText().str(), kSessionBusyText);
  EXPECT_TRUE(box_.log().empty()) << "no recovery question";
  EXPECT_EQ(Get("PLFSTAT.DAT"), "1");
  EXPECT_FALSE(SessionLockHeld());

  // Once nobody holds it, a file that says "1" is an interrupted session.
  first.Close();
  box_.Queue(MsgAnswer::kYes);
  box_.Queue(MsgAnswer::kOk);
  EXPECT_EQ(SessionStateCheck(1), kOk);
  EXPECT_EQ(box_.log().front().text, MsgText("0115").str());
  EXPECT_TRUE(SessionLockHeld());
  BlockFile second;
  ASSERT_EQ(second.Open("PLFSTAT.DAT", true, false), kOk);
  EXPECT_EQ(second.Lock(BlockLock::kExclusive), kStPermission) << "held for the whole session";
  // The end of the session closes it and lets the file go.
  EXPECT_EQ(SessionStateCheck(0), kOk);
  EXPECT_EQ(Get("PLFSTAT.DAT"), "0");
  EXPECT_FALSE(SessionLockHeld());
  EXPECT_EQ(second.Lock(BlockLock::kExclusive), kOk);
}

TEST_F(SessionStateTest, StartOnAMissingFileCreatesItOpenAndHoldsIt) {
  EXPECT_EQ(SessionStateCheck(1), kOk);
  EXPECT_EQ(Get("PLFSTAT.DAT"), "1");
  EXPECT_TRUE(SessionLockHeld());
  EXPECT_TRUE(box_.log().empty());
}

// A procedure may rewrite the file whole (a new file renamed over it): the
// next command is refused, and the end of the run still closes the file the
// name gives.
TEST_F(SessionStateTest, StateFileReplacedDuringTheSessionIsClosedAtTheEnd) {
  EXPECT_EQ(SessionStateCheck(1), kOk);
  ASSERT_EQ(BlockFileReplace("PLFSTAT.DAT", "1", 1, false), kOk);
  std::filesystem::last_write_time("PLFSTAT.DAT", std::filesystem::last_write_time("PLFSTAT.DAT") +
                                                      std::chrono::seconds(5));
  EXPECT_FALSE(SessionLockHeld());
  EXPECT_EQ(SessionStateCheck(2), kStNetwork);
  EXPECT_EQ(SessionStateCheck(0), kOk);
  EXPECT_EQ(Get("PLFSTAT.DAT"), "0");
}

}  // namespace
}  // namespace eng::test
