#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/exp_scan.h"
#include "core/macros.h"
#include "core/field_access.h"
#include "core/hooks.h"
#include "core/fn_builtins.h"
#include "core/fn_call.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "tests/support/exp_fixture.h"

namespace eng::test {
namespace {

struct Case {
  const char* expr;
  Status status;
  const char* text;  // the rendered result (numbers with _PRECIS decimals, zeros dropped)
};

void RunTable(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    EvalResult r = Eval(c.expr);
    EXPECT_EQ(r.status, c.status) << c.expr;
    if (c.status < kStFirstWarning) {
      EXPECT_EQ(r.text, c.text) << c.expr;
    }
  }
}

// Worked examples of the language, with _PRECIS 2.
TEST_F(ExpTest, WorkedExamples) {
  RunTable({
      {"7/2", 0, "3.5"},
      {"2+3*4", 0, "14"},
      {"2|1*3", 0, "9"},          // the pipe binds tighter than "*"
      {"10%15", 0, "1.5"},
      {"100\xF7" "15", 0, "85"},  // 100 less 15 percent
      {"7/3!1", 0, "2.3"},
      {"1|1", 0, ""},
      {"1|2", 0, "3"},
      {"5/0", 0, ""},             // division by zero gives 0, no error
      {"5>3", 0, "1"},
      {"5>3+1", 0, "1"},
      {"X=1;Y=X+1", 0, "2"},
      {".top", 0, "36"},
      {".abc", 0, ""},
  });
}

TEST_F(ExpTest, OperatorsOnNumbers) {
  RunTable({
      // arithmetic and rounding half away from zero
      {"2/3", 0, ".67"},
      {"1/3*3", 0, ".99"},
      {"-1/2", 0, "-.5"},
      {"-2/3", 0, "-.67"},
      {"3*-2", 0, "-6"},
      {"1.25*1.5", 0, "1.88"},
      {"-1.25*1.5", 0, "-1.88"},
      {"0.1+0.2", 0, ".3"},
      {"5-7", 0, "-2"},
      {"8!0", 0, "8"},
      {"2.45!1", 0, "2.5"},
      {"2.44!1", 0, "2.4"},
      {"2.45!9", 0, "2.45"},      // never more decimals than a value holds
      {"200%7.5", 0, "15"},
      {"200\xF7" "7.5", 0, "185"},
      // comparisons give 1 or 0
      {"3<5", 0, "1"}, {"5<3", 0, ""}, {"3==3", 0, "1"}, {"3==4", 0, ""},
      {"3>=3", 0, "1"}, {"2>=3", 0, ""}, {"3<=3", 0, "1"}, {"4<=3", 0, ""},
      {"3<>4", 0, "1"}, {"3<>3", 0, ""},
      // bits of the integer parts
      {"6&3", 0, "2"}, {"6.9&3", 0, "2"}, {"4@1", 0, "5"}, {"5@1", 0, ""},
      {"2&&3", 0, "1"}, {"2&&0", 0, ""}, {"0||3", 0, "1"}, {"0||0", 0, ""},
      {"4@@1", 0, "1"}, {"5@@1", 0, ""}, {"0@@0", 0, ""},
      // 128-bit intermediates: exact where the 64-bit product would overflow
      {"100000000*100000000", 0, "10000000000000000"},
      {"90000000000000000/3", 0, "30000000000000000"},
      // literals and constants
      {"12", 0, "12"}, {".5", 0, ".5"}, {"1D3", 0, "1000"}, {".datey", 0, "10000"},
      {".iscgi", 0, "16384"}, {".envvar+.dialog", 0, "16"},
  });
}

TEST_F(ExpTest, PrecedenceLevels) {
  RunTable({
      {"1+2*3", 0, "7"},          // 4 over 3
      {"2*3+1", 0, "7"},
      {"(1+2)*3", 0, "9"},        // sub-expressions first
      {"10-4-3", 0, "3"},         // equal levels group from the left
      {"100/10/5", 0, "2"},
      {"1+1>1", 0, "1"},          // 3 over 2
      {"1>0&2", 0, ""},           // 2 over 1: (1>0)&2 = 1&2
      {"2|1+1", 0, "4"},          // 5 over 3: (2|1)+1
      {"1+2|1", 0, "4"},          // 1+(2|1)
      {"3*-2+1", 0, "-3"},        // a sign takes what follows at the sign's level
      {"2*(3+(4-1))", 0, "12"},
      {"((((7))))", 0, "7"},
  });
}

TEST_F(ExpTest, Texts) {
  RunTable({
      {"'ab'+'cd'", 1, "abcd"},
      {"\"it's\"", 1, "it's"},
      {"' a '", 1, " a "},        // blanks inside quotes are kept
      {"''", 1, ""},
      {"'b'>'abc'", 0, "1"},
      {"'ab'<'abc'", 0, "1"},     // a prefix is smaller
      {"'abc'=='ABC'", 0, ""},    // no wildcard: exact bytes
      {"'abcd'=='AB*'", 0, "1"},
      {"'xabcx'=='*BC'", 0, "1"},
      {"'xabcx'=='*BD'", 0, ""},
      {"'a'=='ab*'", 0, ""},
      {"'xyz'=='*'", 0, "1"},
      {"'abc'<>'abc'", 0, ""},
      {"'abc'<>'abd'", 0, "1"},
      {"'\xE9'>'z'", 0, "1"},     // bytes compare unsigned
      {"'a;b'+',c'", 1, "a;b,c"}, // separators inside quotes do not count
  });
}

TEST_F(ExpTest, WildcardsOffWithAuxStat128) {
  SysVarSet(kVarAuxStat, 128);
  RunTable({{"'abcd'=='AB*'", 0, ""}, {"'xabcx'=='*BC'", 0, ""}, {"'ab*'=='ab*'", 0, "1"}});
}

TEST_F(ExpTest, ErrorStatuses) {
  RunTable({
      {"A B", kStSyntax, ""},               // a blank between operands
      {"1 2", kStSyntax, ""},
      {"(1", kStLoopFailure, ""},           // unbalanced parentheses
      {"1)", kStLoopFailure, ""},
      {"'x'+1", kStIncompatibleTypes, ""},  // a number and a text
      {"1+'x'", kStIncompatibleTypes, ""},
      {"X$=5", kStIncompatibleTypes, ""},   // assigned across types
      {"N=''", kStIncompatibleTypes, ""},
      {"'a'*'b'", kStSyntax, ""},           // no meaning on texts
      {"'a'-'b'", kStSyntax, ""},
      {"'a'&'b'", kStSyntax, ""},
      {"3=4", kStSyntax, ""},               // not assignable
      {"1+A=4", kStSyntax, ""},
      {"5-", kStSyntax, ""},                // an empty operand where a value is needed
      {"'a'+-1", kStSyntax, ""},
      {"A=", kStSyntax, ""},
      {"1:2", kStSyntax, ""},
      {"1=>2", kStSyntax, ""},
      {"F(1)x", kStSyntax, ""},
      {"FILEFIND(1)=2", kStSyntax, ""},
      {"'abc", kStSyntax, ""},
      {"_PRECIS=5", kStDataOutBound, ""},   // the scale is a 16-bit number
  });
  EXPECT_EQ(SysVarGet(kVarPrecis), 2);
}

// A number is 64-bit cents with _PRECIS 2: from -92233720368547758.08 to
// 92233720368547758.07. A literal outside that range, or too long for the
// number format, fails with 146 and is recorded with its text; it never
// reads as 0.
TEST_F(ExpTest, NumberLiteralsAtTheEdgesOfTheRange) {
  RunTable({
      {"92233720368547758.07", 0, "92233720368547758.07"},    // the largest
      {"92233720368547758.08", kStStringTooLong, ""},         // one cent more
      {"92233720368547758.074", 0, "92233720368547758.07"},   // further digits rounded off
      {"92233720368547758.075", kStStringTooLong, ""},        // ... or up past the largest
      {"92233720368547758.0749999", 0, "92233720368547758.07"},
      {"-92233720368547758.07", 0, "-92233720368547758.07"},  // a sign before the largest
      {"-92233720368547758.08", kStStringTooLong, ""},        // the sign applies to a literal too large
      {"0-92233720368547758.07-.01", 0, "-92233720368547758.08"},  // the smallest, computed
      {"92233720368547758", 0, "92233720368547758"},
      {"922337203685477580", kStStringTooLong, ""},           // 18 digits and 2 decimals fit the text, not 64 bits
      {"123456789012345678901234567890", kStStringTooLong, ""},  // more digits than the number text holds
      {"9D16", 0, "90000000000000000"},
      {"1D17", kStStringTooLong, ""},
      {"1D99", kStStringTooLong, ""},
      {"1+92233720368547758.08", kStStringTooLong, ""},       // inside a larger expression
      {"(92233720368547758.08)", kStStringTooLong, ""},
      {"X=5", 0, "5"},
      {"X=92233720368547758.08", kStStringTooLong, ""},
      // Many decimals: rounded half away from zero at the second.
      {"0.123456789012345678901234567890", 0, ".12"},
      {"1.00499999999999999999", 0, "1"},
      {"-0.005", 0, "-.01"},
      {"0.0049", 0, ""},
      {".995", 0, "1"},
  });
  EXPECT_EQ(Var("X"), "5") << "a refused literal assigns nothing";
  EXPECT_EQ(Eval("1+92233720368547758.08").status, kStStringTooLong);
  EXPECT_EQ(ErrLastCode(), kStStringTooLong);
  EXPECT_NE(ErrIncidentText().str().find("92233720368547758.08"), std::string::npos) << ErrIncidentText().str();
  // The limits follow _PRECIS: with 4 decimals the 64 bits hold less.
  SysVarSet(kVarPrecis, 4);
  RunTable({{"922337203685477.5807", 0, "922337203685477.5807"}, {"922337203685477.5808", kStStringTooLong, ""}});
}

TEST_F(ExpTest, BlanksAroundOperatorsAreDropped) {
  RunTable({{" 1 + 2 ", 0, "3"}, {"X = 4 ; Y = X * 2", 0, "8"}, {"\t5\t>\t3", 0, "1"}});
}

TEST_F(ExpTest, ErrorsAreRecordedWithTheFailingText) {
  EXPECT_EQ(Eval("X=1;Y='a'*2").status, kStIncompatibleTypes);
  EXPECT_EQ(ErrLastCode(), kStIncompatibleTypes);
  EXPECT_EQ(ErrLastModule(), kModExpExec);
  std::string incident = ErrIncidentText().str();
  EXPECT_NE(incident.find("Y='a'*2"), std::string::npos) << incident;
  EXPECT_EQ(Var("X"), "1");  // the items before the failure ran
  EXPECT_EQ(Eval("A=1+ B C").status, kStSyntax);
  EXPECT_EQ(ErrIncidentText().str().substr(ErrIncidentText().len - 1), "C");
}

TEST_F(ExpTest, AssignmentsChainAndKeepTheValue) {
  EXPECT_EQ(Eval("A=B=3").text, "3");
  EXPECT_EQ(Var("A"), "3");
  EXPECT_EQ(Var("B"), "3");
  EXPECT_EQ(Eval("T$=U$='x'+'y'").text, "xy");
  EXPECT_EQ(Var("T$"), "xy");
  EXPECT_EQ(Var("U$"), "xy");
  EXPECT_EQ(Eval("N#=1/3").text, ".33");
  EXPECT_EQ(Eval("N#*3").text, ".99");
  EXPECT_EQ(Eval("I=2.5").status, 0);
  EXPECT_EQ(Var("I"), "3");  // integers round
  EXPECT_EQ(Eval("_DEVHIG=30").status, 0);
  EXPECT_EQ(SysVarGet(kVarDevHig), 30);
}

TEST_F(ExpTest, ExpressionLists) {
  EXPECT_EQ(Eval("X=1;;Y=2").text, "2");  // an empty item is skipped
  EXPECT_EQ(Var("Y"), "2");
  EXPECT_EQ(Eval("X=5,Y=X").text, "5");
  EXPECT_EQ(Eval(";").status, kStNullExpression);
  EXPECT_EQ(Eval("").status, kStNullExpression);
  EXPECT_EQ(Eval("X=7;").text, "7");
}

TEST_F(ExpTest, TextVariableConstants) {
  RunTable({{".lf$", 1, "\r\n"}, {".tab$", 1, "\t"}, {".pchr$", 1, "\\"}, {".null$", 1, ""},
            {".LF$", 1, ""}, {"'a'+.lf$+'b'", 1, "a\r\nb"}});
}

TEST_F(ExpTest, ConditionIntegerNumberAndTextForms) {
  EXPECT_EQ(ExpEvalCond(StrOf("")), 1);
  EXPECT_EQ(ExpEvalCond(StrOf("'abc'")), 0);
  EXPECT_EQ(ExpEvalCond(StrOf("2>1")), 1);
  EXPECT_EQ(ExpEvalCond(StrOf("0.01")), 1);
  EXPECT_EQ(ExpEvalCond(StrOf("2<1")), 0);
  EXPECT_EQ(ExpEvalCond(StrOf("A B")), kStSyntax);
  EXPECT_EQ(ExpEvalCond(StrOf("'a'+1")), kStIncompatibleTypes);
  EXPECT_EQ(ExpEvalInt(StrOf("7/2")), 4);
  EXPECT_EQ(ExpEvalInt(StrOf("-7/2")), -4);
  EXPECT_EQ(ExpEvalInt(StrOf("A B")), 0);
  EXPECT_EQ(ExpEvalNum(StrOf("7/2")), 350);
  EXPECT_EQ(ExpEvalNum(StrOf("'x'+1")), 0);
  EXPECT_EQ(S(ExpEvalStr(StrOf("7/2"))), "3.5");
  EXPECT_EQ(S(ExpEvalStr(StrOf("'a'+'b'"))), "ab");
  EXPECT_EQ(S(ExpEvalStr(StrOf("1)"))), "<fail 129>");
  EXPECT_EQ(ExpExecute(StrOf("Z=9")), kOk);
  EXPECT_EQ(Var("Z"), "9");
  EXPECT_EQ(ExpExecute(StrOf("")), kOk);  // statuses below 128 become 0
  EXPECT_EQ(ExpExecute(StrOf("A B")), kStSyntax);
}

TEST_F(ExpTest, IfStringEvaluatesOnlyTextExpressions) {
  Eval("S$='val'");
  struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"'abc'", "abc"}, {"'a'+'b'", "ab"}, {"S$", "val"}, {"S$+'!'", "val!"},
      {"plain text", "plain text"}, {"12", "12"}, {"'a'=='b'", "'a'=='b'"}, {"N+1", "N+1"},
  };
  for (const auto& c : cases) EXPECT_EQ(S(ExpEvalIfString(StrOf(c.in))), c.out) << c.in;
}

