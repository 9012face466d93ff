// The report viewer, headless: the CON device's text in a read-only window
// over the window on top, buttons, Esc, scrolling and search, the size limit.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "core/dyn_strings.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "output/device.h"
#include "output/report_viewer.h"
#include "platform/headless_driver.h"
#include "tests/output/output_fixture.h"

namespace eng::test {
namespace {

class ViewerTest : public OutputTest {
 protected:
  void SetUp() override {
    OutputTest::SetUp();
    ReportWinSetWindows(&drv.ws(), nullptr);
    drv.ws().SetStallHandler([this](plat::WinSystem&, const std::string& report) { stalls.push_back(report); });
    plat::CreateParams p;
    p.text = "main";
    p.style = plat::kWsCaption;
    p.w = 80 * 12;
    p.h = 24 * 24;
    main = drv.ws().Create(p);
    drv.ws().Show(main, plat::ShowCmd::kShow);
    drv.ws().Activate(main);
    ::setenv("TEMP", dir_.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("TEMP");
    OutputTest::TearDown();
  }
  // A CON device with the text written, ended (the viewer runs the script) and closed.
  Status Show(const std::string& device, const std::string& text, const plat::Script& script) {
    DeviceRecord d = DeviceOpen(device);
    EXPECT_EQ(d.status, kOk);
    EXPECT_EQ(DeviceWrite(d, text), kOk);
    drv.Run(script);
    Status s = DeviceEnd(d);
    EXPECT_EQ(DeviceClose(d), kOk);
    return s;
  }
  plat::HeadlessDriver drv;
  plat::Hwnd main = plat::kNoWindow;
  std::vector<std::string> stalls;
};

TEST_F(ViewerTest, ShowsTheReportAndAButtonCloses) {
  SysVarSet(kVarCurEdFld, 7);
  EXPECT_EQ(Show("CON", "L1\r\nL2", plat::Script().ExpectText(kViewerEditId, "L1\r\nL2").Click(kViewerButtonBase)), kOk);
  EXPECT_TRUE(stalls.empty()) << stalls.front();
  EXPECT_TRUE(drv.input().failures().empty()) << drv.input().failures().front();
  EXPECT_EQ(SysVarGet(kVarCurEdFld), 0);
  EXPECT_TRUE(drv.ws().IsEnabled(main)) << "the owner is enabled again";
  EXPECT_EQ(drv.ws().Active(), main);
}

TEST_F(ViewerTest, CaptionsFromTheSettingsAndEsc) {
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kButtonCaptions, StrOf("Imprimir,Cancelar")), kOk);
  SysVarSet(kVarCurEdFld, 7);
  EXPECT_EQ(Show("CON", "x", plat::Script().ExpectText(kViewerButtonBase + 1, "Cancelar").Click(kViewerButtonBase + 1)), kOk);
  EXPECT_EQ(SysVarGet(kVarCurEdFld), 1);
  SysVarSet(kVarCurEdFld, 7);
  EXPECT_EQ(Show("CON", "", plat::Script().ExpectText(kViewerEditId, "").Key("Esc")), kOk);
  EXPECT_EQ(SysVarGet(kVarCurEdFld), 7) << "Esc sets no button";
  EXPECT_TRUE(stalls.empty());
  EXPECT_TRUE(drv.input().failures().empty()) << drv.input().failures().front();
}

TEST_F(ViewerTest, ScrollsAndSearches) {
  std::string text;
  for (int i = 1; i <= 200; ++i) text += "Line " + std::to_string(i) + (i == 150 ? " total" : "") + "\r\n";
  plat::Hwnd v = plat::kNoWindow;
  ASSERT_EQ(ReportWinCreate(132, 72, text, &v), kOk);
  // Never wider or higher than the owner's client area.
  plat::Rect r = drv.ws().GetRect(v);
  EXPECT_EQ(r.w, drv.ws().ClientRect(main).w);
  EXPECT_FALSE(drv.ws().IsEnabled(main));
  plat::Hwnd edit = drv.ws().FindChild(v, kViewerEditId);
  EXPECT_EQ(drv.ws().Focus(), edit);
  drv.Run(plat::Script().Key("PgDn").Key("Down"));
  drv.ws().Pump();
  size_t top = drv.ws().Rec(edit)->edit.top_line;
  EXPECT_GT(top, 1u) << "the page and the line scrolled";
  EXPECT_EQ(ReportWinFind(v, "total", false), 149);
  EXPECT_EQ(drv.ws().Rec(edit)->edit.top_line, 149u);
  EXPECT_EQ(ReportWinFind(v, "Line 2\r", false), 1) << "the search wraps round";
  EXPECT_EQ(ReportWinFind(v, "absent", true), -1);
  drv.ws().Destroy(v);
}

TEST_F(ViewerTest, TooLargeAFileIsRefused) {
  DeviceRecord d = DeviceOpen("CON");
  ASSERT_EQ(d.status, kOk);
  // A sparse file of 64 MB.
  ASSERT_EQ(std::fseek(StrmHandle(d.channel), 0x4000000 - 1, SEEK_SET), 0);
  ASSERT_EQ(std::fputc('x', StrmHandle(d.channel)), 'x');
  EXPECT_EQ(DeviceEnd(d), kStStringTooLong);
  EXPECT_EQ(DeviceClose(d), kOk);
  EXPECT_EQ(drv.ws().TopLevels().size(), 1u) << "no viewer was made";
}

TEST_F(ViewerTest, FailedReportsDoNotLeakTheirFile) {
  // Devices closed without being ended give their stream back.
  for (int i = 0; i < 40; ++i) {
    DeviceRecord d = DeviceOpen("CON");
    ASSERT_EQ(d.status, kOk) << i;
    DeviceClose(d);
  }
  DeviceRecord f = DeviceOpen("after.txt");
  EXPECT_EQ(f.status, kOk);
  DeviceClose(f);
}

}  // namespace
}  // namespace eng::test
