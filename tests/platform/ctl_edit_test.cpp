// Edit controls: editing keys, styles, limits and horizontal scrolling,
// checked on the text, the caret and the drawn cells.
#include "platform/compositor.h"
#include "tests/platform/win_fixture.h"

namespace plat::test {
namespace {

class EditTest : public WinTest {
 protected:
  Hwnd top = kNoWindow;
  void SetUp() override {
    top = Top("form", {0, 0, 480, 264});
    ws.Show(top, ShowCmd::kShow);
  }
  // The drawn cells of a window, as text (blanks kept).
  std::string Cells(Hwnd h) {
    CellGrid g = Compose(ws);
    CellRect c = WindowCells(ws, h);
    std::string s;
    for (int i = 0; i < c.cols; ++i) s += static_cast<char>(g.at(c.col + i, c.row).ch);
    return s;
  }
};

struct EditCase {
  const char* name;
  uint32_t style;
  size_t limit;        // 0: the default
  const char* initial;
  std::function<void(Script&)> keys;
  const char* text;
  size_t caret;
  const char* cells;   // the edit's 10 cells
};

TEST_F(EditTest, EditingTable) {
  const EditCase cases[] = {
      {"insert", 0, 0, "", [](Script& s) { s.Type("abc"); }, "abc", 3, "abc       "},
      {"insert in the middle", 0, 0, "", [](Script& s) { s.Type("abc").Key("Left").Key("Left").Type("X"); }, "aXbc", 2,
       "aXbc      "},
      {"typing replaces the selection", 0, 0, "hello",
       [](Script& s) { s.Key("End").Key("Shift+Left").Key("Shift+Left").Type("p!"); }, "help!", 5, "help!     "},
      {"select to the start and type", 0, 0, "hello", [](Script& s) { s.Key("End").Key("Shift+Home").Type("x"); },
       "x", 1, "x         "},
      {"backspace and delete", 0, 0, "abcd", [](Script& s) { s.Key("End").Key("Backspace").Key("Home").Key("Delete"); },
       "bc", 0, "bc        "},
      {"backspace at the start and delete at the end do nothing", 0, 0, "ab",
       [](Script& s) { s.Key("Backspace").Key("End").Key("Delete"); }, "ab", 2, "ab        "},
      {"control characters are ignored", 0, 0, "",
       [](Script& s) { s.Type("a\x01\x1D").Key("Enter").Key("Tab").Key("Esc").Type("b"); }, "ab", 2, "ab        "},
      {"code page 1252 letters", 0, 0, "", [](Script& s) { s.Type("A\xD1O \x80"); }, "A\xD1O \x80", 5,
       "A\xD1O \x80     "},
      {"text limit refuses more", 0, 3, "", [](Script& s) { s.Type("abcd"); }, "abc", 3, "abc       "},
      {"at the limit a selection can still be replaced", 0, 3, "abc",
       [](Script& s) { s.Key("Shift+Right").Type("xy"); }, "xbc", 1, "xbc       "},
      {"digits only", kEsNumber, 0, "", [](Script& s) { s.Type("1a2.3"); }, "123", 3, "123       "},
      {"read-only keeps its text but moves the caret", kEsReadOnly, 0, "abc",
       [](Script& s) { s.Key("End").Key("Backspace").Type("x").Key("Left"); }, "abc", 2, "abc       "},
      {"password shows stars", kEsPassword, 0, "", [](Script& s) { s.Type("s3cret"); }, "s3cret", 6, "******    "},
      {"right-aligned", kEsRight, 0, "", [](Script& s) { s.Type("125"); }, "125", 3, "       125"},
      {"a text as long as the box is wide shows whole", 0, 0, "", [](Script& s) { s.Type("2024022612"); },
       "2024022612", 10, "2024022612"},
      {"selecting a full text keeps it whole", 0, 0, "2024022612", [](Script& s) { s.Key("Shift+End"); },
       "2024022612", 10, "2024022612"},
      {"a full right-aligned text shows whole", kEsRight, 0, "", [](Script& s) { s.Type("1234567890"); },
       "1234567890", 10, "1234567890"},
      {"one character more than fits scrolls", 0, 0, "", [](Script& s) { s.Type("abcdefghijk"); }, "abcdefghijk", 11,
       "cdefghijk "},
      {"scrolls to keep the caret visible", 0, 0, "", [](Script& s) { s.Type("abcdefghijkl"); }, "abcdefghijkl", 12,
       "defghijkl "},
      {"scrolls back at Home", 0, 0, "", [](Script& s) { s.Type("abcdefghijkl").Key("Home"); }, "abcdefghijkl", 0,
       "abcdefghij"},
      {"right-aligned text longer than the box scrolls like any", kEsRight, 0, "",
       [](Script& s) { s.Type("123456789012"); }, "123456789012", 12, "456789012 "},
  };
  int id = 2001;
  for (const EditCase& c : cases) {
    SCOPED_TRACE(c.name);
    Hwnd e = CreateEdit(ws, top, id++, {12, 24, 120, 24}, c.style, c.initial);
    if (c.limit) ws.Send(e, kEmLimitText, c.limit);
    ws.SetFocus(e);
    Script s;
    c.keys(s);
    Drive(s);
    EXPECT_EQ(ws.GetText(e), c.text);
    EXPECT_EQ(ws.Rec(e)->edit.caret, c.caret);
    EXPECT_EQ(Cells(e), c.cells);
    ws.Destroy(e);
  }
}

TEST_F(EditTest, SelectAllThenTypeReplacesEverything) {
  Hwnd e = CreateEdit(ws, top, 2001, {12, 24, 120, 24}, 0, "old text");
  ws.SetFocus(e);
  ws.Send(e, kEmSetSel, 0, -1);
  EXPECT_EQ(ws.Send(e, kEmGetSel), int64_t{0} | (int64_t{8} << 16));
  CellGrid g = Compose(ws);
  EXPECT_EQ(g.at(2, 2).attr, kAttrReverse);  // the selection is drawn reversed
  Drive(Script().Type("n"));
  EXPECT_EQ(ws.GetText(e), "n");
  EXPECT_EQ(ws.Send(e, kEmGetSel), int64_t{1} | (int64_t{1} << 16));
}

TEST_F(EditTest, SettingTheTextPutsTheCaretAtTheStartAndIgnoresTheLimit) {
  Hwnd e = CreateEdit(ws, top, 2001, {12, 24, 120, 24});
  ws.Send(e, kEmLimitText, 2);
  ws.SetFocus(e);
  Drive(Script().Type("ab"));
  ws.SetText(e, "longer");
  EXPECT_EQ(ws.GetText(e), "longer");
  EXPECT_EQ(ws.Rec(e)->edit.caret, 0u);
  Drive(Script().Key("End").Key("Backspace").Type("xy"));
  EXPECT_EQ(ws.GetText(e), "longe");  // over the limit: nothing more fits
}

TEST_F(EditTest, TheCaretIsDrawnOnlyInTheFocusedEdit) {
  Hwnd e1 = CreateEdit(ws, top, 2001, {12, 24, 120, 24}, 0, "ab");
  Hwnd e2 = CreateEdit(ws, top, 2002, {12, 48, 120, 24}, 0, "cd");
  ws.SetFocus(e1);
  Drive(Script().Key("End"));
  CellGrid g = Compose(ws);
  EXPECT_TRUE(g.caret_shown);
  EXPECT_EQ(g.caret_col, 3);
  EXPECT_EQ(g.caret_row, 2);
  Point p;
  ASSERT_TRUE(EditCaretPoint(ws, p));
  EXPECT_EQ(p, (Point{36, 48}));
  ws.SetFocus(e2);
  g = Compose(ws);
  EXPECT_EQ(g.caret_col, 1);
  EXPECT_EQ(g.caret_row, 3);
  ws.SetFocus(top);
  EXPECT_FALSE(Compose(ws).caret_shown);
  EXPECT_FALSE(EditCaretPoint(ws, p));
}

TEST_F(EditTest, TheCaretPastAFullTextStandsOnTheLastCell) {
  Hwnd e = CreateEdit(ws, top, 2001, {12, 24, 96, 24});  // 8 cells from column 1
  ws.SetFocus(e);
  Drive(Script().Type("20240226"));
  CellGrid g = Compose(ws);
  EXPECT_EQ(Cells(e), "20240226");
  EXPECT_TRUE(g.caret_shown);
  EXPECT_EQ(g.caret_col, 8);
  Point p;
  ASSERT_TRUE(EditCaretPoint(ws, p));
  EXPECT_EQ(p, (Point{96, 48}));
  Drive(Script().Key("Backspace"));
  EXPECT_EQ(Cells(e), "2024022 ");
  EXPECT_EQ(Compose(ws).caret_col, 8);
}

TEST_F(EditTest, AClickFocusesTheEditAndPlacesTheCaret) {
  Hwnd e1 = CreateEdit(ws, top, 2001, {12, 24, 120, 24}, 0, "abcdef");
  Hwnd e2 = CreateEdit(ws, top, 2002, {12, 48, 120, 24}, 0, "xyz");
  ws.SetFocus(e2);
  Drive(Script().ClickCell(4, 2));  // e1 starts at column 1, row 2 (below the caption)
  EXPECT_EQ(ws.Focus(), e1);
  EXPECT_EQ(ws.Rec(e1)->edit.caret, 3u);
  Drive(Script().ClickCell(9, 2));  // past the end
  EXPECT_EQ(ws.Rec(e1)->edit.caret, 6u);
}

TEST_F(EditTest, EditsSendNoCommands) {
  Watch(top, "form");
  Hwnd e = CreateEdit(ws, top, 2001, {12, 24, 120, 24});
  ws.SetFocus(e);
  log.clear();
  Drive(Script().Type("a").Key("Enter").Key("Space").Click(2001));
  for (const std::string& l : log) EXPECT_EQ(l.find("COMMAND"), std::string::npos) << l;
}

TEST_F(EditTest, MultiLineReadOnlyEditScrollsByLinesAndPages) {
  std::string text;
  for (int i = 1; i <= 12; ++i) text += "line " + std::to_string(i) + (i % 3 == 0 ? " is longer than ten" : "") + "\r\n";
  text += "end";
  Hwnd e = CreateEdit(ws, top, 2001, {0, 0, 120, 96}, kEsMultiline | kEsReadOnly, text);
  ws.SetFocus(e);
  EXPECT_EQ(ws.Send(e, kEmGetLineCount), 13);
  auto row = [&](int r) {
    CellGrid g = Compose(ws);
    return g.Row(1 + r).substr(0, 10);
  };
  EXPECT_EQ(row(0), "line 1");
  Drive(Script().Key("Down").Key("Down"));
  EXPECT_EQ(row(0), "line 3 is ");
  Drive(Script().Key("PgDn"));
  EXPECT_EQ(row(0), "line 7");
  Drive(Script().Key("End"));
  EXPECT_EQ(row(0), "line 10");  // 13 lines, 4 shown: the last page
  EXPECT_EQ(row(3), "end");
  Drive(Script().Key("Right").Key("Right"));
  EXPECT_EQ(row(2), "ne 12 is l");
  Drive(Script().Key("Home"));
  EXPECT_EQ(row(0), "line 1");
  Drive(Script().Type("x").Key("Delete"));
  EXPECT_EQ(ws.GetText(e), text);
  ws.Send(e, kEmLineScroll, 0, 2);
  EXPECT_EQ(row(0), "line 3 is ");
}

}  // namespace
}  // namespace plat::test