TEST_F(ExpTest, ScaleFollowsPrecis) {
  EXPECT_EQ(ExpScale(), 100);
  SysVarSet(kVarPrecis, 4);
  EXPECT_EQ(ExpScale(), 10000);
  EXPECT_EQ(Eval("2/3").text, ".6667");
  SysVarSet(kVarPrecis, 0);
  EXPECT_EQ(Eval("7/2").text, "4");
}

TEST_F(ExpTest, AcceptShorthandsAreRewritten) {
  ScratchScope scope;
  EXPECT_EQ(S(ExpPrepare(StrOf("_ACCEPT#(3)+1"))),
            "FN#VALN(FN$TRIM(FN$PARM(_$(.envvar;.dialog);3);'FIT'))+1");
  EXPECT_EQ(S(ExpPrepare(StrOf("X$=_ACCEPT$(2;'a';'b')"))),
            "X$=FN$TRIM(FN$PARM(_$(.envvar;.dialog);2);'FIT')");
  EXPECT_EQ(S(ExpPrepare(StrOf("'_ACCEPT#(1)'"))), "'_ACCEPT#(1)'");
}

TEST_F(ExpTest, OperandKinds) {
  struct {
    const char* text;
    uint16_t flags;
  } cases[] = {
      {"'x'", 1}, {"A$", 3}, {"A#", 6}, {"A", 2}, {"12", 0}, {".top", 0}, {"F{1}", 8},
      {"FN$TRIM(1)", 35}, {"A$(1)", 19}, {"_#(1)", 38}, {"FILEFIND(1)", 48}, {"A(1)", 16},
      {"(1)", 64}, {"fn$trim(1)", 35},
  };
  for (const auto& c : cases) EXPECT_EQ(ExpNextToken(StrOf(c.text), 0).flags, c.flags) << c.text;
}

