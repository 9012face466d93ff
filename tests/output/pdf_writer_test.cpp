// The PDF writer's text operators: the document it writes is byte for byte
// the one libHaru's own calls write for the same steps (escapes, code page
// 1252 bytes, texts of no width, moves it formats itself and moves it leaves
// to the library), and misplaced text calls fail with libHaru's errors.
#include "output/pdf_writer.h"

#include <gtest/gtest.h>
#include <hpdf.h>

#include <string>
#include <variant>
#include <vector>

namespace eng::test {
namespace {

struct Font {
  const char* face;
  float size;
};
struct Move {
  float dx, dy;
};
using Step = std::variant<Font, std::string, Move>;

std::string AllBytes() {
  std::string s;
  for (int c = 1; c < 256; ++c) s.push_back(static_cast<char>(c));
  return s;
}

// The steps through the writer, on one page in one text object.
std::string ThroughWriter(const std::vector<Step>& steps) {
  PdfWriter w;
  std::string out;
  EXPECT_TRUE(w.Create() && w.AddPage() && w.BeginText(80, 700));
  for (const Step& s : steps) {
    bool done = true;
    if (auto f = std::get_if<Font>(&s)) done = w.SetFont(f->face, f->size);
    if (auto t = std::get_if<std::string>(&s)) done = w.ShowText(*t);
    if (auto m = std::get_if<Move>(&s)) done = w.MoveText(m->dx, m->dy);
    EXPECT_TRUE(done) << w.error();
  }
  EXPECT_TRUE(w.EndText() && w.SaveToMemory(out)) << w.error();
  return out;
}

// The same steps through libHaru's own calls.
std::string ThroughLibrary(const std::vector<Step>& steps) {
  HPDF_Doc doc = HPDF_New(nullptr, nullptr);
  HPDF_SetCompressionMode(doc, HPDF_COMP_ALL);
  HPDF_Page page = HPDF_AddPage(doc);
  HPDF_Page_BeginText(page);
  HPDF_Page_MoveTextPos(page, 80, 700);
  for (const Step& s : steps) {
    if (auto f = std::get_if<Font>(&s))
      HPDF_Page_SetFontAndSize(page, HPDF_GetFont(doc, f->face, "WinAnsiEncoding"), f->size);
    if (auto t = std::get_if<std::string>(&s); t && !t->empty()) HPDF_Page_ShowText(page, t->c_str());
    if (auto m = std::get_if<Move>(&s)) HPDF_Page_MoveTextPos(page, m->dx, m->dy);
  }
  HPDF_Page_EndText(page);
  EXPECT_EQ(HPDF_GetError(doc), HPDF_OK);
  HPDF_SaveToStream(doc);
  HPDF_ResetStream(doc);
  std::string out;
  for (HPDF_STATUS e = HPDF_OK; e == HPDF_OK;) {
    HPDF_BYTE buf[4096];
    HPDF_UINT32 n = sizeof buf;
    e = HPDF_ReadFromStream(doc, buf, &n);
    out.append(reinterpret_cast<const char*>(buf), n);
  }
  HPDF_Free(doc);
  return out;
}

TEST(PdfWriterTest, TextOperatorsWriteWhatLibHaruWrites) {
  const Font courier{"Courier", 10};
  struct Case {
    const char* name;
    std::vector<Step> steps;
  } cases[] = {
      {"plain lines", {courier, std::string("Line 1"), Move{0, -10}, std::string("Line 2"), Move{0, -10}}},
      {"escaped characters", {courier, std::string("(a) b\\c %#/<>[]{} ~")}},
      {"every byte", {courier, AllBytes()}},
      {"code page 1252", {courier, std::string("A\xF1o \x80 \xA0")}},
      {"control bytes only", {courier, std::string("\x0F\x0E\x12\x14"), std::string("\x01"), Move{0, -10}}},
      {"empty and cut at NUL", {courier, std::string(), std::string("ab\0cd", 5), std::string("\0x", 2)}},
      {"long escaped line", {courier, std::string(300, '(') + std::string(300, 'x') + AllBytes()}},
      {"fonts and sizes", {Font{"Courier-Bold", 6}, std::string("bold"), Font{"Times-Roman", 14},
                           std::string("\x01 roman"), Font{"Courier", 14}, std::string("back")}},
      {"whole moves", {courier, Move{0, 0}, Move{-0.0f, 5}, Move{32767, -32767}, Move{-12, 345}}},
      {"moves left to libHaru", {courier, Move{1.5f, -2.25f}, Move{40000, 0}, Move{-32768, 0}, Move{0, 0.1f}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ThroughWriter(c.steps), ThroughLibrary(c.steps)) << c.name;
  }
}

TEST(PdfWriterTest, MisplacedTextFailsAsInLibHaru) {
  struct Case {
    const char* name;
    bool begin_text, set_font;
    unsigned long error;
  } cases[] = {
      {"outside a text object", false, true, HPDF_PAGE_INVALID_GMODE},
      {"without a font", true, false, HPDF_PAGE_FONT_NOT_FOUND},
  };
  for (const Case& c : cases) {
    for (bool show : {true, false}) {
      PdfWriter w;
      ASSERT_TRUE(w.Create() && w.AddPage());
      ASSERT_TRUE(!c.set_font || w.SetFont("Courier", 10));
      ASSERT_TRUE(!c.begin_text || w.BeginText(80, 700));
      bool done = show ? w.ShowText("x") : w.MoveText(0, -10);
      if (!show && c.begin_text) {
        EXPECT_TRUE(done) << c.name << ": a move needs no font";
        continue;
      }
      EXPECT_FALSE(done) << c.name << (show ? " (show)" : " (move)");
      EXPECT_EQ(w.error(), c.error) << c.name << (show ? " (show)" : " (move)");
    }
  }
}

}  // namespace
}  // namespace eng::test
