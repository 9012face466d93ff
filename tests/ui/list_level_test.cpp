// Line grids on the headless window system: four nested list levels (a
// fifth refused), lines shown and scrolled, the grid codes of the
// notifications, a line edited through the field controls laid over its
// cells and stored back into the lines buffer, "_GRID" reads, and the lines
// written to the lines file and read back from it.
//
// Dictionary (prefix PL): file 1 LIN (DOC A4, N_LINE N3, ITEM A10, QTY N5),
// key 1 DOC + N_LINE. Screen LIN definition 1: ITEM and QTY bound to LIN.
#include <vector>

#include "core/exp_eval.h"
#include "core/hooks.h"
#include "core/sys_vars.h"
#include "data/data_file_path.h"
#include "data/dict_load.h"
#include "data/field_ref.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "platform/ctl_listview.h"
#include "platform/win_keys.h"
#include "platform/win_layout.h"
#include "platform/win_messages.h"
#include "tests/ui/screen_fixture.h"
#include "ui/field_controls.h"
#include "ui/grid_headings.h"
#include "ui/grid_slots.h"
#include "ui/lins_build.h"
#include "ui/lins_moves.h"
#include "ui/list_level.h"
#include "ui/screen_table.h"

namespace eng::test {
namespace {

inline constexpr uint16_t kLin = 1;

class ListLevelTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    Put("PLDICC.DAT",
        "01**01LIN\r\n"
        "01       004 ADOC\r\n"
        "01       003 NN_LINE\r\n"
        "01       010 AITEM\r\n"
        "01       005 NQTY\r\n"
        "31<00010040005003\r\n");
    ScreenTest::Def("LIN.PPN", 1, {"FD$:=\"ITEM,QTY\"", "FILEDEF$:=\"ITEM{1},QTY{1}\""});
    ScreenTest::Def("LIN.PAN", 1, {FieldLine(2, 2, 1, 3, 10, 'A'), FieldLine(2, 14, 1, 4, 5, 'N')});
    ASSERT_EQ(DictLoad(StrOf(""), StrOf("PL"), StrOf("")), kOk);
    DataInstallFieldAccess();
    Ui().base_grid = {80, 24, 0, 0, 0, 0};
    FontRegister(24, 12, 400, StrOf("Lucida Console"));
    root = WinCreateKind(0, 0, StrOf("Prueba"), 0, 80, 24, {});
    WinShowTop(-1);
    SysVarSet(kVarCurFil, kLin);
  }

  // An ALONE level of two expression columns (10 and 5 wide).
  uint16_t OpenPlain(uint16_t visible = 5, uint16_t limit = 12, ListKeyCallback key = {}) {
    return ListLevelOpen(StrOf("Lineas"), StrOf("Articulo,Cant"), StrOf("'          ','     '"), visible, limit,
                         kLinsAlone, std::move(key));
  }
  // An ALONE level over the LIN screen opened in its window (the fields'
  // controls can then be laid over the cells).
  uint16_t OpenOnScreen(uint16_t visible, uint16_t limit) {
    // The screen is current while the columns are built from its fields.
    plat::Hwnd holder = WinCreateKind(2, 0, StrOf("T"), 0, 40, 10, {});
    EXPECT_EQ(ScreenOpen(StrOf("LIN"), StrOf(""), 1, 40, 10, kLin, StrOf("")), kOk);
    ScreenWinFirstFocus(holder);
    const uint16_t level = ListLevelOpen(StrOf("Lineas"), StrOf(""), StrOf("ITEM,QTY"), visible, limit,
                                         kLinsAlone | kListOkButton, {});
    list_window = WinTop();
    EXPECT_EQ(ScreenOpen(StrOf("LIN"), StrOf(""), 1, 40, 10, kLin, StrOf("")), kOk);
    ScreenWinFirstFocus(list_window);
    ScreenWinGet(-1)->list_level = level;
    return level;
  }
  plat::Hwnd GridOf(uint16_t level) { return GridWindow(ListLevelGrid(level)); }
  std::string Cell(uint16_t level, int row, int col) { return plat::LvCell(d.ws(), GridOf(level), row, col); }
  int64_t Notify(plat::Hwnd window, uint16_t level, int code, int64_t extra) {
    return d.ws().Send(window, plat::kWmNotify, plat::MakeCommandW(kIdGridBase + level, code), extra);
  }
  void Seed(const std::vector<std::vector<std::string>>& records) {
    ASSERT_LT(DataFileOpen(kLin, 8), kStFirstWarning);
    for (const auto& r : records) {
      ASSERT_EQ(DataFileMove(kLin, 1), 3);
      for (size_t f = 0; f < r.size(); ++f) ASSERT_EQ(BufSetField(kLin, static_cast<uint16_t>(f + 1), StrOf(r[f])), kOk);
      ASSERT_EQ(DataFileAddRecord(kLin), kOk);
    }
  }

