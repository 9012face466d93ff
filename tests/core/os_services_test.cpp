#include "core/os_services.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <utime.h>

#include <cstdlib>
#include <string>

#include "core/clock.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

using OsServicesTest = TempFolderTest;

StrPair N(const char* s) { return StrFromC(s); }

TEST_F(OsServicesTest, TimeFormat) {
  struct Case {
    int64_t ms;
    int flags;
    const char* want;
  };
  const Case cases[] = {
      {45015500, 0, "1230"},         {45015500, 1, "12:30"},    {45015500, 3, "12:30:15"},
      {45015500, 7, "12:30:15.500"}, {45015500, 5, "12:30"},    {45015500, 6, "123015.500"},
      {90000000, 1, "25:00"},        {0, 7, "00:00:00.000"},    {3723004, 7, "01:02:03.004"},
  };
  for (const Case& c : cases) EXPECT_EQ(S(SysTimeFormat(c.ms, c.flags)), c.want) << c.ms << "/" << c.flags;
}

TEST_F(OsServicesTest, TimeParse) {
  struct Case {
    const char* text;
    int64_t want;
  };
  const Case cases[] = {
      {"12:30:15.5", 45015500}, {"90", 90000},     {".05", 50},    {"1:2:3:4.5", 500},
      {"1:30", 90000},          {"0:0:1.123", 1123}, {"2:00:00", 7200000}, {"5.1239", 5123},
  };
  for (const Case& c : cases) EXPECT_EQ(SysTimeParse(N(c.text)), c.want) << c.text;
  ClockSetFixedLocal(LocalTime{2024, 3, 5, 9, 7, 0, 250});
  EXPECT_EQ(SysTimeParse(N("")), 32820250);
  EXPECT_EQ(SysTimeOfDayMs(), 32820250);
}

TEST_F(OsServicesTest, ElapsedAcrossMidnightAndTheMonotonicClock) {
  EXPECT_EQ(SysElapsedMs(86000000, 1000), 401000);
  EXPECT_EQ(SysElapsedMs(1000, 5000), 4000);
  ClockSetVirtualMonotonic(1'000'000);
  EXPECT_EQ(SysClockElapsedMs(1), 0);
  SysWaitMs(250);  // sleeps on the virtual clock
  EXPECT_EQ(SysClockElapsedMs(0), 250);
  SysWaitMs(50);
  EXPECT_EQ(SysClockElapsedMs(1), 0);
}

TEST_F(OsServicesTest, DirectoryListing) {
  Put("b.txt", "");
  Put("A.TXT", "");
  Put("c.dat", "");
  Put("noext", "");
  std::filesystem::create_directory("Sub");
  Put("Sub/KV_LANG_ES.MSJ", "");
  Put("Sub/kv_lang_en.msj", "");
  struct Case {
    const char* pattern;
    std::string want;
  };
  const Case cases[] = {
      {"*.TXT", std::string("A.TXT\0b.txt", 11)},
      {"?.dat", "c.dat"},
      {"*.*", std::string("A.TXT\0Sub\0b.txt\0c.dat\0noext", 27)},
      {"no*.*", "noext"},
      {"SUB\\kv_lang_*.msj", std::string("KV_LANG_ES.MSJ\0kv_lang_en.msj", 29)},
      {"C:sub/*_EN.*", "kv_lang_en.msj"},
  };
  for (const Case& c : cases) EXPECT_EQ(S(SysDirList(N(c.pattern))), c.want) << c.pattern;
  EXPECT_EQ(S(SysDirList(N("*.xyz"))), "<fail 164>");
  EXPECT_EQ(S(SysDirList(N("missing\\*.*"))), "<fail 164>");
  EXPECT_TRUE(SysWildMatch("a*b?c", "AxxBzC"));
  EXPECT_FALSE(SysWildMatch("a*b?c", "AxxBC"));
}

TEST_F(OsServicesTest, ProbesAndTimes) {
  Put("stamp.txt", "12345");
  std::tm tm{};
  tm.tm_year = 2024 - 1900;
  tm.tm_mon = 2;
  tm.tm_mday = 5;
  tm.tm_hour = 9;
  tm.tm_min = 7;
  struct utimbuf ub;
  ub.actime = ub.modtime = ::timegm(&tm);
  ASSERT_EQ(::utime("stamp.txt", &ub), 0);
  EXPECT_EQ(SysFileTime(N("STAMP.TXT"), 2, 0), 32820000u);
  EXPECT_EQ(SysFileTime(N("stamp.txt"), 1, 1), 20240305u);
  EXPECT_EQ(SysFileTime(N("stamp.txt"), 2, 5), 0u);
  EXPECT_EQ(SysFileTime(N("gone.txt"), 2, 0), 0u);
  // Two writes within one second still give different write times.
  struct timespec times[2] = {{::timegm(&tm), 0}, {::timegm(&tm), 123'456'789}};
  ASSERT_EQ(::utimensat(AT_FDCWD, "stamp.txt", times, 0), 0);
  EXPECT_EQ(SysFileTime(N("stamp.txt"), 2, 0), 32820123u);
  EXPECT_EQ(SysFileTime(N("stamp.txt"), 1, 0), 32820000u);
  EXPECT_EQ(SysFileSize(N("Stamp.txt")), 5u);
  EXPECT_EQ(SysFileSize(N("gone.txt")), 0u);

  SysFindRecord r;
  ASSERT_EQ(SysFileFind(N("STAMP.TXT"), &r), kOk);
  EXPECT_EQ(r.name, "stamp.txt");
  EXPECT_EQ(r.size, 5u);
  EXPECT_EQ(r.written, ub.modtime);
  EXPECT_EQ(SysFileFind(N("gone.txt"), &r), kStFileNotFound);

  std::filesystem::create_directory("dir");
  EXPECT_EQ(SysFileAttr(N("dir")), kAttrFolder);
  EXPECT_EQ(SysFileAttr(N("stamp.txt")), kAttrArchive);
  EXPECT_EQ(SysFileAttr(N("gone.txt")), kStFileNotFound);
  EXPECT_EQ(SysTimeToDayMs(-1), 0);
}

