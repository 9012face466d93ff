// List boxes, progress bars and the banner static, driven by scripts.
#include "platform/compositor.h"
#include "platform/ctl_list.h"
#include "platform/ctl_progress.h"
#include "tests/platform/win_fixture.h"

namespace plat::test {
namespace {

class ListBoxTest : public WinTest {
 protected:
  Hwnd form = kNoWindow;
  Hwnd edit = kNoWindow;
  Hwnd list = kNoWindow;
  int64_t key_answer = -1;  // the form's answer to a key notification
  std::vector<std::string> keys_offered;

  void SetUp() override {
    form = Top("Form", {0, 0, 480, 264});
    edit = Edit(form, 2000, "edit", {12, 0, 120, 24});
    list = CreateListBox(ws, form, 3350, {12, 48, 120, 72});  // three rows shown
    for (const char* s : {"Uno", "Dos", "Tres", "Cuatro", "Cinco"}) ListBoxAdd(ws, list, s);
    auto prev = std::make_shared<WndProc>();
    *prev = ws.SetProc(form, [this, prev](WinSystem& s, Hwnd h, uint32_t msg, uint64_t w, int64_t l) -> int64_t {
      if (msg == kWmVKeyToItem) {
        keys_offered.push_back(KeyName(static_cast<uint8_t>(CommandId(w))) + "@" + std::to_string(CommandCode(w)));
        return key_answer;
      }
      return (*prev)(s, h, msg, w, l);
    });
    ws.Show(form, ShowCmd::kShow);
    ws.Activate(form, edit);
  }

