// List views in report mode: columns, cells, selection, hit tests and the
// notifications the parent gets.
#include "platform/compositor.h"
#include "platform/ctl_listview.h"
#include "tests/platform/win_fixture.h"

namespace plat::test {
namespace {

class ListViewTest : public WinTest {
 protected:
  Hwnd form = kNoWindow;
  Hwnd lv = kNoWindow;
  std::vector<std::string> notes;
  int64_t key_answer = 0;

  void SetUp() override {
    form = Top("Form", {0, 0, 600, 264});
    ws.Show(form, ShowCmd::kShow);
    CreateEdit(ws, form, 2000, {0, 216, 120, 24});
    lv = CreateListView(ws, form, 3200, {0, 0, 480, 96});  // heading and three rows
    LvInsertColumn(ws, lv, 0, "Cuenta", 122, false);
    LvInsertColumn(ws, lv, 1, "Importe", 96, true);
    for (int r = 0; r < 5; ++r) {
      LvAddRow(ws, lv);
      LvSetCell(ws, lv, r, 0, "C" + std::to_string(r));
      LvSetCell(ws, lv, r, 1, std::to_string(r * 100));
    }
    auto prev = std::make_shared<WndProc>();
    *prev = ws.SetProc(form, [this, prev](WinSystem& s, Hwnd h, uint32_t msg, uint64_t w, int64_t l) -> int64_t {
      if (msg == kWmNotify) {
        static const char* names[] = {"", "key", "focus", "click", "rclick", "dblclick", "return"};
        std::string n = std::to_string(CommandId(w)) + ":" + names[CommandCode(w)];
        if (CommandCode(w) == kLvKeyDown) n += " " + KeyName(static_cast<uint8_t>(l));
        else if (CommandCode(w) != kLvSetFocus) n += " " + std::to_string(l);
        notes.push_back(n);
        return CommandCode(w) == kLvKeyDown ? key_answer : 0;
      }
      return (*prev)(s, h, msg, w, l);
    });
    ws.Activate(form, ws.FindChild(form, 2000));
  }

