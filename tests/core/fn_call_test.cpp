#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/fn_call.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "tests/support/exp_fixture.h"

namespace eng::test {
namespace {

// What the last handler saw.
struct Seen {
  uint16_t count = 0;
  std::vector<uint16_t> types;
  std::vector<std::string> values;  // read from the last to the first, stored in order
  uint16_t depth_inside = 0;
};
Seen& Last() {
  static Seen s;
  return s;
}

DecValue Decode8(StrPair v) {
  uint64_t u = 0;
  for (int i = 7; i >= 0 && v.len == 8; --i) u = (u << 8) | v.at(static_cast<size_t>(i));
  return static_cast<DecValue>(u);
}

Status Keep(StrPair r) { return r.ok() ? kOk : StrError(r); }

// Reads every argument as text or number and returns their count.
Status Collect(FnArgs& a) {
  Seen& s = Last();
  s = Seen{};
  s.count = a.Count();
  s.depth_inside = DynStrCount(sl::kProcArgs);
  s.values.resize(a.Count());
  for (uint16_t i = a.Count(); i > 0; --i) {
    FnArg v = FnArgValue(a, i, StrOf("<default>"), kFnArgText);
    s.values[i - 1] = v.type == kFnArgText || v.omitted ? v.value.str() : DecToText(Decode8(v.value)).str();
  }
  for (uint16_t i = 1; i <= a.Count(); ++i) s.types.push_back(a.Type(i));
  return Keep(DecIntToValue(a.Count()));
}

// Reads only its first argument.
Status FirstOnly(FnArgs& a) {
  FnIntArg v = FnArgInt(a, 1, 0);
  if (v.status) return v.status;
  return Keep(DecIntToValue(v.value * 10));
}

// "CHK#"-style: the condition is evaluated before the call, the branches
// are raw text after it; only the chosen branch is evaluated.
Status Choose(FnArgs& a) {
  FnIntArg cond = FnArgInt(a, 1, 0);
  if (cond.status) return cond.status;
  ExpCursor& c = *a.cursor;
  uint16_t skip = cond.value ? 0 : 1;
  StrPair rest{c.text.ptr + c.pos, static_cast<uint16_t>(c.text.len - c.pos)};
  StrPair branch = ExpListItem(rest, static_cast<uint16_t>(skip + 1));
  ExpCursor b{branch, 0};
  Status s = ExpEvalArgument(b);
  if (s >= kStFirstError) return s;
  a.result_text = s == 1;
  return kOk;
}

Status Defaults(FnArgs& a) {
  StrPair t = FnArgStr(a, 2, StrOf("dflt"));
  if (!t.ok()) return StrError(t);
  std::string text = t.str();
  FnIntArg n = FnArgInt(a, 1, 7);
  if (n.status) return n.status;
  a.result_text = true;
  return Keep(ScratchText(text + ":" + std::to_string(n.value)));
}

Status Informational(FnArgs&) {
  Keep(ScratchText("info"));
  return 2;
}

Status Atypical(FnArgs&) {
  Keep(ScratchText("ignored"));
  return kStAtypical;
}

Status Failing(FnArgs&) { return kStDataError; }

Status ListInts(FnArgs& a) {
  int16_t ints[4] = {};
  StrPair texts[4];
  Status s = FnArgList(a, ints, nullptr, 4);
  if (s) return s;
  (void)texts;
  return Keep(DecIntToValue(ints[0] + ints[1] + ints[2] + ints[3]));
}

using FnCallTest = ExpTest;

TEST_F(FnCallTest, ArgumentsArePushedInOrderWithTheirTypes) {
  ASSERT_EQ(FnRegister(StrOf("COLLECT"), Collect), kOk);
  EvalResult r = Eval("COLLECT(1+1;'a'+'b';;X$)");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.text, "4");
  Seen& s = Last();
  EXPECT_EQ(s.count, 4);
  EXPECT_EQ(s.types, (std::vector<uint16_t>{kFnArgNum, kFnArgText, kFnArgNum, kFnArgText}));
  EXPECT_EQ(s.values, (std::vector<std::string>{"2", "ab", "<default>", ""}));  // 3rd omitted
  EXPECT_EQ(s.depth_inside, 4);
  EXPECT_EQ(DynStrCount(sl::kProcArgs), 0);
  EXPECT_EQ(Eval("COLLECT()").text, "");  // no argument
  EXPECT_EQ(Eval("collect(1,2)").text, "2");  // "," separates too; names match upper-cased
}

TEST_F(FnCallTest, ArgumentStackIsBalancedOnEveryPath) {
  ASSERT_EQ(FnRegister(StrOf("FIRST"), FirstOnly), kOk);
  ASSERT_EQ(FnRegister(StrOf("FAILS"), Failing), kOk);
  DynStrPush(sl::kProcArgs, StrOf("outer"));
  EXPECT_EQ(Eval("FIRST(4;5;6)").text, "40");  // reads fewer than given
  EXPECT_EQ(DynStrCount(sl::kProcArgs), 1);
  EXPECT_EQ(Eval("FIRST(4;'a'*2)").status, kStIncompatibleTypes);  // the second argument fails
  EXPECT_EQ(DynStrCount(sl::kProcArgs), 1);
  EXPECT_EQ(Eval("FAILS(1;2)").status, kStDataError);
  EXPECT_EQ(DynStrCount(sl::kProcArgs), 1);
  EXPECT_EQ(Eval("FIRST(FIRST(1;2);3)+FIRST(2)").text, "120");  // nested calls
  EXPECT_EQ(DynStrCount(sl::kProcArgs), 1);
  EXPECT_EQ(S(DynStrTop(sl::kProcArgs)), "outer");
}

TEST_F(FnCallTest, PartlyEvaluatedFunctionsReadTheRestRaw) {
  ASSERT_EQ(FnInstallBuiltin(kFnChkNum, Choose), kOk);
  EXPECT_EQ(Eval("CHK#(0;X=5;2)").text, "2");
  EXPECT_FALSE(VarLookup(StrOf("X")).declared());  // the other branch never ran
  EXPECT_EQ(Eval("CHK#(1;X=5;2)").text, "5");
  EXPECT_EQ(Var("X"), "5");
  EXPECT_EQ(Eval("CHK#(1;'yes';'no')").text, "yes");
}

// Reports how many arguments were evaluated and the raw rest of the text.
Status RawRest(FnArgs& a) {
  ExpCursor& c = *a.cursor;
  std::string rest(c.text.view().substr(c.pos));
  a.result_text = true;
  return Keep(ScratchText(std::to_string(a.Count()) + "|" + rest));
}

TEST_F(FnCallTest, EvaluationModesByFunction) {
  for (uint16_t n : {kFnAcum, kFnFlds, kFnChkStr, kFnExp, kFnFileRel, kFnMids}) FnInstallBuiltin(n, RawRest);
  struct {
    const char* call;
    const char* seen;
  } cases[] = {
      {"FN#ACUM(I;I;1;4)", "0|I;I;1;4"},      // none evaluated
      {"FN$FLDS(X=1;2)", "0|X=1;2"},
      {"CHK$(1;'a';X=2)", "1|'a';X=2"},       // the first only
      {"EXP$(2;X=3)", "1|X=3"},
      {"FILEREL(1;2;3;4;X=5;6)", "4|X=5;6"},  // the first four
      {"FN$MIDS(1;2;3)", "3|"},               // all
  };
  for (const auto& c : cases) EXPECT_EQ(Eval(c.call).text, c.seen) << c.call;
  EXPECT_FALSE(VarLookup(StrOf("X")).declared());
  EXPECT_EQ(DynStrCount(sl::kProcArgs), 0);
}

TEST_F(FnCallTest, OmittedArgumentsTakeDefaultsBeforeTypeChecks) {
  ASSERT_EQ(FnRegister(StrOf("DEF"), Defaults), kOk);
  EXPECT_EQ(Eval("DEF()").text, "dflt:7");
  EXPECT_EQ(Eval("DEF(3)").text, "dflt:3");
  EXPECT_EQ(Eval("DEF(;'x')").text, "x:7");
  EXPECT_EQ(Eval("DEF(2.5;'x')").text, "x:3");
  EXPECT_EQ(Eval("DEF('a')").status, kStIncompatibleTypes);
  EXPECT_EQ(Eval("DEF(1;2)").status, kStIncompatibleTypes);
}

TEST_F(FnCallTest, ArgumentListsOfIntegers) {
  ASSERT_EQ(FnRegister(StrOf("SUM4"), ListInts), kOk);
  EXPECT_EQ(Eval("SUM4(1;2;3;4)").text, "10");
  EXPECT_EQ(Eval("SUM4(1;2;3;4;5)").status, kStSyntax);
  EXPECT_EQ(Eval("SUM4(1;'x')").status, kStSyntax);
}

TEST_F(FnCallTest, AtMostSixteenArguments) {
  ASSERT_EQ(FnRegister(StrOf("COLLECT"), Collect), kOk);
  std::string sixteen = "COLLECT(1", seventeen;
  for (int i = 2; i <= 16; ++i) sixteen += ";" + std::to_string(i);
  seventeen = sixteen + ";17)";
  sixteen += ")";
  EXPECT_EQ(Eval(sixteen).text, "16");
  EXPECT_EQ(Eval(seventeen).status, kStSyntax);
  EXPECT_EQ(DynStrCount(sl::kProcArgs), 0);
}

TEST_F(FnCallTest, StatusesOfFunctions) {
  ASSERT_EQ(FnRegister(StrOf("INFO$"), Informational), kOk);
  ASSERT_EQ(FnRegister(StrOf("ODD$"), Atypical), kOk);
  EXPECT_EQ(Eval("INFO$()").status, 2);  // informational, passed on
  EvalResult r = Eval("ODD$()");
  EXPECT_EQ(r.status, 0);                // 125 on a text: the empty text
  EXPECT_EQ(r.text, "");
  EXPECT_EQ(Eval("FN$TRIM('a')").status, kStNotAvailable);  // no handler installed
  EXPECT_NE(ErrIncidentText().str().find("FN$TRIM()"), std::string::npos);
}

TEST_F(FnCallTest, RegistrationHasSixteenSlots) {
  for (int i = 0; i < 16; ++i) ASSERT_EQ(FnRegister(StrOf("APP" + std::to_string(i)), FirstOnly), kOk) << i;
  std::string names = S(DynStrGet(sl::kSettings, sl::kBuiltinNames));
  EXPECT_EQ(FnRegister(StrOf("APP16"), FirstOnly), kStDataOutBound);
  EXPECT_EQ(S(DynStrGet(sl::kSettings, sl::kBuiltinNames)), names);
  EXPECT_EQ(ExpBuiltinIndex(StrOf("APP0")), 34);
  EXPECT_EQ(ExpBuiltinIndex(StrOf("APP15")), 49);
  EXPECT_EQ(Eval("APP15(2)").text, "20");
}

TEST_F(FnCallTest, CallRegisteredChecksTheNumber) {
  FnArgs a;
  EXPECT_EQ(FnCallRegistered(50, a), kStSyntax);
  EXPECT_EQ(FnCallRegistered(33, a), kStSyntax);
  EXPECT_EQ(FnCallRegistered(40, a), kStSyntax);  // empty slot
}

TEST_F(FnCallTest, BuiltinNamesAndNumbers) {
  EXPECT_EQ(ExpBuiltinIndex(StrOf("_#")), 1);
  EXPECT_EQ(ExpBuiltinIndex(StrOf("FN$TRIM")), kFnTrim);
  EXPECT_EQ(ExpBuiltinIndex(StrOf("fn$trim")), kFnTrim);
  EXPECT_EQ(ExpBuiltinIndex(StrOf("SQLCHILD")), 33);
  EXPECT_EQ(ExpBuiltinIndex(StrOf("NOPE")), 0);
  EXPECT_EQ(FnInstallBuiltin(34, FirstOnly), kStDataOutBound);
}

TEST_F(FnCallTest, NestedDatabaseCallsAreLimited) {
  ASSERT_EQ(FnInstallBuiltin(kFnSqlChild, FirstOnly), kOk);
  SysVarSet(kVarCurRow, 4);
  EXPECT_EQ(Eval("SQLCHILD(1)").text, "10");
  EXPECT_EQ(SysVarGet(kVarSqlStk), 0);
  EXPECT_EQ(SysVarGet(kVarCurRow), 4);
  SysVarSet(kVarSqlStk, 7);
  EXPECT_EQ(Eval("SQLCHILD(X=1)").status, kStStrOutBound);
  EXPECT_FALSE(VarLookup(StrOf("X")).declared());  // nothing evaluated
}

}  // namespace
}  // namespace eng::test