  plat::Hwnd root = plat::kNoWindow;
  plat::Hwnd list_window = plat::kNoWindow;
};

TEST_F(ListLevelTest, FourLevelsNestAndAFifthIsRefused) {
  std::vector<plat::Hwnd> windows;
  for (uint16_t n = 0; n < 4; ++n) {
    ASSERT_EQ(OpenPlain(), n);
    EXPECT_EQ(ListLevelCurrent(), n);
    EXPECT_EQ(ListLevelGrid(n), n) << "level n shows in grid slot n";
    EXPECT_EQ(d.ws().Id(GridOf(n)), kIdGridBase + n);
    windows.push_back(WinTop());
  }
  EXPECT_EQ(OpenPlain(), kListNone);
  EXPECT_EQ(ListLevelCurrent(), 3) << "a refused open leaves the current level";
  EXPECT_EQ(ListLevelGet(-1), ListLevelGet(3));
  EXPECT_EQ(plat::LvColumnCount(d.ws(), GridOf(3)), 2);
  for (int n = 3; n >= 0; --n) {
    const plat::Hwnd grid = GridOf(static_cast<uint16_t>(n));
    EXPECT_EQ(ListLevelClose(-1), n == 0 ? kListNone : n - 1);
    EXPECT_FALSE(d.ws().IsWindow(grid));
    d.ws().Destroy(windows[static_cast<size_t>(n)]);
  }
  EXPECT_EQ(ListLevelCurrent(), kListNone);
  // The slots are free again.
  EXPECT_EQ(OpenPlain(), 0);
  EXPECT_EQ(ListLevelGrid(0), 0);
}

TEST_F(ListLevelTest, ABufferThatCannotBeBuiltOpensNothing) {
  const uint16_t r = ListLevelOpen(StrOf("X"), StrOf(""), StrOf("1+"), 5, 12, kLinsAlone, {});
  EXPECT_GE(r, kStIncompatibleTypes);
  EXPECT_NE(r, kListNone);
  EXPECT_EQ(ListLevelCurrent(), kListNone);
  EXPECT_EQ(GridWindow(0), plat::kNoWindow);
}

TEST_F(ListLevelTest, LinesAreShownAndTheGridScrollsToAGivenLine) {
  ASSERT_EQ(OpenPlain(5, 12), 0);
  ListLevel* lv = ListLevelGet(0);
  EXPECT_EQ(lv->lines.max_lines, 12);
  for (int l = 1; l <= 8; ++l) ASSERT_EQ(LinsSetField(lv->lines, l, 1, "ITEM" + std::to_string(l)), kOk);
  ASSERT_EQ(LinsSetField(lv->lines, 3, 2, "7"), kOk);
  ListLinesShow(0, 1, 9);
  EXPECT_EQ(Cell(0, 0, 0), "ITEM1");
  EXPECT_EQ(Cell(0, 7, 0), "ITEM8");
  EXPECT_EQ(Cell(0, 2, 1), "7");
  EXPECT_EQ(Cell(0, 8, 0), "") << "a line beyond the used ones shows empty";
  EXPECT_EQ(lv->lines.current, 0) << "the current line is kept";
  EXPECT_EQ(plat::LvColumnWidth(d.ws(), GridOf(0), 0), CtlFieldWidth(11) + 2);
  EXPECT_EQ(GridColumnWidth(0, 0), CtlFieldWidth(11));

  struct Case { int top; uint16_t line; int rows; };
  for (Case c : {Case{0, 5, 0}, Case{0, 6, 1}, Case{3, 4, 0}, Case{3, 3, -1}, Case{3, 1, -3}}) {
    GridScroll(0, c.top - GridScroll(0, 0));
    ASSERT_EQ(GridScroll(0, 0), c.top);
    EXPECT_EQ(ListScrollNeeded(0, c.line), c.rows) << "top " << c.top << " line " << c.line;
  }
}

