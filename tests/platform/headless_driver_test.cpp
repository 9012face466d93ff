// The script format, key names and the window dump.
#include "tests/platform/win_fixture.h"

namespace plat::test {
namespace {

std::vector<std::string> StepTexts(const Script& s) {
  std::vector<std::string> out;
  for (const ScriptStep& st : s.steps) out.push_back(st.text);
  return out;
}

TEST(ScriptText, EachStepKind) {
  Script s;
  std::string error;
  ASSERT_TRUE(Script::Parse(
      "# a comment\n"
      "key Tab\n"
      "  key shift+tab  \n"
      "key Ctrl+End\n"
      "key F11\n"
      "type \"A\\\"\\\\\\x1D\"\n"
      "click id=3100\n"
      "click cell=10,5\n"
      "dblclick px=120,48\n"
      "rclick cell=1,2\n"
      "wait 400ms\n"
      "wait 5\n"
      "answer no\n"
      "menu id=1501\n",
      s, error))
      << error;
  std::vector<std::string> want = {"key Tab",       "key Shift+Tab",       "key Ctrl+End",   "key F11",
                                   "type A",        "type \"",             "type \\",        "type \x1D",
                                   "click id=3100", "click cell=10,5",     "dblclick px=120,48", "rclick cell=1,2",
                                   "wait 400ms",    "wait 5ms",            "answer No",      "menu id=1501"};
  EXPECT_EQ(StepTexts(s), want);
  EXPECT_EQ(s.steps[7].ev.typed, 29);
  EXPECT_EQ(s.steps[7].ev.mods, kModCtrl);
  EXPECT_EQ(s.steps[9].ev.point, (Point{126, 132}));  // the centre of the cell
  EXPECT_EQ(s.steps[10].ev.point, (Point{120, 48}));
}

TEST(ScriptText, TypedTextIsUtf8AndBecomesCodePage1252) {
  Script s;
  std::string error;
  ASSERT_TRUE(Script::Parse("type \"Espa\xC3\xB1" "a \xE2\x82\xAC\\xF1\"", s, error)) << error;
  std::string typed;
  for (const ScriptStep& st : s.steps) typed += static_cast<char>(st.ev.typed);
  EXPECT_EQ(typed, "Espa\xF1" "a \x80\xF1");
}

TEST(ScriptText, ErrorsNameTheLine) {
  struct Case { const char* text; const char* error; };
  const Case cases[] = {
      {"key Tab\nkey Hyper+X", "script line 2: cannot read \"key Hyper+X\""},
      {"key F13", "script line 1: cannot read \"key F13\""},
      {"type abc", "script line 1: cannot read \"type abc\""},
      {"type \"\\q\"", "script line 1: cannot read \"type \"\\q\"\""},
      {"type \"\xE4\xB8\xAD\"", "script line 1: cannot read \"type \"\xE4\xB8\xAD\"\""},  // no code page 1252 byte
      {"click id=x", "script line 1: cannot read \"click id=x\""},
      {"rclick id=3", "script line 1: cannot read \"rclick id=3\""},
      {"wait soon", "script line 1: cannot read \"wait soon\""},
      {"answer Maybe", "script line 1: cannot read \"answer Maybe\""},
      {"jump", "script line 1: cannot read \"jump\""},
  };
  for (const Case& c : cases) {
    Script s;
    std::string error;
    EXPECT_FALSE(Script::Parse(c.text, s, error)) << c.text;
    EXPECT_EQ(error, c.error);
  }
}

TEST(KeyNames, RoundTrip) {
  for (const char* name : {"Tab", "Shift+Tab", "Ctrl+End", "Enter", "Esc", "PgUp", "PgDn", "F1", "F12", "Backspace",
                           "Delete", "Home", "Left", "Up", "Right", "Down", "Insert", "Space", "A", "7", "Vk239",
                           "Ctrl+]", "Ctrl+Shift+Tab", "Ctrl+Alt+Delete"}) {
    uint8_t vk = 0, mods = 0;
    ASSERT_TRUE(ParseKeyName(name, vk, mods)) << name;
    EXPECT_EQ(KeyName(vk, mods), name);
  }
  uint8_t vk = 0, mods = 0;
  ASSERT_TRUE(ParseKeyName("End", vk, mods));
  EXPECT_EQ(vk, 35);
  ASSERT_TRUE(ParseKeyName("F10", vk, mods));
  EXPECT_EQ(vk, 121);
}

TEST(KeyNames, WhichKeysMakeCharacters) {
  struct Case { const char* key; int ch; };
  const Case cases[] = {{"Enter", 13}, {"Tab", 9},   {"Shift+Tab", 9}, {"Esc", 27},  {"Backspace", 8}, {"Space", 32},
                        {"A", 'a'},    {"Shift+A", 'A'}, {"5", '5'},   {"Ctrl+]", 29}, {"Ctrl+A", -1},   {"F3", -1},
                        {"End", -1},   {"Left", -1},  {"Delete", -1},   {"Alt+A", -1}};
  for (const Case& c : cases) {
    uint8_t vk = 0, mods = 0;
    ASSERT_TRUE(ParseKeyName(c.key, vk, mods));
    EXPECT_EQ(CharForKey(vk, mods, -1), c.ch) << c.key;
  }
}

class DumpTest : public WinTest {};

TEST_F(DumpTest, TreeKindsRectanglesTextsAndFlags) {
  Hwnd top = Top("Form", {24, 48, 480, 264});
  ws.SetText(top, "Clientes");
  CreateStatic(ws, top, 4165, {0, 0, 72, 24}, "C\xF3" "digo:", kSsRight);
  Hwnd e = CreateEdit(ws, top, 2001, {84, 0, 120, 24}, kEsRight | kEsNumber);
  ws.Send(e, kEmLimitText, 6);
  Hwnd p = CreateEdit(ws, top, 2002, {84, 24, 120, 24}, kEsPassword, "pw");
  Hwnd cb = CreateButton(ws, top, 2003, {84, 48, 48, 24}, "", WinKind::kCheckBox);
  ws.Send(cb, kBmSetCheck, 1);
  Hwnd ok = CreateButton(ws, top, 3100, {84, 72, 72, 24}, "Ok");
  ws.Enable(ok, false);
  Hwnd hidden = Top("Other", {0, 0, 120, 48}, top);
  ws.Show(top, ShowCmd::kShow);
  ws.SetFocus(e);
  d.Run(Script().Type("12").Key("Shift+Left"));
  ws.Pump();
  (void)p;
  (void)hidden;
  // Bottom to top: showing the form raised it, and the window it owns stays
  // above it, hidden or not.
  EXPECT_EQ(d.Dump(),
            "window \"Form\" id=0 px=24,48 480x264 cells=2,2 40x11 \"Clientes\" active\n"
            "  static \"static\" id=4165 px=0,0 72x24 cells=2,3 6x1 \"C\xF3" "digo:\"\n"
            "  edit \"edit\" id=2001 px=84,0 120x24 cells=9,3 10x1 \"12\" focus right number limit=6 caret=1 sel=1-2\n"
            "  edit \"edit\" id=2002 px=84,24 120x24 cells=9,4 10x1 \"**\" password\n"
            "  checkbox \"checkbox\" id=2003 px=84,48 48x24 cells=9,5 4x1 \"\" check=1\n"
            "  button \"button\" id=3100 px=84,72 72x24 cells=9,6 6x1 \"Ok\" disabled\n"
            "window \"Other\" id=0 px=0,0 120x48 cells=0,0 10x2 \"Other\" hidden owner=\"Form\"\n"
            "active: window \"Form\" \"Clientes\"; focus: edit \"edit\" id=2001\n");
}

}  // namespace
}  // namespace plat::test

namespace plat::test {
namespace {

TEST(Fonts, CreatedFontsReportTheirSizeAndStockFontsGiveATwelveByTwentyFourCell) {
  WinSystem ws;
  int f = ws.FontCreate({21, 11, 700, "Courier New"});
  EXPECT_EQ(ws.FontMetrics(f), (TextMetrics{21, 11}));
  EXPECT_EQ(ws.FontRec(f)->face, "Courier New");
  EXPECT_EQ(ws.FontMetrics(ws.FontCreate({13, 7, 400, ""})), (TextMetrics{13, 7}));
  for (int stock : {WinSystem::StockFontHandle(kSystemFont), WinSystem::StockFontHandle(kOemFixedFont), 99}) {
    TextMetrics m = ws.FontMetrics(stock);
    EXPECT_EQ(m.avg_width + 1, 12);
    EXPECT_EQ(m.height + 3, 24);
  }
  CreateParams p;
  Hwnd h = ws.Create(p);
  ws.SetFont(h, f);
  EXPECT_EQ(ws.GetFont(h), f);
  ws.Destroy(h);
  ws.SetFont(h, f);  // harmless
  EXPECT_EQ(ws.GetFont(h), 0);
}

}  // namespace
}  // namespace plat::test
