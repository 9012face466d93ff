// The print dialog: the caller's printers with the default selected, the
// choice by keys, click and double click, cancel, no printers.
#include "platform/ctl_list.h"
#include "platform/dlg_print.h"
#include "tests/platform/dlg_fixture.h"

namespace plat::test {
namespace {

class PrintDlgTest : public DlgTest {
 protected:
  PrintDlgRequest Printers(int def = 1) {
    PrintDlgRequest r;
    r.printers = {"Oficina", "Almac\xE9n", "PDF"};
    r.default_index = def;
    r.owner = top;
    return r;
  }
};

TEST_F(PrintDlgTest, ShowsThePrintersWithTheDefaultSelected) {
  std::vector<std::string> rows;
  std::string caption;
  int sel = -2;
  WhileOpen([&] {
    rows = Rows(kPrintDlgList);
    caption = ws.GetText(ws.Active());
    sel = ListBoxGetSel(ws, ws.FindChild(ws.Active(), kPrintDlgList));
  });
  d.Run(Script().Wait(20).Key("Esc"));
  EXPECT_EQ(RunPrintDialog(ws, Printers()), -1);
  EXPECT_EQ(rows, (std::vector<std::string>{"Oficina", "Almac\xE9n", "PDF"}));
  EXPECT_EQ(caption, "Imprimir");
  EXPECT_EQ(sel, 1);
  EXPECT_TRUE(ws.IsEnabled(top));
  EXPECT_EQ(ws.Focus(), e1);
}

TEST_F(PrintDlgTest, AnswersFromTheScript) {
  struct Case {
    const char* what;
    int def;
    const char* script;
    int answer;
  };
  const Case cases[] = {
      {"Enter takes the default", 1, "key Enter", 1},
      {"a default out of range selects the first", 7, "key Enter", 0},
      {"Down then Enter", 1, "key Down\nkey Enter", 2},
      {"Home then the OK button", 2, "key Home\nclick id=1", 0},
      {"Enter on the focused OK button", 0, "key End\nkey Tab\nkey Enter", 2},
      {"Esc", 0, "key Down\nkey Esc", -1},
      {"Cancel by keys", 0, "key Tab\nkey Tab\nkey Enter", -1},
      {"the Cancel button", 0, "click id=2", -1},
      {"the close box", 0, "close", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    d.Run(c.script);
    EXPECT_EQ(RunPrintDialog(ws, Printers(c.def)), c.answer);
    ASSERT_EQ(stall_report, "");
    EXPECT_EQ(d.input().remaining(), 0u);
  }
}

TEST_F(PrintDlgTest, ADoubleClickOnARowChoosesIt) {
  WhileOpen([&] {
    Hwnd list = ws.FindChild(ws.Active(), kPrintDlgList);
    const Metrics& mx = ws.metrics();
    Point p = ws.ClientToScreen(list, {mx.cell_w, 2 * mx.cell_h});  // the third row
    d.Run(Script().DblClickCell(p.x / mx.cell_w, p.y / mx.cell_h));
  });
  d.Run(Script().Wait(20));
  EXPECT_EQ(RunPrintDialog(ws, Printers(0)), 2);
  EXPECT_EQ(stall_report, "");
}

TEST_F(PrintDlgTest, AQuitWhileOpenCancelsAndReachesTheOuterLoop) {
  WhileOpen([&] { ws.PostQuit(5); });
  d.Run(Script().Wait(20));
  EXPECT_EQ(RunPrintDialog(ws, Printers()), -1);
  EXPECT_EQ(ws.TopLevels().size(), 1u);
  EXPECT_TRUE(ws.IsEnabled(top));
  EXPECT_EQ(ws.RunLoop(), 5);
  EXPECT_EQ(stall_report, "");
}

TEST_F(PrintDlgTest, NoPrintersAnswersAtOnceWithoutOpening) {
  PrintDlgRequest r = Printers();
  r.printers.clear();
  EXPECT_EQ(RunPrintDialog(ws, r), -1);
  EXPECT_EQ(ws.TopLevels().size(), 1u);
  EXPECT_EQ(d.input().remaining(), 0u);
}

}  // namespace
}  // namespace plat::test
