// Navigation windows on the headless window system, driven by key scripts,
// with the lines file read back from disk after each step: lines written
// when they are left (and traced), the mode errors, deleting lines, Esc on a
// changed line, the key lock of _TRACE bit 128 and the renumbering of lines
// whose key is not unique.
//
// Dictionary (prefix PL): file 1 LIN (DOC A4, N_LINE N3, ITEM A10, QTY N5),
// key 1 DOC + N_LINE. Screen LIN definition 1: the document key DOC on row
// 2, the lines N_LINE, ITEM, QTY (BOUNDS$) from row 6 to the end of the
// window; WRITELINS$ gives a new line the document key D001. Field controls: DOC
// 2000, N_LINE 2001, ITEM 2002, QTY 2003. File 2 ACC (CODE A8 = key 1, NAME
// A20) has no line numbers: screen ACC shows the accounts of a group.
#include <algorithm>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "core/dyn_strings.h"
#include "core/field_access.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "data/data_file_path.h"
#include "data/data_file_store.h"
#include "data/dict_layout.h"
#include "data/dict_load.h"
#include "data/dict_query.h"
#include "data/field_ref.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "platform/win_messages.h"
#include "tests/ui/screen_fixture.h"
#include "ui/action_codes.h"
#include "ui/list_level.h"
#include "ui/lins_buf.h"
#include "ui/movs_win.h"
#include "ui/nav_win.h"
#include "ui/screen_table.h"

