// Predefined operations of the pelmora sample, on the headless window
// system over the demo year: the operation window (PLDIA definition 2)
// opened above the journal window posts a two-line entry and its registry
// record with the journal's rules; posting an entry again replaces the
// earlier posting; a refused or cancelled posting writes nothing; opened
// from the menu it posts with no journal window below. Also the
// list-window hook (12) and the statistics-steps hook (7) on their windows.
#include <array>
#include <fstream>
#include <string>

#include "apps/pelmora/ac_entry_screen.h"
#include "apps/pelmora/ac_oper_post.h"
#include "apps/pelmora/ac_text.h"
#include "core/sys_vars.h"
#include "ui/action_codes.h"
#include "tests/apps/pelmora_entry_fixture.h"
#include "ui/accept_win.h"
#include "ui/field_values.h"
#include "ui/hook_win.h"
#include "ui/lins_moves.h"
#include "ui/list_level.h"
#include "ui/screen_table.h"
#include "ui/win_loop.h"

namespace eng::test {
namespace {

using namespace pelmora;

constexpr int kOkButton = 3100;
constexpr const char* kOperation = "PLDIA,2,60,14,9";

// The entry window with the accept and hook windows of the window layer
// and the expression language's access to screen fields ("_" names).
class PelmoraOperWindowTest : public PelmoraEntryWindowTest {
 protected:
  void SetUp() override {
    PelmoraEntryWindowTest::SetUp();
    HookSetFn(&ScreenFieldProvider, kHookFieldProvider);
    AcceptInstall();
    MantHookWinInstall();
  }
  // A form driven by the script, which must end it.
  void RunUntilGone(plat::Hwnd form, const std::string& script) {
    ScreenWinFirstFocus(form);
    driver_.Run(script);
    WinModalLoop(form);
    EXPECT_FALSE(driver_.ws().IsWindow(form));
    EXPECT_EQ(stall_, "");
    EXPECT_TRUE(driver_.input().failures().empty()) << ::testing::PrintToString(driver_.input().failures());
  }
};

class PelmoraOperPostTest : public PelmoraOperWindowTest {
 protected:
  // The journal window on a new line, or showing an entry's lines from its
  // first grid line with the cursor on the given line of it (its record
  // read, so that its saved copy is the line as stored).
  void OpenJournalAt(const std::string& prefix, int line = 1) {
    ASSERT_EQ(Open(), kOk) << ::testing::PrintToString(Boxes());
    // A day typed: the cursor goes into the lines (the box suggests the
    // insertion mode for a day without a header line).
    box_.Queue(plat::MsgAnswer::kOk);
    Drive("type \"02-06-24\"\nkey Tab\n");
    box_.ClearLog();
    if (prefix.empty()) {
      DataFileMove(books_.journal, 1);
      return;
    }
    ShowEntry(prefix, line);
  }
  void ShowEntry(const std::string& prefix, int line) {
    ListLevel* level = ListLevelGet(ScreenWinCurrent().list_level);
    ASSERT_NE(level, nullptr);
    ASSERT_EQ(LinsReset(level->lines), kOk);
    LinsSetCurrent(level->lines, 1);
    ScratchScope scope;
    ASSERT_EQ(MovsReadLines(level->lines, StrOf(prefix), StrOf(prefix)), kOk);
    LinsSetCurrent(level->lines, static_cast<uint16_t>(line));
    DataFileSetKeyNumber(books_.journal, 1);
    ASSERT_EQ(DataFileLocate(books_.journal, 1, StrOf(prefix + "  " + std::to_string(line)), 0), kOk);
  }
  // The entries the journal window's grid shows, line by line.
  std::vector<std::string> Grid() {
    std::vector<std::string> out;
    ListLevel* level = ListLevelGet(ScreenWinCurrent().list_level);
    if (!level) return out;
    const std::array<uint16_t, 2> columns{1, 2};
    for (uint16_t i = 1; i <= level->lines.used; ++i) out.push_back(LinsKeyText(level->lines, i, columns));
    return out;
  }
  // The script that types the operation window's fields: amount, date,
  // entry number, debit and credit accounts, text, schedule switch; the
  // cursor stays in the last field.
  static std::string Typed(const std::string& amount, const std::string& date, const std::string& entry,
                           const std::string& schedule = "0") {
    std::string script;
    for (const std::string& text : {amount, date, entry, std::string("43000001"), std::string("70000000"),
                                    std::string("Cuota"), schedule}) {
      if (!script.empty()) script += "key Tab\n";
      script += "key Ctrl+A\ntype \"" + text + "\"\n";  // whatever the field showed goes
    }
    return script;
  }
  // The same, then Tab and Ok.
  static std::string Fields(const std::string& amount, const std::string& date, const std::string& entry,
                            const std::string& schedule = "0") {
    return Typed(amount, date, entry, schedule) + "key Tab\nclick id=" + std::to_string(kOkButton) + "\n";
  }
  // The fields typed and Ok clicked in the last one.
  static std::string TypedOk(const std::string& amount, const std::string& date, const std::string& entry,
                             const std::string& schedule = "0") {
    return Typed(amount, date, entry, schedule) + "click id=" + std::to_string(kOkButton) + "\n";
  }
  // The operation window opened above the journal window, driven by the
  // script until the window is gone (the script must end it).
  void Post(const std::string& script) {
    ASSERT_EQ(MantAcceptRun(StrOf(kOperation), kMantHookFlags, kAcceptHookSelector), kOk)
        << ::testing::PrintToString(Boxes());
    ASSERT_NE(WinTop(), window_);
    RunUntilGone(WinTop(), script);
  }
  std::string Prefix(const char* date, int entry) { return AcEntryPrefix(books_, AcDateOf(StrFromC(date)), entry); }
  // The journal lines of an entry: "line debit credit amount type".
  std::vector<std::string> Lines(const std::string& prefix) {
    std::vector<std::string> out;
    AcWalk(books_.journal, 1, prefix, prefix, [&]() -> Status {
      out.push_back(AcFieldText(books_.journal, books_.j_line) + " " + AcFieldText(books_.journal, books_.j_debit) +
                    " " + AcFieldText(books_.journal, books_.j_credit) + " " +
                    AcFieldText(books_.journal, books_.j_amount) + " " + AcFieldText(books_.journal, books_.j_type));
      return kOk;
    });
    return out;
  }
  // The registry records (date and entry number) of the operation file.
  std::vector<std::string> Registry() {
    const uint16_t f = AppModuleFile(1);
    EXPECT_LT(DataFileOpen(f, 0), kStFirstWarning);
    std::vector<std::string> out;
    AcWalk(f, 1, "", "\xff", [&]() -> Status {
      out.push_back(AcFieldText(f, 1) + "/" + AcFieldText(f, 2) + " " + AcFieldText(f, 3) + ">" + AcFieldText(f, 4));
      return kOk;
    });
    return out;
  }
  DecValue Balance(const char* account) {
    return Num(std::string("AcGetBalance('") + account + "';'20241231')");
  }
};

TEST_F(PelmoraOperPostTest, PostingWritesTheEntryAndItsRegistryRecordThroughTheRules) {
  OpenJournalAt("");
  const DecValue income = Balance("70000000"), customer = Balance("43000001");
  Post(Fields("50", "20240601", "8"));
  EXPECT_EQ(Boxes(), std::vector<std::string>{});
  EXPECT_EQ(Lines(Prefix("20240601", 8)),
            (std::vector<std::string>{"1 43000001  50.00 P", "2  70000000 50.00 P"}));
  EXPECT_EQ(Registry(), (std::vector<std::string>{"20240601/8 43000001>70000000"}));
  EXPECT_EQ(Balance("70000000"), income - DecFromInt(50)) << "the journal's rules ran";
  EXPECT_EQ(Balance("43000001"), customer + DecFromInt(50));
  // The operation window is gone; the journal window shows the entry.
  EXPECT_EQ(WinTop(), window_);
  const std::vector<std::string> grid = Grid();
  EXPECT_EQ(std::count(grid.begin(), grid.end(), Prefix("20240601", 8)), 2) << ::testing::PrintToString(grid);
}

// The menu's "Asiento predefinido" opens the operation window straight
// above the main window: the entry and its registry record are posted
// through the rules as from the journal window, with no grid to bring up to
// date and no box.
TEST_F(PelmoraOperPostTest, AnOperationOpenedFromTheMenuPostsWithoutAJournalWindow) {
  const DecValue income = Balance("70000000");
  {
    ScratchScope scope;
    ASSERT_EQ(AcceptRunVerb(StrOf(kOperation)), kOk) << ::testing::PrintToString(Boxes());
  }
  ASSERT_NE(WinTop(), root_);
  RunUntilGone(WinTop(), TypedOk("50", "20240601", "8"));
  EXPECT_EQ(Boxes(), std::vector<std::string>{});
  EXPECT_EQ(Lines(Prefix("20240601", 8)),
            (std::vector<std::string>{"1 43000001  50.00 P", "2  70000000 50.00 P"}));
  EXPECT_EQ(Registry(), (std::vector<std::string>{"20240601/8 43000001>70000000"}));
  EXPECT_EQ(Balance("70000000"), income - DecFromInt(50));
  EXPECT_EQ(WinTop(), root_);
  EXPECT_EQ(ScreenCounterGet(kWinCount), 0);
}

TEST_F(PelmoraOperPostTest, PostingAnEntryAgainReplacesItsEarlierPosting) {
  PostPredefinedEntry(books_);
  const std::string entry = Prefix("20240601", 8);
  const size_t lines_kept = FileRecordCount(AppModuleFile(2));
  const DecValue income = Balance("70000000");  // with the 50.00 of the old posting
  // The cursor on the entry's second line: the whole entry is replaced.
  OpenJournalAt(entry, 2);
  Post(Fields("70", "20240601", "8"));
  EXPECT_EQ(Boxes(), std::vector<std::string>{});
  EXPECT_EQ(Lines(entry), (std::vector<std::string>{"1 43000001  70.00 P", "2  70000000 70.00 P"}))
      << "the three old lines are gone";
  EXPECT_EQ(Registry(), (std::vector<std::string>{"20240601/8 43000001>70000000", "20240602/1 >"}))
      << "the other entry's record stays";
  EXPECT_EQ(Balance("70000000"), income + DecFromInt(50) - DecFromInt(70));
  EXPECT_EQ(FileRecordCount(AppModuleFile(2)), lines_kept) << "the registry lines are the schedule's";
  const std::vector<std::string> grid = Grid();
  EXPECT_EQ(std::count(grid.begin(), grid.end(), entry), 2) << ::testing::PrintToString(grid);
  ASSERT_GE(grid.size(), 2u);
  EXPECT_EQ(grid[0], entry) << "the new lines stand where the old ones stood";

  // Posting it once more still leaves one posting.
  ShowEntry(entry, 1);
  Post(Fields("80", "20240601", "8"));
  EXPECT_EQ(Lines(entry), (std::vector<std::string>{"1 43000001  80.00 P", "2  70000000 80.00 P"}));
  EXPECT_EQ(Registry(), (std::vector<std::string>{"20240601/8 43000001>70000000", "20240602/1 >"}));
  EXPECT_EQ(Balance("70000000"), income + DecFromInt(50) - DecFromInt(80));
}

TEST_F(PelmoraOperPostTest, LeavingAChangedPredefinedLineOpensTheOperationWindowInstead) {
  PostPredefinedEntry(books_);
  const std::string entry = Prefix("20240601", 8);
  OpenJournalAt(entry, 2);
  // Unchanged: the move is the window's own.
  EXPECT_EQ(AcEntryLockCheck(kAcLineDown), kOk);
  EXPECT_EQ(WinTop(), window_);
  // The line's TIPO changed against its saved copy: the operation window of
  // WINDOWS$ item 5 opens and the move does not happen.
  ASSERT_EQ(AcSetFieldText(books_.journal, books_.j_type, "Q"), kOk);
  EXPECT_EQ(AcEntryLockCheck(kAcLineDown), 32);
  const plat::Hwnd operation = WinTop();
  ASSERT_NE(operation, window_);
  EXPECT_EQ(ScreenKeyText(ScreenCounterGet(kCurScreen)).str(), "PLDIA2");
  ASSERT_EQ(AcSetFieldText(books_.journal, books_.j_type, "P"), kOk);
  // Posted from there, the entry is replaced as a whole.
  RunUntilGone(operation, Fields("90", "20240601", "8"));
  EXPECT_EQ(Lines(entry), (std::vector<std::string>{"1 43000001  90.00 P", "2  70000000 90.00 P"}));
}

TEST_F(PelmoraOperPostTest, ARefusedOrCancelledPostingWritesNothing) {
  struct Case {
    const char* what;
    std::string script;
    const char* box;
  } cases[] = {
      // Ok straight from the amount field: the field's own check does not
      // run, the posting's does.
      {"ALARM$ false: an amount of 0", "key Ctrl+A\ntype \"0\"\nclick id=" + std::to_string(kOkButton) + "\n",
       "Datos incorrectos"},
      // Entry 9 has no stored schedule: its questions are asked.
      {"the payment schedule's questions cancelled", Fields("50", "20240601", "9", "1") + "key Esc\n",
       "Cancelado"},
  };
  PostPredefinedEntry(books_);
  const std::string entry = Prefix("20240601", 8);
  const std::vector<std::string> lines = Lines(entry), registry = Registry();
  const DecValue income = Balance("70000000");
  OpenJournalAt(entry);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const size_t boxes = Boxes().size();
    ShowEntry(entry, 1);
    // The window stays after the failure, with its box shown once; its
    // close box ends it.
    box_.Queue(plat::MsgAnswer::kOk);
    Post(c.script + "close\n");
    ASSERT_EQ(Boxes().size(), boxes + 1) << ::testing::PrintToString(Boxes());
    EXPECT_NE(Boxes()[boxes].find(c.box), std::string::npos) << Boxes()[boxes];
    EXPECT_EQ(WinTop(), window_);
    EXPECT_EQ(Lines(entry), lines);
    EXPECT_EQ(Lines(Prefix("20240601", 9)), std::vector<std::string>{});
    EXPECT_EQ(Registry(), registry);
    EXPECT_EQ(Balance("70000000"), income);
  }
}

// The journal window on entry 8, posted before with its stored payments;
// afterwards the journal window must be as it was, with its record current.
class PelmoraOperScheduleTest : public PelmoraOperPostTest {
 protected:
  void SetUp() override {
    PelmoraOperPostTest::SetUp();
    PostPredefinedEntry(books_);
    entry_ = Prefix("20240601", 8);
    lines_ = Lines(entry_);
    registry_ = Registry();
    payments_ = FileRecordCount(AppModuleFile(2));
    OpenJournalAt(entry_);
    ShowEntry(entry_, 1);
    grid_ = Grid();
  }
  void ExpectJournalAsBefore() {
    EXPECT_EQ(WinTop(), window_);
    EXPECT_EQ(ScreenCounterGet(kWinCount), 1);
    EXPECT_EQ(ScreenWinCurrent().window, window_);
    EXPECT_EQ(Grid(), grid_);
    EXPECT_EQ(Lines(entry_), lines_);
    EXPECT_EQ(Registry(), registry_);
  }