TEST_F(ListLevelTest, NotificationsBecomeGridCodes) {
  std::vector<uint16_t> codes;
  uint8_t answer = 0;
  ASSERT_EQ(OpenPlain(5, 5, [&](plat::Hwnd, uint16_t level, uint16_t code) {
              EXPECT_EQ(level, 0);
              codes.push_back(code);
              return answer;
            }),
            0);
  const plat::Hwnd w = WinTop();
  ListLevel* lv = ListLevelGet(0);
  for (int l = 1; l <= 5; ++l) LinsSetField(lv->lines, l, 1, "x");
  ListLinesShow(0, 1, 5);
  // Without lines loaded the grid takes no input.
  Notify(w, 0, plat::kLvKeyDown, plat::kVkF1 + 4);
  EXPECT_TRUE(codes.empty());
  SysVarSet(kVarScrStat, kScrStatLinesLoaded);
  struct Case { int notify; int64_t extra; int row; std::vector<uint16_t> codes; int64_t handled; };
  const Case cases[] = {
      {plat::kLvKeyDown, plat::kVkEscape, 2, {kGridEsc}, 0},
      {plat::kLvKeyDown, plat::kVkF1 + 4, 2, {kGridF5}, 0},
      {plat::kLvKeyDown, plat::kVkF1 + 7, 2, {kGridF8}, 0},
      {plat::kLvKeyDown, plat::kVkF1 + 8, 2, {kGridF9}, 0},
      {plat::kLvKeyDown, plat::kVkF1 + 10, 2, {kGridF11}, 0},
      {plat::kLvKeyDown, plat::kVkDown, 2, {kGridUpDown}, 0},
      {plat::kLvKeyDown, plat::kVkUp, 2, {kGridUpDown}, 0},
      {plat::kLvKeyDown, plat::kVkPrior, 0, {kGridPageUp}, 1},
      {plat::kLvKeyDown, plat::kVkPrior, 2, {}, 0},
      {plat::kLvKeyDown, plat::kVkNext, 4, {kGridPageDown}, 1},
      {plat::kLvKeyDown, plat::kVkNext, 2, {}, 0},
      {plat::kLvSetFocus, 0, 2, {kGridFocus}, 0},
      {plat::kLvClick, 2, 2, {kGridClick}, 0},
      {plat::kLvRightClick, 2, 2, {kGridClick, kGridRightClick}, 0},
      {plat::kLvDblClick, 2, 2, {kGridEnter}, 0},
      {plat::kLvReturn, 2, 2, {kGridEnter}, 0},
  };
  for (const Case& c : cases) {
    codes.clear();
    GridSetItemState(0, c.row, true);
    EXPECT_EQ(Notify(w, 0, c.notify, c.extra), c.handled) << c.notify << "/" << c.extra;
    EXPECT_EQ(codes, c.codes) << c.notify << "/" << c.extra;
  }
  EXPECT_TRUE(d.ws().IsWindow(w)) << "false answers close nothing";
  // A true answer to Esc closes the window.
  answer = 1;
  Notify(w, 0, plat::kLvKeyDown, plat::kVkEscape);
  WinPumpMessages();
  EXPECT_FALSE(d.ws().IsWindow(w));
  ListLevelClose(-1);
}

TEST_F(ListLevelTest, KeysTypedOnTheGridReachTheCallbackAndEscEndsTheWindow) {
  std::vector<uint16_t> codes;
  ASSERT_EQ(OpenPlain(3, 6,
                      [&](plat::Hwnd, uint16_t, uint16_t code) {
                        codes.push_back(code);
                        return static_cast<uint8_t>(code == kGridEsc);
                      }),
            0);
  const plat::Hwnd w = WinTop();
  ListLevel* lv = ListLevelGet(0);
  for (int l = 1; l <= 4; ++l) LinsSetField(lv->lines, l, 1, "L" + std::to_string(l));
  ListLinesShow(0, 1, 4);
  SysVarSet(kVarScrStat, kScrStatLinesLoaded);
  GridSetItemState(0, 0, true);
  d.ws().SetFocus(GridOf(0));
  d.Run("key F9\nkey Down\nkey F8\nkey Esc\n");
  WinModalLoop(w);
  EXPECT_EQ(stall, "");
  EXPECT_EQ(codes, (std::vector<uint16_t>{kGridFocus, kGridF9, kGridUpDown, kGridF8, kGridEsc}));
  EXPECT_EQ(SysVarGet(kVarLastKey), 3) << "Esc's key code";
  EXPECT_FALSE(d.ws().IsWindow(w)) << "the true answer to Esc closed the window";
  EXPECT_EQ(ListLevelClose(-1), kListNone);
}

TEST_F(ListLevelTest, WithoutACallbackEscClosesTheWindow) {
  ASSERT_EQ(OpenPlain(), 0);
  const plat::Hwnd w = WinTop();
  SysVarSet(kVarScrStat, kScrStatLinesLoaded);
  d.ws().SetFocus(GridOf(0));
  Notify(w, 0, plat::kLvKeyDown, plat::kVkEscape);
  WinPumpMessages();
  EXPECT_FALSE(d.ws().IsWindow(w));
  ListLevelClose(-1);
}

