#include "core/scratch_arena.h"

#include <algorithm>
#include <string>

#include "tests/support/core_fixture.h"

namespace eng::test {
namespace {

using ScratchArenaTest = CoreTest;

TEST_F(ScratchArenaTest, EntryLimitIsCapacityLessOne) {
  ASSERT_EQ(Core().arena.capacity(), 512);
  for (int i = 0; i < 511; ++i) ASSERT_EQ(ScratchReserve(0, 0), kOk) << i;
  EXPECT_EQ(ScratchMark(-1), 511);
  EXPECT_EQ(ScratchReserve(0, 0), kStOutOfMemory);
  EXPECT_EQ(ScratchMark(-1), 511);
  // A zero-byte entry takes no room.
  EXPECT_EQ(Core().arena.top_offset(), 0u);
}

TEST_F(ScratchArenaTest, ByteLimitStopsBeforeTheEnd) {
  for (int i = 0; i < 7; ++i) ASSERT_EQ(ScratchReserve(65535, kFillLeave), kOk) << i;
  EXPECT_EQ(ScratchReserve(65535, kFillLeave), kStOutOfMemory);
  EXPECT_EQ(ScratchMark(-1), 7);
}

TEST_F(ScratchArenaTest, FreeBytesAndRounding) {
  EXPECT_EQ(ScratchFreeBytes(), 524284u);
  ASSERT_EQ(ScratchReserve(1, 'x'), kOk);
  EXPECT_EQ(ScratchFreeBytes(), 524280u);
  EXPECT_EQ(ScratchTop().len, 1);
  EXPECT_EQ(ScratchTop().ptr[0], 'x');
}

TEST_F(ScratchArenaTest, MarksAreStableAndReleaseDropsEntries) {
  uint16_t m = ScratchMark(-1);
  EXPECT_EQ(ScratchMark(-1), m);
  EXPECT_EQ(ScratchMark(m), m);
  ScratchText("abc");
  ScratchText("defgh");
  EXPECT_EQ(ScratchMark(-1), m + 2);
  EXPECT_EQ(ScratchMark(9999), m + 2);  // not below the capacity: nothing changes
  ScratchMark(m + 1);
  EXPECT_EQ(S(ScratchTop()), "abc");
  EXPECT_EQ(Core().arena.top_offset(), 4u);
  ScratchMark(m);
  EXPECT_EQ(Core().arena.top_offset(), 0u);
  EXPECT_EQ(Core().arena.high_water_mark(), m + 2);
  EXPECT_EQ(Core().arena.high_water_bytes(), 12u);
}

TEST_F(ScratchArenaTest, RefusedEntryTopIsTakenBackAtRelease) {
  uint16_t m = ScratchMark(-1);
  for (int i = 0; i < 511; ++i) ASSERT_EQ(ScratchReserve(0, 0), kOk);
  EXPECT_EQ(ScratchReserve(100, 0), kStOutOfMemory);
  EXPECT_EQ(Core().arena.top_offset(), 100u);
  ScratchMark(m);
  EXPECT_EQ(Core().arena.top_offset(), 0u);
}

// A function that builds its result from temporaries and keeps it.
StrPair BuildInNestedScope() {
  ScratchScope scope;
  ScratchText("temporary one");
  StrPair a = ScratchText("result-");
  StrPair b = ScratchText("text");
  ScratchConcat(a, b);
  return scope.Keep(ScratchTop());
}

TEST_F(ScratchArenaTest, KeepPlacesTheResultDirectlyAboveTheMark) {
  ScratchText("outer");
  uint16_t m = ScratchMark(-1);
  StrPair r = BuildInNestedScope();
  EXPECT_EQ(S(r), "result-text");
  EXPECT_EQ(ScratchMark(-1), m + 1);
  EXPECT_EQ(ScratchTop().ptr, r.ptr);
}

TEST_F(ScratchArenaTest, KeepPassesAFailureOnAfterReleasing) {
  uint16_t m = ScratchMark(-1);
  ScratchText("x");
  StrPair r = ScratchKeep(m, StrFail(kStBadData));
  EXPECT_EQ(StrError(r), kStBadData);
  EXPECT_EQ(ScratchMark(-1), m);
}

TEST_F(ScratchArenaTest, KeepManyMovesEveryResultDownInOrder) {
  uint16_t m = ScratchMark(-1);
  for (int i = 0; i < 4; ++i) ScratchText("junk");
  StrPair p1 = ScratchText("first result");
  for (int i = 0; i < 3; ++i) ScratchText("more junk");
  StrPair p2 = ScratchText("second");
  ASSERT_EQ(ScratchKeepMany(m, {&p1, &p2}), kOk);
  EXPECT_EQ(ScratchMark(-1), m + 2);
  EXPECT_EQ(S(p1), "first result");
  EXPECT_EQ(S(p2), "second");
  EXPECT_EQ(Core().arena.Top().ptr, p2.ptr);
  EXPECT_LT(p1.ptr, p2.ptr);
}

TEST_F(ScratchArenaTest, OverlongTextsAreRefusedNotWrapped) {
  std::string big(40000, 'a');
  StrPair a = ScratchText(big);
  ASSERT_TRUE(a.ok());
  EXPECT_EQ(ScratchConcat(a, a), kStStringTooLong);
  EXPECT_EQ(StrError(StrMake(big.data(), 70000)), kStStringTooLong);
  EXPECT_EQ(StrError(ScratchText(std::string(70000, 'x'))), kStStringTooLong);
}

TEST_F(ScratchArenaTest, ExtendGrowsAnEntryWithBytesFromAbove) {
  ScratchArena& a = Core().arena;
  const uint16_t m = ScratchMark(-1);
  StrPair left = ScratchText("abc");
  ScratchText("tmp");
  StrPair right = ScratchText("defgh");  // lies in what Extend releases
  StrPair grown = a.Extend(static_cast<uint16_t>(m + 1), right);
  ASSERT_TRUE(grown.ok());
  EXPECT_EQ(grown.ptr, left.ptr);
  EXPECT_EQ(grown.str(), "abcdefgh");
  EXPECT_EQ(ScratchMark(-1), m + 1);
  EXPECT_EQ(ScratchTop().str(), "abcdefgh");
  // The next entry starts after the grown one.
  EXPECT_EQ(ScratchText("z").ptr, grown.ptr + 8);
  // Too long for one text, or no entry to grow: refused.
  ScratchMark(m + 1);
  EXPECT_EQ(StrError(a.Extend(static_cast<uint16_t>(m + 1), ScratchText(std::string(65530, 'q')))),
            kStStringTooLong);
  EXPECT_FALSE(a.Extend(static_cast<uint16_t>(m + 5), StrOf("x")).ok());
}

TEST_F(ScratchArenaTest, PrependPutsBytesBeforeTheNewestEntry) {
  ScratchArena& a = Core().arena;
  const uint16_t m = ScratchMark(-1);
  StrPair below = ScratchText("xy");
  StrPair right = ScratchText("defgh");
  ASSERT_TRUE(a.Prepend(static_cast<uint16_t>(m + 2), StrOf("abc")));
  EXPECT_EQ(ScratchMark(-1), m + 2);
  EXPECT_EQ(ScratchTop().ptr, right.ptr);
  EXPECT_EQ(ScratchTop().str(), "abcdefgh");
  EXPECT_EQ(below.str(), "xy");
  EXPECT_EQ(ScratchText("z").ptr, right.ptr + 8);  // the next entry starts after the grown one
  ScratchMark(m + 2);

  // Refused, with nothing changed: not the newest entry, bytes that overlap
  // the grown entry, a text too long, or no room for the joined text as a
  // new entry (where a concatenation would fail too).
  const uint32_t top = a.top_offset();
  EXPECT_FALSE(a.Prepend(static_cast<uint16_t>(m + 1), StrOf("q")));
  EXPECT_FALSE(a.Prepend(static_cast<uint16_t>(m + 2), StrPair{right.ptr + 2, 3}));
  EXPECT_FALSE(a.Prepend(static_cast<uint16_t>(m + 2), ScratchText(std::string(65530, 'q'))));
  ScratchMark(m + 2);
  EXPECT_EQ(ScratchTop().str(), "abcdefgh");
  EXPECT_EQ(a.top_offset(), top);
  while (ScratchFreeBytes() > 1000) ASSERT_EQ(ScratchReserve(std::min(ScratchFreeBytes() - 1000, 65000u), kFillLeave), kOk);
  StrPair last = ScratchText("end");
  const std::string front(ScratchFreeBytes(), 'f');
  EXPECT_FALSE(a.Prepend(ScratchMark(-1), StrOf(front)));
  EXPECT_EQ(ScratchConcat(StrOf(front), last), kStOutOfMemory);
  EXPECT_EQ(ScratchTop().str(), "end");
}

TEST_F(ScratchArenaTest, KeepOfTheEntryAboveTheMarkLeavesItInPlace) {
  const uint16_t m = ScratchMark(-1);
  StrPair kept = ScratchText("value");
  ScratchText("more");
  StrPair again = ScratchKeep(m, kept);
  EXPECT_EQ(again.ptr, kept.ptr);
  EXPECT_EQ(again.str(), "value");
  EXPECT_EQ(ScratchMark(-1), m + 1);
  // A prefix of that entry is copied as before.
  StrPair part = ScratchKeep(m, StrPair{kept.ptr, 2});
  EXPECT_EQ(part.str(), "va");
  EXPECT_EQ(ScratchMark(-1), m + 1);
}

TEST_F(ScratchArenaTest, CheckCountsEntriesLeft) {
  EXPECT_EQ(ScratchCheck(512), kOk);
  EXPECT_EQ(ScratchCheck(513), kStOutOfMemory);
  ScratchText("a");
  EXPECT_EQ(ScratchCheck(512), kStOutOfMemory);
}

TEST(MemControlTest, LimitsApplyBeforeInitialisationOnly) {
  CoreRuntimeReset();
  EXPECT_FALSE(MemIsInitialised());
  MemSetLimits(0xFFFF, 0xFFFF);
  EXPECT_EQ(Core().mem.arena_kb, kArenaDefaultKb);
  MemSetLimits(16, 0xFFFF);
  ASSERT_EQ(DynStrInit(), kOk);
  EXPECT_TRUE(MemIsInitialised());
  EXPECT_EQ(Core().arena.capacity(), 16);
  EXPECT_EQ(MemTableInit(), kStUndefinedWarning);
  EXPECT_EQ(DynStrTerm(), kOk);
  EXPECT_FALSE(MemIsInitialised());
  CoreRuntimeReset();
}

}  // namespace
}  // namespace eng::test
