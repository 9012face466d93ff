// The device selection dialog: the device text of each choice, the options
// each device enables, the dialog driven headless, answers from the INPUT
// script journalled like chosen ones, DEV asking a free name.
#include "output/device_dialog.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/dyn_strings.h"
#include "core/streams.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "output/report_viewer.h"
#include "platform/ctl_combo.h"
#include "platform/headless_driver.h"
#include "platform/win_core.h"
#include "tests/output/output_fixture.h"

namespace eng::test {
namespace {

std::vector<std::string> g_journal;

class DevSelectTest : public OutputTest {
 protected:
  void SetUp() override {
    OutputTest::SetUp();
    g_journal.clear();
    OutputSetJournal([](std::string_view line) { g_journal.emplace_back(line); });
    drv.ws().SetStallHandler([this](plat::WinSystem&, const std::string& report) { stalls.push_back(report); });
  }
  void TearDown() override {
    OutputSetJournal(nullptr);
    ReportWinSetWindows(nullptr, nullptr);
    if (uint16_t h = SysVarBits(kVarInHnd)) StrmClose(h);
    SysVarSet(kVarInHnd, 0);
    OutputTest::TearDown();
  }
  void Windows() {
    ReportWinSetWindows(&drv.ws(), nullptr);
    plat::CreateParams p;
    p.text = "main";
    p.style = plat::kWsCaption;
    p.w = 80 * 12;
    p.h = 24 * 24;
    main = drv.ws().Create(p);
    drv.ws().Show(main, plat::ShowCmd::kShow);
    drv.ws().Activate(main);
  }
  static void Script(const std::string& lines) {
    Put("script.txt", lines);
    SysVarSet(kVarInHnd, static_cast<int16_t>(StrmOpen(StrOf("script.txt"), kStrmNoUpdate)));
  }
  plat::HeadlessDriver drv;
  plat::Hwnd main = plat::kNoWindow;
  std::vector<std::string> stalls;
};

TEST_F(DevSelectTest, TheDeviceTextOfEachChoice) {
  auto temp = [](std::string_view ext) { return "/tmp/dev123." + std::string(ext); };
  struct Case {
    int device, speed, format;
    std::array<std::string, 4> edits;
    const char* save;  // the save dialog's answer
    const char* want;
  } cases[] = {
      {10, 1, 4, {}, "", "COM2:4800,N,8,2"},
      {9, -1, 0, {}, "", "COM1:9600,N,8,1"},
      {3, -1, -1, {"66", "132", "", ""}, "", "LPT3 /LP:66 /WD:132"},
      {7, -1, -1, {"", "", "", "S"}, "", "/tmp/dev123.PDF /VW:S"},
      {7, -1, -1, {"", "", "", "N"}, "r.pdf", "r.pdf /VW:N"},
      {8, -1, -1, {"60", "", "", "N"}, "", ""},
      {12, -1, -1, {}, "", "WINPRN"},
      {-1, -1, -1, {}, "", ""},
  };
  for (const Case& c : cases) {
    DevSelectChoice choice{c.device, c.speed, c.format, c.edits};
    EXPECT_EQ(DevSelectOkText(choice, temp, [&](std::string_view) { return std::string(c.save); }), c.want)
        << c.device;
  }
  const uint8_t masks[] = {0x1C, 0x1C, 0x1C, 0x1C, 0x1C, 0x1C, 0x1C, 0x3C, 0x3C, 0x1F, 0x1F, 0, 0};
  for (int i = 0; i < 13; ++i) EXPECT_EQ(DevSelectOptionMask(i), masks[i]) << i;
}

TEST_F(DevSelectTest, ScriptedAnswersAreJournalledLikeChosenOnes) {
  Script("LPT1 /LP:66\nDEV\n\nLPT2\nDEV\n'my file.txt'\n");
  std::string text;
  EXPECT_EQ(ReportAskDevice(text), kOk);
  EXPECT_EQ(text, "LPT1 /LP:66");
  EXPECT_TRUE(SysVarHas(kVarSysCompat, 128));
  EXPECT_EQ(DynStrGet(sl::kWork, sl::kDeviceSpec).view(), "LPT1 /LP:66");
  // DEV with an empty name comes back to the device choice.
  EXPECT_EQ(ReportAskDevice(text), kOk);
  EXPECT_EQ(text, "LPT2");
  EXPECT_EQ(ReportAskDevice(text), kOk);
  EXPECT_EQ(text, "my file.txt");
  // The script is exhausted and there is no window: a cancel, journalled empty.
  EXPECT_EQ(ReportAskDevice(text), kStCancelled);
  EXPECT_EQ(g_journal, (std::vector<std::string>{"LPT1 /LP:66", "DEV", "LPT2", "DEV", ""}));
}

TEST_F(DevSelectTest, TheDialogHeadless) {
  Windows();
  // LPT3 with lines and width typed; Tab runs along the enabled controls.
  bool lpt_enabled = false, speed_enabled = true, view_enabled = true;
  drv.ws().SetTimer(plat::kNoWindow, 99, 30, [&](plat::WinSystem& s, plat::Hwnd, int) {
    s.KillTimer(plat::kNoWindow, 99);
    plat::Hwnd box = s.Active();
    lpt_enabled = s.IsEnabled(s.FindChild(box, kDevSelLpt));
    speed_enabled = s.IsEnabled(s.FindChild(box, kDevSelSpeed));
    view_enabled = s.IsEnabled(s.FindChild(box, kDevSelView));
  });
  drv.Run("key Down\nkey Down\nkey Down\nwait 50ms\nclick id=2500\ntype \"66\"\nclick id=2501\ntype \"132\"\n"
          "click id=3100\n");
  std::string text;
  EXPECT_EQ(ReportAskDevice(text), kOk);
  EXPECT_EQ(text, "LPT3 /LP:66 /WD:132");
  // The open flag of the dialog's screen is not left for the next screen to open.
  EXPECT_FALSE(SysVarHas(kVarScrStat, 2));
  EXPECT_TRUE(lpt_enabled);
  EXPECT_FALSE(speed_enabled);
  EXPECT_FALSE(view_enabled);
  // Esc cancels; the journal holds both answers.
  drv.Run("key Esc\n");
  EXPECT_EQ(ReportAskDevice(text), kStCancelled);
  EXPECT_EQ(g_journal, (std::vector<std::string>{"LPT3 /LP:66 /WD:132", ""}));
  EXPECT_TRUE(stalls.empty());
}

}  // namespace
}  // namespace eng::test
