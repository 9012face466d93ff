#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/cmd_line.h"
#include "core/err_register.h"
#include "core/macros.h"
#include "core/sys_vars.h"
#include "tests/support/exp_fixture.h"

namespace eng::test {
namespace {

class MacroTest : public ExpTest {
 protected:
  void TearDown() override {
    unsetenv("ENGMACROVAL");
    ExpTest::TearDown();
  }
  static std::string Expand(const std::string& text, int flags = 0) {
    ScratchScope scope;
    return S(MacroExpand(StrOf(text), flags));
  }
  static std::string ExpandList(const std::string& text, const std::string& list) {
    ScratchScope scope;
    return S(MacroExpandList(StrOf(text), StrOf(list)));
  }
  static void Run(const std::string& statement) { ASSERT_LT(Eval(statement).status, kStFirstWarning) << statement; }
};

TEST_F(MacroTest, SegmentsAreReplacedByTheirValues) {
  Run("A$=''");
  Run("N=7");
  Run("T$='  pad  '");
  struct Case {
    const char* text;
    int flags;
    const char* expect;
  } cases[] = {
      {"x[2+3]y", 0, "x5y"},              // a number with _PRECIS decimals, zeros dropped
      {"[1/4]", 0, ".25"},
      {"[[1+1]*2]", 0, "4"},              // the inner segment first, then the outer
      {"a[N]b[N+1]c", 0, "a7b8c"},
      {"[A$]", 0, ""},                    // an empty text variable
      {"[0]", 0, "0"},                    // a zero number reads "0"
      {"[0]", kMacroEmptyZero, ""},
      {"<[T$]>", 0, "<pad>"},              // trimmed
      {"<[T$]>", kMacroNoTrim, "<  pad  >"},
      {"[N]", kMacroQuote, "'7'"},
      {"[N]", kMacroQuote | kMacroDoubleQuote, "\"7\""},
      {"[$]", 0, ""},                     // an undeclared text variable
      {"no segment", 0, "no segment"},
      {"", 0, ""},
      {"a]b[1]", 0, "a]b[1]"},            // a stray closer before any opener ends the scan
      {"[1", 0, "[1"},                    // unclosed
      {"x[%TEMP%]y", 0, "x%TEMP%y"},      // folder macro kept for the folder step
      {"'[1+1]'", 0, "'[1+1]'"},          // brackets in quotes are skipped
      {"'[1+1]'", kMacroInQuotes, "'2'"},
      {"\\{x\\}", kMacroEscapes, "[x]"},
      {"\\{x\\}", 0, "\\{x\\}"},
      {"\\{{x\\}}", kMacroEscapes, "\\{x\\}"},  // a doubled brace keeps the escape
      {"\\{[1+1]\\}", kMacroEscapes, "[2]"},  // escapes turn into brackets after expansion
      {"a\\b\\", kMacroEscapes, "a\\b\\"},
  };
  for (const Case& c : cases) EXPECT_EQ(Expand(c.text, c.flags), c.expect) << c.text << " flags " << c.flags;
}

TEST_F(MacroTest, PrecisionOfNumbers) {
  SysVarSet(kVarPrecis, 3);
  EXPECT_EQ(Expand("[1/8]"), ".125");
  SysVarSet(kVarPrecis, 0);
  EXPECT_EQ(Expand("[7/2]"), "4");
}

TEST_F(MacroTest, InsertedValuesAreExpandedAgainOnlyWhenAsked) {
  Run("B$='[1+1]'");
  EXPECT_EQ(Expand("<[B$]>"), "<[1+1]>");
  EXPECT_EQ(Expand("<[B$]>", kMacroRescan), "<2>");
  Run("C$='[B$]'");
  EXPECT_EQ(Expand("[C$]-[C$]", kMacroRescan), "2-2");
}

TEST_F(MacroTest, SelfExpandingMacrosEndWithAnError) {
  Run("S$='[S$]'");
  EXPECT_EQ(Expand("x[S$]", kMacroRescan), "<fail 129>");
  Run("P$='[Q$]'");
  Run("Q$='[P$]'");
  EXPECT_EQ(Expand("[P$]", kMacroRescan), "<fail 129>");  // a cycle of two
  Run("G$='[G$][G$]'");
  EXPECT_EQ(Expand("[G$]", kMacroRescan), "<fail 129>");  // a growing one
  EXPECT_EQ(Expand("x[S$]"), "x[S$]");                  // without rescans: once
}

TEST_F(MacroTest, FailingExpressionsEndTheExpansion) {
  EXPECT_EQ(Expand("a[]b"), "<fail 123>");           // an empty segment
  EXPECT_EQ(Expand("a['x'*2]b"), "<fail 128>");
  EXPECT_EQ(Expand("[1+1][5 5]"), "<fail 147>");
  std::string big(40000, 'x');
  Run("L$='" + big + "'");
  EXPECT_EQ(Expand("[L$][L$]"), "<fail 146>");  // beyond 65,535 bytes
}

TEST_F(MacroTest, LookupTakesTheListThenTheOptionThenTheEnvironment) {
  ASSERT_EQ(CmdLineStore(StrOf("\"/p/prog\" /ENGMACROVAL:OPT /OTHER:x")), kOk);
  setenv("ENGMACROVAL", "env", 1);
  Run("ENGMACROVAL=3");
  EXPECT_EQ(ExpandList("<[ENGMACROVAL]>", "ENGMACROVAL=list&B=2"), "<LIST>");
  EXPECT_EQ(ExpandList("<[ENGMACROVAL]>", "ENGMACROVAL='Lit' B=2"), "<Lit>");
  EXPECT_EQ(ExpandList("<[ENGMACROVAL]>", "B=2"), "<OPT>");
  ASSERT_EQ(CmdLineStore(StrOf("\"/p/prog\" /OTHER:x")), kOk);
  EXPECT_EQ(ExpandList("<[ENGMACROVAL]>", "B=2"), "<env>");
  unsetenv("ENGMACROVAL");
  EXPECT_EQ(ExpandList("<[ENGMACROVAL]>", "B=2"), "<3>");  // then evaluated
  EXPECT_EQ(ExpandList("[B][B+1]", "B=2"), "21");  // "B+1" is no name: B reads as a variable
  EXPECT_EQ(ExpandList("[0]", ""), "");  // flag 16: zero stays empty
  EXPECT_EQ(ExpandList("'[B]'", "B=x"), "'X'");  // quotes do not hide segments
}

TEST_F(MacroTest, PlaceholderIsFilled) {
  ScratchScope scope;
  EXPECT_EQ(S(MacroFillPlaceholder(StrOf("a[$]b[$]"), StrOf("X"))), "aXbX");
  EXPECT_EQ(S(MacroFillPlaceholder(StrOf("none"), StrOf("X"))), "none");
  EXPECT_EQ(S(MacroFillPlaceholder(StrOf("'[$]'"), StrOf("X"))), "'X'");
  std::string big(40000, 'y');
  EXPECT_EQ(S(MacroFillPlaceholder(StrOf("[$][$]"), StrOf(big))), "[$][$]");  // too long: unchanged
}

}  // namespace
}  // namespace eng::test