TEST_F(ListLevelTest, TheEditsOfALineShowOnTheirCellsText) {
  // On screen: the new line's edits start where the heading and the line
  // above show their text, and a number ends against its column's "|".
  const uint16_t level = OpenOnScreen(4, 6);
  ASSERT_EQ(level, 0);
  ListLevel* lv = ListLevelGet(level);
  ASSERT_EQ(LinsSetField(lv->lines, 1, 1, "APPLE"), kOk);
  ASSERT_EQ(LinsSetField(lv->lines, 1, 2, "    3"), kOk);
  ListLinesShow(level, 1, 1);
  ASSERT_EQ(ListLineEdit(level, 2, 1, 2), kOk);
  const plat::Hwnd item = d.ws().FindChild(list_window, kIdFieldBase + 1);
  const plat::Hwnd qty = d.ws().FindChild(list_window, kIdFieldBase + 2);
  ASSERT_TRUE(item && qty);
  d.ws().SetText(item, "PEAR");
  d.ws().SetText(qty, "12");

  const auto heading = ScreenFind("ITEM");
  const auto above = ScreenFind("APPLE");
  const auto typed = ScreenFind("PEAR");
  ASSERT_NE(above.first, -1) << d.Snapshot();
  EXPECT_EQ(typed.first, above.first + 1) << d.Snapshot();
  EXPECT_EQ(typed.second, above.second) << d.Snapshot();
  EXPECT_EQ(heading.second, above.second) << d.Snapshot();
  EXPECT_EQ(plat::WindowCells(d.ws(), item).col, above.second);
  const std::string row_above = ScreenRow(above.first), row_typed = ScreenRow(typed.first);
  EXPECT_NE(row_above.find("3|"), std::string::npos) << row_above;
  EXPECT_EQ(row_typed.find("12|"), row_above.find("3|") - 1) << row_above << "\n" << row_typed;
  ListLevelClose(-1);
}

TEST_F(ListLevelTest, ALineIsEditedOverItsCellsAndStoredBack) {
  const uint16_t level = OpenOnScreen(4, 6);
  ASSERT_EQ(level, 0);
  ListLevel* lv = ListLevelGet(level);
  ASSERT_EQ(lv->lines.column_count, 2);
  EXPECT_EQ(lv->lines.fields[0], 3) << "ITEM is field 3 of the lines file";
  EXPECT_EQ(plat::LvColumnCount(d.ws(), GridOf(level)), 2);
  ASSERT_EQ(LinsSetField(lv->lines, 1, 1, "APPLE"), kOk);
  ASSERT_EQ(LinsSetField(lv->lines, 1, 2, "    3"), kOk);
  ListLinesShow(level, 1, 1);
  // Line 2 does not exist yet: an empty row is made for it.
  ASSERT_EQ(ListLineEdit(level, 2, 1, 2), kOk);
  EXPECT_EQ(lv->lines.current, 2);
  EXPECT_EQ(plat::LvRowCount(d.ws(), GridOf(level)), 2);
  const plat::Hwnd item = d.ws().FindChild(list_window, kIdFieldBase + 1);
  const plat::Hwnd qty = d.ws().FindChild(list_window, kIdFieldBase + 2);
  ASSERT_TRUE(item);
  ASSERT_TRUE(qty);
  // The edits lie over their cells of row 2: text 3 pixels in from the
  // left (less the quarter cell an edit of a window of its own moves left),
  // numbers against the right edge.
  const plat::Rect cell = GridCellPos(0, 1, 0);
  const plat::Rect at = d.ws().GetRect(item);
  EXPECT_EQ(at.y, cell.y);
  EXPECT_EQ(at.x, cell.x + 3 - 12 / 4);
  const plat::Rect qty_cell = GridCellPos(0, 1, 1);
  const plat::Rect qty_at = d.ws().GetRect(qty);
  EXPECT_EQ(qty_at.y, qty_cell.y);
  EXPECT_LE(qty_at.x + qty_at.w, qty_cell.x + qty_cell.w);
  EXPECT_GT(qty_at.x + qty_at.w, qty_cell.x + qty_cell.w - 12);
  // A second edit of the same line while the controls exist changes nothing.
  EXPECT_EQ(ListLineEdit(level, 1, 1, 2), kOk);
  EXPECT_EQ(lv->lines.current, 2);

  // The typed texts go through the fields into the lines file's record.
  ASSERT_LT(DataFileOpen(kLin, 8), kStFirstWarning);
  d.ws().SetText(item, "PEAR");
  d.ws().SetText(qty, "12");
  ASSERT_EQ(ListLineStore(level, 1, 2), kOk);
  EXPECT_EQ(LinsGetField(lv->lines, 2, 1), "PEAR      ");
  EXPECT_EQ(LinsGetField(lv->lines, 2, 2), "   12");
  EXPECT_EQ(lv->lines.used, 2);
  EXPECT_TRUE(lv->lines.flags & kLinsChanged);
  EXPECT_EQ(Cell(level, 1, 0), "PEAR");
  EXPECT_FALSE(d.ws().IsWindow(item)) << "the overlay is gone";

  // "_GRID" reads a cell of the window's list level.
  HookSetFn(&MovsGridFieldValue, kHookLineField);
  ScratchScope scope;
  EXPECT_EQ(ExpEvalStr(StrOf("_GRID1$(2)")), "PEAR      ");
  EXPECT_EQ(ExpEvalStr(StrOf("_GRID1$(1)")), "APPLE     ");
  EXPECT_EQ(ExpEvalStr(StrOf("_GRID2(2)")), "12");
  EXPECT_EQ(ExpEvalStr(StrOf("_GRID$(2)")), "") << "no column number: column 0";
  EXPECT_EQ(ExpEvalStr(StrOf("_GRID1$(9)")), "") << "beyond the used lines";

  // The lines go to the lines file, numbered, under the document's key.
  ASSERT_EQ(DataFileMove(kLin, 1), 3);
  ASSERT_EQ(MovsWriteLines(kLin, lv->lines, true, StrOf("DOC{1}='D001'"), StrOf("")), kOk);
  EXPECT_FALSE(lv->lines.flags & kLinsChanged);
  ASSERT_EQ(DataFileLocate(kLin, 1, StrOf("D001  2"), 0), kOk);
  EXPECT_EQ(BufGetField(kLin, 3), "PEAR      ");
  EXPECT_EQ(BufGetField(kLin, 4), "   12");
  ASSERT_EQ(DataFileLocate(kLin, 1, StrOf("D001  1"), 0), kOk);
  EXPECT_EQ(BufGetField(kLin, 3), "APPLE     ");

  // Read back into an emptied buffer, from the current line on.
  LinsReset(lv->lines);
  ASSERT_EQ(MovsReadLines(lv->lines, StrOf("D001"), StrOf("D001")), kOk);
  EXPECT_EQ(lv->lines.used, 2);
  EXPECT_EQ(lv->lines.current, 1);
  EXPECT_EQ(LinsGetField(lv->lines, 1, 1), "APPLE     ");
  EXPECT_EQ(LinsGetField(lv->lines, 2, 2), "   12");
  EXPECT_EQ(SysVarGet(kVarIer), 0);
  DataFileClose(kLin);
}