  std::string entry_;
  std::vector<std::string> lines_, registry_, grid_;
  size_t payments_ = 0;
};

// The schedule shows the stored payments; Esc closes it alone: the
// operation window stays with its record current, and closing it then
// leaves the journal window as it was.
TEST_F(PelmoraOperScheduleTest, CancellingAStoredScheduleClosesOnlyTheSchedule) {
  // Opened as a changed line of the entry is left.
  ASSERT_EQ(AcSetFieldText(books_.journal, books_.j_type, "Q"), kOk);
  EXPECT_EQ(AcEntryLockCheck(kAcLineDown), 32);
  ASSERT_EQ(AcSetFieldText(books_.journal, books_.j_type, "P"), kOk);
  const plat::Hwnd operation = WinTop();
  ASSERT_NE(operation, window_);
  ScreenWinFirstFocus(operation);
  box_.Queue(plat::MsgAnswer::kOk);
  DriveIn(operation, TypedOk("50", "20240601", "8", "1") + "key Esc\n");
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_NE(Boxes()[0].find("Cancelado"), std::string::npos) << Boxes()[0];
  ASSERT_EQ(WinTop(), operation);
  EXPECT_EQ(ScreenCounterGet(kWinCount), 2);
  EXPECT_EQ(ScreenWinCurrent().window, operation);
  RunUntilGone(operation, "close\n");
  ExpectJournalAsBefore();
  EXPECT_EQ(FileRecordCount(AppModuleFile(2)), payments_);
}

// The operation window closed while its schedule was up (a close typed
// ahead, taken as the schedule ends): nothing is posted, the earlier
// posting stays, and the journal window stays open with its record.
TEST_F(PelmoraOperScheduleTest, AnOperationWindowClosedDuringItsScheduleIsNotPosted) {
  ASSERT_EQ(MantAcceptRun(StrOf(kOperation), kMantHookFlags, kAcceptHookSelector), kOk);
  const plat::Hwnd operation = WinTop();
  ASSERT_NE(operation, window_);
  box_.Queue(plat::MsgAnswer::kOk);
  // Ok in the schedule, and the close at once.
  RunUntilGone(operation, TypedOk("50", "20240601", "8", "1") + "click id=" + std::to_string(kOkButton) + "\nclose\n");
  ExpectJournalAsBefore();
}

// Forms without a data file: definition 1 confirmed opens definition 2
// (hook 12, WINDOWS$ item 1); definition 3 runs its statistics steps on
// confirmation (hook 7: STEPS$, RESET$ the accumulation file, here the
// concepts file 4) and puts back the open files of before (its OPEN$).
class PelmoraFormHooksTest : public PelmoraOperWindowTest {
 protected:
  void SetUp() override {
    PelmoraOperWindowTest::SetUp();
    Write("PLLST.PPN",
          "01 ACCEPT_PRC%:=12\r\n"
          "01 FD$:=\"_COD$\"\r\n"
          "01 WINDOWS$:=\"'PLLST,2,40,6,0'\"\r\n"
          "02 ACCEPT_PRC%:=12\r\n"
          "02 FD$:=\"_NOM$\"\r\n"
          "03 FD$:=\"_COD$\"\r\n"
          "03 OPEN$:=\"formas_pago;4\"\r\n"
          "03 RESET$:=\"4\"\r\n"
          "03 STEPS$:=\"'ExpEval _USER01=7'\"\r\n");
    Write("PLLST.PAN",
          "01 00101<1>Formas de pago\r\n01 10210000102A\r\n"
          "02 00101<1>Nombre\r\n02 10210000230A\r\n"
          "03 00101<1>Pasos\r\n03 10210000102A\r\n");
  }
  void Write(const std::string& name, const std::string& text) {
    std::ofstream(work_.parent_path() / "apps" / name, std::ios::binary) << text;
  }
  // The form of a definition as a field's verb opens it, or with its own
  // flags (item 7) that give it its own open files (16, its OPEN$), which
  // its close puts back.
  plat::Hwnd Form(int definition, bool own_files = false) {
    ScratchScope scope;
    const std::string line = "PLLST," + std::to_string(definition) + ",40,6,0" + (own_files ? ",,122" : "");
    EXPECT_EQ(MantAcceptRun(StrOf(line), own_files ? 0 : kMantHookFlags, kAcceptHookSelector), kOk);
    return WinTop();
  }
};

TEST_F(PelmoraFormHooksTest, ConfirmingAListFormOpensTheWindowOfItsFirstWindowsItem) {
  RunUntilGone(Form(1), "close\n");
  EXPECT_EQ(WinTop(), root_) << "closed without confirmation: nothing opens";
  const plat::Hwnd form = Form(1);
  driver_.Run("click id=" + std::to_string(kOkButton) + "\n");
  WinModalLoop(form);
  ASSERT_NE(WinTop(), root_);
  EXPECT_EQ(ScreenKeyText(ScreenCounterGet(kCurScreen)).str(), "PLLST2");
  EXPECT_EQ(stall_, "");
}

TEST_F(PelmoraFormHooksTest, StatisticsStepsRunOnlyWhenTheFormIsConfirmed) {
  SysVarSet(kVarUser01, 0);
  RunUntilGone(Form(3, true), "close\n");
  EXPECT_EQ(SysVarGet(kVarUser01), 0);
  const plat::Hwnd form = Form(3, true);
  driver_.Run("click id=" + std::to_string(kOkButton) + "\nclose\n");
  WinModalLoop(form);
  EXPECT_EQ(SysVarGet(kVarUser01), 7) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(WinTop(), root_);
}

}  // namespace
}  // namespace eng::test
