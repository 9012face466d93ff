#include "core/str_compare.h"

#include <cstring>
#include <string_view>

#include "core/scratch_arena.h"
#include "tests/support/core_fixture.h"

namespace eng::test {
namespace {

using StrCompareTest = CoreTest;

TEST_F(StrCompareTest, UnsignedBytewise) {
  struct Case {
    std::string_view a, b;
    int expect;
  } cases[] = {
      {"ab", "abc", -1}, {"abc", "ab", 1}, {"ab", "ab", 0}, {"\xE1", "b", 1},
      {"b", "\xE1", -1}, {"", "", 0},      {"", "a", -1},   {"abd", "abc", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(StrCompare(StrOf(c.a), StrOf(c.b)), c.expect) << c.a << " " << c.b;
  EXPECT_EQ(MemCompare("\x80", "\x7F", 1), 1);
  EXPECT_EQ(MemCompare("ab", "ab", 2), 0);
  EXPECT_EQ(MemCompare(nullptr, "ab", 2), 159);
}

TEST_F(StrCompareTest, Relations) {
  struct Case {
    std::string_view a, b;
    int rel;
    bool expect;
  } cases[] = {
      {"a", "a", 1, true},  {"a", "b", 1, false}, {"b", "a", 2, true},  {"a", "a", 3, true},
      {"a", "b", 4, true},  {"b", "b", 5, true},  {"c", "b", 5, false}, {"a", "a", 6, false},
      {"a", "a", 0, false},
  };
  for (const Case& c : cases) EXPECT_EQ(StrCompareRel(StrOf(c.a), StrOf(c.b), c.rel), c.expect) << c.rel;
  EXPECT_EQ(S(StrPickByRelation(StrOf("a"), StrOf("b"), 0)), "a");
  EXPECT_EQ(S(StrPickByRelation(StrOf(""), StrOf("b"), 0)), "b");
  EXPECT_EQ(S(StrPickByRelation(StrOf("a"), StrOf("b"), 2)), "b");
  EXPECT_EQ(S(StrPickByRelation(StrOf("c"), StrOf("b"), 2)), "c");
  EXPECT_EQ(S(StrPickByRelation(StrOf("a"), StrOf(""), 2)), "a");
}

TEST_F(StrCompareTest, SortedCopy) {
  const char items[] = "\xE0\xE0" "dd" "aa" "cc" "bb" "a\x01";
  StrPair s = MemSortedCopy(items, 2, 6);
  EXPECT_EQ(S(s), "a\x01" "aabbccdd\xE0\xE0");
  EXPECT_TRUE(Core().arena.Holds(s.ptr));
  EXPECT_STREQ(items, "\xE0\xE0" "dd" "aa" "cc" "bb" "a\x01");  // the input stays as it was
  EXPECT_EQ(S(MemSortedCopy(items, 3, 0)), "");
}

TEST_F(StrCompareTest, SmallNumbers) {
  EXPECT_EQ(NumMax(-3, 2), 2);
  EXPECT_EQ(NumMin(-3, 2), -3);
  EXPECT_EQ(NumOr(0, 5), 5);
  EXPECT_EQ(NumOr(4, 5), 4);
}

TEST_F(StrCompareTest, BoundsCheckedItems) {
  unsigned char bytes[6] = {1, 0, 2, 0, 3, 0xEE};
  EXPECT_TRUE(MemItemCheck(6, 2, 2));
  EXPECT_FALSE(MemItemCheck(5, 2, 2));  // item 2 would end past byte 5
  EXPECT_FALSE(MemItemCheck(6, 0, 0));
  EXPECT_EQ(MemGetU16(bytes, 6, 1), 2);
  EXPECT_EQ(MemGetU16(bytes, 5, 2), 0);
  EXPECT_FALSE(MemSetU16(bytes, 5, 2, 0x1234));
  EXPECT_EQ(bytes[4], 3);
  EXPECT_EQ(bytes[5], 0xEE);
  EXPECT_TRUE(MemSetU16(bytes, 6, 2, 9));
  EXPECT_EQ(MemGetU16(bytes, 6, 2), 9);
  StrPair pairs[2] = {StrOf("a"), StrOf("bc")};
  EXPECT_EQ(S(MemGetPairItem(pairs, sizeof pairs, 1)), "bc");
  StrPair zero = MemGetPairItem(pairs, sizeof pairs, 2);
  EXPECT_EQ(zero.ptr, nullptr);
  EXPECT_EQ(zero.len, 0);
}

}  // namespace
}  // namespace eng::test