namespace eng::test {
namespace {

constexpr uint16_t kLin = 1, kAcc = 2;
constexpr size_t kRecordLength = 4 + 3 + 10 + 5;
constexpr int kIdDoc = 2000, kIdLine = 2001, kIdItem = 2002, kIdQty = 2003;
constexpr int kIdStatus2 = 1481;

struct Line {
  std::string doc, n, item, qty;
  bool operator==(const Line&) const = default;
};
void PrintTo(const Line& l, std::ostream* os) { *os << "{" << l.doc << "|" << l.n << "|" << l.item << "|" << l.qty << "}"; }

std::vector<uint16_t> g_renumbered;
bool g_renumber_fixes = true;

class NavWinTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    Put("PLDICC.DAT",
        "01**01LIN\r\n"
        "01       004 ADOC\r\n"
        "01       003 NN_LINE\r\n"
        "01       010 AITEM\r\n"
        "01       005 NQTY\r\n"
        "02**02ACC\r\n"
        "02       008 ACODE\r\n"
        "02       020 ANAME\r\n"
        "31<00010040005003\r\n"
        "32<0001008\r\n");
    ScreenTest::Def("LIN.PPN", 1,
                    {"FD$:=\"DOC,N_LINE,ITEM,QTY\"", "FILEDEF$:=\"DOC{1},N_LINE{1},ITEM{1},QTY{1}\"",
                     "BOUNDS$:=\"N_LINE,QTY\"", "MODE$:=\"NAVIGATION\"", "WRITELINS$:=\"DOC{1}='D001',1\""});
    ScreenTest::Def("LIN.PAN", 1,
                    {LabelLine(2, 2, "Doc"), FieldLine(2, 10, 1, 1, 4, 'A'), LabelLine(4, 2, "Lin Articulo   Cant"),
                     FieldLine(6, 2, 1, 2, 3, 'N'), FieldLine(6, 6, 1, 3, 10, 'A'), FieldLine(6, 17, 1, 4, 5, 'N')});
    // Accounts by group, one a line: a file without line numbers whose
    // document key is the group typed (the first characters of the codes).
    ScreenTest::Def("ACC.PPN", 1,
                    {"FD$:=\"GRP,CODE,NAME\"", "FILEDEF$:=\"CODE{2},CODE{2},NAME{2}\"", "BOUNDS$:=\"CODE,NAME\"",
                     "MODE$:=\"NAVIGATION\""});
    ScreenTest::Def("ACC.PAN", 1,
                    {LabelLine(2, 2, "Grupo"), FieldLine(2, 10, 2, 1, 8, 'A'), LabelLine(4, 2, "Cuenta    Nombre"),
                     FieldLine(6, 2, 2, 1, 8, 'A'), FieldLine(6, 12, 2, 2, 20, 'A')});
    ASSERT_EQ(DictLoad(StrOf(""), StrOf("PL"), StrOf("")), kOk);
    DataInstallFieldAccess();
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("PLMRQV13:Norvique")), kOk);
    Ui().base_grid = {80, 24, 0, 0, 0, 0};
    FontRegister(24, 12, 400, StrOf("Lucida Console"));
    root = WinCreateKind(0, 0, StrOf("Prueba"), 0, 80, 24, {});
    WinShowTop(-1);
    g_renumbered.clear();
    g_renumber_fixes = true;
  }
  void TearDown() override {
    FieldAccessInstall(nullptr);
    UiTest::TearDown();
  }

  void Seed(const std::vector<Line>& lines) {
    ASSERT_LT(DataFileOpen(kLin, 8), kStFirstWarning);
    for (const Line& l : lines) {
      ASSERT_EQ(DataFileMove(kLin, 1), 3);
      ASSERT_EQ(BufSetField(kLin, 1, StrOf(l.doc)), kOk);
      ASSERT_EQ(BufSetField(kLin, 2, StrOf(l.n)), kOk);
      ASSERT_EQ(BufSetField(kLin, 3, StrOf(l.item)), kOk);
      ASSERT_EQ(BufSetField(kLin, 4, StrOf(l.qty)), kOk);
      ASSERT_LT(DataFileAddRecord(kLin), kStFirstWarning);
    }
    ASSERT_EQ(DataFileClose(kLin), kOk);
  }
  void SeedAccounts(const std::vector<std::pair<std::string, std::string>>& accounts) {
    ASSERT_LT(DataFileOpen(kAcc, 8), kStFirstWarning);
    for (const auto& [code, name] : accounts) {
      ASSERT_EQ(DataFileMove(kAcc, 1), 3);
      ASSERT_EQ(BufSetField(kAcc, 1, StrOf(code)), kOk);
      ASSERT_EQ(BufSetField(kAcc, 2, StrOf(name)), kOk);
      ASSERT_LT(DataFileAddRecord(kAcc), kStFirstWarning);
    }
    ASSERT_EQ(DataFileClose(kAcc), kOk);
  }
  // The live accounts as stored, in record order.
  std::vector<std::string> AccountsOnDisk() {
    const std::string bytes = Get(DiskNames(kAcc).records);
    std::vector<std::string> out;
    for (size_t at = 0; at + 28 <= bytes.size(); at += 28)
      if (bytes[at] != '\x1B') out.push_back(bytes.substr(at, 28));
    return out;
  }
  static DataFileNames DiskNames(uint16_t file = kLin) {
    ScratchScope scope;
    const std::string folder(DictFileFolder(file).view()), name(DictFileName(file).view());
    return DataFileNames{DataFilePathOf(folder, name, kPathRecords), DataFilePathOf(folder, name, kPathIndex), ""};
  }
  // The live records in key order, read from the record file as it stands
  // on disk (the window holds the file exclusively while it is open).
  std::vector<Line> OnDisk() {
    const std::string bytes = Get(DiskNames().records);
    std::vector<std::string> records;
    for (size_t at = 0; at + kRecordLength <= bytes.size(); at += kRecordLength)
      if (bytes[at] != '\x1B') records.push_back(bytes.substr(at, kRecordLength));
    std::sort(records.begin(), records.end());
    std::vector<Line> out;
    for (const std::string& rec : records) {
      auto cut = [&](size_t at, size_t n) {
        std::string s = rec.substr(at, n);
        s.erase(0, s.find_first_not_of(' '));
        s.erase(s.find_last_not_of(' ') + 1);
        return s;
      };
      out.push_back(Line{cut(0, 4), cut(4, 3), cut(7, 10), cut(17, 5)});
    }
    return out;
  }

  Status Open(const std::string& line = "LIN,1,40,12,1") {
    const Status s = NavWindow(StrOf(line));
    nav = WinTop();
    return s;
  }
  void Drive(const std::string& script) { DriveWindow(root, nav, script); }
  std::vector<std::string> Boxes() {
    std::vector<std::string> out;
    for (const auto& b : d.msgbox().log()) out.push_back(b.text);
    return out;
  }
  std::string Text(int id) { return d.ws().GetText(d.ws().FindChild(nav, id)); }
  const LinsBuf& Lines() { return ListLevelGet(ScreenWinCurrent().list_level)->lines; }
  uint16_t Flags() { return ScreenWinCurrent().flags; }

  plat::Hwnd root = plat::kNoWindow;
  plat::Hwnd nav = plat::kNoWindow;
};

