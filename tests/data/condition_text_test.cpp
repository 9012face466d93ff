// Condition texts: the builders' texts, and hostile values evaluated back
// through the expression evaluator (no value may become expression text).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/field_access.h"
#include "core/scratch_arena.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "data/condition_text.h"
#include "data/field_ref.h"
#include "data/record_buffer.h"
#include "tests/support/data_fixture.h"
#include "tests/support/exp_fixture.h"

namespace eng::test {
namespace {

class CondTextTest : public DataFixtureTest {
 protected:
  void SetUp() override {
    DataFixtureTest::SetUp();
    ASSERT_EQ(VarInitSystem(), kOk);
    for (uint16_t f = 1; f <= fx::kFileCount; ++f) ASSERT_EQ(BufInit(f), kOk);
    DataInstallFieldAccess();
  }
  void TearDown() override {
    FieldAccessInstall(nullptr);
    DataFixtureTest::TearDown();
  }
  static std::string Var(const std::string& name) {
    ScratchScope scope;
    Status s = VarRead(StrOf(name));
    if (s == 1) return ScratchTop().str();
    if (s) return "<status " + std::to_string(s) + ">";
    return DecToText(NumAccValue()).str();
  }
};

// A failure pair shown as "<fail n>", a text as itself.
std::string Cmp(StrPair field, uint16_t op, const std::string& value, const char* format = kCondQuotedFormat) {
  ScratchScope scope;
  return S(CondCompare(field, op, StrOf(value), StrOf(format)));
}

TEST_F(CondTextTest, ComparisonsAndOperators) {
  StrPair f = StrOf("F{1}");
  EXPECT_EQ(Cmp(f, 1, "X"), "F{1}=='X'");
  EXPECT_EQ(Cmp(f, 1, ""), "");
  EXPECT_EQ(Cmp(f, 2, "X"), "F{1}>'X'");
  EXPECT_EQ(Cmp(f, 5, "X"), "F{1}<='X'");
  EXPECT_EQ(Cmp(f, 6, "X"), "F{1}<>'X'");
  EXPECT_EQ(Cmp(f, 9, "X"), "F{1}<>'X'");  // above the count: the last item
  EXPECT_EQ(Cmp(f, 0, "X"), "<fail 163>");
  EXPECT_EQ(Cmp(f, 3, "100", kCondBareFormat), "F{1}>=100");
  // Formats with the value in double quotes, or after other conversions.
  EXPECT_EQ(Cmp(f, 1, "X", "%s%s\"%s\""), "F{1}=='X'");
  EXPECT_EQ(Cmp(f, 1, "X", "(%s%s'%s')&&%%"), "(F{1}=='X')&&%");
  {
    ScratchScope scope;
    EXPECT_EQ(S(CondCompare(f, 2, StrOf("a"), StrOf(kCondQuotedFormat), StrOf("=,!"))), "F{1}!'a'");
  }
}

TEST_F(CondTextTest, QuotingOfValues) {
  StrPair f = StrOf("F{1}");
  EXPECT_EQ(Cmp(f, 1, "O'Brien"), "F{1}==\"O'Brien\"");
  EXPECT_EQ(Cmp(f, 1, "say \"hi\""), "F{1}=='say \"hi\"'");
  EXPECT_EQ(Cmp(f, 1, "it's \"x\""), "F{1}==(\"it's \"+'\"x\"')");
  // Bare values: numbers only.
  EXPECT_EQ(Cmp(f, 1, "-12.5", kCondBareFormat), "F{1}==-12.5");
  EXPECT_EQ(Cmp(f, 1, " 100 ", kCondBareFormat), "F{1}==100");
  for (const char* bad : {"1||X", "1;Z=5", "1.2.3", "+", ".", "12,50", "1 2", "A", "1e5", "(1)"}) {
    EXPECT_EQ(Cmp(f, 1, bad, kCondBareFormat), "<fail 147>") << bad;
  }
}

// Every hostile value is compared with a text variable holding it: the
// condition holds, the same condition against another value does not, and no
// statement hidden in the value ran.
TEST_F(CondTextTest, HostileValuesRoundTripThroughTheEvaluator) {
  SysVarSet(kVarAuxStat, 128);  // "*" compares literally
  const std::vector<std::string> values = {
      "plain",
      "O'Brien",
      "say \"hi\"",
      "it's \"x\"",
      "'",
      "\"",
      "'\"",
      "\"'\"'\"",
      "x'||1||'",
      "x\"||1||\"",
      "';Z=7;'",
      "\";Z=7;\"",
      "'+FN$CHRS(65)+'",
      "a,b;c",
      "(x)",
      "{1}",
      "NAME{1}",
      "$#",
      "a*b",
      "  padded  ",
      "tab\there",
      "line\r\nbreak",
      std::string("nul\0byte", 8),
      "\xE1\xE9\xFF",
      "'';Z=7;\"\"",
      "%s%s%d%%",
  };
  ASSERT_EQ(ExpExecute(StrOf("Z=3")), kOk);
  for (const std::string& v : values) {
    SCOPED_TRACE(v);
    ScratchScope scope;
    ASSERT_EQ(ExpAssignValue(StrOf("V$"), StrOf(v), true), kOk);
    StrPair cond = CondCompare(StrOf("V$"), 1, StrOf(v));
    ASSERT_TRUE(cond.ok()) << cond.len;
    std::string text = cond.str();
    EXPECT_EQ(ExpEvalCond(StrOf(text)), 1) << text;
    StrPair ne = CondCompare(StrOf("V$"), 6, StrOf(v));
    ASSERT_TRUE(ne.ok());
    std::string ne_text = ne.str();
    EXPECT_EQ(ExpEvalCond(StrOf(ne_text)), 0) << ne_text;
    ASSERT_EQ(ExpAssignValue(StrOf("V$"), StrOf(v + "Q"), true), kOk);
    EXPECT_EQ(ExpEvalCond(StrOf(text)), 0) << text;
    EXPECT_EQ(Var("Z"), "3");
  }
}

TEST_F(CondTextTest, HostileValuesAgainstARecordField) {
  // The value typed into a filter compared with the field that holds it.
  SysVarSet(kVarCurFil, fx::kClientes);
  for (std::string v : {"O'Brien & \"Sons\"", "x'||1||'", "';Z=7;'"}) {
    SCOPED_TRACE(v);
    ScratchScope scope;
    ASSERT_EQ(BufSetField(fx::kClientes, 2, StrOf(v)), kOk);
    std::string padded = v + std::string(30 - v.size(), ' ');
    std::string text = CondFieldCompare(StrOf("NAME{1}"), 1, StrOf(padded), 'A').str();
    EXPECT_EQ(ExpEvalCond(StrOf(text)), 1) << text;
    std::string other = CondFieldCompare(StrOf("NAME{1}"), 1, StrOf(v), 'A').str();
    EXPECT_EQ(ExpEvalCond(StrOf(other)), 0) << other;  // the stored field keeps its blanks
  }
}

TEST_F(CondTextTest, AndCompareAndFieldCompare) {
  ScratchScope scope;
  StrPair f = StrOf("F{1}");
  EXPECT_EQ(S(CondAndCompare(f, 1, StrOf("X"), StrOf(""))), "F{1}=='X'");
  EXPECT_EQ(S(CondAndCompare(f, 1, StrOf("X"), StrOf("A"))), "A&&F{1}=='X'");
  EXPECT_EQ(S(CondAndCompare(f, 1, StrOf(""), StrOf("A"))), "A");
  EXPECT_EQ(S(CondAndCompare(f, 4, StrOf("X"), StrOf("A"), StrOf("||"))), "A||F{1}<'X'");
  EXPECT_EQ(S(CondAndCompare(f, 4, StrOf("50"), StrOf("A"), StrOf("&&"), StrOf(kCondBareFormat))),
            "A&&F{1}<50");
  EXPECT_EQ(S(CondAndCompare(f, 4, StrOf("5|0"), StrOf("A"), StrOf("&&"), StrOf(kCondBareFormat))), "<fail 147>");
  EXPECT_EQ(S(CondFieldCompare(f, 3, StrOf("100"), '2')), "F{1}>=100");
  EXPECT_EQ(S(CondFieldCompare(f, 3, StrOf("A"), 'A')), "F{1}>='A'");
  EXPECT_EQ(S(CondFieldCompare(f, 3, StrOf("100"), 'D')), "F{1}>='100'");
  EXPECT_EQ(S(CondFieldCompare(f, 1, StrOf("1||X"), '2')), "<fail 147>");
  EXPECT_EQ(S(CondFieldCompare(f, 1, StrOf("7"), 'N')), "F{1}==7");
}

TEST_F(CondTextTest, JoinAndStripTrue) {
  struct Case {
    const char *a, *b, *op, *result;
  };
  const Case cases[] = {
      {"1&&X", "Y", "&&", "X"},
      {"X", "1&&Y", "&&", "Y"},
      {"X", "Y", "&&", "(X)&&(Y)"},
      {"X", "Y", "||", "(X)||(Y)"},
      {"", "Y", "&&", "Y"},
      {"X", "", "&&", "X"},
      {"", "", "&&", ""},
      {"1&&", "Y", "&&", ""},
  };
  for (const Case& c : cases) {
    ScratchScope scope;
    EXPECT_EQ(S(CondJoin(StrOf(c.a), StrOf(c.b), StrOf(c.op))), c.result) << c.a << " / " << c.b;
  }
  StrPair a = StrOf("1&&A"), b = StrOf("B");
  EXPECT_TRUE(CondStripTrue(a, b));
  EXPECT_EQ(a.str(), "A");
  EXPECT_TRUE(b.empty());
  a = StrOf("A&&1");
  b = StrOf("B");
  EXPECT_FALSE(CondStripTrue(a, b));
  EXPECT_EQ(b.str(), "B");
}

TEST_F(CondTextTest, FieldsRange) {
  ScratchScope scope;
  // AMT and TOTAL are numeric (type 2), CODE and CITY text.
  EXPECT_EQ(S(CondFieldsRange(StrOf("AMT{2},TOTAL{3}"), StrOf("10"), StrOf("20"))),
            "(AMT{2}>=10&&AMT{2}<=20)||(TOTAL{3}>=10&&TOTAL{3}<=20)");
  EXPECT_EQ(S(CondFieldsRange(StrOf("AMT{2},TOTAL{3}"), StrOf("10"), StrOf("10"))), "AMT{2}==10||TOTAL{3}==10");
  EXPECT_EQ(S(CondFieldsRange(StrOf("AMT{2},NOPE{2},X,CODE{9},TOTAL{3}"), StrOf("10"), StrOf(""))),
            "AMT{2}==10||TOTAL{3}==10");
  EXPECT_EQ(S(CondFieldsRange(StrOf("CODE{1},CITY{1}"), StrOf("A'1"), StrOf("B"))),
            "(CODE{1}>=\"A'1\"&&CODE{1}<='B')||(CITY{1}>=\"A'1\"&&CITY{1}<='B')");
  EXPECT_EQ(S(CondFieldsRange(StrOf("CODE{1}"), StrOf("B"), StrOf("A"))), "CODE{1}=='B'");
  // Numeric fields decide the range by the numbers, text fields by their text.
  EXPECT_EQ(S(CondFieldsRange(StrOf("AMT{2},CODE{1}"), StrOf("9"), StrOf("10"))),
            "(AMT{2}>=9&&AMT{2}<=10)||CODE{1}=='9'");
  EXPECT_EQ(S(CondFieldsRange(StrOf("AMT{2}"), StrOf("-5"), StrOf("-2.5"))), "(AMT{2}>=-5&&AMT{2}<=-2.5)");
  EXPECT_EQ(S(CondFieldsRange(StrOf("AMT{2}"), StrOf("10"), StrOf("9"))), "AMT{2}==10");
  EXPECT_EQ(S(CondFieldsRange(StrOf("AMT{2}"), StrOf("1||X"), StrOf(""))), "<fail 147>");
  EXPECT_EQ(S(CondFieldsRange(StrOf("AMT{2}"), StrOf(""), StrOf("20"))), "AMT{2}<=20");
  EXPECT_EQ(S(CondFieldsRange(StrOf("NOPE{1}"), StrOf("1"), StrOf(""))), "");
  EXPECT_TRUE(ErrIncidentText().empty());
}

}  // namespace
}  // namespace eng::test
