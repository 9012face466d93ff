#include "core/str_format.h"

#include <string>
#include <string_view>

#include "core/err_register.h"
#include "core/scratch_arena.h"
#include "tests/support/core_fixture.h"

namespace eng::test {
namespace {

using StrFormatTest = CoreTest;

TEST_F(StrFormatTest, Conversions) {
  struct Case {
    std::string_view format;
    std::initializer_list<FmtArg> args;
    std::string_view expect;
  };
  const Case cases[] = {
      {"%s=%i", {"K", 42}, "K=42"},
      {"[%5s]", {"ab"}, "[   ab]"},
      {"[%-5s]", {"ab"}, "[ab   ]"},
      {"[%.2s]", {"abcd"}, "[ab]"},
      {"[%5.2s]", {"abcd"}, "[   ab]"},
      {"[%05d]", {-42}, "[-0042]"},
      {"[%-5d]", {42}, "[42   ]"},
      {"[%5d]", {-42}, "[  -42]"},
      {"[%.3d]", {7}, "[007]"},
      {"[%d]", {int64_t(-9223372036854775807LL - 1)}, "[-9223372036854775808]"},
      {"100%%", {}, "100%"},
      {"%s and %s", {"a"}, "a and "},          // a missing argument is the empty text
      {"%n%x%p%5q", {1, 2}, "%n%x%p%5q"},       // not ours: copied, no argument taken
      {"%x%d", {3}, "%x3"},
      {"%s", {7}, "7"},
      {"%d/%d", {size_t(12), uint16_t(65535)}, "12/65535"},
      {"%d", {"txt"}, "txt"},
      {"end%", {}, "end%"},
      {"%s%s%s%s%s%s", {}, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(S(StrFormat(200, StrOf(c.format), c.args)), c.expect) << c.format;
}

TEST_F(StrFormatTest, ResultIsTheNewestEntry) {
  uint16_t mark = ScratchMark(-1);
  StrPair r = StrFormat(50, StrOf("%s-%d"), {StrOf("x"), 1});
  EXPECT_EQ(S(r), "x-1");
  EXPECT_EQ(ScratchMark(-1), mark + 1);
  EXPECT_EQ(ScratchTop().ptr, r.ptr);
}

TEST_F(StrFormatTest, TooLongFailsAndIsRecorded) {
  EXPECT_EQ(S(StrFormat(16, StrOf("%s"), {"0123456789abcdef"})), "0123456789abcdef");
  EXPECT_EQ(ErrLastCode(), 0);
  uint16_t mark = ScratchMark(-1);
  EXPECT_EQ(S(StrFormat(15, StrOf("%s"), {"0123456789abcdef"})), "<fail 146>");
  EXPECT_EQ(ScratchMark(-1), mark);
  EXPECT_EQ(ErrLastCode(), kStStringTooLong);
  EXPECT_EQ(ErrLastModule(), kModFormatStrings);
  // A huge width is refused, not allocated.
  EXPECT_EQ(S(StrFormat(10, StrOf("%99999999999d"), {1})), "<fail 146>");
  EXPECT_EQ(S(StrFormat(0, StrOf(""), {})), "");
  EXPECT_EQ(S(StrFormat(0, StrOf("%%"), {})), "<fail 146>");
}

}  // namespace
}  // namespace eng::test
