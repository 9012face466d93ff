// Printers through a spooler that writes its jobs to a folder: raw jobs,
// drawn pages in a PDF, the layout of the drawn page, refusals.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/err_register.h"
#include "core/sys_vars.h"
#include "output/device.h"
#include "output/printers.h"
#include "output/report_viewer.h"
#include "platform/headless_driver.h"
#include "platform/print_spooler.h"
#include "tests/output/output_fixture.h"
#include "tests/output/pdf_check.h"

namespace eng::test {
namespace {

class PrinterTest : public OutputTest {
 protected:
  void SetUp() override {
    OutputTest::SetUp();
    std::filesystem::create_directory("spool");
    spooler = std::make_unique<plat::FolderSpooler>((dir_ / "spool").string(), std::vector<std::string>{"Office", "Back"});
    Out().config.spooler = spooler.get();
    SysVarSet(kVarSysCompat, 128);
  }
  std::unique_ptr<plat::FolderSpooler> spooler;
};

TEST(PrnGdiLayoutTest, PageLayoutFromTheResolution) {
  struct Case {
    int horz, vert;
    PrnGdiLayout expect;
    int normal, condensed, wide;
  };
  const Case cases[] = {
      {4960, 7016, {64, 101, 281, 351, 6806, 109, 82}, 54, 32, 104},
      {7016, 4960, {36, 127, 198, 248, 4811, 90, 68}, 45, 32, 104},
  };
  for (const Case& c : cases) {
    PrnGdiLayout l = PrnGdiLayoutOf(c.horz, c.vert);
    EXPECT_EQ(l.lines, c.expect.lines);
    EXPECT_EQ(l.line_height, c.expect.line_height);
    EXPECT_EQ(l.left, c.expect.left);
    EXPECT_EQ(l.top, c.expect.top);
    EXPECT_EQ(l.page_break, c.expect.page_break);
    EXPECT_EQ(l.cell, c.expect.cell);
    EXPECT_EQ(l.font_height, c.expect.font_height);
    EXPECT_EQ(PrnGdiFontWidth(0xFF, l.cell), c.normal);
    EXPECT_EQ(PrnGdiFontWidth(0, l.cell), c.normal);
    EXPECT_EQ(PrnGdiFontWidth(0x40, l.cell), c.condensed);
    EXPECT_EQ(PrnGdiFontWidth(0xD0, l.cell), c.wide);
  }
  // The 64 lines of a portrait page fit above the break; the 65th does not.
  PrnGdiLayout l = PrnGdiLayoutOf(4960, 7016);
  EXPECT_LE(l.top + 63 * l.line_height, l.page_break);
  EXPECT_GT(l.top + 64 * l.line_height, l.page_break);
}

TEST_F(PrinterTest, RawJobsReachTheSpoolerUnchanged) {
  DeviceRecord d = DeviceOpen("Office");
  ASSERT_EQ(d.status, kOk);
  EXPECT_EQ(d.kind, 0x90);
  ASSERT_EQ(DeviceWrite(d, "Line \xF1\r\n"), kOk);
  ASSERT_EQ(DeviceWriteRaw(d, std::string("\x1B@\x00", 3)), kOk);
  // One raw job at a time: a second is refused and the first goes on.
  DeviceRecord second = DeviceOpen("Back");
  EXPECT_EQ(second.status, kStDataOutBound);
  EXPECT_EQ(DeviceClose(second), kOk);
  ASSERT_EQ(DeviceWrite(d, "end"), kOk);
  EXPECT_EQ(DeviceClose(d), kOk);
  EXPECT_EQ(Get("spool/job-1-Office.raw"), std::string("Line \xF1\r\n\x1B@\x00" "end", 14));
  EXPECT_EQ(spooler->jobs, 1);
}

TEST_F(PrinterTest, RawJobFailures) {
  EXPECT_EQ(PrnRawOpen("Nowhere", "t"), kStDataError);
  EXPECT_TRUE(ErrIncidentText().view().ends_with("Nowhere"));
  plat::FolderSpooler empty((dir_ / "spool").string(), {});
  Out().config.spooler = &empty;
  EXPECT_EQ(PrnRawOpen("", "t"), kStInternal);
  Out().config.spooler = spooler.get();
  // A printer that refuses the job: 172 at close, and no job file.
  spooler->refusing = {"Office"};
  DeviceRecord d = DeviceOpen("Office");
  ASSERT_EQ(d.status, kOk);
  DeviceWrite(d, "x\r\n");
  EXPECT_EQ(DeviceClose(d), kStDeviceIo);
  EXPECT_TRUE(std::filesystem::is_empty("spool"));
  // The state is free again for the next job.
  spooler->refusing.clear();
  EXPECT_EQ(PrnRawOpen("Office", "t"), kOk);
  EXPECT_EQ(PrnRawEnd(), kOk);
}

TEST_F(PrinterTest, DrawnPagesGoToTheSpoolerAsPdf) {
  DeviceRecord d = DeviceOpen("WINPRN");
  ASSERT_EQ(d.status, kOk);
  EXPECT_EQ(d.kind, 0x80);
  for (int i = 1; i <= 65; ++i) ASSERT_EQ(DeviceWriteRaw(d, "Line " + std::to_string(i) + "\r\n"), kOk);
  ASSERT_EQ(DeviceWriteRaw(d, "\x0F\x1CX\r\n"), kOk);
  EXPECT_EQ(DeviceClose(d), kOk);
  std::string job = "spool/job-1-Office.pdf";
  ASSERT_TRUE(Has(job));
  EXPECT_EQ(PdfPages(job), 2) << "64 lines on the first page";
  std::string text = PdfText(job);
  SCOPED_TRACE(text);
  EXPECT_LT(text.find("Line 64"), text.find('\f'));
  EXPECT_GT(text.find("Line 65"), text.find('\f'));
  // The condensed bold line: a font of 82 pixels (9.84 points), scaled to 32 pixels a character.
  std::vector<std::string> ops = PdfTextOps(Get(job));
  ASSERT_GE(ops.size(), 2u);
  EXPECT_EQ(ops[ops.size() - 2], "Tf 9.84");
  EXPECT_EQ(ops.back(), "Tj X");
}

TEST_F(PrinterTest, TheDrawnPrinterAsksForThePrinter) {
  plat::HeadlessDriver drv;
  ReportWinSetWindows(&drv.ws(), nullptr);
  drv.ws().SetStallHandler([](plat::WinSystem&, const std::string&) {});
  drv.Run(plat::Script().Wait(20).Key("Esc"));
  DeviceRecord d = DeviceOpen("WINPRN");
  EXPECT_EQ(d.status, kStCancelled);
  EXPECT_EQ(DeviceClose(d), kOk);
  drv.Run(plat::Script().Wait(20).Key("Down").Key("Enter"));
  d = DeviceOpen("WINPRN");
  ASSERT_EQ(d.status, kOk);
  DeviceWriteRaw(d, "hello\r\n");
  EXPECT_EQ(DeviceClose(d), kOk);
  EXPECT_TRUE(Has("spool/job-1-Back.pdf"));
}

}  // namespace
}  // namespace eng::test