  std::string Notes() const {
    std::string s;
    for (const auto& n : notes) s += (s.empty() ? "" : ", ") + n;
    return s;
  }
};

// The colour codes of the control's cells, one string per cell row.
std::vector<std::string> Colours(const CellGrid& g, const CellRect& c, bool back) {
  std::vector<std::string> rows;
  for (int r = c.row; r < c.row + c.rows; ++r) {
    std::string line;
    for (int x = c.col; x < c.col + c.cols; ++x) line += CellColorCode(back ? g.at(x, r).bg : g.at(x, r).fg);
    rows.push_back(line);
  }
  return rows;
}

TEST_F(ListViewTest, RowsAndTheEmptyPartShowTheirColours) {
  const CellRect c = WindowCells(ws, lv);
  ASSERT_EQ(c.rows, 4);
  const std::string none(static_cast<size_t>(c.cols), ' ');
  // Black on white, the usual look, leaves the terminal's own colours.
  CellGrid g = Compose(ws);
  EXPECT_EQ(Colours(g, c, false), std::vector<std::string>(4, none));
  EXPECT_EQ(Colours(g, c, true), std::vector<std::string>(4, none));

  // Dark red on pale blue: dark red ('1') on white ('f'); the heading and
  // the selected row keep the highlight.
  LvSetColors(ws, lv, 0x000080, 0xFFE0E0);
  LvSetSel(ws, lv, 1);
  g = Compose(ws);
  const std::string red(static_cast<size_t>(c.cols), '1'), white(static_cast<size_t>(c.cols), 'f');
  EXPECT_EQ(Colours(g, c, false), (std::vector<std::string>{none, red, none, red}));
  EXPECT_EQ(Colours(g, c, true), (std::vector<std::string>{none, white, none, white}));
  EXPECT_EQ(g.Row(c.row + 3), "C2       |    200|");  // the text is still there
  EXPECT_EQ(g.at(c.col, c.row + 2).attr, kAttrReverse);
  EXPECT_EQ(g.at(c.col, c.row + 3).attr, kAttrNormal);

  // Below the last row the control shows its background.
  LvDeleteAll(ws, lv);
  LvSetCell(ws, lv, LvAddRow(ws, lv), 0, "solo");
  g = Compose(ws);
  EXPECT_EQ(Colours(g, c, true), (std::vector<std::string>{none, white, white, white}));

  // Two colours that come out the same keep the text readable.
  LvSetColors(ws, lv, 0x400000, 0x000000);
  g = Compose(ws);
  EXPECT_EQ(Colours(g, c, false)[1], white);
  EXPECT_EQ(Colours(g, c, true)[1], std::string(static_cast<size_t>(c.cols), '0'));
  // No background colour of its own ("none"): the terminal's.
  LvSetColors(ws, lv, 0x0000FF, 0xFFFFFFFF);
  g = Compose(ws);
  EXPECT_EQ(Colours(g, c, false)[1], std::string(static_cast<size_t>(c.cols), '9'));
  EXPECT_EQ(Colours(g, c, true)[1], none);
}

TEST_F(ListViewTest, DrawsHeadingsAlignedCellsAndGridLines) {
  LvSetSel(ws, lv, 1);
  CellGrid g = Compose(ws);
  CellRect c = WindowCells(ws, lv);
  // Column 0 is 122 px (10 cells), column 1 is 96 px (8 cells), "|" closing each.
  EXPECT_EQ(g.Row(c.row), "Cuenta   |Importe|");
  EXPECT_EQ(g.Row(c.row + 1), "C0       |      0|");
  EXPECT_EQ(g.Row(c.row + 2), "C1       |    100|");
  EXPECT_EQ(g.at(0, c.row + 2).attr, kAttrReverse);
  EXPECT_EQ(g.at(0, c.row + 1).attr, kAttrNormal);
}

TEST_F(ListViewTest, KeysMoveTheSelectionAfterTellingTheParent) {
  Drive(Script().Click(3200));  // the click lands on the heading: focus, no row
  EXPECT_EQ(LvGetSel(ws, lv), -1);
  Drive(Script().Key("Down").Key("Down").Key("Enter"));
  EXPECT_EQ(LvGetSel(ws, lv), 1);
  key_answer = 1;  // the parent takes PgDn itself
  Drive(Script().Key("PgDn"));
  EXPECT_EQ(LvGetSel(ws, lv), 1);
  key_answer = 0;
  Drive(Script().Key("End"));
  EXPECT_EQ(LvGetSel(ws, lv), 4);
  EXPECT_EQ(LvTopRow(ws, lv), 2);  // scrolled so the last row shows
  EXPECT_EQ(LvFocused(ws, lv), 4);
  EXPECT_EQ(Notes(), "3200:focus, 3200:click -1, 3200:key Down, 3200:key Down, 3200:key Enter, 3200:return 1, "
                     "3200:key PgDn, 3200:key End");
}

TEST_F(ListViewTest, ClicksHitRowsAndCells) {
  CellRect c = WindowCells(ws, lv);
  Drive(Script().ClickCell(c.col + 12, c.row + 2));  // row 1, second column
  EXPECT_EQ(LvGetSel(ws, lv), 1);
  Drive(Script().RightClickCell(c.col + 1, c.row + 3));
  EXPECT_EQ(LvGetSel(ws, lv), 2);
  Drive(Script().DblClickCell(c.col + 1, c.row + 1));
  EXPECT_EQ(Notes(), "3200:focus, 3200:click 1, 3200:rclick 2, 3200:click 0, 3200:dblclick 0");
  // Hit tests in client pixels.
  EXPECT_EQ(LvHitTest(ws, lv, {10, 10}).row, -1);   // heading
  EXPECT_EQ(LvHitTest(ws, lv, {130, 30}).col, 1);
  EXPECT_EQ(LvHitTest(ws, lv, {121, 30}).col, 0);
  LvHit beyond = LvHitTest(ws, lv, {300, 30});
  EXPECT_EQ(beyond.row, 0);
  EXPECT_EQ(beyond.col, -1);
}

TEST_F(ListViewTest, RectsForEditsOverARowFollowScrolling) {
  EXPECT_EQ(LvCellRect(ws, lv, 1, 1), (Rect{122, 48, 96, 24}));
  EXPECT_EQ(LvRowRect(ws, lv, 0), (Rect{0, 24, 218, 24}));
  EXPECT_EQ(LvScroll(ws, lv, 48), 2);
  EXPECT_EQ(LvCellRect(ws, lv, 2, 0), (Rect{0, 24, 122, 24}));
  EXPECT_EQ(LvScroll(ws, lv, 240), 2);  // never past the last page
  EXPECT_EQ(LvScroll(ws, lv, -1000), 0);
  EXPECT_EQ(LvCellRect(ws, lv, 9, 0), Rect{});
  EXPECT_EQ(LvCellRect(ws, lv, 0, 2), Rect{});
}

TEST_F(ListViewTest, CellsColumnsAndClearing) {
  EXPECT_FALSE(LvSetCell(ws, lv, 5, 0, "x"));  // no such row
  EXPECT_FALSE(LvSetCell(ws, lv, 0, 2, "x"));  // no such column
  EXPECT_EQ(LvInsertColumn(ws, lv, 1, "Fecha", 60, false), 1);
  EXPECT_EQ(LvCell(ws, lv, 0, 2), "0");  // cells moved right with their column
  EXPECT_EQ(LvCell(ws, lv, 0, 1), "");
  EXPECT_EQ(LvColumnWidth(ws, lv, 2), 96);
  EXPECT_EQ(LvColumnWidth(ws, lv, 3), -1);
  EXPECT_TRUE(LvSetSel(ws, lv, 3));
  EXPECT_FALSE(LvSetSel(ws, lv, 5));
  LvDeleteAll(ws, lv);
  EXPECT_EQ(LvRowCount(ws, lv), 0);
  EXPECT_EQ(LvGetSel(ws, lv), -1);
  EXPECT_EQ(LvInsertColumn(ws, form, 0, "x", 10, false), -1);
}

}  // namespace
}  // namespace plat::test
