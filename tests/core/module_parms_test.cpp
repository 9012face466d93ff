#include "core/module_parms.h"

#include <string>

#include "core/def_lines.h"
#include "core/dyn_strings.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

using ModuleParmsTest = TempFolderTest;

StrPair N(const char* s) { return StrFromC(s); }

void PushParms(const char* text) { ASSERT_EQ(DynStrPush(sl::kModuleParms, N(text)), kOk); }

void Contexts(int16_t aux, const char* names) {
  SysVarSet(kVarAux, aux);
  ASSERT_EQ(DynStrSet(sl::kWork, sl::kParmContexts, N(names)), kOk);
}

TEST_F(ModuleParmsTest, NamesByNumber) {
  struct Case {
    uint16_t n;
    const char* name;
  };
  const Case cases[] = {
      {0, ""},         {1, "MODULES$"},      {9, "STATMSG$"},  {10, ""},           {11, "SCREENSIZE$"},
      {29, "VOIDMODE%"}, {30, ""},           {31, "NUMCAB$"},  {48, "MAXLIN%"},    {49, ""},
      {50, ""},        {51, "FD$"},          {65, "IK$(1)"},   {67, "IK$(3)"},     {68, ""},
      {74, "COND$"},   {81, "WD"},           {85, ""},         {89, ""},           {91, "DEVICE$"},
      {99, "PRCNAME$"}, {100, ""},           {101, "ACCEPT_PRC%"}, {116, "STRUCT$"}, {117, ""},
      {65535, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n);
    EXPECT_EQ(S(ParmName(c.n)), c.name);
  }
  // The named numbers agree with the table at the end of every base.
  EXPECT_EQ(ParmBaseName(kParmStatMsg), "STATMSG$");
  EXPECT_EQ(ParmBaseName(kParmVoidMode), "VOIDMODE%");
  EXPECT_EQ(ParmBaseName(kParmMaxLin), "MAXLIN%");
  EXPECT_EQ(ParmBaseName(kParmIk3), "IK$(3)");
  EXPECT_EQ(ParmBaseName(kParmWd), "WD");
  EXPECT_EQ(ParmBaseName(kParmPrcName), "PRCNAME$");
  EXPECT_EQ(ParmBaseName(kParmStruct), "STRUCT$");
}

TEST_F(ModuleParmsTest, NamesCarryTheContextInEffect) {
  Contexts(2, "INIT,LOAD");
  EXPECT_EQ(S(ParmName(kParmCond)), "LOAD.COND$");
  EXPECT_EQ(S(ParmName(85)), "");  // no name, no prefix
  Contexts(1, "INIT,LOAD");
  EXPECT_EQ(S(ParmName(kParmCond)), "INIT.COND$");
  Contexts(3, "INIT,LOAD");  // no such context
  EXPECT_EQ(S(ParmName(kParmCond)), "COND$");
  Contexts(0, "INIT,LOAD");
  EXPECT_EQ(S(ParmName(kParmCond)), "COND$");
  Contexts(-1, "INIT,LOAD");
  EXPECT_EQ(S(ParmName(kParmCond)), "COND$");
}

TEST_F(ModuleParmsTest, ValuesOfTheDefinitionInEffect) {
  Put("win.ppn",
      "03 COND$:=A>1\r\n"
      "03 TITLE$:='Ventas del mes'\r\n"
      "04 COND$:=B\r\n"
      "03 IK$(2):=abc\r\n");
  EXPECT_EQ(S(ParmGet(kParmCond)), "");  // nothing in effect

  ASSERT_EQ(ParmPushDef(N("win.ppn"), 1, 3), kOk);
  EXPECT_EQ(S(DynStrTop(sl::kModuleParms)), "COND$:=A>1:TITLE$:='Ventas del mes':IK$(2):=abc");
  EXPECT_EQ(S(ParmGet(kParmCond)), "A>1");
  EXPECT_EQ(S(ParmGet(kParmTitle)), "Ventas del mes");  // quoted: kept as written
  EXPECT_EQ(S(ParmGet(kParmIk2)), "ABC");               // bare: upper-cased
  EXPECT_EQ(S(ParmGet(kParmWinName)), "");
  EXPECT_EQ(S(ParmGetByName(N("TITLE$"))), "Ventas del mes");
  EXPECT_EQ(S(ParmGetByName(N("ITLE$"))), "");

  // A nested definition hides the outer one until it is popped.
  ASSERT_EQ(ParmPushDef(N("win.ppn"), 1, 4), kOk);
  EXPECT_EQ(S(ParmGet(kParmCond)), "B");
  EXPECT_EQ(S(ParmGet(kParmTitle)), "");
  EXPECT_EQ(ParmPop(), kOk);
  EXPECT_EQ(S(ParmGet(kParmCond)), "A>1");
  // A value is a copy of its own: it outlives the definition.
  StrPair title = ParmGet(kParmTitle);
  EXPECT_EQ(ParmPop(), kOk);
  EXPECT_EQ(DynStrCount(sl::kModuleParms), 0);
  EXPECT_EQ(S(title), "Ventas del mes");
  EXPECT_EQ(ParmPop(), kOk);  // an empty stack stays empty
  EXPECT_EQ(DynStrCount(sl::kModuleParms), 0);
}