TEST_F(ListLevelTest, ReadingStopsAtTheLinesTheBufferHolds) {
  Seed({{"D002", "1", "A"}, {"D002", "2", "B"}, {"D002", "3", "C"}, {"D002", "4", "D"}, {"D003", "1", "Z"}});
  LinsBuf b = LinsBuild(0, 0, StrOf(""), StrOf("ITEM{1},QTY{1}"), 3, 0, kLinsAlone, nullptr);
  ASSERT_EQ(b.status, kOk);
  ASSERT_EQ(MovsReadLines(b, StrOf("D002"), StrOf("D002")), kOk);
  EXPECT_EQ(b.used, 3) << "more lines than the buffer holds: only the first three";
  EXPECT_EQ(LinsGetField(b, 3, 1), "C         ");
  // Starting at line 3, one more line fits; it goes in before the old line 3.
  LinsSetCurrent(b, 3);
  LinsBuf small = LinsBuild(0, 0, StrOf(""), StrOf("ITEM{1}"), 3, 0, kLinsAlone, nullptr);
  ASSERT_EQ(LinsSetField(small, 1, 1, "x"), kOk);
  ASSERT_EQ(LinsSetField(small, 2, 1, "y"), kOk);
  LinsSetCurrent(small, 2);
  ASSERT_EQ(MovsReadLines(small, StrOf("D003"), StrOf("D003")), kOk);
  EXPECT_EQ(small.used, 3);
  EXPECT_EQ(LinsGetField(small, 2, 1), "Z         ");
  EXPECT_EQ(LinsGetField(small, 3, 1), "y         ");
  EXPECT_EQ(small.current, 2);
  DataFileClose(kLin);
}