const std::vector<Line> kThree = {{"D001", "1", "ONE", "1"}, {"D001", "2", "TWO", "2"}, {"D001", "3", "THREE", "3"}};

bool Shows(const std::vector<std::string>& boxes, const std::string& part) {
  for (const std::string& b : boxes)
    if (b.find(part) != std::string::npos) return true;
  return false;
}

// Renumbering stubs: the application's service sees the file; one puts the
// second of two equal lines on number 2, the other changes nothing.
Status RenumberFixing(uint16_t file) {
  g_renumbered.push_back(file);
  Status s = DataFileLocate(file, 1, StrOf("D001  1"), 0);
  if (s == kOk) s = DataFileMove(file, 0x10);
  if (s == kOk) s = BufSetField(file, 2, StrOf("2"));
  if (s == kOk) s = DataFileUpdateRecord(file);
  return s;
}
Status RenumberNothing(uint16_t file) {
  g_renumbered.push_back(file);
  return kOk;
}

TEST_F(NavWinTest, OpensInMaintenanceModeAndLoadsTheLinesOfTheKey) {
  Seed(kThree);
  ASSERT_EQ(Open(), kOk);
  EXPECT_EQ(d.ws().GetText(nav), "Mantenimiento de Ficheros");
  EXPECT_TRUE(Flags() & kMovsMaintMode);
  Drive("type \"D001\"\nkey Tab\nexpect text id=2002 \"ONE\"\n");
  EXPECT_EQ(ScreenWinCurrent().state, 4);
  EXPECT_EQ(Lines().used, 3);
  EXPECT_NE(Text(kIdStatus2).find("Modo Mantenimiento"), std::string::npos) << Text(kIdStatus2);
  Drive("close\n");
}

// A key without lines in maintenance mode: the box suggesting the insert
// mode is answered and the cursor is on the new line's first field, so the
// keys typed next fill the line, field by field, and leaving it writes it.
TEST_F(NavWinTest, AfterTheInsertModeHintTheKeysTypedFillTheNewLine) {
  Seed(kThree);
  ASSERT_EQ(Open(), kOk);
  Drive("type \"D002\"\nkey Tab\nanswer OK\nexpect focus id=2001\n"
        "type \"5\"\nkey Tab\ntype \"NEW\"\nkey Tab\ntype \"7\"\nkey Down\nanswer Yes\n");
  ASSERT_EQ(Boxes().size(), 2u) << ::testing::PrintToString(Boxes());
  EXPECT_NE(Boxes()[0].find("recomendable"), std::string::npos) << Boxes()[0];
  EXPECT_EQ(Boxes()[1], "Datos Cambiados. Confirmar");
  const std::vector<Line> disk = OnDisk();
  ASSERT_EQ(disk.size(), 4u) << ::testing::PrintToString(disk);
  EXPECT_EQ(disk[3].n + "|" + disk[3].item + "|" + disk[3].qty, "5|NEW|7");
  Drive("close\n");
}

TEST_F(NavWinTest, WithoutLineNumbersTheKeyTypedIsAPrefixOfTheLines) {
  SeedAccounts({{"43000001", "CLIENTES"}, {"57200001", "BANCOS"}, {"57200002", "CAJA"}, {"60000000", "COMPRAS"}});
  ASSERT_EQ(Open("ACC,1,40,12,2"), kOk);
  Drive("type \"57\"\nkey Tab\nexpect text id=2002 \"BANCOS\"\n");
  ASSERT_EQ(Lines().used, 2);
  EXPECT_EQ(LinsGetField(Lines(), 2, 2).substr(0, 4), "CAJA");
  Drive("key Tab\ntype \"BANCO NORTE\"\nkey Down\nanswer Yes\nexpect text id=2002 \"CAJA\"\n");
  EXPECT_EQ(AccountsOnDisk()[1], "57200001BANCO NORTE         ") << "written when the line was left";
  EXPECT_EQ(AccountsOnDisk().size(), 4u);
  Drive("close\n");
}

