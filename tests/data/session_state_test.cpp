// The session state file on its own: recovery of an interrupted session with
// no data files to rebuild, and the check before a command when the file has
// gone.
#include "data/session_state.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "core/dyn_strings.h"
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

}  // namespace
}  // namespace eng::test
