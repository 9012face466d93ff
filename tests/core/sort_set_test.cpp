#include "core/sort_set.h"

#include <string>
#include <vector>

#include "tests/support/core_fixture.h"

namespace eng::test {
namespace {

using SortSetTest = CoreTest;

std::vector<std::string> Walk(SortSet& set) {
  std::vector<std::string> out;
  for (Status s = SortSetMove(kSortFirst, set); s == kOk; s = SortSetMove(kSortNext, set))
    out.push_back(SortSetItem(0, set).str());
  return out;
}

TEST_F(SortSetTest, SortListOrdersAndJoins) {
  using namespace std::string_literals;
  struct Case { std::string list; uint8_t flags; std::string want; };
  const Case cases[] = {
      {"b,a,c", 0, "a,b,c"},
      {"b,a,c", kSortDescending, "c,b,a"},
      {"b,a,b", kSortUnique, "a,b"},
      {"b,a,a", kSortUnique, "a,b"},
      {"b,a,b", 0, "a,b,b"},
      {"bb,a", 0, "a ,bb"},
      {"bb,a", kSortRightTrim, "a,bb"},
      {"bb\0a"s, kSortNulSeparator, "a \0bb"s},
      {"'b c',a", kSortRightTrim, "'b c',a"},   // a quoted item is inserted whole
      {"", 0, ""},
      {"\xE9,z,a", 0, "a,z,\xE9"},             // bytes compare unsigned
  };
  for (const Case& c : cases)
    EXPECT_EQ(S(SortList(StrOf(c.list), c.flags)), c.want) << c.list << " flags " << int(c.flags);
}

TEST_F(SortSetTest, EqualItemsGoRightAfterTheFirstEqualOne) {
  SortSet set = SortSetCreate(1, 2, 0);
  EXPECT_EQ(set.item_width, 2);
  EXPECT_EQ(set.compare_width, 1);
  for (const char* v : {"ab", "ac", "ad", "b", "a"}) ASSERT_EQ(SortSetInsert(StrOf(v), set), kOk);
  EXPECT_EQ(Walk(set), (std::vector<std::string>{"ab", "a ", "ad", "ac", "b "}));
  SortSet unique = SortSetCreate(2, 1, kSortUnique);
  EXPECT_EQ(SortSetInsert(StrOf("ab"), unique), kOk);
  EXPECT_EQ(SortSetInsert(StrOf("ax"), unique), kStDuplicate);
  EXPECT_EQ(unique.count, 1);
}

TEST_F(SortSetTest, CursorMovesAndLeavingTheItems) {
  SortSet empty = SortSetCreate(3, 3, 0);
  EXPECT_EQ(SortSetMove(kSortFirst, empty), kStEndOfData);
  EXPECT_EQ(empty.cursor, 0);
  EXPECT_EQ(S(SortSetItem(0, empty)), "");

  SortSet set = SortSetCreate(1, 1, 0);
  for (const char* v : {"c", "a", "b"}) ASSERT_EQ(SortSetInsert(StrOf(v), set), kOk);
  EXPECT_EQ(SortSetMove(kSortFirst, set), kOk);
  EXPECT_EQ(SortSetMove(kSortPrevious, set), kStEndOfData);  // before the first
  EXPECT_EQ(set.cursor, 2);                                  // on the last item
  EXPECT_EQ(SortSetMove(kSortNext, set), kStEndOfData);      // after the last
  EXPECT_EQ(set.cursor, 2);
  EXPECT_EQ(S(SortSetItem(kSortPrevious, set)), "b");
  EXPECT_EQ(S(SortSetItem(0x1234 & ~kSortMoveBits, set)), "b");  // no move bits: stays
  EXPECT_EQ(S(SortSetItem(kSortLast, set)), "c");
  EXPECT_EQ(S(SortSetItem(kSortNext, set)), "");
}

TEST_F(SortSetTest, InsertRefusals) {
  SortSet set = SortSetCreate(5, 5, 0);
  EXPECT_EQ(SortSetInsert(StrOf("123456"), set), kStDataError);
  EXPECT_EQ(set.count, 0);
  EXPECT_EQ(SortSetInsert(StrFail(kStStringTooLong), set), kStStringTooLong);
}

TEST_F(SortSetTest, BufferGrowsUpTo64KAndRefusesBeyond) {
  // Width 256: 256 items would be exactly 65,536 bytes.
  SortSet set = SortSetCreate(256, 256, 0);
  EXPECT_EQ(SortSetInsert(StrOf("x"), set), kOk);
  Status s = kOk;
  int inserted = 1;
  while (s == kOk && inserted < 1000) {
    std::string v = std::to_string(100000 + inserted);
    s = SortSetInsert(StrOf(v), set);
    if (s == kOk) ++inserted;
  }
  EXPECT_EQ(s, kStDataOutBound);
  EXPECT_EQ(inserted, 255);  // 255 x 256 bytes fit in 65,535
  EXPECT_EQ(set.count, 255);
  EXPECT_EQ(S(SortSetItem(kSortLast, set)).substr(0, 1), "x");
  EXPECT_EQ(S(SortSetItem(kSortFirst, set)).substr(0, 6), "100001");

  // Small items: the doubling goes on past 32,767 bytes without wrapping.
  SortSet many = SortSetCreate(4, 4, 0);
  for (int i = 0; i < 16383; ++i) {
    std::string v = std::to_string(9999 - i % 10000);
    ASSERT_EQ(SortSetInsert(StrOf(v), many), kOk) << i;
  }
  EXPECT_EQ(SortSetInsert(StrOf("z"), many), kStDataOutBound);  // 16,384 x 4 > 65,535
  EXPECT_EQ(S(SortSetItem(kSortFirst, many)), "0   ");
}

TEST_F(SortSetTest, HandlesSurviveGrowthAndRefuseStaleOrForgedTexts) {
  StrPair made = SortHandleNew(4, 4, 0);
  ASSERT_TRUE(made.ok());
  const std::string handle = made.str();
  const std::string copy = handle;  // a copy kept by a procedure
  SortSet* set = SortHandleGet(StrOf(handle));
  ASSERT_NE(set, nullptr);
  for (int i = 0; i < 600; ++i)  // past the first 256 items: the buffer grows
    ASSERT_EQ(SortSetInsert(StrOf(std::to_string(i)), *SortHandleGet(StrOf(handle))), kOk);
  SortSet* again = SortHandleGet(StrOf(copy));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->count, 600);
  EXPECT_EQ(S(SortSetItem(kSortFirst, *again)), "0   ");

