// Combo boxes: selection by keys and clicks, the drop-down list and the
// commands the parent gets.
#include "platform/compositor.h"
#include "platform/ctl_combo.h"
#include "tests/platform/win_fixture.h"

namespace plat::test {
namespace {

class ComboTest : public WinTest {
 protected:
  Hwnd form = kNoWindow;
  Hwnd simple = kNoWindow;
  Hwnd drop = kNoWindow;

  void SetUp() override {
    form = Top("Form", {0, 0, 480, 264});
    simple = CreateCombo(ws, form, 3500, {12, 24, 120, 96}, kCbsSimple);  // field and three rows
    drop = CreateCombo(ws, form, 3501, {240, 24, 120, 96}, kCbsDropDown);
    for (Hwnd c : {simple, drop})
      for (const char* s : {"CON", "LPT1", "PDF", "TXT"}) ComboAdd(ws, c, s);
    ws.Show(form, ShowCmd::kShow);
    ws.Activate(form, simple);
    log.clear();
  }

  std::string Commands() {
    std::string s;
    for (const auto& l : log)
      if (l.rfind("Form:COMMAND", 0) == 0) s += (s.empty() ? "" : ", ") + l.substr(13);
    return s;
  }
};

TEST_F(ComboTest, KeysSelectAndEnterConfirms) {
  EXPECT_EQ(ComboGetSel(ws, simple), -1);
  Drive(Script().Key("Down").Key("Down").Key("Enter"));
  EXPECT_EQ(ComboGetSel(ws, simple), 1);
  EXPECT_EQ(ws.GetText(simple), "LPT1");
  EXPECT_EQ(Commands(), "3500/1, 3500/1, 3500/9");
  // Up at the first item changes nothing and tells nothing.
  log.clear();
  Drive(Script().Key("Up").Key("Up"));
  EXPECT_EQ(Commands(), "3500/1");
}

TEST_F(ComboTest, ClickOnARowChoosesAndDoubleClickNotifies) {
  CellRect c = WindowCells(ws, simple);
  Drive(Script().ClickCell(c.col + 1, c.row + 3));  // third row of the list: PDF
  EXPECT_EQ(ComboGetSel(ws, simple), 2);
  EXPECT_EQ(ws.Focus(), simple);
  Drive(Script().DblClickCell(c.col + 1, c.row + 1));
  EXPECT_EQ(ComboGetSel(ws, simple), 0);
  EXPECT_EQ(Commands(), "3500/1, 3500/9, 3500/1, 3500/9, 3500/2");
  const std::string snap = Compose(ws).Snapshot();
  EXPECT_NE(snap.find(" CON"), std::string::npos);
}

TEST_F(ComboTest, DropDownOpensChoosesAndCancels) {
  ws.SetFocus(drop);
  CellRect c = WindowCells(ws, drop);
  auto list_row = [&] {
    std::string r = Compose(ws).Row(c.row + 1);
    return r.size() > static_cast<size_t>(c.col) ? r.substr(static_cast<size_t>(c.col)) : std::string();
  };
  EXPECT_EQ(list_row(), "");  // closed: no list
  Drive(Script().Key("F4"));
  EXPECT_TRUE(ComboDropped(ws, drop));
  EXPECT_EQ(list_row(), "CON");
  Drive(Script().Key("Down").Key("Esc"));
  EXPECT_FALSE(ComboDropped(ws, drop));
  Drive(Script().Key("Alt+Down"));
  EXPECT_TRUE(ComboDropped(ws, drop));
  Drive(Script().ClickCell(c.col + 1, c.row + 3));  // PDF
  EXPECT_FALSE(ComboDropped(ws, drop));
  EXPECT_EQ(ws.GetText(drop), "PDF");
  EXPECT_EQ(Commands(), "3501/7, 3501/1, 3501/10, 3501/7, 3501/1, 3501/9");
  // Leaving the control closes an open list without a choice.
  log.clear();
  Drive(Script().ClickCell(c.col + 1, c.row));
  Drive(Script().Click(3500));
  EXPECT_FALSE(ComboDropped(ws, drop));
  EXPECT_EQ(Commands().substr(0, 15), "3501/7, 3501/10");
}

TEST_F(ComboTest, EditableFieldTakesTypingAndProgramSelectionIsSilent) {
  ws.SetFocus(drop);
  Drive(Script().Type("DEV").Key("Backspace"));
  EXPECT_EQ(ws.GetText(drop), "DE");
  EXPECT_EQ(ComboGetSel(ws, drop), -1);
  ws.SetFocus(simple);
  Drive(Script().Type("X"));
  EXPECT_EQ(ws.GetText(simple), "");  // the simple list is not editable
  EXPECT_TRUE(ComboSetSel(ws, drop, 3));
  EXPECT_EQ(ws.GetText(drop), "TXT");
  EXPECT_FALSE(ComboSetSel(ws, drop, 4));
  EXPECT_TRUE(ComboSetSel(ws, drop, -1));
  EXPECT_EQ(ws.GetText(drop), "");
  EXPECT_EQ(Commands(), "");
  EXPECT_EQ(ComboAdd(ws, form, "x"), -1);
  EXPECT_EQ(ComboItem(ws, drop, 2), "PDF");
  EXPECT_EQ(ComboCount(ws, drop), 4);
}

}  // namespace
}  // namespace plat::test