// A document screen: a header field on row 2, the lines area from row 6 (A,
// B, C at columns 5, 15 and 30; C a number, 10 long unless given) to the
// summary field on row 12, and the headings' label line on row 4.
class DocumentGridTest : public ListLevelTest {
 protected:
  void Screen(const std::string& label, int number_length = 10) {
    ScreenTest::Def("DOC.PPN", 1, {"FD$:=\"H,A,B,C,S\"", "BOUNDS$:=\"A,C\"", "MODE$:=\"DOCUMENT\""});
    ScreenTest::Def("DOC.PAN", 1,
                    {FieldLine(2, 5, 1, 1, 4, 'A'), label, FieldLine(6, 5, 1, 3, 10, 'A'),
                     FieldLine(6, 15, 1, 3, 10, 'A'), FieldLine(6, 30, 1, 4, number_length, 'N'),
                     FieldLine(12, 5, 1, 4, 5, 'N')});
    window = WinCreateKind(2, 0, StrOf("T"), 0, 60, 14, {});
    ASSERT_EQ(ScreenOpen(StrOf("DOC"), StrOf(""), 1, 60, 14, kLin, StrOf("")), kOk);
    ScreenWinFirstFocus(window);
  }
  // The screen again in a fresh window layer, its definition files rewritten.
  void ScreenAgain(const std::string& label, int number_length = 10) {
    std::remove("DOC.PPN");
    std::remove("DOC.PAN");
    Ui() = UiState{};
    UiSetWinSystem(&d.ws());
    Ui().base_grid = {80, 24, 0, 0, 0, 0};
    Screen(label, number_length);
  }
  plat::Hwnd window = plat::kNoWindow;
};

TEST_F(DocumentGridTest, HeadingsComeFromTheLabelLineAboveTheLines) {
  struct Case { std::string label, headings; };
  const Case cases[] = {
      {"00405Codigo    Descripcion    Importe", "Codigo,Descripcion,Importe"},
      {"00405Cod. art  Descripcion    Importe", "Cod. art,Descripcion,Importe"},
      {"00705Codigo", ",,"},  // not two rows above the lines
      {"00505Codigo", ",,"},  // the row right above the lines is not the grid's
      {"00499" + std::string(400, 'X'), ",,"},  // cut at the heading line's end
  };
  for (const Case& c : cases) {
    ScreenAgain(c.label);
    EXPECT_EQ(ListHeadingsFromPan(StrOf("DOC,1")), c.headings) << c.label;
  }
  // Without its field file the headings are empty.
  EXPECT_EQ(ListHeadingsFromPan(StrOf("MISSING,1")), ",,");
}

TEST_F(DocumentGridTest, ADocumentGridLiesOverTheLinesArea) {
  Screen("00405Codigo    Descripcion    Importe");
  const std::string headings = ListHeadingsFromPan(StrOf("DOC,1"));
  const uint16_t level = ListLevelOpen(StrOf(""), StrOf(headings), StrOf(""), 0xFFFF, 20, 0, {});
  ASSERT_EQ(level, 0);
  ListLevel* lv = ListLevelGet(level);
  EXPECT_EQ(lv->lines.mode, kLinsDocument) << "from MODE$";
  EXPECT_EQ(lv->visible, 6) << "rows 6 to 12";
  EXPECT_EQ(lv->limit, 20);
  ASSERT_EQ(lv->lines.column_count, 3);
  EXPECT_EQ(lv->lines.info[2].heading, "Importe");
  EXPECT_EQ(d.ws().Parent(GridOf(level)), window);
  const plat::Rect at = GridPosition(0, 0, true);
  EXPECT_EQ(at.x, GeomColToX(4));
  EXPECT_EQ(at.y, GeomRowToY(4));
  // Columns span from field to field; the last is its display length + 1.
  EXPECT_EQ(GridColumnWidth(0, 0), CtlFieldWidth(10));
  EXPECT_EQ(GridColumnWidth(0, 1), CtlFieldWidth(15));
  EXPECT_EQ(GridColumnWidth(0, 2), CtlFieldWidth(11));
  EXPECT_EQ(at.w, CtlFieldWidth(10) + CtlFieldWidth(15) + CtlFieldWidth(11) + 3 + 24)
      << "the columns and a scroll bar (6 rows shown of 20)";
  EXPECT_EQ(at.h, 6 * 23 + 24 + 6);
  // A bounded field's name with an index reads its column.
  ASSERT_EQ(LinsSetField(lv->lines, 2, 3, "        45"), kOk);
  EXPECT_EQ(LinsGridValue(lv->lines, StrOf("C"), 2, ScreenCurrent().bounded_first), "        45");
  EXPECT_EQ(LinsGridValue(lv->lines, StrOf("_GRID3"), 2, ScreenCurrent().bounded_first), "        45");
  EXPECT_EQ(LinsGridValue(lv->lines, StrOf("H"), 2, ScreenCurrent().bounded_first), "") << "column 0";
}

