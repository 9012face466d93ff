// The tables of maintenance windows: the key handler's next action, the
// toolbar masks by kind and state, the VOIDMODE% veto, the open-state text,
// the status line, the scope of IK$(1), the zones of a screen with a begin
// field and a bounded range, and the controls enabled per state.
#include "core/dyn_strings.h"
#include "core/string_lists.h"
#include "tests/ui/maint_win_fixture.h"
#include "ui/maint_win_cmd.h"
#include "ui/screen_table.h"

namespace eng::test {
namespace {

TEST(MaintKeyNextTest, NextActionByStates) {
  struct Case {
    uint16_t began, now, code, next;
  };
  for (Case c : {Case{2, 3, 1, 41}, {2, 3, 38, 41}, {2, 3, 0x0519, 0xFFFF}, {3, 2, 2, 27}, {2, 2, 2, 27},
                 {3, 6, 1, 42}, {11, 14, 1, 42}, {3, 3, 1, 0xFFFF}, {2, 3, 41, 0xFFFF}, {2, 2, 27, 0xFFFF},
                 {8, 11, 1, 0xFFFF}}) {
    EXPECT_EQ(MantKeyNext(c.began, c.now, c.code), c.next) << c.began << "," << c.now << "," << c.code;
  }
}

TEST(MaintVoidFlagsTest, OnlyVetoes) {
  struct Case {
    uint16_t flags, void_mode, want;
  };
  for (Case c : {Case{0x0F00, 0, 0x0F00}, {0x0F00, 0x100, 0}, {0x0F00, 0x200, 0}, {0x0F00, 0x400, 0},
                 {0x0F12, 0x200, 0x12}, {0x0F12, 0x100, 0x12}, {0x0642, 0x100, 0x0642}, {0x0F00, 0x800, 0x0700},
                 {0x0F24, 0x400, 0x24}}) {
    EXPECT_EQ(MantVoidModeFlags(c.flags, c.void_mode), c.want) << std::hex << c.flags << " " << c.void_mode;
  }
}

class MaintStateTest : public MaintWinTest {};

TEST_F(MaintStateTest, ToolbarMasksByKindAndState) {
  // Disabled states per button, as bit masks; 0 = never touched.
  EXPECT_EQ(MantToolbarMask(1, 6), 0x0004) << "FND off in search";
  EXPECT_EQ(MantToolbarMask(1, 7), 0x0FF4) << "SVE on only in 0, 1, 3, 12-14";
  EXPECT_EQ(MantToolbarMask(1, 8), 0) << "DEL never disabled";
  EXPECT_EQ(MantToolbarMask(4, 4), 0x00FF);
  EXPECT_EQ(MantToolbarMask(4, 8), 0);
  EXPECT_EQ(MantToolbarMask(3, 1), 0) << "no such kind";
  EXPECT_EQ(std::string(MantToolbarSet(81)), "NEW,TOP,PRV,NXT,BOT,FND,SVE,DEL");
  EXPECT_EQ(std::string(MantToolbarSet(98)), "NEW,FND,SVE,INS,DEL,IMP,DDE,PRN");
  EXPECT_EQ(std::string(MantToolbarSet(244)), "NEW,NLS,BLS,SVE,INS,DEL,IMP,MDE");

  Seed({kC001});
  ASSERT_EQ(Open("CLI,1,60,12,1"), kOk);
  // Kind 2 without FASTFIND$, LOAD_IMPORT$ or DOC$: those buttons always off.
  EXPECT_EQ(MantToolbarMask(2, 2), 0x00FF);
  EXPECT_EQ(MantToolbarMask(2, 6), 0x00FF);
  EXPECT_EQ(MantToolbarMask(2, 8), 0x00FF);
  EXPECT_EQ(MantToolbarMask(2, 3), 0x0007) << "a record under the cursor";
  struct Case {
    uint8_t state;
    bool fnd, sve;
  };
  for (Case c : {Case{2, false, false}, {3, true, true}, {8, true, false}, {11, true, false}, {0, true, true},
                 {12, true, true}}) {
    MantToolbarEnable(c.state, 1);
    EXPECT_EQ(Enabled(kIdFnd), c.fnd) << int(c.state);
    EXPECT_EQ(Enabled(kIdSve), c.sve) << int(c.state);
    EXPECT_TRUE(Enabled(kIdDel)) << int(c.state);
  }
  Drive("close\n");
}

TEST_F(MaintStateTest, CaptionsByGridWidthAndOverride) {
  Ui().base_grid = {30, 24, 0, 0, 0, 0};
  EXPECT_EQ(MantToolbarCaptions(81), "/ / /,<<,<,>,>>,?,[x],X");
  Ui().base_grid = {31, 24, 0, 0, 0, 0};
  EXPECT_EQ(MantToolbarCaptions(81), "Nuevo,Inic.,Ant.,Sig.,Ult.,Buscar,Grabar,Borrar");
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kButtonCaptions, StrOf("a,b,c,d,e,f,g,h")), kOk);
  EXPECT_EQ(MantToolbarCaptions(81), "a,b,c,d,e,f,g,h");
  EXPECT_EQ(MantToolbarCaptions(244), "a,b,c,d,e,f,g,h");
}

TEST_F(MaintStateTest, OpenStateText) {
  struct Case {
    const char* open;
    uint16_t file;
    const char* want;
  };
  for (Case c : {Case{"TOT", 1, "TOT,1;2"}, {"TOT,CLI", 1, "TOT,CLI"}, {"TOT,1;1", 1, "TOT,1;1"}, {"TOT", 0, "TOT"},
                 {"", 1, "1;2"}}) {
    EXPECT_EQ(MantOpenStateText(StrOf(c.open), c.file), c.want) << c.open << " " << c.file;
  }
}