TEST_F(NavWinTest, AChangedLineIsRewrittenWhenLeftAndANewLineAddedEachTraced) {
  Seed(kThree);
  SysVarSet(kVarTrace, 65);
  ASSERT_EQ(Open(), kOk);
  Drive("type \"D001\"\nkey Tab\nexpect text id=2002 \"ONE\"\nkey Down\nexpect text id=2002 \"TWO\"\n"
        "key Tab\nkey Tab\ntype \"9\"\nkey Down\nanswer Yes\nexpect text id=2002 \"THREE\"\n");
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Datos Cambiados. Confirmar"}));
  EXPECT_EQ(OnDisk(), (std::vector<Line>{kThree[0], {"D001", "2", "TWO", "9"}, kThree[2]}))
      << "written while the window is open";
  // A line inserted at the cursor becomes a new record when it is left.
  Drive("key F9\nclick id=2001\ntype \"4\"\nkey Tab\ntype \"NEW\"\nkey Tab\ntype \"7\"\nkey Down\nanswer Yes\n");
  EXPECT_EQ(OnDisk(), (std::vector<Line>{kThree[0], {"D001", "2", "TWO", "9"}, kThree[2], {"D001", "4", "NEW", "7"}}));
  EXPECT_FALSE(Flags() & kMovsInserting) << "the inserted line was committed";
  const std::string log = Get("PLlog.txt");
  const size_t sve = log.find("Cmd:SVE");
  ASSERT_NE(sve, std::string::npos) << log;
  EXPECT_NE(log.find("Cmd:INS", sve), std::string::npos) << log;
  // A move after Enter does not ask again.
  Drive("key Up\nkey Up\nexpect text id=2002 \"TWO\"\nclick id=2001\nkey Tab\nkey Tab\ntype \"8\"\nkey Enter\nexpect text id=2002 \"NEW\"\n");
  EXPECT_EQ(Boxes().size(), 2u) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(OnDisk()[1], (Line{"D001", "2", "TWO", "8"})) << "Enter past the line's last field wrote it";
  Drive("close\n");
}

TEST_F(NavWinTest, ModeErrorsChangeNothing) {
  Seed(kThree);
  ASSERT_EQ(Open(), kOk);
  // MDE while the cursor is in the lines.
  Drive("type \"D001\"\nkey Tab\nexpect text id=2002 \"ONE\"\nclick id=3015\nanswer OK\n");
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Solo disponible en Busqueda"}));
  EXPECT_TRUE(Flags() & kMovsMaintMode) << "the mode stays";
  // Back on the key, MDE switches to insert mode: no lines are read.
  Drive("key Esc\nexpect focus id=2000\nclick id=3015\ntype \"D001\"\nkey Tab\n");
  ASSERT_FALSE(Flags() & kMovsMaintMode);
  EXPECT_NE(Text(kIdStatus2).find("Modo Inserci"), std::string::npos) << Text(kIdStatus2);
  EXPECT_EQ(Lines().current, 1);
  EXPECT_EQ(Text(kIdItem), "") << "insert mode reads nothing";
  // Line up on line 1 in insert mode.
  Drive("key Up\nanswer OK\n");
  EXPECT_EQ(Boxes().back(), "Solo disponible en Modo Mantenimiento");
  EXPECT_EQ(Lines().current, 1) << "no move";
  EXPECT_TRUE(ListFieldCtrlExists(2)) << "still on the line";
  // INS on a full grid in insert mode.
  LinsBuf& lines = ListLevelGet(ScreenWinCurrent().list_level)->lines;
  const uint16_t max = lines.max_lines;
  ASSERT_GT(max, 1);
  for (uint16_t l = 1; l <= max; ++l) ASSERT_EQ(LinsSetField(lines, l, 3, "X" + std::to_string(l)), kOk);
  Drive("key F9\nanswer OK\n");
  EXPECT_EQ(Boxes().back(), "Solo disponible en Modo Mantenimiento");
  EXPECT_EQ(Lines().used, max);
  EXPECT_EQ(LinsGetField(Lines(), 1, 3).substr(0, 2), "X1") << "nothing moved";
  EXPECT_FALSE(Flags() & kMovsInserting);
  EXPECT_EQ(OnDisk(), kThree);
  Drive("close\n");
}