TEST_F(ExpTest, ListItemsAndFirstOperand) {
  StrPair list = StrOf("A=1;F(2;3),'x;y';(4,5)");
  EXPECT_EQ(S(ExpListItem(list, 1)), "A=1");
  EXPECT_EQ(S(ExpListItem(list, 2)), "F(2;3)");
  EXPECT_EQ(S(ExpListItem(list, 3)), "'x;y'");
  EXPECT_EQ(S(ExpListItem(list, 4)), "(4,5)");
  EXPECT_EQ(S(ExpListItem(list, 5)), "");
  EXPECT_EQ(S(ExpFirstOperand(StrOf("ABC+1"), 0)), "ABC");
  EXPECT_EQ(S(ExpFirstOperand(StrOf("F(1;2)*3"), 0)), "F(1;2)");
  EXPECT_EQ(S(ExpFirstOperand(StrOf("1+XY"), 2)), "XY");
}

TEST_F(ExpTest, FileNumberVariables) {
  DynStrPush(sl::kFileNames, StrOf("CLIENTS"));
  DynStrPush(sl::kFileNames, StrOf(""));
  DynStrPush(sl::kFileNames, StrOf("invoices"));
  ASSERT_EQ(ExpFileNumberVars(), kOk);
  EXPECT_EQ(Eval("clients").text, "1");
  EXPECT_EQ(Eval("invoices").text, "3");
  EXPECT_FALSE(VarLookup(StrOf("CLIENTS")).declared());
}

