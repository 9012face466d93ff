// Screen definitions: field lines and labels, FD$ completion, lengths and
// offsets, binding, edit order and flags, loading and closing, selecting
// windows, and the faults of bad definition files.
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/module_parms.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "data/record_buffer.h"
#include "tests/ui/screen_fixture.h"

namespace eng::test {
namespace {

TEST_F(ScreenTest, CompletesFieldNames) {
  const std::vector<std::string> lines = {FieldLine(2, 10, 0, 0, 6, 'A'), FieldLine(3, 10, 0, 0, 30, 'A'),
                                          FieldLine(4, 10, 0, 0, 10, 'A'), FieldLine(5, 10, 0, 0, 12, 'N')};
  Def("A.PAN", 1, lines);
  Def("A.PPN", 1, {"FD$:=\"CODE,NAME\""});
  Def("B.PAN", 1, lines);
  Def("B.PPN", 1, {"SET$:=X=1"});
  for (const char* line : {"A,1,80,20,1", "B,1,80,20,1"}) {
    ASSERT_EQ(Open(line), kOk) << line;
    ScreenBlock* b = ScreenBlockOf(ScreenCounterGet(kCurScreen));
    ASSERT_NE(b, nullptr);
    const bool named = line[0] == 'A';
    const std::string names = named ? "CODE,NAME,_SCRF3$,_SCRF4#" : "_SCRF1$,_SCRF2$,_SCRF3$,_SCRF4#";
    EXPECT_EQ(b->text.substr(0, names.size() + 8), "FD$:=\"" + names + "\":") << line;
    EXPECT_EQ(Name(1), named ? "CODE" : "_SCRF1$");
    EXPECT_EQ(ScreenFieldFind(StrOf("_SCRF3$")), 3);
    EXPECT_EQ(ScreenFieldFind(StrOf("_SCRF4#")), 4);
    EXPECT_EQ(ScreenParmItem(kParmFd, 3).str(), "_SCRF3$");
  }
}

TEST_F(ScreenTest, LengthsOffsetsAndWidths) {
  Def("L.PAN", 1, {FieldLine(2, 1, 0, 0, 6, 'A'), FieldLine(3, 1, 0, 0, 30, 'A'), FieldLine(4, 1, 0, 0, 10, 'D'),
                   FieldLine(5, 1, 0, 0, 12, 'N'), FieldLine(6, 1, 0, 0, 6, 'D'), FieldLine(7, 70, 0, 0, 20, 'A'),
                   FieldLine(8, 85, 0, 0, 20, 'A')});
  ASSERT_EQ(Open("L,1,80,20"), kOk);
  struct Want { uint16_t storage, offset, width; } want[] = {
      {6, 0, 6}, {30, 6, 30}, {8, 36, 10}, {12, 44, 12}, {6, 56, 6}, {20, 62, 10}, {20, 82, 0}};
  for (int i = 0; i < 7; ++i) {
    ScreenFieldDesc f = ScreenFieldGet(i + 1);
    EXPECT_EQ(f.storage_len, want[i].storage) << i + 1;
    EXPECT_EQ(f.record_offset, want[i].offset) << i + 1;
    EXPECT_EQ(f.width, want[i].width) << i + 1;
  }
  EXPECT_EQ(ScreenCurrent().record_length, 102);
  EXPECT_EQ(ScreenFieldGet(0).status, kStDataOutBound);
  EXPECT_EQ(ScreenFieldGet(8).status, kStDataOutBound);
}

TEST_F(ScreenTest, ScreenFieldVariablesGiveTypeAndLength) {
  Def("V.PAN", 1, {FieldLine(2, 1, 0, 0, 5, 'V'), FieldLine(3, 1, 0, 0, 7, 'V')});
  ASSERT_EQ(VarAssign(StrOf("_V5$"), StrOf("N12")), kOk);
  ASSERT_EQ(Open("V,1,80,20"), kOk);
  EXPECT_EQ(ScreenFieldGet(1).type, 'N');
  EXPECT_EQ(ScreenFieldGet(1).display_len, 12);
  EXPECT_EQ(ScreenFieldGet(2).type, 'V') << "_V7$ undefined: the line's values";
  EXPECT_EQ(ScreenFieldGet(2).display_len, 7);
  ASSERT_EQ(ScreenClose(-1), kOk);
  SysVarSet(kVarCompat, 1024);
  ASSERT_EQ(Open("V,1,80,20"), kOk);
  EXPECT_EQ(ScreenFieldGet(1).type, 'V');
  EXPECT_EQ(ScreenFieldGet(1).display_len, 5);
}

TEST_F(ScreenTest, EditOrder) {
  Def("O.PAN", 1, {FieldLine(2, 1, 0, 0, 5, 'A'), FieldLine(3, 1, 0, 0, 5, 'A'), FieldLine(4, 1, 0, 0, 5, 'A'),
                   FieldLine(5, 1, 0, 0, 5, 'A'), FieldLine(6, 1, 0, 0, 5, 'A'), FieldLine(7, 1, 0, 0, 5, 'A')});
  Def("O.PPN", 1, {"FD$:=\"A,B,C,H,R,X\"", "EDIT$:=\"C,A,H\"", "HIDDEN$:=\"H\"", "NOEDIT$:=\"R\"",
                   "FILEDEF$:=\",,,,,2;1,1\"", "BEGINFLD%:=0"});
  ASSERT_EQ(Open("O,1,80,20"), kOk);
  EXPECT_EQ(ScreenCurrent().data_file, 1) << "FILEDEF$ item count + 1";
  struct Want { uint16_t order; bool editable; } want[] = {
      {2, true}, {2, true}, {1, true}, {kOrderHidden, true}, {kOrderReadOnly, false}, {kOrderReadOnly, false}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(ScreenFieldGet(i + 1).order, want[i].order) << Name(i + 1);
    EXPECT_EQ((ScreenFieldGet(i + 1).flags & kFldEditable) != 0, want[i].editable) << Name(i + 1);
  }
  ASSERT_EQ(ScreenClose(-1), kOk);
  Def("P.PAN", 1, {FieldLine(2, 1, 0, 0, 5, 'A'), FieldLine(3, 1, 0, 0, 5, 'A')});
  Def("P.PPN", 1, {"FD$:=\"A,B\"", "FILEDEF$:=\"2;1,2;2,1\"", "BEGINFLD%:=3"});
  ASSERT_EQ(Open("P,1,80,20"), kOk);
  EXPECT_EQ(ScreenCurrent().begin_field, 2);
  EXPECT_EQ(ScreenFieldGet(1).order, kOrderReadOnly) << "another file's field";
  EXPECT_EQ(ScreenFieldGet(2).order, 2) << "the begin field keeps its order";
}

TEST_F(ScreenTest, FieldFlags) {
  Def("F.PAN", 1, {FieldLine(2, 1, 0, 0, 5, 'A'), FieldLine(3, 1, 0, 0, 5, 'A'), FieldLine(4, 1, 0, 0, 5, 'A'),
                   FieldLine(5, 1, 0, 0, 5, 'A')});
  Def("F.PPN", 1, {"FD$:=\"A,B,C,D\"", "CLEAR$:=\"1,0\"", "FILEDEF$:=\"3;2,1;2,CODE{1}\"", "ASSIGN$:=\"X\"",
                   "PERFORM$:=\",Y\"", "UPDFIELDS$:=\",,Z\"", "WINDOWS$:=\"X;Y,,,X;\"", "ALARM$:=\",,,A>1\""});
  ASSERT_EQ(Open("F,1,80,20,1"), kOk);
  const uint16_t want[] = {
      kFldBound | kFldAssign | kFldWindow,  // cleared 0x0001; file 3 is not the screen's, so read-only
      kFldClearable | kFldBound | kFldOwnFile | kFldPerform | kFldEditable,
      kFldClearable | kFldBound | kFldOwnFile | kFldDependants | kFldEditable,
      kFldClearable | kFldEditable | kFldAlarm,
  };
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ScreenFieldGet(i + 1).flags, want[i]) << Name(i + 1);
  EXPECT_EQ(ScreenFieldGet(1).file, 3);
  EXPECT_EQ(ScreenFieldGet(1).file_field, 2);
  EXPECT_EQ(ScreenFieldGet(3).file, 1);
  EXPECT_EQ(ScreenFieldGet(3).file_field, 1);
  EXPECT_EQ(ScreenDefSpan(ScreenFieldGet(4).alarm).str(), "A>1");
  EXPECT_EQ(ScreenDefSpan(ScreenFieldGet(1).windows).str(), "X;Y");
}

TEST_F(ScreenTest, OwnParameterGivesPerformAndDependants) {
  Def("N.PAN", 1, {FieldLine(2, 1, 0, 0, 5, 'A'), FieldLine(3, 1, 0, 0, 5, 'A')});
  Def("N.PPN", 1, {"FD$:=\"NAME,CITY\"", "NAME$:=\"X+1,A,B\"", "CITY$:=\"_A,B\""});
  ASSERT_EQ(Open("N,1,80,20"), kOk);
  EXPECT_EQ(ScreenDefSpan(ScreenFieldGet(1).perform).str(), "X+1");
  EXPECT_EQ(ScreenDefSpan(ScreenFieldGet(1).dependants).str(), "A,B");
  EXPECT_EQ(ScreenFieldGet(2).perform, 0u);
  EXPECT_EQ(ScreenDefSpan(ScreenFieldGet(2).dependants).str(), "_A,B");
}

TEST_F(ScreenTest, MissingFieldLinesBindByNameOrFail) {
  Def("M.PPN", 1, {"FD$:=\"NAME,CITY\""});
  SysVarSet(kVarScrStat, 2 | 4);
  ASSERT_EQ(Open("M,1,80,20,1"), kOk);
  ASSERT_EQ(ScreenCurrent().field_count, 2);
  EXPECT_EQ(ScreenFieldGet(1).file_field, 2);
  EXPECT_EQ(ScreenFieldGet(1).storage_len, 30);
  EXPECT_EQ(ScreenFieldGet(2).file_field, 3);
  EXPECT_EQ(ScreenFieldGet(2).display_len, 20);
  EXPECT_EQ(ScreenFieldGet(2).type, 'A');
  EXPECT_EQ(SysVarBits(kVarScrStat) & 7, 0) << "the open flags are cleared";
  EXPECT_EQ(ScreenFieldGet(9).status, kStUndefinedWarning) << "opened with flag 2";

  EXPECT_EQ(Open("M,2,80,20,1"), kStFileNotFound);
  EXPECT_EQ(ErrIncidentText().str(), "M.PAN");
  EXPECT_EQ(ScreenCounterGet(kWinCount), 1) << "no window record for the failed open";
}

TEST_F(ScreenTest, BadDefinitionFilesGiveTheirStatus) {
  Def("T.PAN", 1, {FieldLine(2, 1, 0, 0, 5, 'A'), "10201"});
  EXPECT_EQ(Open("T,1,80,20"), kStDataError) << "a cut field line";
  EXPECT_EQ(ErrIncidentText().str(), "10201");
  std::vector<std::string> many;
  for (int i = 0; i < 81; ++i) many.push_back(FieldLine(i % 20 + 1, 1, 0, 0, 2, 'A'));
  Def("E.PAN", 1, many);
  EXPECT_EQ(Open("E,1,80,20"), kStScreenStruct) << "an 81st field line";
  Put("G.PAN", std::string("01 \x01\xFF garbage\r\n01 1zz\r\n"));
  EXPECT_EQ(Open("G,1,80,20"), kStDataError);
  EXPECT_EQ(ScreenCounterGet(kScreenCount), 0);
  EXPECT_EQ(DynStrCount(sl::kModuleParms), 0) << "every pushed definition was popped";
  EXPECT_EQ(DynStrCount(sl::kLineQueue), 0) << "no lines left on the queue";
  // The program goes on: a good screen still opens.
  Def("OK.PAN", 1, {FieldLine(2, 1, 0, 0, 5, 'A')});
  EXPECT_EQ(Open("OK,1,80,20"), kOk);
}

TEST_F(ScreenTest, ScreensStayLoadedWhileAWindowUsesThem) {
  Def("K.PAN", 1, {LabelLine(1, 1, "<1>Clientes"), LabelLine(2, 2, "Codigo"), FieldLine(2, 10, 1, 1, 10, 'A')});
  Def("K.PPN", 1, {"SCREENSIZE$:=\"60,12\"", "KEYMAP%:=1", "INDEX%:=2"});
  ASSERT_EQ(Open("K,1"), kOk);
  EXPECT_EQ(WinGridGet().columns, 60);
  plat::Hwnd first = WinTop();
  EXPECT_EQ(WinStackValue(first), 0);
  EXPECT_EQ(ScreenWinCurrent().key_index, 2);
  EXPECT_NE(d.ws().GetText(first).find(" Clientes  |"), std::string::npos);
  EXPECT_NE(d.ws().FindChild(first, 4000 + 2 * 60 + 2), plat::kNoWindow) << "the label at row 2, column 2";
  ASSERT_EQ(Open("K,1"), kOk);
  EXPECT_EQ(ScreenCounterGet(kScreenCount), 1);
  EXPECT_EQ(ScreenCurrent().use_count, 2);
  EXPECT_NE(d.ws().FindChild(WinTop(), 4000 + 2 * 60 + 2), plat::kNoWindow) << "labels drawn again";
  EXPECT_EQ(WinGridGet().columns, 60) << "the override of the first open is still in force";
  EXPECT_EQ(SysVarGet(kVarKeyMap), 1);
  ASSERT_EQ(ScreenClose(-1), kOk);
  EXPECT_EQ(ScreenGet(0)->use_count, 1);
  EXPECT_EQ(WinGridOverride().columns, 0) << "closing resets the grid";
  ASSERT_EQ(ScreenClose(-1), kOk);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Ui().counters[i], 0) << i;
  EXPECT_EQ(ScreenClose(-1), kStScreenStruct);
  EXPECT_EQ(ScreenCounterGet(4), -1);
  EXPECT_EQ(ScreenCounterGet(kCurScreen), -1);
  EXPECT_EQ(ScreenWinCurrent().flags, kWinNoHandlers);
}