TEST_F(ModuleParmsTest, JoinedWithAnotherSeparator) {
  Put("bal.dat", "A=1,2\nB=3\n");
  ASSERT_EQ(ParmPushDefJoined(N("bal.dat"), 0, 0, N("|")), kOk);
  EXPECT_EQ(S(DynStrTop(sl::kModuleParms)), "A=1,2|B=3");
}

TEST_F(ModuleParmsTest, AMissingDefinitionPushesNothingOrAnEmptyString) {
  Put("win.ppn", "03 COND$:=A\n");
  PushParms("OUTER$:=1");
  EXPECT_EQ(ParmPushDef(N("win.ppn"), 1, 9), kStLowFailure);
  EXPECT_EQ(ParmPushDef(N("missing.ppn"), 1, 3), kStLowFailure);
  EXPECT_EQ(DynStrCount(sl::kModuleParms), 1);

  EXPECT_EQ(ParmPushDefOrEmpty(N("missing.ppn"), 1, 3), kStLowFailure);
  EXPECT_EQ(DynStrCount(sl::kModuleParms), 2);
  EXPECT_EQ(S(ParmGetByName(N("OUTER$"))), "");  // the empty definition is in effect
  EXPECT_EQ(ParmPop(), kOk);
  EXPECT_EQ(S(ParmGetByName(N("OUTER$"))), "1");

  EXPECT_EQ(ParmPushDefOrEmpty(N("win.ppn"), 1, 3), kOk);
  EXPECT_EQ(S(ParmGet(kParmCond)), "A");
  // Reading a definition leaves the line queue alone.
  EXPECT_EQ(DynStrCount(sl::kLineQueue), 0);
}

TEST_F(ModuleParmsTest, ADefinitionTooLongForOneTextIsRefused) {
  std::string line(30000, 'x');
  Put("big.ppn", "01 A$:='" + line + "'\n01 B$:='" + line + "'\n01 C$:='" + line + "'\n");
  EXPECT_EQ(ParmPushDef(N("big.ppn"), 1, 1), kStStringTooLong);
  EXPECT_EQ(DynStrCount(sl::kModuleParms), 0);
  EXPECT_EQ(ParmPushDefOrEmpty(N("big.ppn"), 1, 1), kStStringTooLong);
  EXPECT_EQ(DynStrCount(sl::kModuleParms), 1);
}

TEST_F(ModuleParmsTest, AParameterPerEventFallsBackToThePlainName) {
  PushParms("PRCNAME$:=12:LOAD.PRCNAME$:=13:SAVE.PRCNAME$:='':CHECK.COND$:=X");
  const char* events = "INIT,LOAD,CHECK,SAVE,DELETE";
  struct Case {
    int16_t aux;
    const char* prcname;
    const char* cond;
  };
  const Case cases[] = {
      {0, "12", ""},   // no context: only the plain name
      {1, "12", ""},   // INIT has no form of its own
      {2, "13", ""},   // LOAD has
      {3, "12", "X"},  // CHECK
      {4, "", ""},     // SAVE holds an empty value: no fallback
      {9, "12", ""},   // a number past the list selects no context
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.aux);
    Contexts(c.aux, events);
    EXPECT_EQ(S(ParmGet(kParmPrcName)), c.prcname);
    EXPECT_EQ(S(ParmGetByName(N("PRCNAME$"))), c.prcname);
    EXPECT_EQ(S(ParmGet(kParmCond)), c.cond);
  }
}

TEST_F(ModuleParmsTest, ContextsAreSavedSetAndRestored) {
  Contexts(300, "CREATE,EDIT,CLIENTS");
  StrPair saved = ParmCtxSave();
  ASSERT_TRUE(saved.ok());
  EXPECT_EQ(std::string(saved.view()), std::string("\x2C\x01", 2) + "CREATE,EDIT,CLIENTS");
  std::string keep(saved.view());

  EXPECT_EQ(ParmCtxSet(1, N("INIT,LOAD")), kOk);
  EXPECT_EQ(SysVarGet(kVarAux), 1);
  EXPECT_EQ(S(DynStrGet(sl::kWork, sl::kParmContexts)), "INIT,LOAD");
  EXPECT_EQ(ParmCtxSet(2, N("")), kOk);  // an empty list keeps the list
  EXPECT_EQ(S(ParmName(kParmCond)), "LOAD.COND$");
  EXPECT_EQ(ParmCtxSet(0xFFFF, N("A,B")), kOk);  // 65535 keeps _AUX
  EXPECT_EQ(SysVarGet(kVarAux), 2);
  EXPECT_EQ(S(ParmName(kParmCond)), "B.COND$");

  EXPECT_EQ(ParmCtxRestore(N("x")), kStDataError);
  EXPECT_EQ(ParmCtxRestore(StrFail(kStOutOfMemory)), kStDataError);
  EXPECT_EQ(SysVarGet(kVarAux), 2);
  EXPECT_EQ(ParmCtxRestore(StrOf(keep)), kOk);
  EXPECT_EQ(SysVarGet(kVarAux), 300);
  EXPECT_EQ(S(DynStrGet(sl::kWork, sl::kParmContexts)), "CREATE,EDIT,CLIENTS");

  // A context saved with no list restores an empty list.
  ASSERT_EQ(ParmCtxRestore(StrOf(std::string("\0\0", 2))), kOk);
  EXPECT_EQ(SysVarGet(kVarAux), 0);
  EXPECT_EQ(S(DynStrGet(sl::kWork, sl::kParmContexts)), "");
}

}  // namespace
}  // namespace eng::test
