// The PDF device: pages, header images, size codes, separator lines, slots
// and failures, checked with poppler's tools and the content streams.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/string_lists.h"
#include "output/device.h"
#include "tests/output/output_fixture.h"
#include "tests/output/pdf_check.h"

namespace eng::test {
namespace {

class PdfDeviceTest : public OutputTest {
 protected:
  void SetUp() override {
    OutputTest::SetUp();
    ASSERT_TRUE(WritePng("pdf_header.png", 40, 20));
  }
  // Writes the lines (each with CR LF) to the device and closes it.
  Status Print(const std::string& device, const std::vector<std::string>& lines) {
    DeviceRecord d = DeviceOpen(device);
    if (d.status) return d.status;
    for (const std::string& l : lines)
      if (Status s = DeviceWrite(d, l)) return s;
    Status e = DeviceEnd(d);
    Status c = DeviceClose(d);
    return e ? e : c;
  }
  static std::vector<std::string> Numbered(int n) {
    std::vector<std::string> v;
    for (int i = 1; i <= n; ++i) v.push_back("Line " + std::to_string(i) + "\r\n");
    return v;
  }
  static std::vector<std::string> Shown(const std::string& file) {
    std::vector<std::string> out;
    for (const std::string& op : PdfTextOps(Get(file)))
      if (op.rfind("Tj ", 0) == 0) out.push_back(op.substr(3));
    return out;
  }
};

TEST_F(PdfDeviceTest, PagesFollowTheDeviceWithTheHeaderImageOnEach) {
  ASSERT_EQ(Print("r.pdf /LP:72", Numbered(150)), kOk);
  EXPECT_EQ(PdfPages("r.pdf"), 3);
  EXPECT_EQ(PdfImagesShown("r.pdf"), 3) << Command("pdfimages -list r.pdf");
  std::vector<std::string> shown = Shown("r.pdf");
  ASSERT_EQ(shown.size(), 150u);
  EXPECT_EQ(shown.front(), "Line 1");
  EXPECT_EQ(shown.back(), "Line 150");
  std::string text = PdfText("r.pdf");
  EXPECT_NE(text.find("Line 72\n"), std::string::npos);
  EXPECT_LT(text.find("Line 72\n"), text.find('\f')) << "line 72 ends the first page";
}

TEST_F(PdfDeviceTest, SizeCodesAndCodePage) {
  ASSERT_EQ(Print("s.pdf", {"\x0F" "small\r\n", "normal\x0E\r\n", "wide\r\n", "A\xF1o\r\n"}), kOk);
  std::vector<std::string> ops = PdfTextOps(Get("s.pdf"));
  std::vector<std::string> expected = {"Tf 10", "Tf 6", "Tj small", "Tj normal", "Tf 14", "Tj wide", "Tj A\\361o"};
  // Only the operators from the first size change on.
  auto first = std::find(ops.begin(), ops.end(), "Tf 6");
  ASSERT_NE(first, ops.end());
  EXPECT_EQ(std::vector<std::string>(first - 1, ops.end()), expected);
  EXPECT_NE(PdfText("s.pdf").find("A\xC3\xB1o"), std::string::npos) << "code page 1252 comes back as UTF-8";
}

TEST_F(PdfDeviceTest, SeparatorLinesDropOnlyUnderAReportImage) {
  ASSERT_EQ(Print("a.pdf", {"top\r\n", "=====  ===\r\n", "end\r\n"}), kOk);
  EXPECT_EQ(Shown("a.pdf"), (std::vector<std::string>{"top", "=====  ===", "end"}));
  ASSERT_TRUE(WritePng("pdf_REP.png", 30, 30));
  ASSERT_EQ(DynStrSet(sl::kWork, sl::kPdfHeaderImage, StrOf("pdf_REP.png")), kOk);
  ASSERT_EQ(Print("b.pdf", {"top\r\n", "=====  ===\r\n", "end\r\n"}), kOk);
  EXPECT_EQ(Shown("b.pdf"), (std::vector<std::string>{"top", "end"}));
  EXPECT_EQ(DynStrGet(sl::kWork, sl::kPdfHeaderImage).view(), "") << "the report's image ends with its document";
}

TEST_F(PdfDeviceTest, PendingTextAndLongPagesAreShown) {
  // Text after the last line end is the last line.
  ASSERT_EQ(Print("p.pdf", {"one\r\n", "tail"}), kOk);
  EXPECT_EQ(Shown("p.pdf"), (std::vector<std::string>{"one", "tail"}));
  // Without paging, lines that would fall off the page start a new one.
  ASSERT_EQ(Print("q.pdf /LP:0", Numbered(100)), kOk);
  EXPECT_EQ(PdfPages("q.pdf"), 2);
  EXPECT_EQ(Shown("q.pdf").size(), 100u);
}

TEST_F(PdfDeviceTest, EightSlotsAndTheNinthIsRefused) {
  std::vector<DeviceRecord> open;
  for (int i = 0; i < 8; ++i) {
    open.push_back(DeviceOpen("d" + std::to_string(i) + ".pdf"));
    ASSERT_EQ(open.back().status, kOk);
  }
  DeviceRecord ninth = DeviceOpen("d8.pdf");
  EXPECT_EQ(ninth.status, kStOutOfMemory);
  EXPECT_EQ(DeviceClose(ninth), kOk) << "closing a failed device touches no slot";
  EXPECT_FALSE(Has("d8.pdf"));
  for (size_t i = 0; i < open.size(); ++i) {
    ASSERT_EQ(DeviceWrite(open[i], "doc " + std::to_string(i) + "\r\n"), kOk);
    ASSERT_EQ(DeviceClose(open[i]), kOk);
    EXPECT_EQ(Shown("d" + std::to_string(i) + ".pdf"), std::vector<std::string>{"doc " + std::to_string(i)});
  }
}

TEST_F(PdfDeviceTest, FailuresLeaveNoFileUnderTheName) {
  // A missing header image: 164 naming it.
  std::filesystem::remove("pdf_header.png");
  EXPECT_EQ(Print("m.pdf", {"x\r\n"}), kStFileNotFound);
  EXPECT_EQ(ErrIncidentText().view(), "pdf_header.png");
  EXPECT_FALSE(Has("m.pdf"));
  // A corrupt image: the library's failure, 172.
  Put("pdf_header.png", "not a png");
  EXPECT_EQ(Print("c.pdf", {"x\r\n"}), kStDeviceIo);
  EXPECT_FALSE(Has("c.pdf"));
  // A folder that cannot be written (here: a file stands where the folder
  // should be): 131 at close, naming the file, and nothing left behind.
  ASSERT_TRUE(WritePng("pdf_header.png", 40, 20));
  Put("ro", "a file");
  EXPECT_EQ(Print("ro/r.pdf", {"x\r\n"}), kStFileIo);
  EXPECT_TRUE(ErrIncidentText().view().ends_with("ro/r.pdf")) << ErrIncidentText().str();
  EXPECT_EQ(Get("ro"), "a file");
  size_t entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(".")) entries += e.path().filename() != "" ? 1 : 0;
  EXPECT_EQ(entries, 2u) << "only the image and the file";
}

}  // namespace
}  // namespace eng::test
