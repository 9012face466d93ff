// The journal-entry window of the pelmora sample (PLDIA, a navigation
// window over the journal) on the headless window system, with the demo
// year posted: Open() opens it as the menu does, Drive() runs a key script
// in a window until the script is used up.
#pragma once

#include <string>
#include <vector>

#include "apps/pelmora/ac_text.h"
#include "platform/headless_driver.h"
#include "tests/apps/pelmora_books_fixture.h"
#include "tests/ui/ui_fixture.h"
#include "ui/font_cfg.h"
#include "ui/fonts.h"
#include "ui/nav_win.h"
#include "ui/screen_dispatch.h"
#include "ui/ui_state.h"
#include "ui/win_create.h"
#include "ui/win_stack.h"
#include "ui/window_procs.h"

namespace eng::test {

// A predefined entry (TIPO "P") of three lines on 20240601 with its
// operation records in the registry files.
inline void PostPredefinedEntry(const pelmora::AcBooks& b) {
  using namespace pelmora;
  auto D = [](const char* t) { return AcDateOf(StrFromC(t)); };
  const AcLine lines[] = {{D("20240601"), 8, 1, "57200001", "", 5000, "Cuota", "P"},
                          {D("20240601"), 8, 2, "", "70000000", 3000, "Cuota", "P"},
                          {D("20240601"), 8, 3, "", "70000000", 2000, "Cuota", "P"}};
  for (const AcLine& l : lines) ASSERT_EQ(AcPostLine(b, l), kOk);
  // Registry records: FECHA, ASIENTO (and N_LINE in the second file).
  for (uint16_t file : {AppModuleFile(1), AppModuleFile(2)}) {
    ASSERT_LT(DataFileOpen(file, 0), kStFirstWarning);
    for (int n = 1; n <= 2; ++n) {
      const bool other = file == AppModuleFile(1) && n == 2;  // another entry's record
      ASSERT_EQ(DataFileMove(file, 1), 3);
      ASSERT_EQ(AcSetFieldText(file, 1, other ? "20240602" : "20240601"), kOk);
      ASSERT_EQ(AcSetFieldText(file, 2, other ? "1" : "8"), kOk);
      if (file == AppModuleFile(2)) {
        ASSERT_EQ(AcSetFieldText(file, 3, std::to_string(n)), kOk);
      }
      ASSERT_EQ(DataFileAddRecord(file), kOk);
    }
  }
}

// The records of a file (opened when it is not).
inline size_t FileRecordCount(uint16_t file) {
  EXPECT_LT(DataFileOpen(file, 0), kStFirstWarning);
  return Records(file).size();
}

class PelmoraEntryWindowTest : public PelmoraBooksTest {
 protected:
  void SetUp() override {
    PelmoraBooksTest::SetUp();
    driver_.ws().SetStallHandler([this](plat::WinSystem&, const std::string& report) { stall_ = report; });
    UiSetWinSystem(&driver_.ws());
    Ui().base_grid = {80, 24, 0, 0, 0, 0};
    FontRegister(24, 12, 400, StrOf("Lucida Console"));
    root_ = WinCreateKind(0, 0, StrOf("Pelmora"), 0, 80, 24, {});
    WinShowTop(-1);
  }
  void TearDown() override {
    UiSetWinSystem(nullptr);
    PelmoraBooksTest::TearDown();
  }

  Status Open() {
    Status s = NavWindow(StrOf("PLDIA,1,80,22,9"));
    window_ = WinTop();
    WinShowTop(-1);
    ScreenWinFirstFocus(window_);
    return s;
  }
  void Drive(const std::string& script) { DriveHeadless(driver_, stall_, root_, window_, script); }
  void DriveIn(plat::Hwnd window, const std::string& script) {
    DriveHeadless(driver_, stall_, root_, window, script);
  }
  std::vector<std::string> Boxes() {
    std::vector<std::string> out;
    for (const auto& b : box_.log()) out.push_back(b.text);
    return out;
  }

  plat::HeadlessDriver driver_;
  plat::Hwnd root_ = plat::kNoWindow;
  plat::Hwnd window_ = plat::kNoWindow;
  std::string stall_;
};

}  // namespace eng::test
