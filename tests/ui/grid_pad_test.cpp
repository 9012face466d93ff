// The line grid pad on the headless window system: a pad of two accept
// items (a date text of 10 and an amount of 8), 5 rows shown and at most 12
// lines; lines typed through the fields laid over the current row; Ok,
// Ctrl+End, Esc and Enter past the last field of a line. The hook handler
// records each call with the pad's first two lines as they stand at that
// moment, and answers 8 (close) for Ok, as the payment schedules' handler
// does.
#include <string>
#include <vector>

#include "core/exp_eval.h"
#include "core/scratch_arena.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "platform/ctl_listview.h"
#include "tests/ui/screen_fixture.h"
#include "ui/accept_win.h"
#include "ui/action_codes.h"
#include "ui/ctl_dialog.h"
#include "ui/field_controls.h"
#include "ui/grid_pad.h"
#include "ui/grid_slots.h"
#include "ui/list_level.h"
#include "ui/screen_actions.h"

namespace eng::test {
namespace {

constexpr const char* kPadDef = "'Vencimiento':'A10','Importe':'N8' /ON_CONFIRM$:=\"'SCRBACK=REC$'\"";
constexpr int kIdDue = kIdFieldBase + 1, kIdAmount = kIdFieldBase + 2;

struct HookCall {
  uint16_t cls;
  std::string line1, line2;
};
std::vector<HookCall> g_calls;

uint16_t PadHook(uint16_t cls) {
  const ListLevel* lv = ListLevelGet(-1);
  g_calls.push_back({cls, lv ? LinsGetField(lv->lines, 1, 1) + "|" + LinsGetField(lv->lines, 1, 2) : "",
                     lv ? LinsGetField(lv->lines, 2, 1) + "|" + LinsGetField(lv->lines, 2, 2) : ""});
  return cls == kAcCommand ? 8 : 24;
}

class GridPadTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    AcceptInstall();
    g_calls.clear();
    FontRegister(24, 12, 400, StrOf("Lucida Console"));
    root = WinCreateKind(0, 0, StrOf("Prueba"), 0, 80, 24, {});
    WinShowTop(-1);
    ASSERT_EQ(VarAssign(StrOf("REC$"), StrOf("")), kOk);
  }
  uint16_t Create(uint16_t rows = 5, uint16_t limit = 12) {
    const uint16_t level = LinsGridPadCreate(StrOf("Plazos"), StrOf(kPadDef), rows, limit, &PadHook, {});
    pad = WinTop();
    return level;
  }
  void Drive(const std::string& script) { DriveWindow(root, pad, script); }
  plat::Hwnd Grid() { return GridWindow(ListLevelGrid(0)); }
  void TwoLinesThenConfirm(const std::string& confirm);
  static std::string Rec() {
    ScratchScope scope;
    StrPair v = ExpEvalStr(StrOf("REC$"));
    return v.ok() ? v.str() : "<error>";
  }

  plat::Hwnd root = plat::kNoWindow;
  plat::Hwnd pad = plat::kNoWindow;
};

TEST_F(GridPadTest, ColumnWidthIsTheNumberAfterTheTypeLetter) {
  struct Case { const char* type; uint16_t width; };
  for (Case c : {Case{"A50", 50}, Case{"'N8'", 8}, Case{" A10 ", 10}, Case{"D", 0}, Case{"", 0}, Case{"A5x", 5}})
    EXPECT_EQ(GridPadColumnWidth(StrOf(c.type)), c.width) << c.type;
}

TEST_F(GridPadTest, APadOfFiveRowsShowsThemEmptyAndHoldsTwelveLines) {
  ASSERT_EQ(Create(5, 12), 0);
  ASSERT_NE(pad, root);
  const ScreenWin w = ScreenWinCurrent();
  EXPECT_EQ(w.window, pad) << "the form's record lives in the pad's own window";
  EXPECT_EQ(w.list_level, 0);
  EXPECT_EQ(d.ws().GetText(pad), "Plazos");
  EXPECT_TRUE(d.ws().FindChild(pad, kIdOk)) << "the Ok button";
  const ListLevel* lv = ListLevelGet(0);
  ASSERT_NE(lv, nullptr);
  EXPECT_EQ(lv->lines.max_lines, 12);
  EXPECT_EQ(lv->lines.current, 1);
  EXPECT_EQ(lv->lines.widths, (std::vector<uint16_t>{10, 8}));
  ASSERT_EQ(plat::LvColumnCount(d.ws(), Grid()), 2);
  EXPECT_GE(plat::LvRowCount(d.ws(), Grid()), 5);
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 2; ++c) EXPECT_EQ(plat::LvCell(d.ws(), Grid(), r, c), "") << r << "," << c;
  // The cursor goes down line by line and stops on the twelfth.
  for (int i = 0; i < 15; ++i) _linsGridPadActionWin(kAcLineDown);
  EXPECT_EQ(ListLevelGet(0)->lines.current, 12);
  Drive("key Esc\n");
}

TEST_F(GridPadTest, EscClosesThePadWithoutConfirming) {
  ASSERT_EQ(Create(), 0);
  Drive("type \"2027-01-31\"\nkey Tab\ntype \"150\"\nkey Esc\n");
  EXPECT_FALSE(d.ws().IsWindow(pad));
  EXPECT_TRUE(g_calls.empty()) << "the hook is not called";
  EXPECT_EQ(Rec(), "") << "ON_CONFIRM$ did not run";
  EXPECT_EQ(ListLevelCurrent(), kListNone) << "the level is closed";
  EXPECT_EQ(SysVarGet(kVarLastKey), kKeyEsc);
}

// Two lines typed, the second still in its fields when the form is
// confirmed by the step given.
void GridPadTest::TwoLinesThenConfirm(const std::string& confirm) {
  ASSERT_EQ(Create(), 0);
  // Enter past the last field of line 1 goes on to line 2; nothing is confirmed.
  Drive("type \"2027-01-31\"\nkey Enter\ntype \"150\"\nkey Enter\nexpect focus id=2000\n"
        "type \"2027-02-28\"\nkey Tab\ntype \"75\"\n");
  ASSERT_TRUE(g_calls.empty());
  EXPECT_EQ(ListLevelGet(0)->lines.current, 2);
  Drive(confirm + "\n");
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].cls, kAcCommand);
  EXPECT_EQ(g_calls[0].line1, "2027-01-31|     150");
  EXPECT_EQ(g_calls[0].line2, "2027-02-28|      75") << "the edited line reached the buffer before the hook";
  EXPECT_NE(Rec(), "") << "ON_CONFIRM$ ran";
  EXPECT_EQ(SysVarGet(kVarLastKey), kKeyEnter);
  EXPECT_FALSE(d.ws().IsWindow(pad)) << "the hook's 8 closes the pad";
  EXPECT_EQ(ListLevelCurrent(), kListNone);
}

TEST_F(GridPadTest, OkCommitsTheLineBeingEditedFirst) { TwoLinesThenConfirm("click id=3100"); }

TEST_F(GridPadTest, CtrlEndConfirmsLikeOk) { TwoLinesThenConfirm("key Ctrl+End"); }

}  // namespace
}  // namespace eng::test
