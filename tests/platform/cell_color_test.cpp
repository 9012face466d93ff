// The palette of the character grid: colours given as 0x00BBGGRR mapped to
// the nearest entry, and the controls that paint colours of their own.
#include "platform/cell_color.h"
#include "platform/compositor.h"
#include "tests/platform/win_fixture.h"

namespace plat::test {
namespace {

TEST(CellColor, EveryPaletteColourMapsToItself) {
  for (int c = 1; c < kCellColorCount; ++c)
    EXPECT_EQ(int{NearestCellColor(CellColorBgr(static_cast<uint8_t>(c)))}, c);
}

TEST(CellColor, NearestEntryOfAColour) {
  struct Case {
    uint32_t bgr;
    CellColor want;
  } cases[] = {
      {0x000000, kColorBlack},
      {0x0000FF, kColorLightRed},        // pure red (red is the low byte)
      {0xFF0000, kColorLightBlue},       // pure blue
      {0x00FFFF, kColorYellow},
      {0x000080, kColorRed},
      {0x008080, kColorBrown},
      {0xFFE0E0, kColorWhite},           // the pale blue of data grids
      {0xE1FFFF, kColorWhite},           // pale yellow
      {0x101010, kColorBlack},
      {0x7F7F7F, kColorDarkGray},
      {0xC8D0D4, kColorLightGray},       // button face
      {0xA0A0A0, kColorLightGray},       // as far from light as from dark grey: the lower entry
      {0x0080FF, kColorBrown},           // orange: brown and yellow tie, the lower entry
      {0xFF000000, kColorDefault},       // "default" marker
      {0xFFFFFFFF, kColorDefault},       // "none" marker
  };
  for (const auto& c : cases) EXPECT_EQ(int{NearestCellColor(c.bgr)}, int{c.want}) << std::hex << c.bgr;
}

TEST(CellColor, TerminalNumbersAndSnapshotCodes) {
  EXPECT_EQ(CellColorTerm(kColorDefault), -1);
  EXPECT_EQ(CellColorTerm(kColorBlack), 0);
  EXPECT_EQ(CellColorTerm(kColorLightGray), 7);
  EXPECT_EQ(CellColorTerm(kColorWhite), 15);
  EXPECT_EQ(CellColorTerm(kCellColorCount), -1);
  EXPECT_EQ(CellColorCode(kColorDefault), ' ');
  EXPECT_EQ(CellColorCode(kColorRed), '1');
  EXPECT_EQ(CellColorCode(kColorDarkGray), '8');
  EXPECT_EQ(CellColorCode(kColorWhite), 'f');
  EXPECT_EQ(CellColorBgr(kColorDefault), 0xFFFFFFFFu);
}

class ColouredControls : public WinTest {};

TEST_F(ColouredControls, ABannerIsWhiteOnGreyAndLabelsKeepTheTerminalsColours) {
  Hwnd top = Top("form", {0, 0, 480, 264});
  ws.Show(top, ShowCmd::kShow);
  Hwnd banner = CreateStatic(ws, top, 0, {0, 0, 120, 72}, "uno\r\ndos", kSsBanner);
  Hwnd label = CreateStatic(ws, top, 0, {0, 96, 120, 24}, "Nombre");
  CellGrid g = Compose(ws);
  const CellRect b = WindowCells(ws, banner);
  const CellRect l = WindowCells(ws, label);
  // Rows: the caption, then the banner's three rows, the line between, the label.
  ASSERT_EQ(b.row, 1);
  ASSERT_EQ(l.row, 5);
  auto first_rows = [](const std::string& snap, int n) {
    size_t end = 0;
    for (int i = 0; i < n; ++i) end = snap.find('\n', end) + 1;
    return snap.substr(0, end);
  };
  EXPECT_EQ(first_rows(g.ColorSnapshot(false), 6), "\nffffffffff\nffffffffff\nffffffffff\n\n\n");
  EXPECT_EQ(first_rows(g.ColorSnapshot(true), 6), "\n8888888888\n8888888888\n8888888888\n\n\n");
  EXPECT_EQ(g.Row(1), "   uno");
  EXPECT_EQ(g.Row(l.row), "Nombre");
  EXPECT_EQ(g.at(0, l.row).fg, kColorDefault);
  EXPECT_EQ(g.at(0, l.row).bg, kColorDefault);
  // The attributes are as before: the banner in reverse video.
  EXPECT_EQ(g.at(0, b.row).attr, kAttrReverse);
}

}  // namespace
}  // namespace plat::test
