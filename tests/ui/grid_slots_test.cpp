// The four line grid slots: taken in order, a fifth refused, rows made on
// demand, the selection mark, column widths and cell positions, and freeing
// one or all.
#include "platform/ctl_listview.h"
#include "tests/ui/ui_fixture.h"
#include "ui/grid_slots.h"

namespace eng::test {
namespace {

class GridSlotsTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    root = WinCreateKind(0, 0, StrOf("Prueba"), 0, 80, 24, {});
  }
  plat::Hwnd root = plat::kNoWindow;
};

TEST_F(GridSlotsTest, FourSlotsThenAFifthIsRefusedAndAllCanBeFreed) {
  for (uint16_t s = 0; s < kGridSlotCount; ++s) {
    ASSERT_EQ(GridCreate(root, 10, 20 + s, 200, 100), s);
    EXPECT_EQ(d.ws().Id(GridWindow(s)), kIdGridBase + s);
    EXPECT_EQ(GridSlotOf(GridWindow(s)), s);
  }
  EXPECT_EQ(GridCreate(root, 0, 0, 10, 10), kGridNone);
  EXPECT_EQ(GridSlotOf(root), kGridNone);
  const plat::Hwnd second = GridWindow(1);
  EXPECT_EQ(GridDestroy(1), 0);
  EXPECT_FALSE(d.ws().IsWindow(second));
  EXPECT_EQ(GridDestroy(1), kGridNone) << "already empty";
  EXPECT_EQ(GridCreate(root, 0, 0, 10, 10), 1) << "the first free slot";
  GridDestroy(kGridNone);
  for (uint16_t s = 0; s < kGridSlotCount; ++s) EXPECT_EQ(GridWindow(s), plat::kNoWindow);
}

TEST_F(GridSlotsTest, RowsAreMadeOnDemandAndTheSelectionIsReported) {
  const uint16_t s = GridCreate(root, 10, 20, 300, 150);
  ASSERT_EQ(GridColumnInsert(s, 0, "H", 'A', 100), 0);
  ASSERT_EQ(GridColumnInsert(s, 1, "N", 'N', 60), 0);
  EXPECT_EQ(GridColumnWidth(s, 0), 100);
  EXPECT_EQ(plat::LvColumnWidth(d.ws(), GridWindow(s), 0), 102) << "column 0 is inserted 2 pixels wider";
  EXPECT_EQ(GridColumnWidth(s, 1), 60);
  GridSetCell(s, 5, 0, "x");
  EXPECT_EQ(Ui().grids[s].items, 6);
  EXPECT_EQ(plat::LvCell(d.ws(), GridWindow(s), 4, 0), "");
  EXPECT_EQ(plat::LvCell(d.ws(), GridWindow(s), 5, 0), "x");
  EXPECT_EQ(GridSelectedRow(s), kGridNone) << "nothing selected";
  GridSetItemState(s, 0, true);
  EXPECT_EQ(GridSelectedRow(s), 0);
  GridSetItemState(s, 3, true);
  EXPECT_EQ(GridSelectedRow(s), 3);
  GridSetItemState(s, 3, false);
  EXPECT_EQ(plat::LvGetSel(d.ws(), GridWindow(s)), -1);
  // Cells in the parent's pixels, as the 12-pixel character cells their
  // text is drawn in: the grid at pixel 10 lies in cell 1; column 0's text
  // fills cells 1-7 (its "|" in cell 8); column 1 starts 102 pixels on, in
  // cell 1 + 8, and its "|" stands in the cell its 60 pixels reach (1 + 12).
  const plat::Rect c0 = GridCellPos(s, 1, 0), c1 = GridCellPos(s, 1, 1);
  EXPECT_EQ(c0.x, 1 * 12);
  EXPECT_EQ(c0.w, 7 * 12);
  EXPECT_EQ(c1.x, 9 * 12);
  EXPECT_EQ(c1.w, 4 * 12);
  EXPECT_EQ(c0.y, c1.y);
  EXPECT_GT(c0.y, 20);
  GridClear(s);
  EXPECT_EQ(Ui().grids[s].items, 1) << "one empty row";
  EXPECT_EQ(plat::LvRowCount(d.ws(), GridWindow(s)), 1);
  EXPECT_EQ(GridColumnInsert(kGridNone, 0, "X", 'A', 10), kGridNone);
}

}  // namespace
}  // namespace eng::test