TEST_F(ExpTest, PushHelpers) {
  ScratchScope scope;
  EXPECT_EQ(ExpPushInt(-3), kOk);
  EXPECT_EQ(NumAccValue(), -300);
  EXPECT_EQ(ExpPushInt32(100000), kOk);
  EXPECT_EQ(NumAccValue(), 10000000);
  EXPECT_EQ(ExpPushNum(42), kOk);
  EXPECT_EQ(NumAccValue(), 42);
  EXPECT_EQ(ExpPushDecimal(StrOf("1.5")), kOk);
  EXPECT_EQ(NumAccValue(), 150);
}

// Every evaluation step releases the arena to its mark: one result entry is
// left above the caller's mark, whatever the length of the expression.
TEST_F(ExpTest, ArenaUseIsBounded) {
  std::string sum = "0", cat = "''";
  for (int i = 0; i < 400; ++i) {
    sum += "+1";
    cat += "+'ab'";
  }
  for (const std::string& e : {sum, cat, std::string("X=1;Y=2;Z=X+Y;'a'+'b';Z")}) {
    uint16_t before = ScratchMark(-1);
    EvalResult r = Eval(e);
    EXPECT_LT(r.status, kStFirstWarning) << e.substr(0, 20);
    ScratchScope scope;
    ExpEvalText(StrOf(e));
    EXPECT_EQ(ScratchMark(-1), before + 1);
  }
  EXPECT_EQ(Eval(sum).text, "400");
  EXPECT_EQ(Eval(cat).text.size(), 800u);
  EXPECT_LT(Core().arena.high_water_mark(), 40);
}

