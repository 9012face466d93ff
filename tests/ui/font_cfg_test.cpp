// The display font settings file: loading its first line, refusing garbage,
// and the font verb's choice rewriting the file.
#include "core/err_register.h"
#include "tests/ui/ui_fixture.h"

namespace eng::test {
namespace {

class FontCfgTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    FontRegister(24, 12, 400, StrOf("Lucida Console"));  // the program's own font
  }
};

TEST_F(FontCfgTest, FirstLineBecomesTheCurrentFont) {
  Put("KVFONT.PPN", "16;8;BOLD;Courier New \r\n24;12;;Lucida Console\r\n");
  ASSERT_EQ(FontCfgLoad(), kOk);
  const FontTable& t = FontTableGet();
  ASSERT_EQ(t.current, 1);
  EXPECT_EQ(t.entries[1].height, 16);
  EXPECT_EQ(t.entries[1].width, 8);
  EXPECT_EQ(t.entries[1].weight, 700);
  EXPECT_STREQ(t.entries[1].face, "Courier New");
  EXPECT_EQ(FontCellSize(), (GeomSize{8, 16}));
  EXPECT_EQ(d.ws().metrics().cell_w, 8) << "the window system is told the cell";
}

TEST_F(FontCfgTest, MissingOrGarbageKeepsTheProgramsFont) {
  EXPECT_EQ(FontCfgLoad(), kStLowFailure) << "missing file";
  struct Case { const char* bytes; Status want; } cases[] = {
      {"", kStLowFailure},
      {"garbage\x01\xFF;;\r\n", kStDataError},
      {"16;0;;Courier\r\n", kStDataError},
      {"-4;8;;Courier\r\n", kStDataError},
      {"999;8;;Courier\r\n", kStDataError},
  };
  for (const Case& c : cases) {
    Put("KVFONT.PPN", c.bytes);
    EXPECT_EQ(FontCfgLoad(), c.want) << c.bytes;
    EXPECT_EQ(FontTableGet().current, 0);
    EXPECT_EQ(FontCellSize(), (GeomSize{12, 24}));
  }
  EXPECT_EQ(ErrIncidentText().str(), "999;8;;Courier");
}

TEST_F(FontCfgTest, ChoosingALineRewritesTheFileWithItFirst) {
  Put("KVFONT.PPN", "L1;1;;A\r\nL2;2;;B\r\nL3;3;;C\r\n");
  std::string offered;
  UiSetChooser([&](StrPair title, StrPair choices) -> uint16_t {
    offered = title.str() + "|" + choices.str();
    return 3;
  });
  ASSERT_EQ(FontCfgChoose(), kOk);
  EXPECT_EQ(offered, "Font|L1;1;;A,L2;2;;B,L3;3;;C");
  EXPECT_EQ(Get("KVFONT.PPN"), "L3;3;;C\r\nL1;1;;A\r\nL2;2;;B");
  EXPECT_EQ(FontTableGet().current, 0) << "the new font takes effect at the next start";

  UiSetChooser([](StrPair, StrPair) -> uint16_t { return 0; });
  EXPECT_EQ(FontCfgChoose(), kStCancelled);
  EXPECT_EQ(Get("KVFONT.PPN"), "L3;3;;C\r\nL1;1;;A\r\nL2;2;;B");
}

}  // namespace
}  // namespace eng::test

namespace eng::test {
namespace {

TEST_F(FontCfgTest, TheFontVerbsDialogRunsThroughTheWindowSystem) {
  Put("KVFONT.PPN", "L1;1;;A\r\nL2;2;;B\r\nL3;3;;C\r\n");
  Ui().base_grid = {80, 24, 0, 0, 0, 0};
  d.Run("expect focus id=3350\nkey Down\nkey Down\nkey Enter\n");
  ASSERT_EQ(FontCfgChoose(), kOk) << stall << ::testing::PrintToString(d.input().log());
  EXPECT_EQ(Get("KVFONT.PPN"), "L3;3;;C\r\nL1;1;;A\r\nL2;2;;B");
  EXPECT_EQ(WinStackCount(), 0) << "the chooser is closed";
  EXPECT_EQ(WinGridGet(), (ScreenGrid{80, 24, 0, 0, 0, 0})) << "the grid is as before";
  d.Run("key Esc\n");
  EXPECT_EQ(FontCfgChoose(), kStCancelled);
  EXPECT_EQ(Get("KVFONT.PPN"), "L3;3;;C\r\nL1;1;;A\r\nL2;2;;B");
  EXPECT_TRUE(d.input().failures().empty());
  EXPECT_EQ(stall, "");
}

}  // namespace
}  // namespace eng::test
