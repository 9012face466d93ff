#include "data/maint_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <filesystem>

#include "core/err_register.h"
#include "core/sys_vars.h"
#include "tests/data/maint_fixture.h"

namespace eng::test {
namespace {

using MaintCopyTest = MaintTest;

// 2024-03-05 at the given time of day (UTC, as the tests run).
void SetWritten(const std::string& name, int hour, int minute, int second, int ms, int day = 5) {
  struct tm tm = {};
  tm.tm_year = 124;
  tm.tm_mon = 2;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  struct timespec t[2];
  t[0].tv_sec = t[1].tv_sec = ::timegm(&tm);
  t[0].tv_nsec = t[1].tv_nsec = long(ms) * 1000000;
  ASSERT_EQ(::utimensat(AT_FDCWD, name.c_str(), t, 0), 0);
}

struct timespec WrittenOf(const std::string& name) {
  struct stat st;
  ::stat(name.c_str(), &st);
  return st.st_mtim;
}

TEST(MaintTimeUnitTest, TwoMinuteUnitsRoundHalfAwayFromZero) {
  const std::pair<int64_t, int64_t> cases[] = {{0, 0}, {59999, 0}, {60000, 1}, {179999, 1}, {180000, 2}};
  for (auto [ms, unit] : cases) EXPECT_EQ(MaintTimeUnit(ms), unit) << ms;
}

TEST_F(MaintCopyTest, CopyIfNewerComparesDateUnitAndSize) {
  struct Case {
    const char* what;
    int src_day, src_h, src_m, src_s, src_ms;
    size_t src_size;
    Status result;
    int16_t count, hcount;
  };
  // The target: 2024-03-05 10:00:30.000, 4 bytes (unit 300).
  const Case cases[] = {
      {"equal", 5, 10, 0, 30, 0, 4, kStUndefinedWarning, 1, 0},
      {"same unit", 5, 10, 0, 59, 999, 4, kStUndefinedWarning, 1, 0},
      {"same unit, other size", 5, 10, 0, 30, 0, 5, kOk, 0, 0},
      {"earlier unit", 5, 9, 58, 0, 0, 4, kStNoData, 0, 1},
      {"earlier date", 4, 23, 0, 0, 0, 4, kStNoData, 0, 1},
      {"later unit", 5, 10, 1, 0, 0, 4, kOk, 0, 0},
      {"later date", 6, 0, 0, 0, 0, 4, kOk, 0, 0},
  };
  for (const Case& c : cases) {
    Put("src", std::string(c.src_size, 'x'));
    Put("dst", "abcd");
    SetWritten("src", c.src_h, c.src_m, c.src_s, c.src_ms, c.src_day);
    SetWritten("dst", 10, 0, 30, 0);
    SysVarSet(kVarCount, 0);
    SysVarSet(kVarHCount, 0);
    SysVarSet(kVarAuxStat, kAuxStatCopyIfNewer);
    EXPECT_EQ(MaintCopyIfNewer(StrOf("src"), StrOf("dst")), c.result) << c.what;
    EXPECT_EQ(SysVarGet(kVarCount), c.count) << c.what;
    EXPECT_EQ(SysVarGet(kVarHCount), c.hcount) << c.what;
    // The bit clear: always copy.
    SysVarSet(kVarAuxStat, 0);
    EXPECT_EQ(MaintCopyIfNewer(StrOf("src"), StrOf("dst")), kOk) << c.what;
  }
}

TEST_F(MaintCopyTest, ChunkedCopyCallsBackPerChunkAndStopsOnAnAnswer) {
  std::string bytes(30000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 7);
  Put("src", bytes);
  std::vector<std::pair<uint64_t, uint32_t>> seen;
  EXPECT_EQ(MaintCopyRange(StrOf("src"), 0, StrOf("dst"), 0, 99999,
                           [&](uint64_t total, uint32_t chunk) {
                             seen.emplace_back(total, chunk);
                             return Status{kOk};
                           }),
            kOk);
  EXPECT_EQ(seen, (std::vector<std::pair<uint64_t, uint32_t>>{{30000, 12288}, {30000, 12288}, {30000, 5424}}));
  EXPECT_EQ(Get("dst"), bytes);
  // Offsets on both sides; a non-zero answer stops after that chunk.
  Put("dst2", std::string(10, '-'));
  int calls = 0;
  EXPECT_EQ(MaintCopyRange(StrOf("src"), 100, StrOf("dst2"), 5, 20000,
                           [&](uint64_t, uint32_t) { return ++calls == 1 ? Status{kStCancelled} : Status{kOk}; }),
            kStCancelled);
  EXPECT_EQ(Get("dst2"), std::string(5, '-') + bytes.substr(100, 12288));
  EXPECT_EQ(MaintCopyRange(StrOf("missing"), 0, StrOf("dst"), 0, 10, nullptr), kStFileNotFound);
}

TEST_F(MaintCopyTest, FileCopyKeepsTheLastWriteTimeAndMakesTheFolder) {
  Put("src", "payload");
  SetWritten("src", 8, 15, 0, 250);
  for (bool chunked : {false, true}) {
    const std::string target = chunked ? "a/b/chunked" : "a/b/whole";
    MaintCopyFn cb = chunked ? MaintCopyFn([](uint64_t, uint32_t) { return Status{kOk}; }) : MaintCopyFn();
    ASSERT_EQ(MaintCopyFile(StrOf("src"), StrOf(target), cb), kOk) << target;
    EXPECT_EQ(Get(target), "payload");
    EXPECT_EQ(WrittenOf(target).tv_sec, WrittenOf("src").tv_sec);
    EXPECT_EQ(WrittenOf(target).tv_nsec, WrittenOf("src").tv_nsec);
  }
  // A second copy with the bit set is skipped as unchanged.
  SysVarSet(kVarAuxStat, kAuxStatCopyIfNewer);
  EXPECT_EQ(MaintCopyFile(StrOf("src"), StrOf("a/b/whole"), nullptr), kStUndefinedWarning);
  SysVarSet(kVarAuxStat, 0);
  // A missing source: 164 with its name; the target stays.
  EXPECT_EQ(MaintCopyFile(StrOf("nothere"), StrOf("a/b/whole"), nullptr), kStFileNotFound);
  EXPECT_NE(S(ErrIncidentText()).find("nothere"), std::string::npos);
  EXPECT_EQ(Get("a/b/whole"), "payload");
  // A target that cannot be written (a folder in its way): the failure, nothing left beside it.
  std::filesystem::create_directories("blocked/dst");
  EXPECT_EQ(MaintCopyFile(StrOf("src"), StrOf("blocked/dst"), nullptr), kStLowFailure);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("blocked"), {}), 1);
}

}  // namespace
}  // namespace eng::test