  std::string Commands() {
    std::string s;
    for (const auto& l : log)
      if (l.rfind("Form:COMMAND", 0) == 0) s += (s.empty() ? "" : ", ") + l.substr(13);
    return s;
  }
};

TEST_F(ListBoxTest, KeysMoveTheSelectionAndNotifyTheParent) {
  EXPECT_EQ(ListBoxGetSel(ws, list), -1);
  Drive(Script().Click(3350));  // the click lands on the first row
  EXPECT_EQ(ws.Focus(), list);
  EXPECT_EQ(ListBoxGetSel(ws, list), 0);
  Drive(Script().Key("Down").Key("Down").Key("Up").Key("End").Key("End").Key("Home"));
  EXPECT_EQ(ListBoxGetSel(ws, list), 0);
  // One selection change per move; End pressed again changes nothing.
  EXPECT_EQ(Commands(), "3350/1, 3350/1, 3350/1, 3350/1, 3350/1, 3350/1");
  Drive(Script().Key("PgDn"));
  EXPECT_EQ(ListBoxGetSel(ws, list), 2);  // a page is the rows shown less one
  Drive(Script().Key("Down").Key("Down"));
  EXPECT_EQ(ListBoxGetSel(ws, list), 4);
  EXPECT_EQ(ListBoxCaret(ws, list), 4);
  // The view followed the caret: rows 2-4 are shown, the last one selected.
  CellGrid g = Compose(ws);
  CellRect c = WindowCells(ws, list);
  EXPECT_EQ(g.Row(c.row).substr(static_cast<size_t>(c.col)), "Tres");
  EXPECT_EQ(g.Row(c.row + 2).substr(static_cast<size_t>(c.col)), "Cinco");
  EXPECT_EQ(g.at(c.col, c.row + 2).attr, kAttrReverse);
  EXPECT_EQ(g.at(c.col, c.row).attr, kAttrNormal);
}

TEST_F(ListBoxTest, ClickSelectsTheRowUnderItAndDoubleClickNotifies) {
  CellRect c = WindowCells(ws, list);
  Drive(Script().ClickCell(c.col + 1, c.row + 1));
  EXPECT_EQ(ListBoxGetSel(ws, list), 1);
  Drive(Script().DblClickCell(c.col + 1, c.row + 2));
  EXPECT_EQ(ListBoxGetSel(ws, list), 2);
  EXPECT_EQ(Commands(), "3350/1, 3350/1, 3350/2");
  // A click below the last row selects nothing.
  ListBoxClear(ws, list);
  ListBoxAdd(ws, list, "Solo");
  Drive(Script().ClickCell(c.col + 1, c.row + 2));
  EXPECT_EQ(ListBoxGetSel(ws, list), -1);
}

TEST_F(ListBoxTest, ProgramSelectionSendsNothingAndRefusesMissingRows) {
  EXPECT_TRUE(ListBoxSetSel(ws, list, 3));
  EXPECT_FALSE(ListBoxSetSel(ws, list, 5));
  EXPECT_FALSE(ListBoxSetSel(ws, edit, 0));
  EXPECT_EQ(ListBoxGetSel(ws, list), 3);
  EXPECT_EQ(ListBoxText(ws, list, 3), "Cuatro");
  EXPECT_EQ(ListBoxText(ws, list, 9), "");
  EXPECT_EQ(ListBoxAdd(ws, edit, "x"), -1);
  EXPECT_EQ(Commands(), "");
  EXPECT_EQ(ListBoxItemHeight(ws, list), 24);
  ListBoxSetItemHeight(ws, list, 21);
  EXPECT_EQ(ListBoxItemHeight(ws, list), 21);
}

TEST_F(ListBoxTest, KeysOfferedToTheParentFirstWithTheWantKeysStyle) {
  Hwnd keyed = CreateListBox(ws, form, 3351, {200, 48, 120, 72}, kLbsNotify | kLbsWantKeys);
  for (const char* s : {"A", "B", "C"}) ListBoxAdd(ws, keyed, s);
  ws.SetFocus(keyed);
  key_answer = -2;  // the parent takes the key: nothing moves
  Drive(Script().Key("Down").Key("Enter"));
  EXPECT_EQ(ListBoxGetSel(ws, keyed), -1);
  key_answer = -1;  // default processing
  Drive(Script().Key("Down").Key("Down"));
  EXPECT_EQ(ListBoxGetSel(ws, keyed), 1);
  EXPECT_EQ(keys_offered, (std::vector<std::string>{"Down@0", "Enter@0", "Down@0", "Down@0"}));
  // The plain list offers nothing.
  keys_offered.clear();
  ws.SetFocus(list);
  Drive(Script().Key("Down"));
  EXPECT_TRUE(keys_offered.empty());
}

TEST_F(ListBoxTest, DisabledListTakesNoInput) {
  ws.Enable(list, false);
  Drive(Script().Click(3350));
  EXPECT_EQ(ListBoxGetSel(ws, list), -1);
  EXPECT_EQ(ws.Focus(), edit);
}

TEST_F(WinTest, ProgressBarCoversItsShareOfTheCells) {
  Hwnd form = Top("Form", {0, 0, 480, 120});
  Hwnd bar = CreateProgress(ws, form, 10, {0, 0, 240, 24});  // 20 cells
  ws.Show(form, ShowCmd::kShow);
  struct Case {
    int min, max, pos, covered;
  } cases[] = {
      {0, 100, 0, 0},   {0, 100, 50, 10}, {0, 100, 100, 20}, {0, 100, 150, 20},  // beyond the end: full
      {0, 100, -5, 0},  {10, 20, 15, 10}, {0, 65535, 65535, 20}, {0, 3, 1, 6},
      {5, 5, 5, 0},  // empty range
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(ProgressSetRange(ws, bar, c.min, c.max));
    ProgressSetPos(ws, bar, c.pos);
    EXPECT_EQ(ProgressCovered(ws, bar, 20), c.covered) << c.min << ".." << c.max << " @" << c.pos;
  }
  EXPECT_FALSE(ProgressSetRange(ws, bar, 0, 65536));
  EXPECT_FALSE(ProgressSetRange(ws, form, 0, 10));
  ProgressSetRange(ws, bar, 0, 4);
  EXPECT_EQ(ProgressSetPos(ws, bar, 1), 5);  // the previous position
  EXPECT_EQ(ProgressPos(ws, bar), 1);
  CellGrid g = Compose(ws);
  CellRect c = WindowCells(ws, bar);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(g.at(c.col + i, c.row).attr, i < 5 ? kAttrReverse : kAttrDim) << i;
}

TEST_F(WinTest, TopmostBannerDrawsOverTheControlsBelowIt) {
  Hwnd form = Top("Form", {0, 0, 480, 168});
  CreateStatic(ws, form, 0, {0, 24, 480, 24}, "texto debajo del aviso");
  Hwnd banner = CreateStatic(ws, form, 0, {120, 0, 240, 72}, "Procesando\r\nespere", kSsBanner);
  CreateEdit(ws, form, 2000, {0, 48, 480, 24}, 0, "edit encima");
  ws.Show(form, ShowCmd::kShow);
  ws.BringChildToTop(banner);
  const std::string snap = Compose(ws).Snapshot();
  // Centred lines on a reverse panel, over both the label and the later edit.
  EXPECT_NE(snap.find("     Procesando"), std::string::npos) << snap;
  EXPECT_NE(snap.find("texto deba"), std::string::npos);
  EXPECT_EQ(snap.find("texto debajo del aviso"), std::string::npos) << snap;
  EXPECT_NE(snap.find("espere"), std::string::npos);
  EXPECT_EQ(snap.find("edit encima"), std::string::npos) << snap;
  CellRect c = WindowCells(ws, banner);
  EXPECT_EQ(Compose(ws).at(c.col, c.row).attr, kAttrReverse);
}

}  // namespace
}  // namespace plat::test
