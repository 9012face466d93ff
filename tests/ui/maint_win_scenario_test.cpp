// Maintenance windows driven by key scripts, with the data file checked on
// disk after each scenario: adding, the duplicate and the empty key, locate
// and rewrite, the implicit save of a move, Esc with and without changes,
// delete with both answers, the key-1 scope, the ends of the file, closing,
// a changed key that is discarded, a stale buffer that never becomes a
// record, delete only of a shown record, the VOIDMODE% veto, Shift+Tab
// through the key indexes, and records another program changed or deleted.
#include "core/sys_vars.h"
#include "tests/ui/maint_win_fixture.h"
#include "ui/screen_table.h"

namespace eng::test {
namespace {

bool Shows(const std::vector<std::string>& boxes, const std::string& part) {
  for (const std::string& b : boxes)
    if (b.find(part) != std::string::npos) return true;
  return false;
}

class MaintScenarioTest : public MaintWinTest {};

TEST_F(MaintScenarioTest, AddOnAnEmptyFileThenTheSameKeyAgain) {
  ASSERT_EQ(Open("CLI,1,60,12,1"), kOk);
  EXPECT_EQ(State(), kMantStateNew);
  EXPECT_TRUE(Locked()) << "the window holds the file exclusively";
  EXPECT_EQ(Text(kIdStatus2), "Nueva alta");
  Drive(
      "type \"C001\"\nkey Tab\ntype \"ACME\"\nkey Tab\ntype \"PARIS\"\nkey Tab\ntype \"100\"\nkey Enter\n"
      // The same key again: refused, nothing added, a blank form for the next one.
      "type \"C001\"\nkey Tab\ntype \"OTHER\"\nkey Tab\nkey Tab\ntype \"5\"\nkey Enter\nanswer OK\n");
  EXPECT_TRUE(State() & kMantStateNew) << "a new record, the cursor on the key";
  EXPECT_EQ(Text(kIdCode), "");
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Clave incorrecta"}));
  EXPECT_EQ(User(kVarUser01), 2) << "SAVED$ after the opening read and the add, not after the refusal";
  EXPECT_EQ(User(kVarUser02), 100) << "one +1 rule pass";
  Drive("close\n");
  EXPECT_FALSE(WindowOpen());
  EXPECT_FALSE(Locked());
  EXPECT_EQ(OnDisk(), (std::vector<CliRecord>{kC001}));
}

TEST_F(MaintScenarioTest, LocateChangeAndSaveRewritesTheSameRecord) {
  Seed({kC001, kC002});
  ASSERT_EQ(Open("CLI,1,60,12,1"), kOk);
  EXPECT_EQ(State(), kMantSearch);
  EXPECT_TRUE(Enabled(kIdCode));
  EXPECT_FALSE(Enabled(kIdName)) << "only the key in search";
  Drive("type \"C001\"\nkey Tab\nexpect text id=2001 \"ACME\"\nexpect focus id=2001\n");
  EXPECT_EQ(State(), kMantEdit);
  EXPECT_FALSE(Enabled(kIdCode));
  EXPECT_TRUE(Enabled(kIdBal));
  EXPECT_EQ(Text(kIdStatus2), "Edicion [AvPag/RePag]");
  Drive("key Tab\nkey Tab\ntype \"150\"\nkey Enter\nexpect focus id=2000\nclose\n");
  EXPECT_TRUE(Boxes().empty()) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(User(kVarUser02), 50) << "-100 then +150";
  EXPECT_EQ(OnDisk(), (std::vector<CliRecord>{{"C001", "ACME", "PARIS", "150"}, kC002}));
  EXPECT_EQ(Slots(), (std::vector<std::string>{"C001  ", "C002  "})) << "rewritten in place";
}

TEST_F(MaintScenarioTest, AMoveSavesTheChangedRecordFirst) {
  Seed({kC001, kC002});
  ASSERT_EQ(Open("CLI,1,60,12,1"), kOk);
  Drive("type \"C001\"\nkey Tab\ntype \"ACME SA\"\nkey PgDn\nexpect text id=2000 \"C002\"\nclose\n");
  EXPECT_EQ(OnDisk(), (std::vector<CliRecord>{{"C001", "ACME SA", "PARIS", "100"}, kC002}));
}

TEST_F(MaintScenarioTest, EscAsksOnlyForAChangedRecordAndNeverStores) {
  Seed({kC001});
  ASSERT_EQ(Open("CLI,1,60,12,1"), kOk);
  // Typed but not committed: no change, no question.
  Drive("type \"C001\"\nkey Tab\ntype \"XXX\"\nkey Esc\nexpect focus id=2000\n");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(State(), kMantSearch);
  // Committed: the question; No keeps the change on screen.
  Drive("type \"C001\"\nkey Tab\ntype \"XXX\"\nkey Tab\nkey Esc\nanswer No\nexpect text id=2001 \"XXX\"\n");
  EXPECT_EQ(State(), kMantEdit);
  // Yes drops it.
  Drive("key Esc\nanswer Yes\nexpect focus id=2000\n");
  EXPECT_EQ(State(), kMantSearch);
  EXPECT_EQ(Boxes().size(), 2u);
  EXPECT_TRUE(Shows(Boxes(), "Posible perdida de datos"));
  // Esc on the key closes the window, which writes nothing either.
  Drive("key Esc\n");
  EXPECT_FALSE(WindowOpen());
  EXPECT_EQ(OnDisk(), (std::vector<CliRecord>{kC001}));
  EXPECT_EQ(User(kVarUser02), 0);
}

TEST_F(MaintScenarioTest, DeleteAsksAndNoChangesNothing) {
  Seed({kC001, kC002});
  ASSERT_EQ(Open("CLI,1,60,12,1"), kOk);
  Drive("type \"C001\"\nkey Tab\nkey F8\nanswer No\nexpect focus id=2000\n");
  EXPECT_EQ(State(), kMantSearch);
  EXPECT_EQ(User(kVarUser02), 0) << "no rule pass";
  Drive("type \"C001\"\nkey Tab\nclick id=3010\nanswer Yes\nexpect focus id=2000\nclose\n");
  EXPECT_EQ(Boxes().size(), 2u);
  EXPECT_TRUE(Shows(Boxes(), "Anular Registro"));
  EXPECT_EQ(OnDisk(), (std::vector<CliRecord>{kC002}));
  EXPECT_EQ(Slots(), (std::vector<std::string>{"\x1B" "001  ", "C002  "})) << "marked deleted";
  EXPECT_EQ(User(kVarUser02), -100);
}

TEST_F(MaintScenarioTest, MovesStayInsideTheKeyScope) {
  Seed({{"B001", "B", "", "1"}, kC001, kC002, {"D001", "D", "", "1"}});
  ASSERT_EQ(Open("CLI,2,60,12,1"), kOk);
  Drive("click id=3002\nexpect text id=2000 \"C001\"\nkey PgDn\nexpect text id=2000 \"C002\"\nkey PgDn\nanswer OK\n"
        "expect text id=2000 \"\"\n");
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Fin de fichero"}));
  EXPECT_EQ(State(), kMantSearch);
  Drive("click id=3006\nexpect text id=2000 \"C002\"\nclose\n");
  EXPECT_EQ(OnDisk().size(), 4u);
}

TEST_F(MaintScenarioTest, TheEndsOfTheFileWarnAndGoBackToTheKey) {
  Seed({kC001, kC002});
  ASSERT_EQ(Open("CLI,1,60,12,1"), kOk);
  Drive("click id=3002\nexpect text id=2000 \"C001\"\nkey PgUp\nanswer OK\n");
  EXPECT_EQ(State(), kMantSearch);
  Drive("click id=3006\nexpect text id=2000 \"C002\"\nkey PgDn\nanswer OK\n");
  EXPECT_EQ(State(), kMantSearch);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Clave no encontrada", "Fin de fichero"}));
  Drive("close\n");
  EXPECT_EQ(OnDisk(), (std::vector<CliRecord>{kC001, kC002}));
}

// F10 and F11 run commands a maintenance window has no move for: no box
// without a text comes up, and the records stay as they were.
TEST_F(MaintScenarioTest, AKeyWithoutAMoveShowsNoEmptyBox) {
  Seed({kC001, kC002});
  ASSERT_EQ(Open("CLI,1,60,12,1"), kOk);
  Drive("click id=3002\nexpect text id=2000 \"C001\"\nkey F10\nkey F11\n");
  EXPECT_TRUE(Boxes().empty()) << ::testing::PrintToString(Boxes());
  Drive("close\n");
  EXPECT_EQ(OnDisk(), (std::vector<CliRecord>{kC001, kC002}));
}

TEST_F(MaintScenarioTest, ClosingReleasesRulesLockAndOpenState) {
  Seed({kC001});
  const uint16_t rules_before = DynStrCount(sl::kRelUpdateRules);
  ASSERT_EQ(Open("CLI,1,60,12,1"), kOk);
  EXPECT_GT(DynStrCount(sl::kRelUpdateRules), rules_before);
  EXPECT_TRUE(Locked());
  Drive("key Esc\n");
  EXPECT_FALSE(WindowOpen());
  EXPECT_EQ(WinTop(), root);
  EXPECT_FALSE(Locked());
  EXPECT_EQ(DynStrCount(sl::kRelUpdateRules), rules_before);
  EXPECT_EQ(DataFileCtrl(kCli).data_stream, 0xFFFF) << "the file is closed again";
  EXPECT_EQ(ScreenCounterGet(kWinCount), 0);
  EXPECT_EQ(stall, "");
}

TEST_F(MaintScenarioTest, AnotherProgramCannotOpenTheFileWhileTheWindowHoldsIt) {
  Seed({kC001});
  ASSERT_EQ(Open("CLI,1,60,12,1"), kOk);
  EXPECT_EQ(OtherOpen(0), kStPermission);
  Drive("type \"C001\"\nkey Tab\nexpect text id=2001 \"ACME\"\nclose\n");
  EXPECT_FALSE(Locked());
  EXPECT_EQ(OtherOpen(0), kOk);
}

TEST_F(MaintScenarioTest, AChangedKeyIsDiscardedAndPutBack) {
  Seed({kC001, kC002});
  ASSERT_EQ(Open("CLI,1,60,12,1"), kOk);
  // The first record is in the buffer; the key typed over it is no command.
  Drive("type \"C009\"\nkey PgDn\nanswer OK\nexpect text id=2000 \"\"\nkey PgDn\nexpect text id=2000 \"C002\"\nclose\n");
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_TRUE(Shows(Boxes(), "de Clave descartada"));
  EXPECT_EQ(OnDisk(), (std::vector<CliRecord>{kC001, kC002}));
}

TEST_F(MaintScenarioTest, AStaleBufferNeverBecomesARecord) {
  Seed({kC001, kC002});
  ASSERT_EQ(Open("CLI,1,60,12,1"), kOk);
  // Past the last key the buffer holds the previous record with the typed key.
  Drive("type \"ZZZ\"\nkey Tab\nanswer OK\nkey PgDn\n");
  EXPECT_TRUE(Shows(Boxes(), "Fin de fichero"));
  // A discarded record, then a key typed and Ctrl+End: no key-only record.
  Drive("key Esc\ntype \"C001\"\nkey Tab\ntype \"NEW NAME\"\nkey Tab\nkey Esc\nanswer Yes\n"
        "type \"C777\"\nkey Ctrl+End\nclose\n");
  EXPECT_EQ(OnDisk(), (std::vector<CliRecord>{kC001, kC002}));
  EXPECT_EQ(Slots().size(), 2u);
  EXPECT_EQ(User(kVarUser02), 0) << "no rule pass ran";
}

TEST_F(MaintScenarioTest, DeleteActsOnlyOnAShownRecord) {
  Seed({kC001, kC002});
  ASSERT_EQ(Open("CLI,1,60,12,1"), kOk);
  // After a save the form is blank; after a locate between keys the buffer
  // holds the following record unseen. F8 asks nothing and deletes nothing.
  Drive("type \"C001\"\nkey Tab\nkey Ctrl+End\nkey F8\n"
        "type \"C0010\"\nkey Tab\nanswer OK\nkey F8\nclose\n");
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Clave no encontrada"}));
  EXPECT_EQ(OnDisk(), (std::vector<CliRecord>{kC001, kC002}));
}

// VOIDMODE% 256, 512 and 1024 (screen definitions 3, 4, 5): a save writes
// nothing and runs no rule; moves browse as usual.
class MaintVoidModeTest : public MaintWinTest, public ::testing::WithParamInterface<int> {};

TEST_P(MaintVoidModeTest, ASaveIsVetoedAndMovesBrowse) {
  Seed({kC001, kC002});
  ASSERT_EQ(Open("CLI," + std::to_string(GetParam()) + ",60,12,1"), kOk);
  Drive("type \"C001\"\nkey Tab\ntype \"CHANGED\"\nclick id=3008\nexpect focus id=2000\n"
        "click id=3002\nkey PgDn\nexpect text id=2000 \"C002\"\nclose\n");
  EXPECT_TRUE(Boxes().empty()) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(OnDisk(), (std::vector<CliRecord>{kC001, kC002}));
  EXPECT_EQ(User(kVarUser02), 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, MaintVoidModeTest, ::testing::Values(3, 4, 5));

TEST_F(MaintScenarioTest, VoidModeLeavesTheDeleteAlone) {
  Seed({kC001, kC002});
  ASSERT_EQ(Open("CLI,3,60,12,1"), kOk);
  Drive("type \"C001\"\nkey Tab\nkey F8\nanswer Yes\nclose\n");
  EXPECT_EQ(OnDisk(), (std::vector<CliRecord>{kC002}));
}

TEST_F(MaintScenarioTest, ShiftTabInSearchStepsThroughTheKeys) {
  Seed({kC001});
  ASSERT_EQ(Open("CLI,1,60,12,1"), kOk);
  EXPECT_EQ(Text(kIdFooterButton), "[ 1 ]");
  Drive("key Shift+Tab\nexpect focus id=2001\n");
  EXPECT_EQ(Text(kIdFooterButton), "[ 2 ]");
  EXPECT_EQ(State(), kMantSearch);
  // By name on key 2.
  Drive("type \"ACME\"\nkey Tab\nexpect text id=2000 \"C001\"\n");
  EXPECT_EQ(State(), kMantEdit);
  Drive("key Esc\nkey Shift+Tab\nexpect focus id=2000\nclose\n");
  EXPECT_EQ(Text(kIdFooterButton), "");
  EXPECT_TRUE(Boxes().empty()) << ::testing::PrintToString(Boxes());
}

TEST_F(MaintScenarioTest, AnEmptyKeyIsRefusedWithAMessage) {
  ASSERT_EQ(Open("CLI,1,60,12,1"), kOk);
  Drive("key Tab\ntype \"NO KEY\"\nkey Tab\nkey Tab\nkey Enter\nanswer OK\n");
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Clave incorrecta"}));
  EXPECT_TRUE(State() & kMantStateNew);
  // A form left wholly blank is no record and no message.
  Drive("key Ctrl+End\nclose\n");
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_TRUE(OnDisk().empty());
  EXPECT_TRUE(Slots().empty());
}

TEST_F(MaintScenarioTest, AValueTheFieldRefusesKeepsTheWindow) {
  Seed({kC001});
  ASSERT_EQ(Open("CLI,6,60,12,1"), kOk);
  // A negative balance: one box, the cursor stays on the field, nothing is written.
  Drive("type \"C001\"\nkey Tab\nkey Tab\nkey Tab\ntype \"-5\"\nkey Enter\nanswer OK\nexpect focus id=2003\n");
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_TRUE(Shows(Boxes(), "Saldo negativo"));
  EXPECT_TRUE(WindowOpen());
  EXPECT_EQ(State(), kMantEdit) << "the record stays on screen";
  Drive("key Esc\nanswer Yes\nclose\n");
  EXPECT_EQ(OnDisk(), (std::vector<CliRecord>{kC001}));
}

// Windows without their own open state share the file with other programs.
class MaintSharedTest : public MaintWinTest {
 protected:
  void SetUp() override {
    MaintWinTest::SetUp();
    Seed({kC001, kC002});
    ASSERT_LT(DataFileOpen(kCli, 8), kStFirstWarning);
    ASSERT_EQ(Open("CLI,1,60,12,1,,70"), kOk) << "flags 0x46: no open state of its own";
    EXPECT_FALSE(Locked());
  }
  void TearDown() override {
    DataFileClose(kCli);
    MaintWinTest::TearDown();
  }
  // Another program changes or deletes C001 while the window shows it.
  void Meanwhile(bool remove) {
    d.ws().SetTimer(root, 1, 10, [this, remove](plat::WinSystem&, plat::Hwnd, int) {
      d.ws().KillTimer(root, 1);
      OtherProgram([remove](DataFileStore& f) {
        std::string rec;
        NdxResult r = f.Locate(1, "C001  ", &rec);
        if (r.position != kNdxFound) return false;
        if (remove) return f.Delete(r.recno, 1) == kOk;
        rec.replace(6, 5, "OTHER");
        return f.Rewrite(r.recno, rec, 1) == kOk;
      });
    });
  }
};

TEST_F(MaintSharedTest, ARecordChangedElsewhereIsNotOverwritten) {
  Meanwhile(false);
  Drive("type \"C001\"\nkey Tab\nwait 20ms\nkey Tab\ntype \"ROME\"\nkey Tab\nkey Enter\nanswer OK\nexpect focus id=2000\n");
  EXPECT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_TRUE(Shows(Boxes(), "Datos Cambiados. Grabaci"));
  EXPECT_TRUE(WindowOpen());
  EXPECT_EQ(OnDisk(), (std::vector<CliRecord>{{"C001", "OTHER", "PARIS", "100"}, kC002}));
  // Read again, the other program's record can be changed.
  Drive("type \"C001\"\nkey Tab\nexpect text id=2001 \"OTHER\"\nkey Tab\ntype \"ROME\"\nkey Enter\nkey Enter\n"
        "expect focus id=2000\nclose\n");
  EXPECT_EQ(OnDisk(), (std::vector<CliRecord>{{"C001", "OTHER", "ROME", "100"}, kC002}));
}

TEST_F(MaintSharedTest, ARecordDeletedElsewhereIsNotWrittenBackNorDeletedTwice) {
  Meanwhile(true);
  Drive("type \"C001\"\nkey Tab\nwait 20ms\ntype \"ZED\"\nkey PgDn\nanswer OK\n");
  EXPECT_TRUE(Shows(Boxes(), "Datos Cambiados. Grabaci"));
  EXPECT_TRUE(WindowOpen());
  EXPECT_EQ(OnDisk(), (std::vector<CliRecord>{kC002}));
  EXPECT_EQ(Slots().size(), 2u) << "no record added";
  Drive("close\n");
}

}  // namespace
}  // namespace eng::test

namespace eng::test {
namespace {

TEST_F(MaintScenarioTest, FooterButtonStepsTheKeyIndexFromTheKeyOnly) {
  Seed({kC001});
  ASSERT_EQ(Open("CLI,1,60,12,1"), kOk);
  // From a shown record the footer button goes back to the key first.
  Drive("type \"C001\"\nkey Tab\nclick id=3101\nexpect focus id=2000\n");
  EXPECT_EQ(Text(kIdFooterButton), "[ 1 ]");
  EXPECT_EQ(State(), kMantSearch);
  Drive("click id=3101\nexpect focus id=2001\n");
  EXPECT_EQ(Text(kIdFooterButton), "[ 2 ]");
  Drive("close\n");
}

TEST_F(MaintScenarioTest, SetItemTwoRunsOnEveryNewBlankRecord) {
  ScreenTest::Def("CLI.PPN", 7, {"FD$:=\"CODE,NAME,CITY,BAL\"", "FILEDEF$:=\"CODE{1},NAME{1},CITY{1},BAL{1}\"",
                                 "SET$:=\"'',_USER03=_USER03+1\""});
  ScreenTest::Def("CLI.PAN", 7, {FieldLine(2, 12, 1, 1, 6, 'A'), FieldLine(3, 12, 1, 2, 30, 'A'),
                                 FieldLine(4, 12, 1, 3, 20, 'A'), FieldLine(5, 12, 1, 4, 10, 'N')});
  ASSERT_EQ(Open("CLI,7,60,12,1"), kOk);
  EXPECT_EQ(User(kVarUser03), 1) << "the blank record at opening";
  Drive("type \"C001\"\nkey Tab\ntype \"A\"\nkey Ctrl+End\nclose\n");
  EXPECT_EQ(User(kVarUser03), 2) << "and the one after the add";
  EXPECT_EQ(OnDisk().size(), 1u);
}

TEST_F(MaintScenarioTest, TheFieldFileCanGoOnceTheWindowIsOpen) {
  ASSERT_TRUE(Has("CLI.PAN"));
  ASSERT_EQ(Open("CLI,1,60,12,1,,94"), kOk) << "flags 86 with 0x08";
  EXPECT_FALSE(Has("CLI.PAN"));
  Drive("type \"C001\"\nkey Tab\ntype \"A\"\nkey Ctrl+End\nclose\n");
  EXPECT_EQ(OnDisk().size(), 1u);
}

TEST_F(MaintScenarioTest, AScreenThatCannotOpenLeavesNoWindowNorState) {
  const uint16_t windows = WinStackCount();
  EXPECT_GE(MantWindow(StrOf("NONE,1,60,12,1"), kMantMainFlags), kStFirstError);
  EXPECT_EQ(WinStackCount(), windows);
  EXPECT_EQ(WinTop(), root);
  EXPECT_EQ(ScreenCounterGet(kWinCount), 0);
  EXPECT_EQ(DataFileCtrl(kCli).data_stream, 0xFFFF);
  EXPECT_FALSE(Locked());
}

}  // namespace
}  // namespace eng::test
