// Procedures' text windows: WINOPEN, PRINT, LOCATE, WAIT KEY, ACCEPT and
// READ, WINSELECT and WINCLOSE, and the window levels behind them.
#include "ui/win_levels.h"

#include <string>

#include "core/exec_handlers.h"
#include "core/exec_keywords.h"
#include "core/exec_run.h"
#include "core/exp_eval.h"
#include "core/sys_vars.h"
#include "platform/win_keys.h"
#include "tests/ui/screen_fixture.h"
#include "ui/accept_win.h"
#include "ui/action_codes.h"

namespace eng::test {
namespace {

class WinLevelsTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    ExecRegisterHandlers();
    AcceptInstall();
    WinStatementsInstall();
  }
  static ExecArgs Args(std::initializer_list<std::string> texts) {
    ExecArgs a;
    for (const std::string& t : texts) {
      const bool number = !t.empty() && (std::isdigit(static_cast<unsigned char>(t[0])) || t[0] == '-');
      a.kinds[a.count] = number ? 0 : 1;
      a.ints[a.count] = number ? std::stoi(t) : 0;
      a.texts[a.count] = t;
      ++a.count;
    }
    return a;
  }
  static std::string Text(const std::string& expression) {
    ScratchScope scope;
    StrPair v = ExpEvalStr(StrOf(expression));
    return v.ok() ? v.str() : "<error>";
  }
  Status RunProc(const std::string& source) {
    Put("p.prx", source);
    return ExecRunMenuProc(StrOf("p.prx"), nullptr);
  }
};

TEST_F(WinLevelsTest, OpenedWindowShowsItsCaptionAndLines) {
  ASSERT_EQ(WinStatements(kExecWinOpen, Args({"40", "10", "Title,First,Second"})), kOk);
  const plat::Hwnd h = WinTop();
  ASSERT_TRUE(h);
  EXPECT_EQ(d.ws().GetText(h), "Title");
  EXPECT_EQ(d.ws().GetText(d.ws().FindChild(h, 4000 + 2 * 40 + 1)), "First");
  EXPECT_EQ(d.ws().GetText(d.ws().FindChild(h, 4000 + 3 * 40 + 1)), "Second");
  const plat::Rect r = d.ws().GetRect(h);
  EXPECT_EQ(r.w, GeomColsToWidth(40));
  EXPECT_EQ(r.h, GeomRowsToHeight(11)) << "one row more for the caption";
  EXPECT_EQ(WinLevelCurrent().level, 1);
  EXPECT_EQ(WinLevelCurrent().cursor_row, 1);
  EXPECT_EQ(WinStatements(kExecWinClose, Args({""})), kOk);
  EXPECT_EQ(WinLevelCurrent().level, 0);
  EXPECT_EQ(WinStackCount(), 0);
}

TEST_F(WinLevelsTest, ProcedureOpensWritesReadsAndCloses) {
  d.Run(
      "expect text id=4162 \"Hola\"\n"
      "key F1\n"
      "expect focus id=2000\n"
      "type \"ANA\"\n"
      "key Enter\n");
  {
    ScratchScope scope;
    ASSERT_LT(ExpEvalText(StrOf("K=0;A=9;NOM$=''")), kStFirstWarning);  // globals the run writes
  }
  const Status s = RunProc(
      "WINOPEN 40,10,'Datos,Escriba su nombre'\n"
      "LOCATE 4,2\n"
      "PRINT 'Hola'\n"
      "WAIT 'KEY'\n"
      "K=_LASTKEY\n"
      "LOCATE 6,2\n"
      "ACCEPT \"'Nombre:':'A10':NOM$\"\n"
      "READ ''\n"
      "A=_LASTKEY\n"
      "WINCLOSE ''\n");
  EXPECT_EQ(s, kOk);
  EXPECT_EQ(stall, "");
  EXPECT_TRUE(d.input().failures().empty()) << ::testing::PrintToString(d.input().failures());
  EXPECT_EQ(ExpEvalInt(StrOf("K")), 11) << "F1";
  EXPECT_EQ(Text("NOM$"), "ANA       ");
  EXPECT_EQ(ExpEvalInt(StrOf("A")), 0) << "ended by Enter";
  EXPECT_EQ(WinCmdCount(), 0);
  EXPECT_EQ(WinLevelCurrent().level, 0);
  EXPECT_EQ(WinStackCount(), 0);
  EXPECT_EQ(ScreenCounterGet(kWinCount), 0) << "the read form's record is closed";
}

