#include "core/mem_buf.h"

#include <gtest/gtest.h>

#include <string>

namespace eng {
namespace {

TEST(MemBufTest, AppendsUntilFullThenStaysFailed) {
  MemBuf b = MemBufNew(0, 4);
  EXPECT_NE(MemBufAppend(0, b, "abc", 3, false), nullptr);
  EXPECT_EQ(MemBufAppend(0, b, "de", 2, false), nullptr);
  EXPECT_EQ(b.status, kStDataOutBound);
  EXPECT_EQ(MemBufAppend(0, b, "f", 1, false), nullptr);  // sticky
  EXPECT_EQ(std::string(b.text().view()), "abc");
}

TEST(MemBufTest, AlignRoundsTheUsedCountAndNullOnlyReserves) {
  MemBuf b = MemBufNew(0, 16);
  MemBufAppend(0, b, "x", 1, false);
  char* p = MemBufAppend(0, b, nullptr, 4, true);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p - b.data(), 4);
  EXPECT_EQ(b.used, 8);
}

TEST(MemBlockRecTest, WritesWithinCapacityAndFailsStickily) {
  MemBlockRec r = MemBlockRecNew(0, 8);
  StrPair w = MemBlockRecWrite(r, "abcdef", 6, 0);
  EXPECT_EQ(std::string(w.view()), "abcdef");
  StrPair over = MemBlockRecWrite(r, "ghij", 4, 0xFFFF);
  EXPECT_EQ(over.len, 0);
  EXPECT_EQ(r.status, kStStrConcat);
  EXPECT_EQ(MemBlockRecWrite(r, "z", 1, 0).len, 0);
  EXPECT_EQ(std::string(r.text().view()), "abcdef");
}

TEST(MemBlockRecTest, ACopyOwnsItsBytes) {
  MemBlockRec copy;
  {
    MemBlockRec original = MemBlockRecNew(0, 8);
    MemBlockRecWrite(original, "name", 4, 0);
    copy = original;
    MemBlockRecWrite(original, "XXXX", 4, 0);
  }
  EXPECT_EQ(std::string(copy.text().view()), "name");
}

TEST(MemBlockWriteTest, RefusesBytesPastTheBlock) {
  char block[8] = {};
  EXPECT_EQ(MemBlockWrite(block, 4, "abcd", 4), kOk);
  EXPECT_EQ(MemBlockWrite(block, 5, "abcd", 4), kStDataOutBound);
  EXPECT_EQ(MemBlockWrite(block, 9, "", 0), kStDataOutBound);
  EXPECT_EQ(std::string(block + 4, 4), "abcd");
}

}  // namespace
}  // namespace eng
