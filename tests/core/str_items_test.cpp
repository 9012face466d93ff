#include "core/str_items.h"

#include <string>
#include <string_view>
#include <vector>

#include "core/err_register.h"
#include "tests/support/core_fixture.h"

namespace eng::test {
namespace {

using namespace std::literals;
using StrItemsTest = CoreTest;

TEST_F(StrItemsTest, ItemsAndCounts) {
  struct Case {
    std::string_view list;
    char sep;
    uint16_t n;
    std::string_view item;
  } cases[] = {
      {"a,'b,c',d", ',', 2, "'b,c'"},  // quotes kept
      {"a,'b,c',d", ',', 3, "d"},
      {"a,'b,c',d", ',', 0, ""},
      {"a,'b,c',d", ',', 4, ""},
      {"a'x\0y'\0z"sv, '\0', 2, "y'"},    // NUL splits inside quotes
      {"a'x\0y'\0z"sv, '\0', 3, "z"},
      {"a,b,", ',', 3, ""},
      {"a,b,", ',', 2, "b"},
      {"", ',', 1, ""},
      {"a,'b,c", ',', 2, "'b,c"},       // an unclosed quote hides the rest
      {"x;y", ';', 2, "y"},
  };
  for (const Case& c : cases) EXPECT_EQ(S(StrItem(StrOf(c.list), c.sep, c.n)), c.item) << c.list << " #" << c.n;

  struct Count {
    std::string_view list;
    char sep;
    uint16_t n;
  } counts[] = {
      {"a,'b,c',d", ',', 3}, {"a,b,", ',', 3}, {"", ',', 0}, {"abc", ',', 1},
      {",", ',', 2},         {"a'x\0y'\0z"sv, '\0', 3},      {"a,'b,c", ',', 2},
  };
  for (const Count& c : counts) EXPECT_EQ(StrItemCount(StrOf(c.list), c.sep), c.n) << c.list;
  EXPECT_EQ(S(StrItem(StrFail(kStDataError), ',', 1)), "<fail 163>");
}

// Every list of up to 7 characters over "a", "," and the apostrophe: the
// item operations must agree with each other.
TEST_F(StrItemsTest, ItemOperationsAgreeOnEveryShortList) {
  const char alphabet[] = {'a', ',', '\''};
  for (int len = 0; len <= 7; ++len) {
    int total = 1;
    for (int i = 0; i < len; ++i) total *= 3;
    for (int code = 0; code < total; ++code) {
      std::string list;
      for (int i = 0, c = code; i < len; ++i, c /= 3) list += alphabet[c % 3];
      uint16_t mark = ScratchMark(-1);
      StrPair l = StrOf(list);
      uint16_t count = StrItemCount(l, ',');
      PairArray a = StrSplit(l, ',');
      ASSERT_EQ(a.count, count) << list;
      std::vector<std::string> items;
      for (uint16_t i = 1; i <= count; ++i) {
        StrPair item = StrItem(l, ',', i);
        ASSERT_EQ(S(item), S(StrArrayGet(a, i))) << list << " #" << i;
        ASSERT_EQ(S(StrItemSetPair(l, item, ',', i)), list) << list << " #" << i;
        items.push_back(item.str());
      }
      auto join = [&](size_t skip) {
        std::string j;
        bool first = true;
        for (size_t k = 0; k < items.size(); ++k) {
          if (k == skip) continue;
          if (!first) j += ',';
          j += items[k];
          first = false;
        }
        return j;
      };
      ASSERT_EQ(join(items.size()), list);
      // Deleting an item leaves the others joined as before.
      for (uint16_t i = 1; i <= count; ++i)
        ASSERT_EQ(S(StrItemSetPair(l, StrOf(""), ',', -i)), join(i - 1u)) << list << " #" << i;
      ASSERT_EQ(S(StrItem(l, ',', count + 1)), "");
      ScratchMark(mark);
    }
  }
}

TEST_F(StrItemsTest, SpansEndsAndRest) {
  StrSpan s = StrItemSpan(StrOf("ab,cde,f"), ',', 2);
  EXPECT_EQ(s.pos, 3);
  EXPECT_EQ(s.len, 3);
  EXPECT_FALSE(StrItemSpan(StrOf("ab"), ',', 2).found());
  EXPECT_EQ(StrItemEnd(StrOf("ab,cd"), ','), 2);
  EXPECT_EQ(StrItemEnd(StrOf("abcd"), ','), 4);
  EXPECT_EQ(S(StrItemRest(StrOf("ab,cd,e"), ',')), "cd,e");
  EXPECT_EQ(S(StrItemRest(StrOf("abcd"), ',')), "");
}

TEST_F(StrItemsTest, IntegerIndexAndLengths) {
  EXPECT_EQ(StrItemInt(StrOf("a, 12 ,si"), ',', 2), 12);
  EXPECT_EQ(StrItemInt(StrOf("a, 12 ,si"), ',', 3), 1);
  uint16_t mark = ScratchMark(-1);
  EXPECT_EQ(StrItemInt(StrOf("x,'-4'"), ',', 2), -4);
  EXPECT_EQ(ScratchMark(-1), mark);  // nothing left behind

  EXPECT_EQ(StrItemIndex(StrOf("ab,abc,b"), StrOf("abc"), ','), 2);
  EXPECT_EQ(StrItemIndex(StrOf("ab,abc,b"), StrOf("b"), ','), 3);
  EXPECT_EQ(StrItemIndex(StrOf("ab,abc,b"), StrOf("a"), ','), 0);
  EXPECT_EQ(StrItemIndex(StrOf("ab"), StrOf("abc"), ','), 0);
  EXPECT_EQ(StrItemIndex(StrOf("a,,b"), StrOf(""), ','), 2);

  EXPECT_EQ(StrItemMaxLen(StrOf("ab,'abcd',abc"), ',', 0), 4);
  EXPECT_EQ(StrItemMaxLen(StrOf("ab,'abcd',abc"), ',', 1), 2);
  EXPECT_EQ(StrItemMaxLen(StrOf(""), ',', 0), 0);
}

TEST_F(StrItemsTest, SettingItems) {
  struct Case {
    std::string_view list, text;
    int32_t n;
    std::string_view expect;
  } cases[] = {
      {"a,b,c", "", -2, "a,c"},
      {"a,b,c", "", -3, "a,b"},
      {"a,b,c", "", -1, "b,c"},
      {"a", "", -1, ""},
      {"a,b,c", "", -4, "a,b,c"},  // no such item: unchanged
      {"a,b,c", "x", 5, "a,b,c,,x"},
      {"a,b,c", "x", 0, "a,b,c,x"},
      {"a,b,c", "xy", 2, "a,xy,c"},
      {"", "x", 0, "x"},
      {"", "x", 1, "x"},
      {"", "x", 3, ",,x"},
      {"a,'b,c',d", "z", 3, "a,'b,c',z"},
  };
  for (const Case& c : cases) {
    uint16_t mark = ScratchMark(-1);
    EXPECT_EQ(StrItemSet(StrOf(c.list), StrOf(c.text), ',', c.n), kOk);
    EXPECT_EQ(ScratchMark(-1), mark + 1) << "the new list is the newest entry";
    EXPECT_EQ(S(ScratchTop()), c.expect) << c.list << " " << c.n;
    EXPECT_EQ(S(StrItemSetPair(StrOf(c.list), StrOf(c.text), ',', c.n)), c.expect);
    ScratchMark(mark);
  }
  std::string big(40000, 'a');
  EXPECT_EQ(StrItemSet(StrOf(big), StrOf(big), ',', 0), kStStringTooLong);
  EXPECT_EQ(StrItemSet(StrOf("a"), StrOf("x"), ',', 70000), kStStringTooLong);
}

TEST_F(StrItemsTest, PairArrays) {
  PairArray a = StrSplit(StrOf("a,'b,c',,d"), ',');
  ASSERT_NE(a.items, nullptr);
  ASSERT_EQ(a.count, 4);
  EXPECT_EQ(S(StrArrayGet(a, 2)), "'b,c'");
  EXPECT_EQ(S(StrArrayGet(a, 3)), "");
  EXPECT_EQ(S(StrArrayGet(a, 0)), "");
  EXPECT_EQ(S(StrArrayGet(a, 5)), "");
  StrArraySet(a, 0, StrOf("z"));
  StrArraySet(a, 4, StrOf("ignored"));
  EXPECT_EQ(S(StrArrayGet(a, 1)), "z");

  PairArray e = StrArrayNew(3);
  ASSERT_NE(e.items, nullptr);
  for (uint16_t i = 1; i <= 3; ++i) EXPECT_EQ(S(StrArrayGet(e, i)), "");
  EXPECT_EQ(StrSplit(StrOf(""), ',').count, 0);
  // More pairs than one entry holds is a failure, not an overrun.
  std::string many(9000, ',');
  EXPECT_EQ(StrSplit(StrOf(many), ',').items, nullptr);
}

TEST_F(StrItemsTest, MergingLists) {
  EXPECT_EQ(S(StrListMerge(StrOf("a,b"), ',', StrOf("b;c;d"), ';', 0, StrOf(","))), "a,b,c,d");
  EXPECT_EQ(S(StrListMerge(StrOf("a,b"), ',', StrOf("b;c;a"), ';', 1, StrOf("+"))), "c");
  EXPECT_EQ(S(StrListMerge(StrOf("a,b"), ',', StrOf("b;c;a"), ';', 3, StrOf("+"))), "b+a");
  EXPECT_EQ(S(StrListMerge(StrOf("a,b"), ',', StrOf("b;c;a"), ';', 2, StrOf("+"))), "a,b+b+a");
  // Membership is tested against the first list as given, not the growing result.
  EXPECT_EQ(S(StrListMerge(StrOf("a"), ',', StrOf("c,c"), ',', 0, StrOf(","))), "a,c,c");
  EXPECT_EQ(S(StrListUnion(StrOf("a,b"), StrOf("c,a"))), "a,b,c");
  EXPECT_EQ(S(StrListMinus(StrOf("a,b,c"), StrOf("b"))), "a,c");
}

TEST_F(StrItemsTest, Ranges) {
  struct Case {
    std::string_view range;
    int64_t value;
    bool in;
  } cases[] = {
      {"10-99", 42, true}, {"10-99", 100, false}, {"10-99", 10, true}, {"10-99", 99, true},
      {"10-99", 9, false}, {"7", 7, true},        {"7", 8, false},     {"1-5-9", 8, true},
      {"", 0, false},
  };
  for (const Case& c : cases) EXPECT_EQ(StrInRange(StrOf(c.range), c.value), c.in) << c.range << " " << c.value;
  EXPECT_EQ(StrRangeIndex(StrOf("1-9,10-99,100-999"), 150), 3);
  EXPECT_EQ(StrRangeIndex(StrOf("1-9,10-99"), 150), 0);
  EXPECT_EQ(StrRangeIndex(StrOf("1-9,5-99"), 7), 1);
}

}  // namespace
}  // namespace eng::test
