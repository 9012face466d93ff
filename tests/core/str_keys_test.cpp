#include "core/str_keys.h"

#include <string_view>

#include "tests/support/core_fixture.h"

namespace eng::test {
namespace {

using namespace std::literals;
using StrKeysTest = CoreTest;

TEST_F(StrKeysTest, GetNormalisedValues) {
  struct Case {
    std::string_view text, name, expect;
  } cases[] = {
      {"/APNAME:PL /TRACE:3", "APNAME", "PL"},
      {"/APNAME:PL /TRACE:3", "TRACE", "3"},
      {"/XNAME:1", "NAME", ""},                // not inside another name
      {"/APNAME:pl", "APNAME", "PL"},          // normalised
      {"/APNAME:'pl x'", "APNAME", "pl x"},    // quoted: blanks kept, case kept
      {"A$:=x y:B%:=2", "B%", "2"},            // one "=" after ":" skipped
      {"A$:=x y:B%:=2", "A$", "X"},
      {"A$:='x y':B%:=2", "A$", "x y"},
      {"NAME=abc&X=1", "X", "1"},
      {"NAME=abc&X=1", "NAME", "ABC"},
      {"NAME:a/b", "NAME", "A"},
      {"NAME:'/home/u/f':X=1", "NAME", "/home/u/f"},
      {"'X:1' Y:2", "X", ""},                  // inside quotes
      {"X::=1", "X", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(S(StrKeyGet(StrOf(c.text), StrOf(c.name))), c.expect) << c.text << " " << c.name;
}

TEST_F(StrKeysTest, LocateAndModes) {
  StrSpan s = StrKeyLocate(StrOf("/A:12 /B:3"), StrOf("A"), 0);
  EXPECT_EQ(s.pos, 3);
  EXPECT_EQ(s.len, 2);
  // ":" is looked for before "=".
  s = StrKeyLocate(StrOf("K=1 K:2"), StrOf("K"), 0);
  EXPECT_EQ(s.pos, 6);
  EXPECT_FALSE(StrKeyLocate(StrOf("/A:1"), StrOf("B"), 0).found());

  EXPECT_EQ(S(StrKeyGetMode(StrOf("K:'ab'"), StrOf("K"), kKeyRaw)), "'ab'");
  EXPECT_EQ(S(StrKeyGetMode(StrOf("K:'ab'"), StrOf("K"), kKeyUnquoted)), "ab");
  EXPECT_EQ(S(StrKeyGetMode(StrOf("K:ab"), StrOf("K"), kKeyNormalised)), "AB");

  // Plain mode: items split by NUL bytes, quotes and blanks count for nothing.
  std::string_view plain = "A:x y\0B:'q\0C=/u v"sv;
  EXPECT_EQ(S(StrKeyGetMode(StrOf(plain), StrOf("A"), kKeyPlain)), "x y");
  EXPECT_EQ(S(StrKeyGetMode(StrOf(plain), StrOf("C"), kKeyPlain)), "/u v");
  EXPECT_EQ(S(StrKeyGetMode(StrOf(plain), StrOf("B"), kKeyPlain)), "'q");
  EXPECT_EQ(S(StrKeyGetMode(StrOf("XA:1"sv), StrOf("A"), kKeyPlain)), "");
}

TEST_F(StrKeysTest, FindCopiesAndUnquotes) {
  uint16_t mark = ScratchMark(-1);
  StrPair v = StrKeyFind(StrOf("/P:'a b' /Q%:'c'"), StrOf("P"));
  EXPECT_EQ(S(v), "a b");
  EXPECT_TRUE(Core().arena.Holds(v.ptr));
  EXPECT_EQ(ScratchMark(-1), mark + 1);
  EXPECT_EQ(S(StrKeyFind(StrOf("/P:'a b' /Q%:'c'"), StrOf("Q%"))), "'c'");
  StrPair none = StrKeyFind(StrOf("/P:1"), StrOf("R"));
  EXPECT_FALSE(none.ok());
  EXPECT_EQ(StrError(none), 0xFFFF);
}

TEST_F(StrKeysTest, JoinKeyValue) {
  EXPECT_EQ(S(StrJoinKeyValue(StrOf("K"), StrOf("v"))), "K=v");
  EXPECT_EQ(S(StrJoinKeyValue(StrOf(""), StrOf("v"))), "<fail 163>");
  EXPECT_EQ(S(StrJoinKeyValue(StrOf("K"), StrOf(""))), "<fail 163>");
}

}  // namespace
}  // namespace eng::test
