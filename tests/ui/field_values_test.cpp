// Field values: storing once, recalculation with its cycle guard, the
// values from buffers and ASSIGN$, lists of fields and the entry value.
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/string_lists.h"
#include "core/var_store.h"
#include "data/record_buffer.h"
#include "tests/ui/screen_fixture.h"
#include "ui/field_controls.h"
#include "ui/field_values.h"

namespace eng::test {
namespace {

class FieldValuesTest : public ScreenTest {
 protected:
  int Counter(const char* name) {
    StrPair v = ExpEvalStr(StrOf(name));
    std::string t = v.ok() ? v.str() : std::string("?");
    if (t.empty()) return 0;  // zero renders as the empty text
    if (t.find_first_not_of("0123456789") != std::string::npos) {
      ADD_FAILURE() << name << " reads \"" << t << "\"";
      return -1;
    }
    return std::stoi(t);
  }
};

TEST_F(FieldValuesTest, StoresOnceAndShowsTheValue) {
  Def("S.PAN", 1, {FieldLine(2, 5, 0, 0, 6, 'A'), FieldLine(3, 5, 0, 0, 5, 'N')});
  Def("S.PPN", 1, {"FD$:=\"A,B\"", "PERFORM$:=\"P=P+1\""});
  ASSERT_EQ(VarAssignInt(StrOf("P"), 0), kOk);
  ASSERT_EQ(Open("S,1,80,20"), kOk);
  ASSERT_EQ(ScreenSetWin(0), kOk);
  ASSERT_EQ(ScreenFieldStore(118, 1, StrOf("Hola")), kOk);
  EXPECT_EQ(ScreenFieldRaw(1).str(), "Hola  ");
  EXPECT_EQ(d.ws().GetText(ScreenFieldGet(1).control), "Hola");
  EXPECT_EQ(Counter("P"), 1);
  ASSERT_EQ(ScreenFieldStore(118, 1, StrOf("Hola")), kOk);
  EXPECT_EQ(Counter("P"), 1) << "an unchanged text is not written again";
  ASSERT_EQ(ScreenFieldStore(118 | 0x80, 1, StrOf("Hola")), kOk);
  EXPECT_EQ(Counter("P"), 2);
  ASSERT_EQ(ScreenFieldStore(118, 2, StrOf("42")), kOk);
  EXPECT_EQ(ScreenFieldRaw(2).str(), "   42");
  EXPECT_EQ(ScreenFieldPut(3, StrOf("x")), kStDataError);
  EXPECT_EQ(ScreenFieldStore(118, 9, StrOf("x")), kStDataOutBound);
}

TEST_F(FieldValuesTest, CyclesOfDependantsEnd) {
  Def("C.PAN", 1, {FieldLine(2, 5, 0, 0, 6, 'A'), FieldLine(3, 5, 0, 0, 6, 'A')});
  Def("C.PPN", 1, {"FD$:=\"A,B\"", "PERFORM$:=\"PA=PA+1,PB=PB+1\"", "UPDFIELDS$:=\"B,A\""});
  ASSERT_EQ(VarAssignInt(StrOf("PA"), 0), kOk);
  ASSERT_EQ(VarAssignInt(StrOf("PB"), 0), kOk);
  ASSERT_EQ(Open("C,1,80,20"), kOk);
  ASSERT_EQ(ScreenFieldStore(118, 1, StrOf("typed")), kOk);
  EXPECT_EQ(Counter("PA"), 1);
  EXPECT_LE(Counter("PB"), 1);
  EXPECT_EQ(ScreenFieldRaw(1).str(), "typed ") << "the stored text survives its own closure";
}

TEST_F(FieldValuesTest, ValuesFromAssignAndFiles) {
  Def("V.PAN", 1, {FieldLine(2, 5, 0, 0, 6, 'A'), FieldLine(3, 5, 1, 2, 10, 'A'), FieldLine(4, 5, 0, 0, 6, 'A')});
  Def("V.PPN", 1, {"FD$:=\"A,NAME,X\"", "ASSIGN$:=\"'AB'+'C'\"", "FILEDEF$:=\",NAME{1}\""});
  ASSERT_EQ(Open("V,1,80,20,2"), kOk);
  EXPECT_EQ(ScreenFieldValue(0x14, 1).str(), "ABC");
  EXPECT_EQ(ScreenFieldValue(0x14, 3).str(), "") << "unbound without ASSIGN$";
  ASSERT_EQ(BufInit(1), kOk);
  ASSERT_EQ(BufSetField(1, 2, StrOf("ACME")), kOk);
  EXPECT_EQ(ScreenFieldValue(0x14, 2).str().substr(0, 4), "ACME") << "another file's buffer";
  EXPECT_EQ(ScreenFieldValue(0x15, 2).str(), "") << "0x0001 leaves other files out";
  ASSERT_EQ(ScreenFieldStore(118, 3, StrOf("ZZ")), kOk);
  EXPECT_EQ(ScreenFieldValue(0, 3).str(), "ZZ    ");
  EXPECT_EQ(ScreenFieldValue(0x200, 3).str(), "      ") << "the saved record";
  ASSERT_EQ(ScreenClose(-1), kOk);
  Def("W.PAN", 1, {FieldLine(2, 5, 0, 0, 6, 'A')});
  Def("W.PPN", 1, {"FD$:=\"A\"", "ASSIGN$:=\"1+\""});
  ASSERT_EQ(Open("W,1,80,20"), kOk);
  StrPair bad = ScreenFieldValue(0x14, 1);
  EXPECT_FALSE(bad.ok());
  EXPECT_NE(ErrIncidentText().str().find("campo de pantalla1"), std::string::npos) << ErrIncidentText().str();
}

TEST_F(FieldValuesTest, ListsAndEntryValue) {
  Def("L.PAN", 1, {FieldLine(2, 5, 0, 0, 6, 'A'), FieldLine(3, 5, 0, 0, 6, 'A'), FieldLine(4, 5, 0, 0, 6, 'A')});
  Def("L.PPN", 1, {"FD$:=\"A,B,C\"", "EDIT$:=\"C,A\"", "ASSIGN$:=\",'b','c'\""});
  ASSERT_EQ(Open("L,1,80,20,0,0,0,5*2:B;C"), kOk);
  EXPECT_EQ(ScreenFieldList(kFldEditable, 1, 80), (FieldList{3, 1, 2})) << "by order, ties by number";
  EXPECT_EQ(ScreenFieldList(0, 1, -1), (FieldList{1, 2, 3}));
  EXPECT_EQ(ScreenFieldNums(StrOf("C, X ,A")), (FieldList{3, 1}));
  ASSERT_EQ(ScreenApplyEntryValue(1), kOk);
  EXPECT_EQ(ScreenFieldRaw(1).str(), "10    ");
  EXPECT_EQ(ScreenFieldRaw(2).str(), "b     ");
  EXPECT_EQ(ScreenFieldRaw(3).str(), "c     ");
  EXPECT_EQ(DynStrCount(sl::kScreens), 0);
}

}  // namespace
}  // namespace eng::test

