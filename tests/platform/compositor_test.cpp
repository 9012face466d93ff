// The pixel-to-cell mapping, checked with the engine's own geometry values,
// and the drawing of frames, children and clipping.
#include "platform/compositor.h"
#include "tests/platform/win_fixture.h"

namespace plat::test {
namespace {

TEST(PixelToCell, RoundsToTheNearestCell) {
  struct Case { int v, cell, want; };
  const Case cases[] = {{0, 12, 0}, {5, 12, 0}, {6, 12, 1}, {17, 12, 1}, {18, 12, 2}, {-1, 12, 0},
                        {-6, 12, 0}, {-7, 12, -1}, {-18, 12, -1}, {-19, 12, -2}, {11, 24, 0}, {12, 24, 1}};
  for (const Case& c : cases) EXPECT_EQ(PxToCell(c.v, c.cell), c.want) << c.v << "/" << c.cell;
  EXPECT_EQ(PxSpanCells(0, 0, 12), 0);
  EXPECT_EQ(PxSpanCells(0, 1, 12), 1);  // a visible width never vanishes
  EXPECT_EQ(PxSpanCells(5, 3, 12), 1);
}

class Mapping : public WinTest {
 protected:
  Hwnd main = kNoWindow;
  void SetUp() override {
    // The main window: an 80 x 24 grid of 12 x 24 cells plus the menu row.
    CreateParams p;
    p.class_name = "Main";
    p.style = kWsCaption;
    p.x = 0;
    p.y = 0;
    p.w = 960;
    p.h = 600;
    main = ws.Create(p);
    int bar = ws.MenuCreate();
    ws.MenuAppend(bar, "Archivo", 1500);
    ws.SetMenu(main, bar);
    ws.Show(main, ShowCmd::kShow);
  }
  // A child's cells relative to the client origin.
  CellRect Rel(Rect px) {
    Hwnd c = CreateStatic(ws, main, 0, px, "");
    CellRect r = WindowCells(ws, c);
    CellRect o = ClientCells(ws, main);
    ws.Destroy(c);
    return {r.col - o.col, r.row - o.row, r.cols, r.rows};
  }
};

TEST_F(Mapping, TheMainWindowFillsTheTerminal) {
  EXPECT_EQ(WindowCells(ws, main), (CellRect{0, 0, 80, 25}));
  EXPECT_EQ(ClientCells(ws, main), (CellRect{0, 1, 80, 24}));
  EXPECT_EQ(ws.ClientRect(main), (Rect{0, 0, 960, 576}));
}

TEST_F(Mapping, WorkedExamplesOfTheEngineGeometry) {
  struct Case {
    const char* what;
    Rect px;
    CellRect cells;
  };
  auto col_x = [](int c) { return (c - 1) * 12 + 1; };
  auto row_y = [](int r) { return (r - 1) * 24 + 1; };
  const Case cases[] = {
      {"column 1 and row 1", {col_x(1), row_y(1), 12, 24}, {0, 0, 1, 1}},
      {"column 30, row 10", {col_x(30), row_y(10), 12, 24}, {29, 9, 1, 1}},
      {"margins 2 and 1, spacing 50: row 1", {25, 37, 12, 24}, {2, 2, 1, 1}},
      {"margins 2 and 1, spacing 50: row 2", {25, 73, 12, 24}, {2, 3, 1, 1}},
      {"spacing 50: row 1", {1, 1, 12, 24}, {0, 0, 1, 1}},
      {"spacing 50: row 2", {1, 37, 12, 24}, {0, 2, 1, 1}},
      {"spacing 50: row 3", {1, 73, 12, 24}, {0, 3, 1, 1}},
      {"spacing 50: row 4", {1, 109, 12, 24}, {0, 5, 1, 1}},
      {"field at column 2 less a quarter cell, width for 1", {12 * 2 - 14, 0, 18, 24}, {1, 0, 1, 1}},
      {"field at column 10 less a quarter cell, width for 25", {12 * 10 - 14, 0, 294, 24}, {9, 0, 24, 1}},
      {"label of 7 characters at column 5", {col_x(5), 0, 84, 24}, {4, 0, 7, 1}},
      {"check box", {col_x(5), 0, 48, 24}, {4, 0, 4, 1}},
      {"Ok button", {781, 541, 144, 24}, {65, 23, 12, 1}},
      {"footer button", {0, 553, 60, 24}, {0, 23, 5, 1}},
      {"footer status line 1", {1, 553, 84, 24}, {0, 23, 7, 1}},
      {"footer status line 2", {84, 553, 876, 24}, {7, 23, 73, 1}},
      {"toolbar button 1", {180, 2, 120, 24}, {15, 0, 10, 1}},
      {"toolbar button 2", {300, 2, 120, 24}, {25, 0, 10, 1}},
  };
  for (const Case& c : cases) EXPECT_EQ(Rel(c.px), c.cells) << c.what;
}

TEST_F(Mapping, TheSnapshotShowsControlsWhereTheMappingPutsThem) {
  CreateStatic(ws, main, 4005, {1 + 4 * 12, 1 + 2 * 24, 84, 24}, "Nombre:", kSsRight);  // column 5, row 3
  CreateEdit(ws, main, 2001, {12 * 13 - 14, 1 + 2 * 24, 294, 24}, 0, "ACME");        // field at column 13
  CreateButton(ws, main, 3100, {781, 541, 144, 24}, "Ok");
  CellGrid g = Compose(ws);
  // Client row 2 is screen row 3 (below the menu row).
  EXPECT_EQ(g.Row(3), "    Nombre: ACME");
  EXPECT_EQ(g.Row(24), std::string(65, ' ') + "[    Ok    ]");
  EXPECT_EQ(g.Row(0), " Archivo");
}

TEST_F(Mapping, ACascadeOffsetMovesAWindowByWholeCells) {
  Hwnd w = Top("w", {0, 0, 480, 264});
  Hwnd label = CreateStatic(ws, w, 0, {25, 1, 60, 24}, "abc");
  ws.Move(w, {100, 60, 480, 264});
  EXPECT_EQ(WindowCells(ws, w), (CellRect{8, 3, 40, 11}));
  EXPECT_EQ(WindowCells(ws, label), (CellRect{10, 4, 5, 1}));
  // Wherever the window lands, its inside keeps its layout.
  for (int x : {95, 101, 106, 107}) {
    ws.Move(w, {x, 60, 480, 264});
    CellRect top = WindowCells(ws, w);
    EXPECT_EQ(WindowCells(ws, label).col - top.col, 2) << x;
  }
}

TEST_F(Mapping, ScrollStepsMoveChildrenByCells) {
  Hwnd c = CreateStatic(ws, main, 0, {0, 240, 12, 24}, "x");
  ws.ScrollChildren(main, 0, -24);  // a page: one cell height
  EXPECT_EQ(WindowCells(ws, c).row, 1 + 9);
  for (int i = 0; i < 12; ++i) ws.ScrollChildren(main, 0, -2);  // twelve line steps
  EXPECT_EQ(WindowCells(ws, c).row, 1 + 8);
  ws.ScrollChildren(main, -12, 0);
  EXPECT_EQ(WindowCells(ws, c).col, -1);
  EXPECT_EQ(Compose(ws).Row(9), "");  // clipped at the client edge
}

TEST_F(Mapping, OtherCellSizes) {
  HeadlessDriver small(Metrics{8, 16, 100, 30, 24});
  CreateParams p;
  p.style = kWsCaption;
  p.x = 40;
  p.y = 32;
  p.w = 160;
  p.h = 80;
  Hwnd w = small.ws().Create(p);
  Hwnd e = CreateEdit(small.ws(), w, 1, {20, 16, 80, 16});
  EXPECT_EQ(WindowCells(small.ws(), w), (CellRect{5, 2, 20, 5}));
  EXPECT_EQ(WindowCells(small.ws(), e), (CellRect{8, 4, 10, 1}));
  EXPECT_EQ(VBarCols(small.ws()), 3);
  EXPECT_EQ(HBarRows(small.ws()), 2);
}

TEST_F(Mapping, ChildrenAreClippedToTheirParentsClientArea) {
  Hwnd w = Top("w", {120, 48, 240, 96});
  ws.Show(w, ShowCmd::kShow);
  CreateStatic(ws, w, 0, {-24, 0, 360, 24}, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  CreateStatic(ws, w, 0, {0, 48, 60, 48}, "down");
  CellGrid g = Compose(ws);
  EXPECT_EQ(g.Row(2), std::string(10, ' ') + " w" + std::string(17, ' ') + "x");
  EXPECT_EQ(g.Row(3), std::string(10, ' ') + "23456789ABCDEFGHIJKL");
  EXPECT_EQ(g.Row(5), std::string(10, ' ') + "down");
  EXPECT_EQ(g.Row(6), "");
  EXPECT_EQ(g.at(10, 2).attr, kAttrReverse);  // the caption row
}

}  // namespace
}  // namespace plat::test
