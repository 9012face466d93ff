#include "core/str_build.h"

#include <cstring>
#include <string>
#include <string_view>

#include "core/err_register.h"
#include "core/str_case.h"
#include "tests/support/core_fixture.h"

namespace eng::test {
namespace {

using namespace std::literals;
using StrBuildTest = CoreTest;

TEST_F(StrBuildTest, CopyConcatJoin) {
  uint16_t mark = ScratchMark(-1);
  StrPair c = StrConcat(StrOf("ab"), StrOf("cd"));
  EXPECT_EQ(S(c), "abcd");
  EXPECT_EQ(ScratchMark(-1), mark + 1);
  EXPECT_EQ(S(StrCopy(StrOf("x\0y"sv))), "x\0y"sv);
  EXPECT_EQ(S(StrJoin(StrOf("a"), StrOf(", "), StrOf("b"))), "a, b");
  EXPECT_EQ(S(StrJoin(StrOf(""), StrOf(", "), StrOf("b"))), "b");
  EXPECT_EQ(S(StrJoin(StrOf("a"), StrOf(", "), StrOf(""))), "a");
  EXPECT_EQ(S(StrConcat(StrFail(kStDataError), StrOf("b"))), "<fail 163>");
  StrPair b = StrOf("b");
  EXPECT_EQ(StrOr(StrOf(""), b).ptr, b.ptr);  // no copy
  EXPECT_EQ(S(StrOr(StrOf("a"), b)), "a");
}

TEST_F(StrBuildTest, TextsLongerThanTheLimitFail) {
  std::string big(40000, 'x');
  EXPECT_EQ(S(StrConcat(StrOf(big), StrOf(big))), "<fail 146>");
  EXPECT_EQ(S(StrJoin(StrOf(big), StrOf(","), StrOf(big))), "<fail 146>");
  EXPECT_EQ(S(StrRepeat(StrOf("ab"), 40000)), "<fail 146>");
  EXPECT_EQ(S(StrEnclose(StrOf(std::string(65535, 'x')), '(')), "<fail 146>");
  EXPECT_EQ(StrRepeat(StrOf("ab"), 30000).len, 60000);
}

TEST_F(StrBuildTest, Substrings) {
  struct Case {
    int32_t start;
    uint16_t len;
    std::string_view expect;
  } cases[] = {
      {-2, 0xFFFF, "ef"}, {-3, 2, "de"}, {9, 2, ""},     {0, 0xFFFF, "abcdef"}, {2, 2, "cd"},
      {4, 9, "ef"},       {-9, 2, "ab"}, {6, 1, ""},     {0, 0, ""},
  };
  StrPair t = StrOf("abcdef");
  for (const Case& c : cases) {
    StrPair s = StrSub(t, c.start, c.len);
    EXPECT_EQ(S(s), c.expect) << c.start << "," << c.len;
    EXPECT_FALSE(Core().arena.Holds(s.ptr) && s.len) << "no copy";
  }
}

TEST_F(StrBuildTest, RepeatCharAndCStrings) {
  EXPECT_EQ(S(StrRepeat(StrOf("ab"), 3)), "ababab");
  EXPECT_EQ(S(StrRepeat(StrOf("ab"), 0)), "");
  EXPECT_EQ(S(StrChar('z')), "z");
  EXPECT_EQ(S(StrFromCCopy("hola")), "hola");
  EXPECT_EQ(S(StrFromCCopy(nullptr)), "<fail 163>");
  const char* c = StrToC(StrOf("ab\0"sv.substr(0, 2)));
  EXPECT_STREQ(c, "ab");
  EXPECT_TRUE(Core().arena.Holds(c));
  EXPECT_STREQ(StrToC(StrFail(kStDataError)), "");
  EXPECT_STREQ(StrAsCString(StrOf("x")), "x");
  EXPECT_EQ(StrCLenPlus("abc", 2), 5u);
}

TEST_F(StrBuildTest, QuotesAndBrackets) {
  EXPECT_EQ(S(StrQuote(StrOf("abc"))), "'abc'");
  EXPECT_EQ(S(StrQuote(StrOf("it's"))), "\"it's\"");
  EXPECT_EQ(S(StrQuote(StrOf("it's \"x\""))), "<fail 163>");
  EXPECT_EQ(StrBracketPartner('('), ')');
  EXPECT_EQ(StrBracketPartner('<'), '>');
  EXPECT_EQ(StrBracketPartner('|'), '|');
  EXPECT_EQ(S(StrEnclose(StrOf("a"), '[')), "[a]");
  EXPECT_EQ(S(StrEnclose(StrOf("a"), '|')), "|a|");
  struct Case {
    std::string_view text;
    char opener;
    bool plain;
    std::string_view inner;
  } cases[] = {
      {"f(a(b)c)d", '(', false, "a(b)c"}, {"f(a(b c", '(', false, ""}, {"x{y}", '{', false, "y"},
      {"(a')'b)", '(', false, "a')'b"},   {"(a')'b)", '(', true, "a'"},  {"|ab|c", '|', false, "ab"},
      {"'(x)'(y)", '(', false, "y"},      {"a'b'c", '\'', false, "b"},
  };
  for (const Case& c : cases) EXPECT_EQ(S(StrBracketInner(StrOf(c.text), c.opener, c.plain)), c.inner) << c.text;
  EXPECT_TRUE(StrIsBracketed(StrOf("(x)"), '('));
  EXPECT_TRUE(StrIsBracketed(StrOf("()"), '('));
  EXPECT_FALSE(StrIsBracketed(StrOf("("), '('));
  EXPECT_FALSE(StrIsBracketed(StrOf("(x]"), '('));
}

TEST_F(StrBuildTest, ReplaceAndCount) {
  struct Case {
    std::string_view text, find, repl;
    bool plain;
    std::string_view expect;
  } cases[] = {
      {"aa", "a", "aa", false, "aaaa"},       // the inserted text is not rescanned
      {"a'b'c", "'", "", false, "abc"},       // a one-character quote is searched plainly
      {"a,'b,c',d", ",", ";", false, "a;'b,c';d"},
      {"a,'b,c',d", ",", ";", true, "a;'b;c';d"},
      {"abab", "ab", "", false, ""},
      {"abc", "", "x", false, "abc"},
      {"xyz", "q", "r", false, "xyz"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(S(StrReplaceAll(StrOf(c.text), StrOf(c.find), StrOf(c.repl), c.plain)), c.expect) << c.text;
    uint16_t mark = ScratchMark(-1);
    EXPECT_EQ(StrReplaceAllStatus(StrOf(c.text), StrOf(c.find), StrOf(c.repl), c.plain), kOk);
    EXPECT_EQ(S(ScratchTop()), c.expect);
    ScratchMark(mark);
  }
  EXPECT_EQ(StrCountOf(StrOf("aaaa"), StrOf("aa"), false), 2);
  EXPECT_EQ(StrCountOf(StrOf("a,'b,c',d"), StrOf(","), false), 2);
  EXPECT_EQ(StrCountOf(StrOf("abc"), StrOf(""), false), 0);
}

TEST_F(StrBuildTest, ReplaceFailureIsRecordedUnderConcatenation) {
  std::string big(40000, 'a');
  EXPECT_EQ(StrReplaceAllStatus(StrOf(big), StrOf("a"), StrOf("aa"), false), kStStringTooLong);
  EXPECT_EQ(ErrLastCode(), 0);
  EXPECT_EQ(S(StrReplaceAll(StrOf(big), StrOf("a"), StrOf("aa"), false)), "<fail 160>");
  EXPECT_EQ(ErrLastCode(), 160);
  EXPECT_EQ(ErrLastModule(), kModStrConcat);
}

TEST_F(StrBuildTest, OverwritingInPlace) {
  EXPECT_EQ(S(StrOverwrite(StrOf("abcdef"), 2, StrOf("XY"))), "abXYef");
  EXPECT_EQ(S(StrOverwrite(StrOf("abcdef"), -1, StrOf("XY"))), "abcdeX");
  EXPECT_EQ(S(StrOverwrite(StrOf("abc"), 7, StrOf("XY"))), "abc");
  char buf[] = "abcdef";
  StrPair target{buf, 6};
  EXPECT_EQ(StrPutAt(target, -2, StrOf("XYZ")), kOk);
  EXPECT_STREQ(buf, "abcdXY");
  EXPECT_EQ(StrWriteAt(target, 0, StrOf("Q")), kOk);
  EXPECT_STREQ(buf, "QbcdXY");
  EXPECT_EQ(StrPutAt(target, 0, StrFail(kStDataError)), kStDataError);
  EXPECT_EQ(StrPutAt(StrFail(kStBadData), 0, StrOf("x")), kStBadData);
}

TEST_F(StrBuildTest, AppendInPlaceKeepsWithinTheBuffer) {
  char buf[8] = {'a', 'b', 'c', 0, 0, 0, 0, '#'};
  StrPair r = StrAppendInPlace(StrOf("xyz"), buf, 3, 7);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.ptr, buf);
  EXPECT_EQ(S(r), "abcxyz");
  r = StrAppendInPlace(StrOf("12"), buf, 6, 7);
  EXPECT_EQ(S(r), "<fail 168>");
  EXPECT_EQ(buf[6], 0);
  EXPECT_EQ(buf[7], '#');
}

}  // namespace
}  // namespace eng::test

namespace eng::test {
namespace {

TEST_F(StrBuildTest, AFullArenaFailsAndLeavesNothingBehind) {
  for (int i = 0; i < 7; ++i) ASSERT_EQ(ScratchReserve(65535, kFillLeave), kOk);
  uint16_t mark = ScratchMark(-1);
  uint32_t top = Core().arena.top_offset();
  // 65,532 bytes are left: anything rounding up to 65,536 does not fit.
  EXPECT_EQ(StrError(StrRepeat(StrOf("ab"), 32767)), kStOutOfMemory);
  EXPECT_EQ(StrError(StrCase(StrOf(std::string(65534, 'a')), 1)), kStOutOfMemory);
  EXPECT_EQ(StrError(StrConcat(StrOf(std::string(40000, 'a')), StrOf(std::string(25534, 'b')))), kStOutOfMemory);
  EXPECT_STREQ(StrToC(StrOf(std::string(65534, 'a'))), "");
  EXPECT_EQ(ScratchMark(-1), mark);
  EXPECT_EQ(Core().arena.top_offset(), top);
}

}  // namespace
}  // namespace eng::test