#include "core/dec_value.h"
#include "core/exp_eval.h"
#include "core/hooks.h"

namespace eng::test {
namespace {

TEST_F(FieldValuesTest, ExpressionsReachScreenFieldsThroughHookZero) {
  Def("H.PAN", 1, {FieldLine(2, 5, 0, 0, 6, 'A'), FieldLine(3, 5, 0, 0, 8, 'N'), FieldLine(4, 5, 0, 0, 1, 'L')});
  Def("H.PPN", 1, {"FD$:=\"_NOM$,_IMP,_ACT\""});
  ASSERT_EQ(Open("H,1,80,20"), kOk);
  HookSetFn(&ScreenFieldProvider, kHookFieldProvider);
  ASSERT_EQ(ScreenFieldStore(118, 1, StrOf("Ana")), kOk);
  EXPECT_EQ(ExpEvalStr(StrOf("_NOM$")).str(), "Ana   ");
  EXPECT_EQ(ScreenFieldProvider(StrOf("_ACT"), 1, StrOf("")).str(), "0") << "a blank check box reads 0";
  EXPECT_EQ(ScreenFieldProvider(StrOf("_NOM$"), 2, StrOf("")).str(), "      ") << "the saved record";
  const DecValue v = 1250;  // 12.5 with two decimals
  StrPair bytes = StrMake(reinterpret_cast<const char*>(&v), sizeof v);
  EXPECT_EQ(ScreenFieldProvider(StrOf("_IMP"), 5, bytes).str(), "12.5");
  EXPECT_EQ(ScreenFieldRaw(2).str().find("12.5") != std::string::npos, true) << ScreenFieldRaw(2).str();
  EXPECT_EQ(StrError(ScreenFieldProvider(StrOf("_OTRO"), 1, StrOf(""))), kStDataError);
  ASSERT_EQ(ExpExecute(StrOf("_NOM$='Luis'")), kOk);
  EXPECT_EQ(ScreenFieldRaw(1).str(), "Luis  ") << "an assignment writes the field";
}

}  // namespace
}  // namespace eng::test