TEST_F(DocumentGridTest, TheGridShowsItsHeadingsOverItsColumns) {
  Screen("00405Cod. art  Descripcion    Importe");
  const uint16_t level = ListLevelOpen(StrOf(""), StrOf(ListHeadingsFromPan(StrOf("DOC,1"))), StrOf(""), 0xFFFF,
                                       20, kListHeadingWidth, {});
  ASSERT_EQ(level, 0);
  WinShowTop(-1);
  const plat::Hwnd grid = GridOf(level);
  EXPECT_EQ(GridHeadingsShown(grid), "Cod. art,Descripcion,Importe") << d.Snapshot();
}

TEST_F(DocumentGridTest, ANumbersEditCoversItsFieldAtTheEndOfItsColumn) {
  for (int length : {1, 3, 5, 6, 10}) {
    ScreenAgain("", length);
    const uint16_t level = ListLevelOpen(StrOf(""), StrOf(""), StrOf(""), 0xFFFF, 20, 0, {});
    ASSERT_EQ(level, 0) << length;
    const ScreenDesc s = ScreenCurrent();
    ASSERT_EQ(ListLineEdit(level, 1, s.bounded_first, s.bounded_last), kOk) << length;
    const plat::Hwnd number = d.ws().FindChild(window, kIdFieldBase + s.bounded_last);
    ASSERT_NE(number, plat::kNoWindow) << length;
    const plat::CellRect at = plat::WindowCells(d.ws(), number);
    const plat::Rect cell = GridCellPos(0, 0, 2);
    const int column_end = plat::ClientCells(d.ws(), window).col + plat::PxToCell(cell.x + cell.w, 12);
    EXPECT_EQ(at.cols, length) << d.Snapshot();
    EXPECT_EQ(at.col + at.cols, column_end) << "against the column's separator\n" << d.Snapshot();
    ListLevelClose(-1);
  }
}

TEST_F(DocumentGridTest, ColumnsComeFromTheRangeThenTheNames) {
  Screen("");
  uint32_t total = 0;
  // A range of one field, then a field reference, an expression and a screen field.
  LinsBuf b = LinsBuild(2, 2, StrOf(""), StrOf("QTY{1},'XYZ',H"), 10, 0, kLinsDocument, &total);
  ASSERT_EQ(b.status, kOk);
  ASSERT_EQ(b.column_count, 4);
  EXPECT_EQ(b.widths, (std::vector<uint16_t>{10, 5, 3, 4}));
  EXPECT_EQ(b.fields, (std::vector<uint16_t>{3, 4, 0, 1})) << "field numbers in the lines file";
  EXPECT_EQ(b.info[0].heading, "ITEM");
  EXPECT_EQ(b.info[1].heading, "QTY");
  EXPECT_EQ(b.info[2].heading, "");
  EXPECT_EQ(total, 11u) << "only the range's columns count";
  total = 0;
  LinsBuf wide = LinsBuild(2, 3, StrOf("Articulo muy largo,B"), StrOf(""), 10, kListHeadingWidth, kLinsDocument, &total);
  EXPECT_EQ(total, 19u + 11u) << "the first column as wide as its heading";
  LinsBuf bad = LinsBuild(2, 2, StrOf(""), StrOf("NOPE{1}"), 10, 0, kLinsDocument, nullptr);
  EXPECT_GE(bad.status, kStIncompatibleTypes);
  EXPECT_FALSE(bad.has_data);
}

TEST_F(DocumentGridTest, ALineIsFilledFromTheRecordAndTheDocumentKeyFollowsTheLineNumber) {
  Screen("");
  Seed({{"D007", "7", "PEN", "3"}});
  ASSERT_EQ(DataFileLocate(kLin, 1, StrOf("D007  7"), 0), kOk);
  EXPECT_EQ(MovsDocKey(-1), "D007");
  EXPECT_EQ(MovsDocKey(0), "D007   ");
  EXPECT_EQ(MovsDocKey(12), "D007 12");
  LinsBuf b = LinsBuild(2, 4, StrOf(""), StrOf("'X'+'Y'"), 10, 0, kLinsDocument, nullptr);
  ASSERT_EQ(b.status, kOk);
  LinsSetCurrent(b, 1);
  ASSERT_EQ(MovsAppendLine(kLin, b, StrOf("_USER01=1,_USER02=_LNUM")), kOk);
  EXPECT_EQ(b.used, 1);
  EXPECT_EQ(b.current, 2);
  EXPECT_EQ(LinsGetField(b, 1, 1), "PEN       ");
  EXPECT_EQ(LinsGetField(b, 1, 3), "         3");
  EXPECT_EQ(LinsGetField(b, 1, 4), "XY");
  EXPECT_EQ(SysVarGet(kVarUser01), 1);
  EXPECT_EQ(SysVarGet(kVarUser02), 1) << "the procedure after the line sees its number";
  DataFileClose(kLin);
}

