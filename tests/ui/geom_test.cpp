// The grid, its pixel geometry and the font table, with the worked values of
// a 12 x 24 cell.
#include "tests/ui/ui_fixture.h"

namespace eng::test {
namespace {

class GeomTest : public UiTest {
 protected:
  void Grid(ScreenGrid g) {
    Ui().base_grid = g;
    Ui().override_grid = {};
  }
};

TEST_F(GeomTest, RowHeightRoundsHalfAwayFromZero) {
  struct Case { int n, s, ch, want; } cases[] = {
      {1, 50, 24, 36}, {1, 50, 25, 38}, {1, 10, 25, 28}, {3, 0, 24, 72}, {0, 50, 24, 0}};
  for (const Case& c : cases) EXPECT_EQ(GeomRowHeight(c.n, c.s, c.ch), c.want) << c.n << "," << c.s << "," << c.ch;
}

TEST_F(GeomTest, PositionsOnTheGrid) {
  Grid({80, 24, 2, 1, 0, 50});
  EXPECT_EQ(GeomColToX(1), 25);
  EXPECT_EQ(GeomRowToY(1), 37);
  EXPECT_EQ(GeomRowToY(2), 73);

  Grid({80, 24, 0, 0, 0, 0});
  EXPECT_EQ(GeomColToX(-1), 961);
  EXPECT_EQ(GeomRowToY(-1), 577);
  EXPECT_EQ(GeomColFromRight(14), 781);
  EXPECT_EQ(GeomColFromRight(200), -11) << "column 0";
  EXPECT_EQ(GeomRowToYFromBottom(0), 553);
  EXPECT_EQ(GeomColsToWidth(-1), 960);
  EXPECT_EQ(GeomColsToWidth(7), 84);
  EXPECT_EQ(GeomRowsToHeight(-1), 576);
  EXPECT_EQ(GeomGridSize(0, 5), (GeomSize{0, 120}));
  EXPECT_EQ(GeomGridSize(-1, -1), (GeomSize{960, 576}));
}

TEST_F(GeomTest, FieldWidths) {
  struct Case { int len, want; } cases[] = {{25, 294}, {26, 300}, {1, 18}, {0, 6}, {10, 120}};
  for (const Case& c : cases) EXPECT_EQ(CtlFieldWidth(c.len), c.want) << c.len;
}

TEST_F(GeomTest, OverrideLoadsFromTheBaseOnlyWithoutMargins) {
  Grid({80, 24, 3, 0, 0, 0});
  EXPECT_EQ(WinGridSetSize(100, -1, false), (ScreenGrid{100, 24, 3, 0, 0, 0}));
  WinGridSetMargins(-1, 2, 1, 50);
  EXPECT_EQ(WinGridGet(), (ScreenGrid{100, 24, 3, 2, 1, 50}));
  // Margins set: the override is not loaded again from the base.
  Ui().base_grid.columns = 40;
  EXPECT_EQ(WinGridSetSize(-1, 0, false), (ScreenGrid{100, 0, 3, 0, 0, 0}));
  EXPECT_EQ(WinGridSetSize(0, -1, false).columns, 40) << "columns 0: the base is in force again";
  EXPECT_EQ(WinGridOverride(), (ScreenGrid{0, 0, 0, 0, 0, 0}));
  WinGridSetSize(90, 30, true);
  EXPECT_EQ(WinGridBase(), (ScreenGrid{90, 30, 3, 0, 0, 0}));
}

TEST_F(GeomTest, GridForChoicesFitsTheWorkArea) {
  struct Case { int width, count; ScreenGrid want; } cases[] = {
      {20, 3, {25, 9, 0, 0, 0, 0}}, {20, 10, {50, 15, 0, 0, 0, 0}}, {5, 3, {15, 9, 0, 0, 0, 0}}};
  for (const Case& c : cases) {
    Grid({80, 24, 2, 1, 1, 20});
    GeomGridForChoices(c.width, c.count, 24);
    EXPECT_EQ(WinGridGet(), c.want) << c.width << "," << c.count;
  }
}

TEST_F(GeomTest, FontRegistration) {
  FontRegister(24, 12, 0, StrOf("Lucida Console"));
  FontRegister(-1, -1, 1, StrOf(""));
  FontRegister(16, 8, 600, StrOf(std::string(32, 'F')));
  const FontTable& t = FontTableGet();
  EXPECT_EQ(t.current, 2);
  EXPECT_EQ(t.entries[0].weight, 400);
  EXPECT_STREQ(t.entries[0].face, "Lucida Console");
  EXPECT_EQ(t.entries[1].height, 24) << "-1 takes the cell";
  EXPECT_EQ(t.entries[1].weight, 700);
  EXPECT_EQ(t.entries[2].weight, 600);
  EXPECT_STREQ(t.entries[2].face, "") << "a face of 32 characters is left empty";
  EXPECT_EQ(FontCellSize(), (GeomSize{8, 16}));
  for (int i = 0; i < 5; ++i) FontRegister(20 + i, 10, 0, StrOf("X"));
  EXPECT_EQ(FontTableGet().current, 6);
  EXPECT_EQ(FontTableGet().entries[6].height, 23) << "the eighth registration is ignored";
}

TEST_F(GeomTest, LogicalFontsFromEntries) {
  struct Case { int h, w, want_h, want_w; } cases[] = {{24, 12, 21, 11}, {16, 8, 13, 7}, {24, 24, 21, 22}, {24, 40, 21, 37}};
  for (const Case& c : cases) {
    UiRuntimeFresh();
    FontRegister(c.h, c.w, 0, StrOf("Courier New"));
    plat::FontSpec s = FontSpecOf(0);
    EXPECT_EQ(s.height, c.want_h);
    EXPECT_EQ(s.width, c.want_w);
    EXPECT_EQ(s.face, "Courier New");
  }
}

TEST_F(GeomTest, FontApplyModes) {
  plat::Hwnd w = d.ws().Create({});
  EXPECT_EQ(FontApply(w, 1), kStDataError);
  EXPECT_EQ(d.ws().GetFont(w), 0) << "nothing set";
  EXPECT_EQ(FontApply(w, 2), kOk);
  EXPECT_EQ(d.ws().GetFont(w), plat::WinSystem::StockFontHandle(plat::kOemFixedFont)) << "empty table";
  FontRegister(24, 12, 0, StrOf("Lucida Console"));
  EXPECT_EQ(FontApply(w, 2), kOk);
  EXPECT_EQ(d.ws().FontRec(d.ws().GetFont(w))->height, 21);
  EXPECT_EQ(FontApply(w, 0), kOk);
  EXPECT_EQ(d.ws().GetFont(w), plat::WinSystem::StockFontHandle(plat::kSystemFont));
}

}  // namespace
}  // namespace eng::test
