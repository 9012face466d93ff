#include "core/str_case.h"

#include <string_view>

#include "tests/support/core_fixture.h"

namespace eng::test {
namespace {

using namespace std::literals;
using StrCaseTest = CoreTest;

TEST_F(StrCaseTest, Trimming) {
  struct Case {
    std::string_view text;
    int flags;
    std::string_view expect;
  } cases[] = {
      {" \tab \t", 1, "ab \t"}, {" \tab \t", 2, " \tab"}, {" \tab \t", 3, "ab"},
      {"   ", 3, ""},            {"a b", 3, "a b"},        {" x ", 0, " x "},
  };
  for (const Case& c : cases) EXPECT_EQ(S(StrTrim(StrOf(c.text), c.flags)), c.expect) << c.text << c.flags;
  StrPair in = StrOf("--ab-");
  StrPair t = StrTrimSet(in, 3, StrOf("-"));
  EXPECT_EQ(S(t), "ab");
  EXPECT_EQ(t.ptr, in.ptr + 2);  // a view, no copy
}

TEST_F(StrCaseTest, UnquoteAndNormalise) {
  struct Case {
    std::string_view text, unquoted, norm;
  } cases[] = {
      {" abc ", " abc ", "abc"}, {"abc", "abc", "ABC"},   {"'abc'", "abc", "abc"},
      {"\"aB\"", "aB", "aB"},    {"'abc\"", "'abc\"", "'ABC\""}, {"'", "'", "'"},
      {"''", "", ""},            {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(S(StrUnquote(StrOf(c.text))), c.unquoted) << c.text;
    EXPECT_EQ(S(StrNormValue(StrOf(c.text))), c.norm) << c.text;
  }
}

TEST_F(StrCaseTest, CaseChangesAsciiLettersOnly) {
  EXPECT_EQ(S(StrCase(StrOf("\xF1" "and\xFA"), 1)), "\xF1" "AND\xFA");
  EXPECT_EQ(S(StrCase(StrOf("\xD1" "AND\xDA x1"), 0)), "\xD1" "and\xDA x1");
  EXPECT_EQ(S(StrCase(StrOf("Ab\0c"sv), 1)), "AB\0C"sv);
  EXPECT_EQ(S(StrCase(StrFail(kStDataError), 1)), "<fail 163>");
}

TEST_F(StrCaseTest, ClassesAndTranslation) {
  EXPECT_EQ(S(StrKeepSet(StrOf("a1b2c3"), StrOf("0123456789"))), "123");
  EXPECT_TRUE(StrAllIn(StrOf("1231"), StrOf("123")));
  EXPECT_FALSE(StrAllIn(StrOf("1241"), StrOf("123")));
  EXPECT_TRUE(StrAllIn(StrOf(""), StrOf("123")));
  EXPECT_EQ(S(StrCollapse(StrOf("a  b   c"), ' ', false)), "a b c");
  EXPECT_EQ(S(StrCollapse(StrOf("a  'b  c'  d"), ' ', false)), "a 'b  c' d");
  EXPECT_EQ(S(StrCollapse(StrOf("a  'b  c'  d"), ' ', true)), "a 'b c' d");
  EXPECT_EQ(S(StrCollapse(StrOf("a  'b  c"), ' ', false)), "a 'b  c");
  EXPECT_EQ(S(StrTranslate(StrOf("a.b,c"), StrOf(".,"), StrOf(",."))), "a,b.c");
  EXPECT_EQ(S(StrTranslate(StrOf("a.b,c"), StrOf(".,"), StrOf("-"))), "a-b,c");
  EXPECT_EQ(S(StrReplaceClasses(StrOf("<=a>=b<>"), StrOf("<=>=<>"), 2, StrOf("LGN"))), "LaGbN");
  EXPECT_EQ(S(StrReplaceClasses(StrOf("abc"), StrOf("b"), 0, StrOf("x"))), "abc");
}

TEST_F(StrCaseTest, TruthAndIntegers) {
  for (std::string_view w : {"YES", "si", "y", "S", "On", "yes"}) EXPECT_TRUE(StrIsTrue(StrOf(w))) << w;
  for (std::string_view w : {"", "NO", "yes ", "1", "O"}) EXPECT_FALSE(StrIsTrue(StrOf(w))) << w;
  struct Case {
    std::string_view text;
    int16_t value;
  } cases[] = {
      {"si", 1},     {"12abc", 12}, {"abc", 0},      {" -7", -7},   {"+5", 5},
      {"", 0},       {"-", 0},      {"32767", 32767}, {"65535", -1}, {"65536", 0},
      {"\t 8", 8},
  };
  for (const Case& c : cases) EXPECT_EQ(StrToInt(StrOf(c.text)), c.value) << c.text;
}

}  // namespace
}  // namespace eng::test