TEST_F(ListLevelTest, ALineFindsItsRecordOnlyWhenItsKeyIsUnique) {
  Seed({{"D009", "1", "A"}, {"D009", "2", "B"}, {"D009", "2", "C"}});
  ASSERT_EQ(ListLevelOpen(StrOf("X"), StrOf(""), StrOf("DOC{1},N_LINE{1},ITEM{1}"), 3, 5, kLinsAlone, {}), 0);
  ListLevel* lv = ListLevelGet(0);
  ASSERT_EQ(lv->lines.fields, (std::vector<uint16_t>{1, 2, 3}));
  ASSERT_EQ(LinsSetField(lv->lines, 1, 1, "D009"), kOk);
  ASSERT_EQ(LinsSetField(lv->lines, 1, 2, "  1"), kOk);
  ASSERT_EQ(LinsSetField(lv->lines, 2, 1, "D009"), kOk);
  ASSERT_EQ(LinsSetField(lv->lines, 2, 2, "  2"), kOk);
  EXPECT_EQ(MovsLineToRecord(kLin, 0, 1), kOk);
  EXPECT_EQ(BufGetField(kLin, 3), "A         ");
  EXPECT_EQ(MovsLineToRecord(kLin, 0, 2), kStIndexCmd) << "two records share the key";
  EXPECT_EQ(SysVarGet(kVarIer), kStIndexCmd);
  EXPECT_EQ(MovsLineToRecord(kLin, 3, 1), kStDataError) << "no such level";
  DataFileClose(kLin);
}

TEST_F(ListLevelTest, NavigationSlidesTheRowsOverTheLinesFile) {
  std::vector<std::vector<std::string>> records;
  for (int n = 1; n <= 10; ++n) records.push_back({"D001", std::to_string(n), "R" + std::to_string(n)});
  Seed(records);
  const uint16_t level = ListLevelOpen(StrOf("Nav"), StrOf(""), StrOf("ITEM{1}"), 3, 0, kLinsNavigation, {});
  ASSERT_EQ(level, 0);
  ListLevel* lv = ListLevelGet(level);
  EXPECT_EQ(lv->limit, 3) << "the row limit is the visible rows";
  ASSERT_EQ(lv->lines.max_lines, 3);
  auto items = [&] {
    std::string s;
    for (uint16_t l = 1; l <= lv->lines.used; ++l) {
      std::string f = LinsGetField(lv->lines, l, 1);
      f.erase(f.find_last_not_of(' ') + 1);
      s += (s.empty() ? "" : ",") + f;
    }
    return s;
  };
  // Records 1-3 shown.
  ASSERT_EQ(DataFileLocate(kLin, 1, StrOf("D001  1"), 0), kOk);
  ASSERT_EQ(ListNavLocate(kLin, StrOf(""), 0, 1, level), kOk);
  ASSERT_EQ(items(), "R1,R2,R3");
  // Down from line 3, on record 3.
  ASSERT_EQ(DataFileLocate(kLin, 1, StrOf("D001  3"), 0), kOk);
  LinsSetCurrent(lv->lines, 4);
  EXPECT_EQ(ListScrollNeeded(level, 4), 1);
  ASSERT_EQ(ListNavShift(level, 2, 1), kOk);
  EXPECT_EQ(items(), "R2,R3,R4");
  EXPECT_EQ(lv->lines.current, 3);
  // Up from line 1, on record 2.
  ASSERT_EQ(DataFileLocate(kLin, 1, StrOf("D001  2"), 0), kOk);
  LinsSetCurrent(lv->lines, 0);
  EXPECT_EQ(ListScrollNeeded(level, 0), -1);
  ASSERT_EQ(ListNavShift(level, 2, -1), kOk);
  EXPECT_EQ(items(), "R1,R2,R3");
  // Up at the first record: the move's status, nothing slides.
  ASSERT_EQ(DataFileLocate(kLin, 1, StrOf("D001  1"), 0), kOk);
  LinsSetCurrent(lv->lines, 0);
  EXPECT_NE(ListNavShift(level, 2, -1), kOk);
  EXPECT_EQ(items(), "R1,R2,R3");
  // In insert mode a move down leaves an empty line for a new record.
  ASSERT_EQ(DataFileLocate(kLin, 1, StrOf("D001  3"), 0), kOk);
  LinsSetCurrent(lv->lines, 4);
  ASSERT_EQ(ListNavShift(level, 0, 1), kOk);
  EXPECT_EQ(items(), "R2,R3");
  EXPECT_EQ(lv->lines.current, 3);
  DataFileClose(kLin);
}

}  // namespace
}  // namespace eng::test
