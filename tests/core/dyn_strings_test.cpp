#include "core/dyn_strings.h"

#include <string>

#include "core/err_register.h"
#include "core/runtime.h"
#include "tests/support/core_fixture.h"

namespace eng::test {
namespace {

using DynStringsTest = CoreTest;

TEST_F(DynStringsTest, SetBeyondTheCountCreatesEmptyElements) {
  ASSERT_EQ(DynStrSet(14, 5, StrOf("x")), kOk);
  EXPECT_EQ(DynStrCount(14), 6);
  for (uint16_t e = 0; e < 5; ++e) EXPECT_EQ(S(DynStrGet(14, e)), "") << e;
  EXPECT_EQ(S(DynStrGet(14, 5)), "x");
  // A missing element is an empty text, never a failure.
  StrPair missing = DynStrGet(14, 40);
  EXPECT_TRUE(missing.ok());
  EXPECT_EQ(missing.len, 0);
}

TEST_F(DynStringsTest, ValueTakenFromTheStoreItselfIsCopiedFirst) {
  DynStrSet(3, 0, StrOf("short"));
  DynStrSet(3, 1, StrOf("a considerably longer text"));
  ASSERT_EQ(DynStrSet(3, 0, DynStrGet(3, 1)), kOk);
  EXPECT_EQ(S(DynStrGet(3, 0)), "a considerably longer text");
  ASSERT_EQ(DynStrSet(3, 1, DynStrGet(3, 1)), kOk);
  EXPECT_EQ(S(DynStrGet(3, 1)), "a considerably longer text");
  // A part of the element itself, from its middle; then a longer text again.
  StrPair whole = DynStrGet(3, 1);
  ASSERT_EQ(DynStrSet(3, 1, StrPair{whole.ptr + 2, 12}), kOk);
  EXPECT_EQ(S(DynStrGet(3, 1)), "considerably");
  const uint32_t before = Core().strings.text_in_use;
  ASSERT_EQ(DynStrSet(3, 1, StrOf(std::string(300, 'w'))), kOk);
  EXPECT_EQ(S(DynStrGet(3, 1)), std::string(300, 'w'));
  EXPECT_EQ(Core().strings.text_in_use, before - 12u + 300u);
}

TEST_F(DynStringsTest, PushOfAnElementOfTheSameList) {
  // The list grows with room to spare and without: each push takes a view of
  // the list itself, a short text and a long one.
  const uint32_t before = Core().strings.text_in_use;
  const std::string long_text(40, 'L');
  ASSERT_EQ(DynStrPush(31, StrOf("s")), kOk);
  ASSERT_EQ(DynStrPush(31, StrOf(long_text)), kOk);
  for (uint16_t i = 0; i < 20; ++i) ASSERT_EQ(DynStrPush(31, DynStrGet(31, i % 2)), kOk) << i;
  ASSERT_EQ(DynStrCount(31), 22);
  for (uint16_t e = 0; e < 22; ++e) EXPECT_EQ(S(DynStrGet(31, e)), e % 2 ? long_text : "s") << e;
  EXPECT_EQ(Core().strings.text_in_use, before + 11u * 1u + 11u * 40u);
  // A push the text room cannot take is refused, whether the list has room left or not.
  ASSERT_EQ(DynStrPop(31), kOk);
  const std::string too_long(kDynTextRoom - 11u * 1u - 10u * 40u, 't');
  EXPECT_EQ(DynStrPush(31, StrOf(too_long)), kStStrOutBound);
  EXPECT_EQ(DynStrCount(31), 21);
  EXPECT_EQ(S(DynStrTop(31)), "s");
  EXPECT_EQ(Core().strings.text_in_use, before + 11u * 1u + 10u * 40u);
}

TEST_F(DynStringsTest, DeleteBeyondTheCountGrowsTheList) {
  for (int i = 0; i < 3; ++i) DynStrPush(20, StrOf("e"));
  EXPECT_EQ(DynStrDelete(20, 9), kOk);
  EXPECT_EQ(DynStrCount(20), 9);
  EXPECT_EQ(DynStrDelete(21, 0), kOk);
  EXPECT_EQ(DynStrCount(21), 0);
}

TEST_F(DynStringsTest, DeleteMovesLaterElementsDown) {
  for (const char* t : {"a", "b", "c"}) DynStrPush(22, StrOf(t));
  ASSERT_EQ(DynStrDelete(22, 0), kOk);
  EXPECT_EQ(DynStrCount(22), 2);
  EXPECT_EQ(S(DynStrGet(22, 0)), "b");
  EXPECT_EQ(S(DynStrGet(22, 1)), "c");
}

TEST_F(DynStringsTest, QueuesAndStacks) {
  for (uint16_t list : {37, 31}) {
    DynStrPush(list, StrOf("A"));
    DynStrPush(list, StrOf("B"));
  }
  EXPECT_EQ(S(DynStrTop(37)), "A");
  EXPECT_EQ(S(DynStrTop(31)), "B");
  EXPECT_EQ(S(DynStrPopValue(37)), "A");
  EXPECT_EQ(S(DynStrPopValue(31)), "B");
  EXPECT_EQ(S(DynStrTop(37)), "B");
  EXPECT_EQ(S(DynStrTop(31)), "A");
  EXPECT_EQ(S(DynStrPopValue(25)), "");  // empty list: the empty text
}

TEST_F(DynStringsTest, PopToAndClear) {
  for (int i = 0; i < 5; ++i) DynStrPush(33, StrOf(std::to_string(i)));
  EXPECT_EQ(DynStrPopTo(33, 2), kOk);
  EXPECT_EQ(DynStrCount(33), 2);
  EXPECT_EQ(S(DynStrTop(33)), "1");
  EXPECT_EQ(DynStrClear(33), kOk);
  EXPECT_EQ(DynStrCount(33), 0);
}

TEST_F(DynStringsTest, CountOf39SumsTheStacksAndQueues) {
  DynStrPush(30, StrOf("a"));
  DynStrPush(33, StrOf("b"));
  DynStrPush(33, StrOf("c"));
  DynStrPush(37, StrOf("d"));
  DynStrPush(12, StrOf("not counted"));
  EXPECT_EQ(DynStrCount(39), 4);
}

TEST_F(DynStringsTest, ElementLimitIs2047InAll) {
  for (int i = 0; i < 2047; ++i) ASSERT_EQ(DynStrPush(static_cast<uint16_t>(i % 39), StrOf("")), kOk) << i;
  EXPECT_EQ(DynStrPush(5, StrOf("one too many")), kStStrOutBound);
  EXPECT_EQ(ErrLastCode(), kStLoadStr);
  EXPECT_EQ(ErrLastModule(), kModStringAssign);
  uint32_t total = 0;
  for (uint16_t l = 0; l < kDynLists; ++l) total += DynStrCount(l);
  EXPECT_EQ(total, 2047u);
}

TEST_F(DynStringsTest, TextLimitLeavesTheStoreUnchanged) {
  std::string fits(61360, 'f');
  ASSERT_EQ(DynStrSet(0, 0, StrOf(fits)), kOk);
  ASSERT_EQ(DynStrSet(0, 0, StrOf("")), kOk);
  DynStrSet(2, 0, StrOf("kept"));
  std::string too_long(61360, 't');
  EXPECT_EQ(DynStrSet(0, 0, StrOf(too_long)), kStStrOutBound);
  EXPECT_EQ(S(DynStrGet(0, 0)), "");
  EXPECT_EQ(S(DynStrGet(2, 0)), "kept");
}

TEST_F(DynStringsTest, AppendAndTruncateInPlaceKeepTheTextCount) {
  ASSERT_EQ(DynStrSet(6, 1, StrOf("ab")), kOk);
  const uint32_t before = Core().strings.text_in_use;
  ASSERT_EQ(DynStrAppend(6, 1, StrOf(",cd")), kOk);
  EXPECT_EQ(S(DynStrGet(6, 1)), "ab,cd");
  // A part of the element itself appended to it.
  StrPair own = DynStrGet(6, 1);
  ASSERT_EQ(DynStrAppend(6, 1, StrPair{own.ptr, 2}), kOk);
  EXPECT_EQ(S(DynStrGet(6, 1)), "ab,cdab");
  EXPECT_EQ(Core().strings.text_in_use, before + 5u);
  ASSERT_EQ(DynStrTruncate(6, 1, 2), kOk);
  EXPECT_EQ(S(DynStrGet(6, 1)), "ab");
  EXPECT_EQ(Core().strings.text_in_use, before);
  ASSERT_EQ(DynStrTruncate(6, 1, 9), kOk) << "a longer length leaves the text alone";
  EXPECT_EQ(S(DynStrGet(6, 1)), "ab");

  // Past the text room: refused, the element and the count unchanged.
  const std::string big(kDynTextRoom - before, 'b');
  EXPECT_EQ(DynStrAppend(6, 1, StrOf(big)), kStStrOutBound);
  EXPECT_EQ(DynStrGet(6, 1).len, 2);
  EXPECT_EQ(Core().strings.text_in_use, before);
  // Elements that do not exist.
  EXPECT_EQ(DynStrAppend(6, 2, StrOf("x")), kStStrOutBound);
  EXPECT_EQ(DynStrTruncate(39, 0, 0), kStStrOutBound);
  EXPECT_EQ(DynStrCount(6), 2);
}

TEST_F(DynStringsTest, RefusalDoesNotOverwriteARecordedError) {
  ErrRecord(kModMemAcums, kStOutOfMemory);
  std::string too_long(62000, 't');
  EXPECT_EQ(DynStrSet(0, 0, StrOf(too_long)), kStStrOutBound);
  EXPECT_EQ(ErrLastCode(), kStOutOfMemory);
  EXPECT_EQ(ErrLastModule(), kModMemAcums);
}

TEST_F(DynStringsTest, ListNumbersAbove38AreRefused) {
  EXPECT_EQ(DynStrSet(39, 0, StrOf("x")), kStStrOutBound);
  EXPECT_EQ(DynStrIndex(39, 0, false), 0xFFFF);
  EXPECT_EQ(ErrGetLast(), uint32_t(kStLoadStr) | (uint32_t(kModStringAssign) << 16));
  ErrSetLast(2, 0, 0, 0);
  EXPECT_EQ(DynStrIndex(40, 0, true), 0xFFFF);
  EXPECT_EQ(ErrLastCode(), kStStrOutBound);
  EXPECT_EQ(ErrLastModule(), kModDynStrings);
}

TEST_F(DynStringsTest, FailurePairIsPassedOn) {
  EXPECT_EQ(DynStrSet(4, 0, StrFail(kStBadData)), kStBadData);
  EXPECT_EQ(DynStrCount(4), 0);
}

TEST_F(DynStringsTest, ViewsAreWritableInPlace) {
  DynStrSet(6, 0, StrOf("record"));
  char* p = DynStrData(6, 0);
  ASSERT_NE(p, nullptr);
  p[0] = 'R';
  EXPECT_EQ(S(DynStrGet(6, 0)), "Record");
}

}  // namespace
}  // namespace eng::test