// --- values written into expression texts ----------------------------------

StrPair Chrs(FnArgs& args) {
  FnIntArg a = FnArgInt(args, 1, 0);
  if (a.status) return StrFail(a.status);
  char c = static_cast<char>(a.value);
  return ScratchText(std::string_view(&c, 1));
}

Status FakeChrs(FnArgs& args) {
  StrPair r = Chrs(args);
  return r.ok() ? kOk : StrError(r);
}

TEST_F(ExpTest, AssignmentTextsRoundTripEveryText) {
  FnInstallBuiltin(kFnChrs, FakeChrs);  // the line-break pieces call FN$CHRS
  std::vector<std::string> values = {
      "", "plain", " blanks  kept ", "it's", "say \"hi\"", "both ' and \"", "'\"'\"'",
      "'", "\"", "a;b,c", "x=1", "line\r\nbreak", "\r", "\n\r", "end\n", "(", "a)b",
      "+-*/", "\xE9t\xE9", std::string("nul\0byte", 8), "''", "%s", "[1+1]",
  };
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  values.push_back(all);
  for (const std::string& v : values) {
    ScratchScope scope;
    std::string stmt = S(ExpMakeAssignment(StrOf("R$"), StrOf(v)));
    ASSERT_EQ(ExpExecute(StrOf(stmt)), kOk) << stmt;
    EXPECT_EQ(Var("R$"), v) << stmt;
  }
}