  EXPECT_EQ(SortHandleFree(StrOf(handle)), kOk);
  EXPECT_EQ(SortHandleGet(StrOf(copy)), nullptr);  // after KILL
  EXPECT_EQ(SortHandleFree(StrOf(copy)), kStDataError);
  StrPair reused = SortHandleNew(1, 1, 0);         // the slot is reused ...
  ASSERT_TRUE(reused.ok());
  EXPECT_NE(reused.str(), handle);                 // ... under another generation
  EXPECT_EQ(SortHandleGet(StrOf(copy)), nullptr);
  for (const char* forged : {"", "SORTSET:", "SORTSET:0:", "SORTSET:00:2", "SORTSET:0:99",
                             "SORTSET:9:1", "sortset:0:2", "\x01\x02\x03\x04\x05\x06\x07\x08"})
    EXPECT_EQ(SortHandleGet(StrOf(forged)), nullptr) << forged;
  EXPECT_NE(SortHandleGet(reused), nullptr);
  EXPECT_EQ(SortHandleInsert(StrOf(copy), StrOf("a")), kStDataError);
  EXPECT_EQ(SortHandleMove(StrOf(copy), kSortFirst), kStDataError);
  EXPECT_EQ(StrError(SortHandleItem(StrOf(copy), 0)), kStDataError);
}

TEST_F(SortSetTest, HandleOperationsWorkOnTheTableSet) {
  const std::string h = SortHandleNew(3, 3, kSortUnique | kSortDescending).str();
  for (const char* v : {"b", "c", "a", "c"}) SortHandleInsert(StrOf(h), StrOf(v));
  EXPECT_EQ(SortHandleInsert(StrOf(h), StrOf("b")), kStDuplicate);
  EXPECT_EQ(SortHandleMove(StrOf(h), kSortFirst), kOk);
  EXPECT_EQ(S(SortHandleItem(StrOf(h), 0)), "c  ");
  EXPECT_EQ(S(SortHandleItem(StrOf(h), kSortNext)), "b  ");
  EXPECT_EQ(S(SortHandleItem(StrOf(h), kSortNext)), "a  ");
  EXPECT_EQ(SortHandleMove(StrOf(h), kSortNext), kStEndOfData);
}

TEST_F(SortSetTest, HandleTableIsBounded) {
  std::vector<std::string> handles;
  for (int i = 0; i < kSortHandleSlots; ++i) {
    StrPair h = SortHandleNew(2, 2, 0);
    ASSERT_TRUE(h.ok()) << i;
    handles.push_back(h.str());
  }
  EXPECT_EQ(StrError(SortHandleNew(2, 2, 0)), kStDataOutBound);
  ASSERT_EQ(SortHandleFree(StrOf(handles[7])), kOk);
  EXPECT_TRUE(SortHandleNew(2, 2, 0).ok());
}

}  // namespace
}  // namespace eng::test
