// Both programs' start-up in-process on a copy of their sample application
// (its work folder current): the dictionary found through "..\APPS", the
// configuration files, the data folder's start file, "RLV=1" and the
// session left open until the end of the run.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "apps/pelmora/pelmora_head.h"
#include "apps/truvesca/truvesca_head.h"
#include "core/exp_eval.h"
#include "core/hooks.h"
#include "core/msg_box.h"
#include "core/var_store.h"
#include "data/app_start.h"
#include "data/dict_query.h"
#include "data/session_state.h"
#include "platform/msgbox_headless.h"
#include "tests/apps/sample_copy.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

class SampleStartTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    CoreRuntimeReset();
    MemSetLimits(apphead::kArenaKb, 0xFFFF);
    MsgBoxSetService(&box_);
  }
  void TearDown() override {
    MsgBoxSetService(nullptr);
    TempFolderTest::TearDown();
  }
  Status Start(const apphead::AppHeadDesc& head) {
    work_ = CopySample(head.title, dir_);
    std::filesystem::current_path(work_);
    AppSetActionCallback(head.action);
    AppFunctionsSet(head.functions);
    std::string program = (dir_ / "bin" / "program").string();
    const char* argv[] = {program.c_str()};
    return AppStartArgv(nullptr, 1, argv, StrFromC(head.identity), StrFromC(head.title), apphead::kStartFlags,
                        head.phase);
  }
  std::string Eval(const char* text) { return ExpEvalStr(StrFromC(text)).str(); }

  plat::HeadlessMsgBox box_;
  std::filesystem::path work_;
};

TEST_F(SampleStartTest, PelmoraStartsOnItsSample) {
  ASSERT_EQ(Start(pelmora::Head()), kOk) << (box_.log().empty() ? "" : box_.log()[0].text);
  EXPECT_TRUE(box_.log().empty());
  EXPECT_EQ(DictFileCount(), 10);
  EXPECT_EQ(Eval("cuentas"), "8");
  EXPECT_EQ(Eval("diario"), "9");
  EXPECT_EQ(Eval("acumulados"), "10");
  EXPECT_EQ(Eval("_CTAP$"), "12900000");
  EXPECT_EQ(Eval("FAPE$"), "20240101") << "the data folder's start file";
  EXPECT_EQ(Eval("RLV"), "1");
  EXPECT_EQ(pelmora::AcAccountCodeLength(), 8);
  EXPECT_EQ(TempFolderTest::Get((work_ / "PLFSTAT.DAT").string()), "1");
  EXPECT_EQ(SessionStateCheck(0), kOk);
  EXPECT_EQ(AppShutdown(pelmora::Head().phase, kOk), kOk);
  EXPECT_EQ(TempFolderTest::Get((work_ / "PLFSTAT.DAT").string()), "0");
}

TEST_F(SampleStartTest, TruvescaStartsOnItsSample) {
  ASSERT_EQ(Start(truvesca::Head()), kOk) << (box_.log().empty() ? "" : box_.log()[0].text);
  EXPECT_EQ(DictFileCount(), 14);
  EXPECT_EQ(Eval("facturas"), "14");
  EXPECT_EQ(Eval("albara_ventas"), "4");
  EXPECT_TRUE(VarLookup(StrOf("CCO")).declared());
  EXPECT_EQ(Eval("_DX"), "2");
  EXPECT_EQ(TempFolderTest::Get((work_ / "TRFSTAT.DAT").string()), "1");
  EXPECT_EQ(SessionStateCheck(0), kOk);
  EXPECT_EQ(AppShutdown(truvesca::Head().phase, kOk), kOk);
}

TEST_F(SampleStartTest, AMissingRequiredConfigurationFileStopsTheStart) {
  // Copy first, then take the required file away before starting again.
  CopySample("Pelmora", dir_);
  std::filesystem::remove(dir_ / "pelmora" / "apps" / "PLCLCFIX.DAT");
  box_.Queue(plat::MsgAnswer::kOk);
  work_ = dir_ / "pelmora" / "work";
  std::filesystem::current_path(work_);
  AppFunctionsSet(pelmora::Head().functions);
  std::string program = (dir_ / "bin" / "program").string();
  const char* argv[] = {program.c_str()};
  EXPECT_EQ(AppStartArgv(nullptr, 1, argv, StrFromC(pelmora::kIdentity), StrFromC(pelmora::kTitle),
                         apphead::kStartFlags, pelmora::Head().phase),
            kStFileNotFound);
  ASSERT_EQ(box_.log().size(), 1u);
  EXPECT_NE(box_.log()[0].text.find("PLCLCFIX.DAT"), std::string::npos) << box_.log()[0].text;
  EXPECT_FALSE(std::filesystem::exists(work_ / "PLFSTAT.DAT")) << "no session was opened";
}

}  // namespace
}  // namespace eng::test