TEST_F(ExpTest, AssignmentTextsForNumbers) {
  ScratchScope scope;
  EXPECT_EQ(S(ExpMakeAssignment(StrOf("N"), StrOf("12.5"))), "N=12.5");
  EXPECT_EQ(S(ExpMakeAssignment(StrOf("N#"), StrOf(""))), "N#=0");
  EXPECT_EQ(S(ExpMakeAssignment(StrOf("T$"), StrOf("a"))), "T$='a'");
  EXPECT_EQ(S(ExpMakeAssignment(StrOf("T$"), StrOf("a'b"))), "T$=\"a'b\"");
}

TEST_F(ExpTest, AssignValueByTypeOfName) {
  EXPECT_EQ(ExpAssignValue(StrOf("T$"), StrOf("abc"), true), kOk);
  EXPECT_EQ(Var("T$"), "abc");
  EXPECT_EQ(ExpAssignValue(StrOf("N#"), StrOf("1.234"), true), kOk);
  EXPECT_EQ(Var("N#"), "1.23");
  EXPECT_EQ(ExpAssignValue(StrOf("N#"), StrOf("  0012.50 "), false), kOk);  // a typed number
  EXPECT_EQ(Var("N#"), "12.5");
  EXPECT_EQ(ExpAssignValue(StrOf("I"), StrOf("2.5"), true), kOk);
  EXPECT_EQ(Var("I"), "3");
  Eval("V(3)");
  EXPECT_EQ(ExpAssignValue(StrOf("V(2)"), StrOf("9"), true), kOk);
  EXPECT_EQ(Eval("V(2)").text, "9");
  EXPECT_EQ(ExpAssignValue(StrOf("a@b"), StrOf("1"), true), kStIncompatibleTypes);
}

// --- field references through a fake data layer ------------------------------

std::map<std::string, std::pair<char, std::string>>& Fields() {
  static std::map<std::string, std::pair<char, std::string>> f;
  return f;
}

Status FakeType(StrPair ref, char* type) {
  auto it = Fields().find(ref.str());
  if (it == Fields().end()) return kStFileOutBound;
  *type = it->second.first;
  return kOk;
}
Status FakeRead(StrPair ref, std::string* value, char* type) {
  auto it = Fields().find(ref.str());
  if (it == Fields().end()) return kStFileOutBound;
  *type = it->second.first;
  *value = it->second.second;
  return kOk;
}
Status FakeAssign(StrPair ref, StrPair value) {
  auto it = Fields().find(ref.str());
  if (it == Fields().end()) return kStFileOutBound;
  it->second.second = value.str();
  return kOk;
}
const FieldAccess kFakeFields{FakeType, FakeRead, FakeAssign};

class ExpFieldTest : public ExpTest {
 protected:
  void SetUp() override {
    ExpTest::SetUp();
    Fields() = {{"NAME{1}", {'A', "Ann"}}, {"AMT{1}", {'N', "12.50"}}, {"QTY{CLI}", {'3', "7"}}};
    FieldAccessInstall(&kFakeFields);
  }
  void TearDown() override {
    FieldAccessInstall(nullptr);
    ExpTest::TearDown();
  }
};

