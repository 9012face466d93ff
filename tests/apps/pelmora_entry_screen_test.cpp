// The journal-entry window of the sample (PLDIA, a navigation window over
// the journal) on the headless window system, driven by key scripts, with
// the demo year posted: its INIT installs the entry handler and the line
// order; an entry typed line by line is saved with the rules (the account
// balances change); an unbalanced entry is refused when it ends; a
// predefined entry refuses inserted lines and is deleted whole.
#include "apps/pelmora/ac_entry_screen.h"
#include "apps/pelmora/ac_line_order.h"
#include "apps/pelmora/ac_text.h"
#include "core/sys_vars.h"
#include "ui/action_codes.h"
#include "platform/headless_driver.h"
#include "tests/apps/pelmora_entry_fixture.h"
#include "ui/font_cfg.h"
#include "ui/fonts.h"
#include "ui/list_level.h"
#include "ui/movs_win.h"
#include "ui/nav_win.h"
#include "ui/field_values.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"
#include "ui/win_create.h"
#include "ui/win_loop.h"
#include "ui/win_stack.h"
#include "ui/window_procs.h"

namespace eng::test {
namespace {

using namespace pelmora;

DateYmd D(const char* t) { return AcDateOf(StrFromC(t)); }

using PelmoraEntryScreenTest = PelmoraEntryWindowTest;

TEST_F(PelmoraEntryScreenTest, TheWindowInstallsTheEntryHandlerAndTheLineOrder) {
  ASSERT_EQ(Open(), kOk) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(ScreenWinCurrent().action, &AcEntryAction);
  EXPECT_EQ(NavsOrderGet().order_column, 3);
  EXPECT_EQ(NavsOrderGet().prefix_len, 14);
}

TEST_F(PelmoraEntryScreenTest, APredefinedEntryRefusesInsertedLinesAndIsDeletedWhole) {
  PostPredefinedEntry(books_);
  ASSERT_EQ(Open(), kOk);
  const uint16_t registry = AppModuleFile(1), lines = AppModuleFile(2);
  ASSERT_EQ(FileRecordCount(registry), 2u);
  ASSERT_EQ(FileRecordCount(lines), 2u);
  const size_t journal = FileRecordCount(books_.journal);
  auto at_line = [&](int n) {
    ScratchScope scope;
    std::string key = AcEntryPrefix(books_, D("20240601"), 8) + "  " + std::to_string(n);
    DataFileSetKeyNumber(books_.journal, 1);
    ASSERT_EQ(DataFileLocate(books_.journal, 1, StrOf(key), 0), kOk);
  };

  // INS from line 2 on: refused with its message, nothing written.
  at_line(2);
  box_.Queue(plat::MsgAnswer::kOk);
  EXPECT_EQ(AcEntryAction(ActionWord(kAcCommand, 9)), kOk);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0], "Asiento Predefinido. Inserci\xF3n no permitida");
  EXPECT_EQ(FileRecordCount(books_.journal), journal);

  // DEL asks; no leaves everything.
  at_line(2);
  box_.Queue(plat::MsgAnswer::kNo);
  EXPECT_EQ(AcEntryAction(ActionWord(kAcCommand, 10)), kOk);
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[1], "Eliminar Asiento Completo?");
  EXPECT_EQ(FileRecordCount(books_.journal), journal);
  EXPECT_EQ(FileRecordCount(registry), 2u);

  // Yes: the entry's lines and its registry records go, the balances with them.
  at_line(2);
  box_.Queue(plat::MsgAnswer::kYes);
  EXPECT_EQ(AcEntryAction(ActionWord(kAcCommand, 10)), kOk) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(FileRecordCount(books_.journal), journal - 3);
  EXPECT_EQ(FileRecordCount(registry), 1u) << "the record of another entry stays";
  EXPECT_EQ(FileRecordCount(lines), 0u);
  EXPECT_EQ(Num("AcGetBalance('70000000';'20241231')"), DecFromInt(-107)) << "June's credits are gone";
}

TEST_F(PelmoraEntryScreenTest, AnEntryEndsOnlyWhenItBalancesAndF2FillsTheImbalance) {
  // Entry 8: a debit of 50.00 against a credit of 30.00.
  ASSERT_EQ(AcPostLine(books_, {D("20240601"), 8, 1, "57200001", "", 5000, "Venta", ""}), kOk);
  ASSERT_EQ(AcPostLine(books_, {D("20240601"), 8, 2, "", "70000000", 3000, "Venta", ""}), kOk);
  ASSERT_EQ(Open(), kOk);
  {
    ScratchScope scope;
    DataFileSetKeyNumber(books_.journal, 1);
    ASSERT_EQ(DataFileLocate(books_.journal, 1, StrOf(AcEntryPrefix(books_, D("20240601"), 8) + "  2"), 0), kOk);
    // The day as typed in the window's first field.
    ASSERT_EQ(ScreenFieldStore(0, 1, StrOf("20240601")), kOk);
  }
  const uint8_t state = ScreenWinCurrent().state;
  box_.Queue(plat::MsgAnswer::kOk);
  EXPECT_EQ(AcEntryAction(kAcToEnd), kOk);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0], "Asiento descuadrado: 20") << "the difference in the message";
  EXPECT_EQ(ScreenWinCurrent().state, state) << "the window stays on the entry";

  // F2 in the amount (the last bounded field) of a credit line: DSC1#.
  ASSERT_EQ(Run("DSC1#=20"), kOk);
  ScreenWin* w = ScreenWinGet(-1);
  ASSERT_NE(w, nullptr);
  w->current_field = ScreenCurrent().bounded_last;
  EXPECT_EQ(AcEntryAction(20), kOk);
  EXPECT_EQ(AcTrim(ScreenFieldRaw(w->current_field).view()), "20");
  // On a debit line: minus DSC1#.
  ASSERT_EQ(AcSetFieldText(books_.journal, books_.j_debit, "57200001"), kOk);
  EXPECT_EQ(AcEntryAction(20), kOk);
  EXPECT_EQ(AcTrim(ScreenFieldRaw(w->current_field).view()), "-20");
  EXPECT_EQ(Boxes().size(), 1u);
}

}  // namespace
}  // namespace eng::test
