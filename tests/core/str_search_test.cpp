#include "core/str_search.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "tests/support/core_fixture.h"

namespace eng::test {
namespace {

using namespace std::literals;
using StrSearchTest = CoreTest;

TEST_F(StrSearchTest, CharSearchFollowsTheQuoteRule) {
  struct Case {
    std::string_view text;
    uint16_t start;
    char c;
    bool plain;
    uint16_t expect;
  } cases[] = {
      {"a'b,c", 0, ',', false, kNotFound},  // an unclosed quote hides the rest
      {"a'b,c", 0, ',', true, 3},
      {"a'b'c,d", 0, ',', false, 5},
      {"a\"x,'y\",z", 0, ',', false, 7},    // the other quote inside does not count
      {"'a,b'", 0, '\'', false, kNotFound},  // a quote is never found by the quote rule
      {"'a,b'", 0, '\'', true, 0},
      {"abcabc", 2, 'b', false, 4},
      {"abc", 3, 'a', true, kNotFound},     // start at the end
      {"abc", 9, 'a', false, kNotFound},
      {"", 0, 'a', false, kNotFound},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StrFindCharFrom(StrOf(c.text), c.start, c.c, c.plain), c.expect) << c.text << " " << c.c;
  EXPECT_EQ(StrFindChar(StrOf("x,y"), ',', false), 1);
  EXPECT_EQ(StrFindUnquoted(StrOf("'a,'b,c"), 0, ','), 5);
  EXPECT_EQ(StrFindByteFrom(StrOf("'a,'b,c"), 0, ','), 2);
  EXPECT_EQ(StrFindNul(StrOf("ab'\0c"sv)), 3);
  EXPECT_EQ(StrFindChar(StrFail(kStDataError), 'a', true), kNotFound);
}

// The quote rule written out step by step: find the first quote at or after
// s (e, or the end); search [s, e); otherwise find the same quote after e and
// continue after it, or give up when there is none.
uint16_t ReferenceFind(std::string_view t, size_t s, char c) {
  while (s < t.size()) {
    size_t e = t.find_first_of("'\"", s);
    if (e == std::string_view::npos) e = t.size();
    size_t p = t.substr(0, e).find(c, s);
    if (p != std::string_view::npos) return static_cast<uint16_t>(p);
    if (e == t.size()) return kNotFound;
    size_t close = t.find(t[e], e + 1);
    if (close == std::string_view::npos) return kNotFound;
    s = close + 1;
  }
  return kNotFound;
}

TEST_F(StrSearchTest, QuoteRuleMatchesItsStepByStepForm) {
  const char alphabet[] = {'a', ',', '\'', '"'};
  for (int len = 0; len <= 6; ++len) {
    int total = 1;
    for (int i = 0; i < len; ++i) total *= 4;
    for (int code = 0; code < total; ++code) {
      std::string t;
      for (int i = 0, c = code; i < len; ++i, c /= 4) t += alphabet[c % 4];
      for (uint16_t s = 0; s <= len; ++s)
        for (char c : {',', 'a'})
          ASSERT_EQ(StrFindCharFrom(StrOf(t), s, c, false), ReferenceFind(t, s, c)) << t << " from " << s << " " << c;
    }
  }
}

TEST_F(StrSearchTest, AnyOfASet) {
  EXPECT_EQ(StrFindAny(StrOf("ab:c d"), StrOf(" :"), false), 2);
  EXPECT_EQ(StrFindAnyFrom(StrOf("ab:c d"), 3, StrOf(" :"), false), 4);
  EXPECT_EQ(StrFindAny(StrOf("'a:'b c"), StrOf(" :"), false), 5);
  EXPECT_EQ(StrFindAny(StrOf("abc"), StrOf(""), true), kNotFound);
}

TEST_F(StrSearchTest, SubstringSearch) {
  struct Case {
    std::string_view text, needle;
    bool plain;
    uint16_t expect;
  } cases[] = {
      {"abcabd", "abd", false, 3},
      {"ab", "abc", false, kNotFound},        // longer than the text
      {"xx'ab'ab", "ab", false, 6},
      {"xx'ab'ab", "ab", true, 3},
      {"aab", "ab", false, 1},
      {"abc", "", false, kNotFound},
      {"abcab", "ab", false, 0},
      {"xyzab", "ab", false, 3},              // the needle ends at the end
  };
  for (const Case& c : cases)
    EXPECT_EQ(StrFind(StrOf(c.text), StrOf(c.needle), c.plain), c.expect) << c.text << " / " << c.needle;
  EXPECT_EQ(StrFindFrom(StrOf("abcabc"), 1, StrOf("abc"), false), 3);
}

TEST_F(StrSearchTest, TopLevelSeparatorSkipsQuotesAndParentheses) {
  constexpr size_t kNone = std::string_view::npos;
  struct Case { std::string_view text; size_t from; std::string_view seps; size_t want; };
  const Case cases[] = {
      {"a,b", 0, ",", 1},
      {"f(a,b),c", 0, ",", 6},
      {"'a,b';c", 0, ";,", 5},
      {"\"x(,\"),y", 0, ",", 6},
      {"a),b", 0, ",", 2},          // a stray ")" does not hide what follows
      {"(a,b", 0, ",", kNone},      // an unclosed "(" hides the rest
      {"'a,b", 0, ",", kNone},      // so does an unclosed quote
      {"a,b,c", 2, ",", 3},
      {"abc", 0, ",", kNone},
  };
  for (const Case& c : cases) EXPECT_EQ(StrFindTopLevel(c.text, c.from, c.seps), c.want) << c.text;
}

TEST_F(StrSearchTest, LastOccurrence) {
  EXPECT_EQ(StrFindLast(StrOf("ab.ab.ab"), StrOf("ab"), false), 6);
  EXPECT_EQ(StrFindLastChar(StrOf("a.b.c"), '.', false), 3);
  EXPECT_EQ(StrFindLastChar(StrOf("a.b'.'c"), '.', false), 1);
  EXPECT_EQ(StrFindLastChar(StrOf("a.b'.'c"), '.', true), 4);
  EXPECT_EQ(StrFindLastOf(StrOf("a-b+c"), StrOf("+-"), false, 0), 3);
  EXPECT_EQ(StrFindLastOf(StrOf("abc"), StrOf("x"), false, 1), kNotFound);
}

TEST_F(StrSearchTest, InnermostSegment) {
  StrSpan s = StrFindInnermost(StrOf("a(b(cd)e)"), false, '(', ')');
  EXPECT_EQ(s.pos, 4);
  EXPECT_EQ(s.len, 2);
  EXPECT_FALSE(StrFindInnermost(StrOf("a)b(c"), false, '(', ')').found());
  EXPECT_FALSE(StrFindInnermost(StrOf("abc"), false, '(', ')').found());
  s = StrFindInnermost(StrOf("{x}"), true, '{', '}');
  EXPECT_EQ(s.pos, 1);
  EXPECT_EQ(s.len, 1);
}

TEST_F(StrSearchTest, FixedWidthItems) {
  const char items[] = "aaabbbccc";
  EXPECT_EQ(MemFindItem(items, 3, "bbb", 3), 1);
  EXPECT_EQ(MemFindItem(items, 3, "bbc", 3), kNotFound);
  EXPECT_EQ(MemFindItem(items, 2, "ccc", 3), kNotFound);  // only n items are looked at
  const uint16_t w16[] = {3, 0, 0};
  const uint32_t w32[] = {1, 2, 0};
  EXPECT_EQ(MemFindZero16(w16, 3), 1);
  EXPECT_EQ(MemFindZero32(w32, 3), 2);
  EXPECT_EQ(MemFindZero32(w32, 2), kNotFound);
}

}  // namespace
}  // namespace eng::test
