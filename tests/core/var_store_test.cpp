#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/hooks.h"
#include "core/obj_table.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "tests/support/exp_fixture.h"

namespace eng::test {
namespace {

using VarStoreTest = ExpTest;

TEST_F(VarStoreTest, TypeOfNameByFirstMarkInPriorityOrder) {
  struct {
    const char* name;
    uint16_t type;
  } cases[] = {
      {"A", kVarInt}, {"A$", kVarText}, {"A#", kVarNum}, {"A(", kVarArray}, {"A#(", kVarArray},
      {"A$(", kVarArray}, {"A@", kVarNoValue}, {"A@$(", kVarNoValue}, {"$#", kVarText}, {"", kVarInt},
  };
  for (const auto& c : cases) EXPECT_EQ(VarTypeOfName(StrOf(c.name)), c.type) << c.name;
}

TEST_F(VarStoreTest, SystemVariablesComeFirstAndShareTheirValues) {
  for (uint16_t i = 0; i < kSysVarCount; ++i) {
    VarRef r = VarLookup(StrFromC(kSysVarTable[i].name));
    EXPECT_EQ(r.type, kVarInt);
    EXPECT_EQ(r.index, i) << kSysVarTable[i].name;
    EXPECT_EQ(VarGetInt(i), kSysVarTable[i].initial) << kSysVarTable[i].name;
  }
  const char* texts[] = {"_ACUM$", "_ACUMX$", "_LTEXT$"};
  for (uint16_t i = 0; i < 3; ++i) EXPECT_EQ(VarLookup(StrOf(texts[i])).index, i);
  // One source of values: the store by name or number and SysVarGet agree.
  ASSERT_EQ(VarAssignInt(StrOf("_DEVWID"), 132), kOk);
  EXPECT_EQ(SysVarGet(kVarDevWid), 132);
  SysVarSet(kVarLMax, 17);
  EXPECT_EQ(Var("_LMAX"), "17");
  EXPECT_EQ(VarSetInt(kVarUser01, 5), kOk);
  EXPECT_EQ(SysVarGet(kVarUser01), 5);
}

TEST_F(VarStoreTest, UndeclaredVariablesReadEmpty) {
  EXPECT_EQ(Var("A$"), "");
  EXPECT_EQ(Var("A#"), "");  // 0, rendered empty
  EXPECT_EQ(Var("A"), "");
  EXPECT_FALSE(VarLookup(StrOf("A$")).declared());  // reading declares nothing
  EXPECT_EQ(Var(".LF$"), "");  // the constants are written exactly so
  EXPECT_EQ(Var(".lf$"), "\r\n");
}

TEST_F(VarStoreTest, IntegerAssignmentRoundsAndKeepsLow16Bits) {
  struct {
    const char* value;
    int16_t stored;
  } cases[] = {{"2.5", 3}, {"0.5", 1}, {"0.4", 0}, {"-2.5", -3}, {"70000", 4464}, {"65535", -1}, {"-32769", 32767}};
  for (const auto& c : cases) {
    ASSERT_EQ(ExpExecute(StrOf(std::string("A=") + c.value)), kOk);
    EXPECT_EQ(VarGetInt(VarLookup(StrOf("A")).index), c.stored) << c.value;
  }
  EXPECT_EQ(Eval("A=65535;A").text, "-1");  // expressions read integers signed
  EXPECT_TRUE(VarTestBits(VarLookup(StrOf("A")).index, 0x8000));  // bit tests unsigned
}

TEST_F(VarStoreTest, NamesMatchExactly) {
  ASSERT_EQ(ExpExecute(StrOf("abc=1;ABC=2;T$='x'")), kOk);
  EXPECT_EQ(Var("abc"), "1");
  EXPECT_EQ(Var("ABC"), "2");
  EXPECT_EQ(Var("t$"), "");
  EXPECT_EQ(S(DynStrGet(sl::kVarNames, 2)), "_ACUM$,_ACUMX$,_LTEXT$,T$");
}

TEST_F(VarStoreTest, ScalarOperationsRefuseArraysAndNoValueNames) {
  StrPair one = DecIntToValue(1);
  EXPECT_EQ(VarAssign(StrOf("A("), one), kStSyntax);
  EXPECT_EQ(VarAssign(StrOf("x@y"), one), kStSyntax);
  EXPECT_EQ(VarRead(StrOf("A(")), kStSyntax);
  EXPECT_EQ(VarRead(StrOf("x@y")), kStSyntax);
}

TEST_F(VarStoreTest, PrecisStaysInItsRange) {
  EXPECT_EQ(VarSetInt(kVarPrecis, 5), kStDataOutBound);
  EXPECT_EQ(VarSetInt(kVarPrecis, -1), kStDataOutBound);
  EXPECT_EQ(VarAssignInt(StrOf("_PRECIS"), 9), kStDataOutBound);
  EXPECT_EQ(ErrLastCode(), kStDataOutBound);
  EXPECT_EQ(ErrLastModule(), kModVarNameAssign);
  EXPECT_EQ(SysVarGet(kVarPrecis), 2);
  EXPECT_EQ(VarSetInt(kVarPrecis, 4), kOk);
  EXPECT_EQ(SysVarGet(kVarPrecis), 4);
}

TEST_F(VarStoreTest, BitsByIndex) {
  EXPECT_TRUE(VarSetBits(kVarUpStat, 64, true));
  EXPECT_EQ(SysVarGet(kVarUpStat), 65);
  EXPECT_TRUE(VarTestBits(kVarUpStat, 64 | 2));
  EXPECT_FALSE(VarSetBits(kVarUpStat, 64 | 1, false));
  EXPECT_EQ(SysVarGet(kVarUpStat), 0);
  EXPECT_EQ(VarGetInt(9999), 0);  // beyond the table
}

TEST_F(VarStoreTest, Count32RoundTrips) {
  struct {
    uint32_t count;
    int16_t low;
    int16_t high;
  } cases[] = {{0, 0, 0},      {32767, 32767, 0}, {32768, -32768, 1}, {65535, -1, 1},
               {65536, 0, 1},  {98304, -32768, 2}, {1000000, 16960, 15},
               {0x80000000u, 0, -32768}, {0xFFFFFFFFu, -1, 0}};
  for (const auto& c : cases) {
    VarSetCount32(c.count);
    EXPECT_EQ(SysVarGet(kVarCount), c.low) << c.count;
    EXPECT_EQ(SysVarGet(kVarHCount), c.high) << c.count;
    EXPECT_EQ(VarGetCount32(), c.count);
  }
}

TEST_F(VarStoreTest, ScreenFieldVariable) {
  EXPECT_EQ(VarGetScreenField(3).status, kStScreenFieldVar);
  ASSERT_EQ(ExpExecute(StrOf("_V3$='A12'")), kOk);
  VarScreenField f = VarGetScreenField(3);
  EXPECT_EQ(f.status, kOk);
  EXPECT_EQ(f.first, 'A');
  EXPECT_EQ(f.number, 12);
}

TEST_F(VarStoreTest, ScopeRestoreDropsNewNamesAndKeepsOldValues) {
  ASSERT_EQ(ExpExecute(StrOf("G=5;G$='old'")), kOk);
  VarScope scope = VarScopeSave();
  ASSERT_EQ(ExpExecute(StrOf("B$='local';N#=2;I=3;G=6;G$='new';L(2)")), kOk);
  EXPECT_EQ(VarScopeRestore(scope), kOk);
  for (const char* name : {"B$", "N#", "I", "L("}) EXPECT_FALSE(VarLookup(StrOf(name)).declared()) << name;
  EXPECT_EQ(Var("G"), "6");
  EXPECT_EQ(Var("G$"), "new");
  EXPECT_EQ(Var("B$"), "");
  // A new text variable in the old slot starts empty.
  ASSERT_EQ(ExpExecute(StrOf("C$=C$+'x'")), kOk);
  EXPECT_EQ(Var("C$"), "x");
  EXPECT_EQ(ObjTableInfo(kObjArrays, 0), scope.arrays);
}

TEST_F(VarStoreTest, NamesDeclaredAfterARestoreAreFound) {
  VarScope scope = VarScopeSave();
  ASSERT_EQ(ExpExecute(StrOf("B1$='b'")), kOk);
  ASSERT_EQ(VarScopeRestore(scope), kOk);
  // The same length of names as before the restore, other names.
  ASSERT_EQ(ExpExecute(StrOf("C2$='c'")), kOk);
  EXPECT_FALSE(VarLookup(StrOf("B1$")).declared());
  EXPECT_EQ(Var("C2$"), "c");
  EXPECT_EQ(VarLookup(StrOf("C2$")).index, 3);
}

TEST_F(VarStoreTest, ScopeRestoreFindingShorterListFails) {
  VarScope scope = VarScopeSave();
  scope.name_len[1] = 500;  // longer than the number list ever was
  EXPECT_EQ(VarScopeRestore(scope), kStInternal);
}

// A provider of "_" names answering for "_SCR" only.
StrPair Provider(StrPair name, uint16_t mode, StrPair) {
  static std::string stored = "41.5";
  if (name.view() != "_SCR" && name.view() != "_SCR$") return StrFail(kStDataError);
  if (mode == 5) {
    stored = DecAccToText().str();
    return ScratchText("");
  }
  return ScratchText(stored);
}

TEST_F(VarStoreTest, UnderscoreNamesGoToTheProviderFirst) {
  HookSetFn(Provider, kHookFieldProvider);
  EXPECT_EQ(Var("_SCR"), "42");     // converted to the integer type of the name
  EXPECT_EQ(Var("_SCR$"), "41.5");  // a text name gets the text
  ASSERT_EQ(ExpExecute(StrOf("_SCR=7")), kOk);
  EXPECT_EQ(Var("_SCR$"), "7");
  EXPECT_FALSE(VarLookup(StrOf("_SCR")).declared());
  // 163: not the provider's, an ordinary variable.
  ASSERT_EQ(ExpExecute(StrOf("_X=3")), kOk);
  EXPECT_EQ(Var("_X"), "3");
  EXPECT_TRUE(VarLookup(StrOf("_X")).declared());
}

TEST_F(VarStoreTest, DeclareRefusesBadNamesAndExistingSlotsAreKept) {
  EXPECT_FALSE(VarDeclare(StrOf("a,b"), kVarInt).declared());
  EXPECT_FALSE(VarDeclare(StrOf(""), kVarInt).declared());
  VarRef r = VarDeclare(StrOf("N#"), kVarNum);
  ASSERT_TRUE(r.declared());
  EXPECT_EQ(r.index, 0);
  EXPECT_EQ(VarSetNum(r.index, 1234), kOk);
  EXPECT_EQ(Var("N#"), "12.34");
  EXPECT_EQ(VarSetNum(77, 1), kStDataOutBound);
}

// One step of a sequence over the store: "(" saves the scope, ")" restores
// the last one saved, "=NAME" assigns the name the way under test, "+NAME"
// assigns it with VarAssign.
std::string RunSteps(const std::vector<std::string>& steps, bool remembered) {
  std::vector<VarScope> scopes;
  VarRedeclare memo;
  std::string trace;
  int value = 0;
  for (const std::string& step : steps) {
    if (step == "(") {
      scopes.push_back(VarScopeSave());
    } else if (step == ")") {
      if (scopes.empty()) {
        ADD_FAILURE() << "no scope saved";
        break;
      }
      EXPECT_EQ(VarScopeRestore(scopes.back()), kOk);
      scopes.pop_back();
    } else {
      ScratchScope scope;
      const StrPair name = StrOf(std::string_view(step).substr(1));
      StrPair v = VarTypeOfName(name) == kVarText ? ScratchText(std::to_string(++value)) : DecIntToValue(++value);
      const bool plain = step[0] == '+' || !remembered;
      EXPECT_EQ(plain ? VarAssign(name, v) : VarAssignRemembered(name, v, memo), kOk) << step;
    }
    // What can be seen after the step: the name lists, where V is, its value.
    for (uint16_t list = 0; list < 4; ++list) trace += std::string(DynStrGet(sl::kVarNames, list).view()) + "|";
    for (const char* name : {"V", "V#", "V$"}) {
      VarRef r = VarLookup(StrOf(name));
      trace += std::to_string(r.declared() ? int(r.index) : -1) + "=";
      ScratchScope scope;
      trace += (VarRead(StrOf(name)) == 1 ? ScratchTop() : DecToText(NumAccValue())).str() + ";";
    }
    trace += "\n";
  }
  while (!scopes.empty()) {
    VarScopeRestore(scopes.back());
    scopes.pop_back();
  }
  return trace;
}

TEST_F(VarStoreTest, RememberedAssignmentFindsAndDeclaresAsVarAssign) {
  // Each sequence gives the same lists, places and values whether the name
  // under test is assigned with VarAssignRemembered or VarAssign.
  const std::vector<std::vector<std::string>> cases = {
      // Declared and cut again and again, as LOCALVARS in a called entry.
      {"(", "=V", ")", "(", "=V", ")", "(", "=V", "=V", ")"},
      {"(", "=V#", ")", "(", "=V#", ")", "(", "=V$", ")", "(", "=V$", ")"},
      // Another name declared between the calls takes V's old place.
      {"(", "=V", ")", "+W", "(", "=V", ")", "(", "=V", ")"},
      {"(", "=V", ")", "(", "+W", "=V", ")", "(", "=V", ")"},
      // The cut goes below V's place: a name now there, or none.
      {"(", "+A", "(", "=V", ")", "(", "=V", ")", ")", "(", "=V", ")"},
      {"(", "+A", "(", "=V", ")", ")", "(", "=V", ")", "(", "+B", "=V", ")"},
      {"(", "+A", "=V", ")", "(", "=V", ")"},
      // V declared outside the calls, and V declared again inside one.
      {"(", "=V", ")", "+V", "(", "=V", ")", "=V"},
      {"(", "=V", "(", "+X", "=V", ")", ")", "(", "=V", ")"},
      // Not cut between: V stays and takes the new value.
      {"(", "=V", "=V", "+W", "=V", ")", "(", "=V", ")"},
  };
  for (const auto& steps : cases) {
    std::string label;
    for (const std::string& step : steps) label += step + " ";
    const VarScope base = VarScopeSave();
    const std::string plain = RunSteps(steps, false);
    ASSERT_EQ(VarScopeRestore(base), kOk);
    EXPECT_EQ(RunSteps(steps, true), plain) << label;
    ASSERT_EQ(VarScopeRestore(base), kOk);
  }
}

TEST_F(VarStoreTest, ShutdownFreesTheStore) {
  ASSERT_EQ(ExpExecute(StrOf("A(3);X=1")), kOk);
  EXPECT_EQ(VarShutdown(), kOk);
  EXPECT_FALSE(Core().strings.initialised);
  EXPECT_EQ(ObjTableInfo(kObjArrays, 0), 0);
  EXPECT_EQ(ObjTableInfo(kObjIntVars, 0), 0);
}

}  // namespace
}  // namespace eng::test