TEST_F(OsServicesTest, TemporaryNames) {
  for (int i = 0; i < 20; ++i) {
    std::string n = S(SysTempFileName(N("TMP")));
    ASSERT_GT(n.size(), 4u);
    EXPECT_EQ(n.substr(n.size() - 4), ".TMP");
    EXPECT_EQ(n.find('/'), std::string::npos);
    EXPECT_EQ(n.find('.'), n.size() - 4);
    EXPECT_FALSE(Has(n));
    std::string t = S(SysTempName());
    EXPECT_EQ(t.find('.'), std::string::npos);
    EXPECT_FALSE(Has(t));
  }
  std::filesystem::create_directory("tmpdir");
  std::string n = S(SysTempFileName(N("dat"), N("tmpdir")));
  EXPECT_FALSE(Has("tmpdir/" + n));
}

TEST_F(OsServicesTest, FoldersAndCurrentFolder) {
  std::string here = S(SysCurrentDir());
  EXPECT_EQ(here, std::filesystem::current_path().string());
  EXPECT_EQ(SysMakeDir(N("NewDir")), kOk);
  EXPECT_EQ(SysMakeDir(N("newdir")), kStLowFailure);
  EXPECT_EQ(SysMakeDir(N("a\\b\\c")), kStLowFailure);
  EXPECT_EQ(SysChangeDir(N("NEWDIR")), kOk);
  EXPECT_EQ(S(SysCurrentDir()), here + "/NewDir");
  EXPECT_EQ(SysChangeDir(N("..")), kOk);
  EXPECT_EQ(SysChangeDir(N("missing")), kStLowFailure);
  EXPECT_EQ(SysChangeDir(StrOf(std::string("a\0b", 3))), kStLowFailure);
  EXPECT_EQ(S(SysCurrentDir()), here);
}

// Sets environment variables for one test and restores them afterwards.
class EnvGuard {
 public:
  void Set(const char* n, const char* v) {
    Save(n);
    ::setenv(n, v, 1);
  }
  void Unset(const char* n) {
    Save(n);
    ::unsetenv(n);
  }
  ~EnvGuard() {
    for (auto& [n, v] : saved_) {
      if (v.first)
        ::setenv(n.c_str(), v.second.c_str(), 1);
      else
        ::unsetenv(n.c_str());
    }
  }

 private:
  void Save(const char* n) {
    for (auto& s : saved_)
      if (s.first == n) return;
    const char* v = std::getenv(n);
    saved_.push_back({n, {v != nullptr, v ? v : ""}});
  }
  std::vector<std::pair<std::string, std::pair<bool, std::string>>> saved_;
};

TEST_F(OsServicesTest, Environment) {
  EnvGuard g;
  g.Set("ENG_TEST_Var", "one");
  g.Unset("ENG_TEST_VAR");
  g.Set("ENG_TEST_TWICE", "a");
  g.Set("eng_test_twice", "b");
  g.Set("eng_test_dup", "c");
  g.Set("ENG_TEST_Dup", "d");
  EXPECT_EQ(S(SysGetEnv(N("ENG_TEST_Var"))), "one");
  EXPECT_EQ(S(SysGetEnv(N("eng_test_var"))), "one");
  EXPECT_EQ(S(SysGetEnv(N("ENG_TEST_TWICE"))), "a");
  EXPECT_EQ(S(SysGetEnv(N("Eng_Test_Dup"))), "");  // two case-insensitive matches
  EXPECT_EQ(S(SysGetEnv(N(""))), "");
  EXPECT_EQ(S(SysGetEnv(N("ENG_TEST_UNSET"))), "");

  for (const char* n : {"TEMP", "Temp", "USERPROFILE", "HOMEPATH", "APPDATA", "SystemRoot", "SYSTEMROOT"}) g.Unset(n);
  g.Set("TMPDIR", "/var/tmp");
  g.Set("HOME", "/home/u");
  g.Unset("XDG_CONFIG_HOME");
  EXPECT_EQ(S(SysGetEnv(N("TEMP"))), "/var/tmp");
  EXPECT_EQ(S(SysGetEnv(N("temp"))), "/var/tmp");
  EXPECT_EQ(S(SysGetEnv(N("USERPROFILE"))), "/home/u");
  EXPECT_EQ(S(SysGetEnv(N("HOMEPATH"))), "/home/u");
  EXPECT_EQ(S(SysGetEnv(N("APPDATA"))), "/home/u/.config");
  EXPECT_EQ(S(SysGetEnv(N("SystemRoot"))), "");
  g.Unset("TMPDIR");
  g.Set("XDG_CONFIG_HOME", "/cfg");
  EXPECT_EQ(S(SysGetEnv(N("TEMP"))), "/tmp");
  EXPECT_EQ(S(SysGetEnv(N("APPDATA"))), "/cfg");
  g.Set("TEMP", "C:\\TEMP");
  EXPECT_EQ(S(SysGetEnv(N("TEMP"))), "C:\\TEMP");
}

}  // namespace
}  // namespace eng::test
