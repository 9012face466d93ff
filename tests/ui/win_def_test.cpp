// Window-definition lines, their parameters, SCREENSIZE$ and captions.
#include "core/clock.h"
#include "core/def_lines.h"
#include "core/dyn_strings.h"
#include "core/module_parms.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "tests/ui/ui_fixture.h"

namespace eng::test {
namespace {

class WinDefTest : public UiTest {
 protected:
  void PushParms(const std::string& text) { ASSERT_EQ(DynStrPush(sl::kModuleParms, StrOf(text)), kOk); }
};

TEST_F(WinDefTest, ParsesLines) {
  WinDefRecord a = WinDefParse(StrOf("CLI,3,80,20,5"));
  EXPECT_EQ(a.file, "CLI");
  EXPECT_EQ(a.key, "CLI3");
  EXPECT_EQ(a.number, 3);
  EXPECT_EQ(a.columns, 80);
  EXPECT_EQ(a.rows, 20);
  EXPECT_EQ(a.data_file, 5);
  EXPECT_EQ(a.number6, 0xFFFF);

  WinDefRecord b = WinDefParse(StrOf("CLI;CLIENTES,3,0,0,261,1,258,X,T,7"));
  EXPECT_EQ(b.file, "CLI");
  EXPECT_EQ(b.key, "CLIENTES");
  EXPECT_EQ(b.data_file, 5) << "low 8 bits of 261";
  EXPECT_EQ(b.number6, 1);
  EXPECT_EQ(b.number7, 2) << "low 8 bits of 258";
  EXPECT_EQ(b.entry, "X");
  EXPECT_EQ(b.text9, "T");
  EXPECT_EQ(b.number10, 7);

  EXPECT_EQ(WinDefParse(StrOf("CLI,3,80,20,5,")).number6, 0) << "six items";
  WinDefRecord empty = WinDefParse(StrOf(""));
  EXPECT_EQ(empty.file, "");
  EXPECT_EQ(empty.number, 0);
}

TEST_F(WinDefTest, ScreenSizeSetsTheOverride) {
  struct Case {
    const char* size;
    int columns, rows;
    ScreenGrid override_grid;
    ScreenGrid base_grid;
  } cases[] = {
      {"0,0", 0, 0, {0, 0, 0, 0, 0, 0}, {80, 24, 0, 0, 0, 0}},
      {"100", 0, 0, {100, 24, 0, 0, 0, 0}, {80, 24, 0, 0, 0, 0}},
      {"0,0,2,1,0,50", 80, 20, {80, 20, 2, 1, 0, 50}, {80, 24, 0, 0, 0, 0}},
      {"0,0,2", 0, 0, {0, 0, 0, 0, 0, 0}, {80, 24, 2, 0, 0, 0}},
      {"", 60, 0, {60, 24, 0, 0, 0, 0}, {80, 24, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    UiRuntimeFresh();
    Ui().base_grid = {80, 24, 0, 0, 0, 0};
    PushParms(std::string("SCREENSIZE$:=\"") + c.size + "\"");
    WinDefApplyScreenSize(c.columns, c.rows);
    EXPECT_EQ(WinGridOverride(), c.override_grid) << c.size;
    EXPECT_EQ(WinGridBase(), c.base_grid) << c.size;
    ParmPop();
  }
  // A margin set on the base grid stays after a screen is closed.
  EXPECT_EQ(ScreenClose(0), kStScreenStruct);
  EXPECT_EQ(WinGridBase().spacing, 0);
}

TEST_F(WinDefTest, ParametersByContextAndVariables) {
  ASSERT_EQ(DynStrSet(sl::kWork, sl::kParmContexts, StrOf("RESETBAL,REGENBAL,FITACC")), kOk);
  StrPair text = StrOf("REGENBAL.COND$:=A>1:COND$:=B>2");
  SysVarSet(kVarAux, 2);
  EXPECT_EQ(ParmItemIn(kParmCond, 0, text).str(), "A>1");
  SysVarSet(kVarAux, 1);
  EXPECT_EQ(ParmItemIn(kParmCond, 0, text).str(), "B>2") << "bare name";
  SysVarSet(kVarAux, 0);
  EXPECT_EQ(ParmItemIn(kParmCond, 0, text).str(), "B>2");

  ASSERT_EQ(VarAssignInt(StrOf("INDEX"), 3), kOk);
  EXPECT_EQ(ParmItemIn(kParmIndex, 0, StrOf("")).str(), "3") << "INDEX% reads the variable INDEX";
  ASSERT_EQ(VarAssign(StrOf("IK$"), StrOf("X")), kOk);
  EXPECT_EQ(ParmItemIn(kParmIk1, 0, StrOf("")).str(), "") << "names with ( never read variables";
  EXPECT_EQ(ParmItemIn(kParmFd, 2, StrOf("FD$:=\"A, B ,C\"")).str(), " B ");
  EXPECT_EQ(ParmItemIn(kParmFd, -1, StrOf("FD$:='A,B'")).str(), "A,B");
  EXPECT_EQ(ParmItemIn(kParmMaxIdsAttr, 0, StrOf("MAX_IDS_ATTR%:='4'")).str(), "'4'") << "% names read raw";
  EXPECT_EQ(WinDefItemInt(StrOf("2+3,0"), 1, 9), 5);
  EXPECT_EQ(WinDefItemInt(StrOf("2+3,0"), 2, 9), 9);
}

TEST_F(WinDefTest, FindsDefinitionFilesAlongTheFolders) {
  std::filesystem::create_directories("defs");
  Put("defs/CLI.PPN", "01 A$:=1\n");
  Put("CLI.PAN", "01 000101Hola\n");
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kAppFolder, StrOf("nowhere,defs")), kOk);
  EXPECT_EQ(WinDefFilePath(StrOf("CLI"), kDefKindPan).str(), "CLI.PAN");
  EXPECT_EQ(WinDefFilePath(StrOf("CLI"), kDefKindPpn).str(), "defs/CLI.PPN");
  EXPECT_EQ(WinDefFilePath(StrOf("NONE"), kDefKindPpn).str(), "");
  EXPECT_EQ(WinDefFilePath(StrOf(""), kDefKindPpn).str(), "");
}

TEST_F(WinDefTest, CaptionFormat) {
  ClockSetFixedLocal(LocalTime{2026, 3, 5, 10, 0, 0, 0});
  std::filesystem::create_directories("demo");
  std::filesystem::current_path("demo");
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kTitle, StrOf("Pelmora")), kOk);
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kDatabaseLogin, StrOf("HOST,EMPRESA")), kOk);
  const std::string tail = std::string(" |  ") + kCaptionAddress + "  ";
  EXPECT_EQ(ScreenCaptionText(StrOf("")).str(), " Pelmora  |  03-05-26  |  EMPRESA demo" + tail);
  EXPECT_EQ(ScreenCaptionText(StrOf("Clientes")).str(), " Clientes  |  03-05-26  |  EMPRESA demo" + tail);
  std::filesystem::current_path(dir_);
}

}  // namespace
}  // namespace eng::test