TEST_F(ScreenTest, SelectingAWindowKeepsTheLeftWindowsFileBuffer) {
  Def("S.PAN", 1, {FieldLine(2, 1, 1, 1, 10, 'A')});
  Def("S.PPN", 1, {"KEYMAP%:=1"});
  Def("S.PAN", 2, {FieldLine(2, 1, 0, 0, 4, 'A')});
  ASSERT_EQ(Open("S,1,80,20,1"), kOk);
  ASSERT_EQ(BufInit(1), kOk);
  ASSERT_EQ(BufStore(1, kBufCurrent, StrOf("CUR")), kOk);
  ASSERT_EQ(BufStore(1, kBufSaved, StrOf("OLD")), kOk);
  ASSERT_EQ(Open("S,2,80,20"), kOk);
  EXPECT_EQ(ScreenWinSelect(0), 0);
  EXPECT_EQ(SysVarGet(kVarKeyMap), 1);
  ScreenWinGet(0)->flags = 0;
  EXPECT_EQ(ScreenWinSelect(1), 1);
  EXPECT_EQ(SysVarGet(kVarKeyMap), 0);
  uint16_t len = 0;
  char* area = ScreenWinBuffer(0, kWinFile, &len);
  ASSERT_NE(area, nullptr);
  EXPECT_EQ(std::string(area, 3), "CUR");
  EXPECT_EQ(std::string(ScreenWinBuffer(0, kWinFileSaved, &len), 3), "OLD");
  EXPECT_EQ(ScreenWinSelect(-1), 1);
  EXPECT_EQ(ScreenWinSelect(7), 1);
}