TEST_F(MaintStateTest, StatusLineAndScope) {
  Seed({{"B001", "B", "", "1"}, kC001});
  ASSERT_EQ(Open("CLI,2,60,12,1"), kOk);
  EXPECT_EQ(MantStatusText(3, StrOf("")), "Edicion [AvPag/RePag]");
  EXPECT_EQ(MantStatusText(10, StrOf("")), "Nueva alta");
  EXPECT_EQ(MantStatusText(3, StrOf("abc")), "Edicion [AvPag/RePag] [abc]");
  EXPECT_EQ(MantStatusText(3, StrOf("0025")), "Edicion [AvPag/RePag] [\xBF" "Anular Registro(s)?]");

  // IK$(1) is 'C0': B001 is outside it.
  ASSERT_EQ(DataFileLocate(kCli, 1, StrOf("B001  "), 0), 0);
  struct Case {
    uint16_t move;
    uint16_t key;
    Status want;
    uint16_t move_after;
  };
  for (Case c : {Case{0, 1, 1, 0}, {0x24, 1, kStUndefinedWarning, 0x10}, {0x20, 1, kStUndefinedWarning, 0x14},
                 {0x12, 1, kStEndOfData, 0x12}, {0x16, 2, kStUndefinedWarning, 0x16}}) {
    DataFileSetKeyNumber(kCli, c.key);
    uint16_t move = c.move;
    EXPECT_EQ(MantScopeCheck(kCli, 0, c.move ? &move : nullptr), c.want) << std::hex << c.move;
    EXPECT_EQ(move, c.move_after);
  }
  DataFileSetKeyNumber(kCli, 1);
  EXPECT_EQ(MantScopeCheck(kCli, 2, nullptr), 2) << "a status other than 0 passes";
  ASSERT_EQ(DataFileLocate(kCli, 1, StrOf("C001  "), 0), 0);
  EXPECT_EQ(MantScopeCheck(kCli, 0, nullptr), 0);
  Drive("close\n");
}

TEST_F(MaintStateTest, FieldsEnabledPerStateAndKeyIndex) {
  Seed({kC001});
  ASSERT_EQ(Open("CLI,1,60,12,1"), kOk);
  auto enabled = [&] {
    std::string out;
    for (int id : {kIdCode, kIdName, kIdCity, kIdBal}) out += Enabled(id) ? "1" : "0";
    return out;
  };
  struct Case {
    uint8_t state;
    uint16_t key;
    const char* want;
  };
  for (Case c : {Case{2, 1, "1000"}, {3, 1, "0111"}, {10, 1, "1111"}, {11, 1, "1111"}, {2, 2, "0100"}}) {
    ScreenWinGet(-1)->key_index = c.key;
    MantEnableButtons(c.state, StrOf(""));
    EXPECT_EQ(enabled(), c.want) << int(c.state) << " key " << c.key;
  }
  ScreenWinGet(-1)->key_index = 1;
  EXPECT_EQ(MantKeyFieldList(1), (FieldList{1}));
  EXPECT_EQ(MantKeyFieldList(2), (FieldList{2}));
  EXPECT_EQ(MantEditFields(1), (FieldList{2, 3, 4}));
  EXPECT_EQ(MantEditFields(2), (FieldList{3, 4}));
  EXPECT_EQ(MantFieldZone(1), kMantSearch);
  EXPECT_EQ(MantFieldZone(3), kMantEdit);
  EXPECT_EQ(MantFieldZone(kMantFormDone), kMantComplete);
  Drive("close\n");
}

TEST_F(MaintStateTest, ZonesWithABeginFieldAndABoundedRange) {
  // Nine fields: begin field 2, key 1 = field 3, lines 5..8, a summary 9.
  std::vector<std::string> pan;
  for (int k = 1; k <= 9; ++k) pan.push_back(FieldLine(k + 1, 12, k == 3 ? 1 : 0, k == 3 ? 1 : 0, 4, 'A'));
  ScreenTest::Def("ZON.PAN", 1, pan);
  ScreenTest::Def("ZON.PPN", 1,
                  {"FD$:=\"F1,F2,CODE,F4,L1,L2,L3,L4,SUM\"", "BEGINFLD%:=3", "BOUNDS$:=\"L1,L4\""});
  plat::Hwnd w = WinCreateKind(3, 0, StrOf(""), 0, 40, 12, {});
  ASSERT_NE(w, plat::kNoWindow);
  ASSERT_EQ(ScreenOpen(StrOf("ZON"), StrOf("ZON1"), 1, 40, 12, 1, StrOf("")), kOk);
  const ScreenDesc sd = ScreenCurrent();
  ASSERT_EQ(sd.begin_field, 2);
  ASSERT_EQ(sd.bounded_first, 5);
  ASSERT_EQ(sd.bounded_last, 8);
  struct Case {
    int field;
    uint8_t zone;
  };
  for (Case c : {Case{1, 0}, {2, 1}, {3, 2}, {4, 3}, {6, 4}, {9, 5}, {0xFFFF, 6}})
    EXPECT_EQ(MantFieldZone(c.field), c.zone) << c.field;
  ScreenClose(-1);
  WinDestroy(w);
}

}  // namespace
}  // namespace eng::test