TEST_F(ExpFieldTest, ReadsByFieldType) {
  RunTable({
      {"NAME{1}", 1, "Ann"},
      {"NAME{1}+'!'", 1, "Ann!"},
      {"AMT{1}*2", 0, "25"},
      {"QTY{CLI}+1", 0, "8"},
      {"AMT{1}=='12.5'", 0, "1"},  // a numeric field reads a text on the right as a number
      {"'12.5'==AMT{1}", kStIncompatibleTypes, ""},
      {"NOPE{1}", kStFileOutBound, ""},
  });
}

TEST_F(ExpFieldTest, AssignsTextsAndRenderedNumbers) {
  EXPECT_EQ(Eval("NAME{1}='Bob'").status, 1);
  EXPECT_EQ(Fields()["NAME{1}"].second, "Bob");
  EXPECT_EQ(Eval("AMT{1}=7/2").status, 0);
  EXPECT_EQ(Fields()["AMT{1}"].second, "3.5");
  EXPECT_EQ(S(ExpEvalIfString(StrOf("NAME{1}"))), "Bob");
}

// --- "_name(index)" operands -------------------------------------------------

StrPair FakeLineField(StrPair name, int32_t index) {
  return ScratchText(name.str() + ":" + std::to_string(index));
}

TEST_F(ExpTest, UnderscoreCallsGoToTheLineFieldProvider) {
  EXPECT_EQ(Eval("_LF$(3)").text, "");  // no provider: no value
  EXPECT_EQ(Eval("_LF(3)+1").text, "1");
  HookSetFn(FakeLineField, kHookLineField);
  EXPECT_EQ(Eval("_LF$(1+2)").text, "_LF$:3");
  EXPECT_EQ(Eval("_N#(2)").status, 0);
}

}  // namespace
}  // namespace eng::test

namespace eng::test {
namespace {

std::string Repeat(std::string_view piece, size_t n) {
  std::string out;
  out.reserve(piece.size() * n);
  for (size_t i = 0; i < n; ++i) out += piece;
  return out;
}

// Nesting past the evaluator's depth limit fails with 147 and leaves the
// evaluator usable; nesting well inside it evaluates as written.
TEST_F(ExpTest, NestingDepthIsLimited) {
  ASSERT_EQ(FnInstallValueBuiltins(), kOk);
  struct Deep {
    const char* what;
    std::string text;
  };
  const Deep too_deep[] = {
      {"parentheses", Repeat("(", 20000) + "1" + Repeat(")", 20000)},
      {"calls", Repeat("FN$TRIM(", 7000) + "'x'" + Repeat(")", 7000)},
      {"signs", Repeat("-", 20000) + "1"},
      {"rounding chain", Repeat("!", 20000) + "1"},
      {"assignments", Repeat("A=", 20000) + "1"},
      {"in a macro", "[" + Repeat("(", 5000) + "1" + Repeat(")", 5000) + "]"},
  };
  for (const Deep& d : too_deep) {
    ASSERT_LE(d.text.size(), kMaxText) << d.what;
    if (d.text[0] == '[') {
      ScratchScope scope;
      StrPair r = MacroExpand(StrOf(d.text), 0);
      EXPECT_EQ(StrError(r), kStSyntax) << d.what;
    } else {
      EXPECT_EQ(Eval(d.text).status, kStSyntax) << d.what;
    }
    EXPECT_EQ(Core().exp.depth, 0) << d.what;
    EXPECT_EQ(Eval("2+3*4").text, "14") << d.what;
  }
  const Deep fine[] = {
      {"parentheses", Repeat("(", 150) + "7" + Repeat(")", 150)},
      {"calls", Repeat("FN$TRIM(", 60) + "' x '" + Repeat(")", 60)},
      {"signs", Repeat("-", 150) + "1"},
  };
  EXPECT_EQ(Eval(fine[0].text).text, "7");
  EXPECT_EQ(Eval(fine[1].text).text, "x");
  EXPECT_EQ(Eval(fine[2].text).text, "1") << "an even number of signs";
}

}  // namespace
}  // namespace eng::test