TEST_F(WinLevelsTest, EscInAReadFieldDestroysTheWindow) {
  d.Run("expect focus id=2000\nkey Esc\n");
  ASSERT_EQ(WinStatements(kExecWinOpen, Args({"30", "5", "T"})), kOk);
  ASSERT_EQ(WinStatements(kExecAccept, Args({"'N:':'A5':N$"})), kOk);
  EXPECT_EQ(WinStatements(kExecRead, Args({""})), kOk);
  EXPECT_EQ(stall, "");
  EXPECT_EQ(SysVarGet(kVarLastKey), kKeyEsc);
  EXPECT_EQ(WinCmdCount(), 0) << "the destroyed window left the WINOPEN stack";
  EXPECT_EQ(WinStackCount(), 0);
  EXPECT_EQ(WinStatements(kExecWinClose, Args({""})), kStDataOutBound);
}

TEST_F(WinLevelsTest, WrongWindowNumbersChangeNothing) {
  EXPECT_EQ(WinStatements(kExecWinClose, Args({""})), kStDataOutBound);
  EXPECT_EQ(WinLevelCurrent().level, 0);
  ASSERT_EQ(WinStatements(kExecWinOpen, Args({"30", "5", "A"})), kOk);
  ASSERT_EQ(WinStatements(kExecWinOpen, Args({"30", "5", "B"})), kOk);
  for (const char* n : {"0", "3", "9"}) {
    EXPECT_EQ(WinStatements(kExecWinSelect, Args({n})), kStDataError) << n;
    EXPECT_EQ(WinLevelCurrent().level, 2) << n;
  }
  EXPECT_EQ(WinStatements(kExecWinSelect, Args({"1"})), kOk);
  EXPECT_EQ(WinLevelCurrent().level, 1);
  EXPECT_EQ(d.ws().GetText(WinTop()), "A");
  // Fewer than three arguments.
  EXPECT_EQ(WinStatements(kExecWinOpen, Args({"30", "5"})), kStSyntax);
  EXPECT_EQ(WinStatements(kExecAccept, Args({""})), kStSyntax);
}

TEST_F(WinLevelsTest, AnEighthLevelIsRefusedAndItsWindowStays) {
  for (int i = 1; i <= 7; ++i) ASSERT_EQ(WinStatements(kExecWinOpen, Args({"20", "3", "L"})), kOk) << i;
  EXPECT_EQ(WinStatements(kExecWinOpen, Args({"20", "3", "L8"})), kStLowFailure);
  EXPECT_EQ(WinCmdCount(), 8);
  EXPECT_EQ(WinLevelCurrent().level, 7);
  // The stack of windows holds 24: the 25th is refused before any window is made.
  WinStackPop(plat::kNoWindow);
  for (int i = 9; i <= 24; ++i) ASSERT_EQ(WinCmdOpen(10, 2, StrOf("W")), 0) << i;
  EXPECT_EQ(WinCmdOpen(10, 2, StrOf("W")), -1);
  EXPECT_EQ(WinCmdCount(), 24);
}

TEST_F(WinLevelsTest, EscOnTheWindowAsksBeforeCancelling) {
  ASSERT_EQ(WinStatements(kExecWinOpen, Args({"30", "5", "T"})), kOk);
  SysVarSet(kVarLastKey, kKeyOther);
  d.Run("answer No\n");
  d.ws().Send(WinTop(), plat::kWmKeyDown, plat::kVkEscape);
  EXPECT_EQ(SysVarGet(kVarLastKey), kKeyOther);
  d.Run("answer Yes\n");
  d.ws().Send(WinTop(), plat::kWmKeyDown, plat::kVkEscape);
  EXPECT_EQ(SysVarGet(kVarLastKey), 15);
  EXPECT_EQ(WinCmdCount(), 1) << "the window stays";
}

}  // namespace
}  // namespace eng::test