TEST_F(ScreenTest, ClosingAMiddleWindowKeepsTheOthersRecords) {
  for (int n = 1; n <= 3; ++n) Def("W.PAN", n, {FieldLine(2, 1, 0, 0, n * 2, 'A')});
  ASSERT_EQ(Open("W,1,80,20"), kOk);
  ASSERT_EQ(Open("W,2,80,20"), kOk);
  ASSERT_EQ(Open("W,3,80,20"), kOk);
  plat::Hwnd newest = WinTop();
  ASSERT_EQ(ScreenClose(1), kOk);
  EXPECT_EQ(WinStackValue(newest), 1) << "the stack value follows the record";
  ScreenWinSelect(WinStackValue(newest));
  EXPECT_EQ(ScreenWinCurrent().window, newest);
  EXPECT_EQ(ScreenCurrent().record_length, 6) << "the newest window's own screen";
}

TEST_F(ScreenTest, ClosingTheTopWindowRecord) {
  Def("C.PAN", 1, {FieldLine(2, 1, 0, 0, 4, 'A')});
  ASSERT_EQ(Open("C,1,80,20"), kOk);
  plat::Hwnd screen_win = WinTop();
  plat::Hwnd other = WinCreateKind(5, 0, StrOf("Otro"), 0, 20, 5, {});
  EXPECT_EQ(ScreenWinClose(-1), kStInternal) << "another window is on top";
  EXPECT_EQ(ScreenCounterGet(kWinCount), 1);
  WinDestroy(other);
  EXPECT_EQ(ScreenWinClose(-1), kOk);
  EXPECT_FALSE(d.ws().IsWindow(screen_win));
  EXPECT_EQ(ScreenCounterGet(kScreenCount), 0);
}

TEST_F(ScreenTest, EntryItemsAndEntryTexts) {
  struct Case { const char* entry; int n; const char* want; } cases[] = {
      {"A; B ;NAME", 2, "B"}, {"A; B ;NAME", -1, "NAME"}, {"A; B ;NAME", 0, "A; B "}, {"A;X+1", 0, "A;X+1"},
      {"A;'q'", 2, "q"}};
  for (const Case& c : cases) EXPECT_EQ(ScreenDefEntryItem(StrOf(c.entry), c.n).str(), c.want) << c.entry << " " << c.n;
  Def("Y.PAN", 1, {FieldLine(2, 1, 0, 0, 4, 'A')});
  ASSERT_EQ(Open("Y,1,80,20,0,0,0,5*2"), kOk);
  EXPECT_EQ(DynStrTop(sl::kScreens).str(), "5*2");
  ASSERT_EQ(Open("Y,1,80,20"), kOk);
  EXPECT_EQ(DynStrCount(sl::kScreens), 1) << "an empty entry pushes nothing";
  Def("Y.PPN", 1, {"SET$:=A=1", "PRM$:='x'"});
  EXPECT_EQ(ScreenDefValue(StrOf("NONE$")).str(), "");
}

}  // namespace
}  // namespace eng::test