TEST_F(NavWinTest, InsOnAFullGridInsertsInMaintenanceMode) {
  std::vector<Line> many;
  for (int l = 1; l <= 20; ++l) many.push_back({"D001", std::to_string(l), "L" + std::to_string(l), "1"});
  Seed(many);
  ASSERT_EQ(Open(), kOk);
  Drive("type \"D001\"\nkey Tab\nexpect text id=2002 \"L1\"\n");
  const uint16_t max = Lines().max_lines;
  ASSERT_LT(max, 20) << "the visible rows";
  ASSERT_EQ(Lines().used, max) << "the grid is full";
  Drive("key F9\n");
  EXPECT_TRUE(Boxes().empty()) << ::testing::PrintToString(Boxes());
  EXPECT_TRUE(Flags() & kMovsInserting);
  EXPECT_EQ(Lines().current, 1);
  EXPECT_EQ(Lines().used, max);
  EXPECT_EQ(LinsGetField(Lines(), 1, 2), std::string(10, ' ')) << "a blank line at the cursor";
  EXPECT_EQ(LinsGetField(Lines(), 2, 2).substr(0, 3), "L1 ");
  EXPECT_EQ(Text(kIdItem), "");
  EXPECT_EQ(OnDisk().size(), 20u);
  Drive("close\n");
}

TEST_F(NavWinTest, DeletingLines) {
  Seed({{"C001", "1", "PREV", "5"}, {"D001", "1", "ONLY", "1"}, {"E001", "1", "NEXT", "1"}});
  ASSERT_EQ(Open(), kOk);
  // A line being inserted goes without a question and writes nothing.
  Drive("type \"D001\"\nkey Tab\nexpect text id=2002 \"ONLY\"\nkey F9\nclick id=2002\ntype \"NEW\"\nkey F8\n"
        "expect text id=2002 \"ONLY\"\n");
  EXPECT_TRUE(Boxes().empty()) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Lines().used, 1);
  EXPECT_FALSE(Flags() & kMovsInserting);
  EXPECT_EQ(OnDisk().size(), 3u);
  // No keeps the line.
  Drive("key F8\nanswer No\n");
  EXPECT_EQ(OnDisk().size(), 3u);
  // Yes deletes the record at once; the last line in maintenance mode gives
  // way to the record before it in the file.
  Drive("key F8\nanswer Yes\nexpect text id=2002 \"PREV\"\n");
  EXPECT_TRUE(Shows(Boxes(), "Anular Registro"));
  EXPECT_EQ(OnDisk(), (std::vector<Line>{{"C001", "1", "PREV", "5"}, {"E001", "1", "NEXT", "1"}}));
  EXPECT_EQ(Lines().used, 1);
  EXPECT_EQ(Lines().current, 1);
  EXPECT_EQ(LinsGetField(Lines(), 1, 2).substr(0, 4), "PREV");
  EXPECT_EQ(Text(kIdQty), "    5");
  Drive("close\n");
}

TEST_F(NavWinTest, DeletingOnAFullGridFillsTheFreedRowFromTheFile) {
  std::vector<Line> many;
  for (int l = 1; l <= 20; ++l) many.push_back({"D001", std::to_string(l), "L" + std::to_string(l), "1"});
  Seed(many);
  ASSERT_EQ(Open(), kOk);
  Drive("type \"D001\"\nkey Tab\nexpect text id=2002 \"L1\"\n");
  const uint16_t max = Lines().max_lines;
  ASSERT_EQ(Lines().used, max);
  Drive("key F8\nanswer Yes\nexpect text id=2002 \"L2\"\n");
  EXPECT_EQ(OnDisk().size(), 19u);
  EXPECT_EQ(Lines().used, max) << "the last row was read again";
  EXPECT_EQ(Lines().current, 1);
  const std::string next = "L" + std::to_string(max + 1);
  EXPECT_EQ(LinsGetField(Lines(), max, 2).substr(0, next.size() + 1), next + " ");
  Drive("close\n");
}

