// pelmora started in-process on a copy of its sample application, with the
// demo year posted through the journal's rules: seven two-line entries of
// 2024 (entry n on its date, line 1 the debit, line 2 the credit), so that
// the period accumulations hold the account and three-character group
// totals of every month.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "apps/common/app_head.h"
#include "apps/pelmora/ac_balance.h"
#include "apps/pelmora/ac_books.h"
#include "apps/pelmora/ac_dates.h"
#include "apps/pelmora/ac_post.h"
#include "apps/pelmora/pelmora_head.h"
#include "core/exp_eval.h"
#include "core/msg_box.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "data/app_start.h"
#include "data/file_ctrl.h"
#include "data/record_buffer.h"
#include "data/dict_query.h"
#include "data/record_layer.h"
#include "data/session_state.h"
#include "data/selection_set.h"
#include "platform/msgbox_headless.h"
#include "tests/apps/sample_copy.h"
#include "tests/support/temp_folder.h"

namespace eng::test {

struct DemoEntry {
  const char* date;
  const char* debit;
  const char* credit;
  DecValue amount;  // in cents
};

inline constexpr DemoEntry kDemoYear[] = {
    {"20240102", "57200001", "10000000", 100000}, {"20240115", "60000000", "57200001", 2000},
    {"20240305", "43000001", "70000000", 700},    {"20240310", "43000001", "70000000", 6000},
    {"20240415", "57200001", "43000001", 4000},   {"20240520", "43000001", "70000000", 4000},
    {"20240525", "57200001", "43000001", 300},
};

// Starts pelmora on a sample copy in `root` (the work folder becomes current).
inline Status StartPelmora(const std::filesystem::path& work, plat::HeadlessMsgBox* box) {
  CoreRuntimeReset();
  MemSetLimits(apphead::kArenaKb, 0xFFFF);
  MsgBoxSetService(box);
  std::filesystem::current_path(work);
  const apphead::AppHeadDesc& head = pelmora::Head();
  AppSetActionCallback(head.action);
  AppFunctionsSet(head.functions);
  std::string program = (work / "program").string();
  const char* argv[] = {program.c_str()};
  return AppStartArgv(nullptr, 1, argv, StrFromC(head.identity), StrFromC(head.title), apphead::kStartFlags,
                      head.phase);
}

// Ends the session (its state file closed) and shuts the program down.
inline void ShutdownPelmora() {
  for (uint16_t f = 1; f <= DictFileCount(); ++f) DataFileClose(f);
  SessionStateCheck(0);
  AppShutdown(pelmora::Head().phase, kOk);
  MsgBoxSetService(nullptr);
}

inline constexpr const char* kDemoChart[] = {"10000000", "12900000", "43000001",
                                             "57200001", "60000000", "70000000"};

// The chart of accounts and the demo year's journal.
inline Status PostDemoYear(const pelmora::AcBooks& b) {
  for (const char* code : kDemoChart) {
    ScratchScope scope;
    if (Status s = DataFileReadByKeyText(b.chart, 1, StrFromC(code)); s >= kStFirstError) return s;
  }
  if (Status s = pelmora::AcRulesOn(b)) return s;
  int32_t entry = 0;
  for (const DemoEntry& e : kDemoYear) {
    ++entry;
    pelmora::AcLine debit{pelmora::AcDateOf(StrFromC(e.date)), entry, 1, e.debit, "", e.amount, "Demo", ""};
    pelmora::AcLine credit{pelmora::AcDateOf(StrFromC(e.date)), entry, 2, "", e.credit, e.amount, "Demo", ""};
    if (Status s = pelmora::AcPostLine(b, debit)) return s;
    if (Status s = pelmora::AcPostLine(b, credit)) return s;
  }
  return kOk;
}

// Every record of a file in the order of key 1.
inline std::vector<std::string> Records(uint16_t file) {
  std::vector<std::string> out;
  pelmora::AcWalk(file, 1, "", "\xff", [&]() -> Status {
    out.push_back(BufRecord(file, kBufCurrent).str());
    return kOk;
  });
  return out;
}

class PelmoraBooksTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    work_ = CopySample("Pelmora", dir_);
    ASSERT_EQ(StartPelmora(work_, &box_), kOk) << (box_.log().empty() ? "" : box_.log()[0].text);
    ASSERT_EQ(pelmora::AcBooksOpen(&books_), kOk);
    ASSERT_EQ(PostDemoYear(books_), kOk);
  }
  void TearDown() override {
    ShutdownPelmora();
    TempFolderTest::TearDown();
  }
  static DecValue Num(const std::string& expr) {
    ScratchScope scope;
    return ExpEvalNum(StrOf(expr));
  }
  static std::string Text(const std::string& expr) {
    ScratchScope scope;
    StrPair v = ExpEvalStr(StrOf(expr));
    return v.ok() ? v.str() : "<" + std::to_string(StrError(v)) + ">";
  }
  static Status Run(const std::string& statement) {
    ScratchScope scope;
    return ExpExecute(StrOf(statement));
  }

  plat::HeadlessMsgBox box_;
  std::filesystem::path work_;
  pelmora::AcBooks books_;
};

}  // namespace eng::test