TEST_F(NavWinTest, ARuleFailureOfADeletedLineIsShown) {
  // The delete's rule pass fails on a text where a number is wanted.
  Put("PLRELUP.DAT", "0101_USER02=_USER02+ITEM{1}*2\r\n");
  Seed(kThree);
  ASSERT_EQ(Open(), kOk);
  Drive("type \"D001\"\nkey Tab\nexpect text id=2002 \"ONE\"\nkey F8\nanswer Yes\nanswer OK\n");
  ASSERT_EQ(Boxes().size(), 2u) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Boxes()[1].find("Error"), 0u) << Boxes()[1];
  EXPECT_EQ(OnDisk(), (std::vector<Line>{kThree[1], kThree[2]}));
  EXPECT_EQ(Lines().used, 2) << "the line goes with its record";
  EXPECT_EQ(Text(kIdItem), "TWO");
  Drive("close\n");
}

TEST_F(NavWinTest, EscOnAChangedLinePutsItsValuesBack) {
  Seed(kThree);
  ASSERT_EQ(Open(), kOk);
  Drive("type \"D001\"\nkey Tab\nexpect text id=2002 \"ONE\"\nkey Tab\ntype \"OTHER\"\nkey Tab\nkey Esc\n"
        "expect text id=2002 \"ONE\"\n");
  EXPECT_EQ(ScreenWinCurrent().state, 4) << "still in the lines";
  EXPECT_EQ(OnDisk(), kThree);
  Drive("close\n");
}

TEST_F(NavWinTest, TheKeyLockRefusesAChangedLineKey) {
  Seed(kThree);
  SysVarSet(kVarTrace, 129);
  ASSERT_EQ(Open(), kOk);
  Drive("type \"D001\"\nkey Tab\nexpect text id=2002 \"ONE\"\ntype \"5\"\nkey Tab\nkey Down\nanswer OK\n");
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].find("Grabaci"), std::string::npos) << Boxes()[0];
  EXPECT_EQ(Lines().current, 1) << "the user stays on the line";
  EXPECT_EQ(OnDisk(), kThree);
  Drive("close\n");
}

TEST_F(NavWinTest, ALineKeyThatIsNotUniqueIsRenumberedOnce) {
  struct Case {
    const char* what;
    NavOrderUniqueFn renumber;
    size_t calls;
    bool shown;
  };
  const Case cases[] = {
      {"renumbered and read again", &RenumberFixing, 1, false},
      {"still not unique", &RenumberNothing, 1, true},
      {"no renumbering installed", nullptr, 0, true},
  };
  // Each case its own document of two lines with the same key.
  std::vector<Line> seed;
  for (const char* doc : {"D001", "D002", "D003"}) {
    seed.push_back({doc, "1", "FIRST", "1"});
    seed.push_back({doc, "1", "SECOND", "2"});
  }
  Seed(seed);
  const char* docs[] = {"D001", "D002", "D003"};
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.what);
    g_renumbered.clear();
    NavSetOrderUnique(c.renumber);
    ASSERT_EQ(Open(), kOk);
    const size_t before = Boxes().size();
    Drive(std::string("type \"") + docs[i] + "\"\nkey Tab\n" + (c.shown ? "answer OK\n" : ""));
    EXPECT_EQ(g_renumbered.size(), c.calls);
    const std::vector<std::string> all = Boxes();
    const std::vector<std::string> boxes(all.begin() + static_cast<long>(before), all.end());
    EXPECT_EQ(Shows(boxes, "INDEXCMDERROR"), c.shown) << ::testing::PrintToString(boxes);
    if (!c.shown) {
      EXPECT_EQ(Lines().used, 2);
      EXPECT_EQ(LinsGetField(Lines(), 2, 1), "  2");
    }
    // The close box, outside the script: the next case starts a script of its own.
    d.ws().Send(nav, plat::kWmClose);
    ASSERT_FALSE(d.ws().IsWindow(nav));
  }
}

}  // namespace
}  // namespace eng::test
