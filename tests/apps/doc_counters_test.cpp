// AUTONUM over the counters file, and DocSer$: the numbers and series codes
// of invoices.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "core/clock.h"
#include "data/dict_query.h"
#include "tests/apps/inv_fixture.h"
#include "tests/support/data_fixture.h"

namespace eng::test {
namespace {

namespace fs = std::filesystem;

const std::string kFile = "TRCOUNT.DAT";

class DocCountersTest : public InvFnTest {
 protected:
  static std::string Page(const std::string& names) {
    return names + std::string(4094 - names.size(), ' ') + "\r\n";
  }
  static std::string Block() { return std::string(4094, ' ') + "\r\n"; }
};

TEST_F(DocCountersTest, ReadingNeverWritesAndAStoreLaysOutPageAndSlots) {
  EXPECT_EQ(Eval("AUTONUM('F24')").text, "1");
  EXPECT_FALSE(fs::exists(kFile)) << "reading writes nothing";
  ASSERT_EQ(Eval("AUTONUM('F24';7)").status, kOk);
  std::string want = Page("_F24") + "       7" + Block().substr(8);
  EXPECT_EQ(Get(kFile), want);
  EXPECT_EQ(Eval("AUTONUM('F24')").text, "8");
  EXPECT_EQ(Eval("AUTONUM(' F24  ')").text, "8") << "the name is trimmed";
  // A second counter: the next slot; 7.9 stores its integer part.
  ASSERT_EQ(Eval("AUTONUM('A24';12.9)").status, kOk);
  want = Page("_F24,_A24") + "       7" + "      12" + Block().substr(16);
  EXPECT_EQ(Get(kFile), want);
  EXPECT_EQ(Eval("AUTONUM('A24';0)").text, "13") << "a value of 0 reads";
  std::set<std::string> files;
  for (const auto& e : fs::directory_iterator(dir_)) files.insert(e.path().filename().string());
  EXPECT_EQ(files, (std::set<std::string>{kFile, kFile + ".LCK"})) << "no leftovers beside the file";
}

TEST_F(DocCountersTest, SlotsBeyondTheFirstBlockGrowTheFile) {
  // A file of 511 counters, as another program left it.
  std::string names;
  for (int i = 1; i <= 511; ++i) names += (i > 1 ? ",_C" : "_C") + std::to_string(i);
  Put(kFile, Page(names) + Block());
  ASSERT_EQ(Eval("AUTONUM('C512';512)").status, kOk);
  ASSERT_EQ(Get(kFile).size(), 2u * 4096) << "slot 512 lies inside the first value block";
  ASSERT_EQ(Eval("AUTONUM('C513';513)").status, kOk);
  std::string file = Get(kFile);
  ASSERT_EQ(file.size(), 3u * 4096);
  EXPECT_EQ(file.substr(0, 4096), Page(names + ",_C512,_C513"));
  // Slot 512 covers the CR LF of the first value block; slot 513 opens the next block.
  EXPECT_EQ(file.substr(4096 + 511 * 8, 8), "     512");
  EXPECT_EQ(file.substr(8192, 8), "     513");
  EXPECT_EQ(file.substr(8200), Block().substr(8));
  EXPECT_EQ(Eval("AUTONUM('C512')").text, "513");
  EXPECT_EQ(Eval("AUTONUM('C513')").text, "514");
  EXPECT_EQ(Eval("AUTONUM('C2')").text, "1") << "a slot never written reads as blanks";
}

TEST_F(DocCountersTest, TheSameNameUnderAnotherCurrentFileIsAnotherCounter) {
  CopyDataFixture(dir_);
  ASSERT_EQ(LoadDataFixture(), kOk);
  DictSelectFile(fx::kClientes);
  ASSERT_EQ(Eval("AUTONUM('N';5)").status, kOk);
  DictSelectFile(fx::kMovs);
  EXPECT_EQ(Eval("AUTONUM('N')").text, "1");
  ASSERT_EQ(Eval("AUTONUM('N';9)").status, kOk);
  DictSelectFile(fx::kClientes);
  EXPECT_EQ(Eval("AUTONUM('N')").text, "6");
  std::string page = Get(kFile).substr(0, 4094);
  EXPECT_EQ(page.substr(0, page.find(' ')), std::string(DictFileName(fx::kClientes).view()) + "_N," +
                                                std::string(DictFileName(fx::kMovs).view()) + "_N");
}

TEST_F(DocCountersTest, RefusedNamesAndValuesLeaveTheFileAsItWas) {
  ASSERT_EQ(Eval("AUTONUM('F24';3)").status, kOk);
  const std::string before = Get(kFile);
  struct Case {
    const char* call;
    Status status;
  };
  const Case cases[] = {
      {"AUTONUM('A,B';5)", kStDataError},  // would be stored over the names page
      {"AUTONUM('A,B')", kStDataError},
      {"AUTONUM('  ';5)", kStDataError},
      {"AUTONUM('')", kStDataError},
      {"AUTONUM('F24';100000000)", kStDataOutBound},  // nine digits do not fit a slot
      {"AUTONUM('F24';-2)", kStDataOutBound},
      {"AUTONUM('F24';'4')", kStSyntax},
      {"AUTONUM(24;4)", kStSyntax},
      {"AUTONUM()", kStSyntax},
      {"AUTONUM('F24';1;2)", kStSyntax},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Eval(c.call).status, c.status) << c.call;
    EXPECT_EQ(Get(kFile), before) << c.call;
  }
  ASSERT_EQ(Eval("AUTONUM('F24';99999999)").status, kOk);
  EXPECT_EQ(Eval("AUTONUM('F24')").text, "100000000");
}

TEST_F(DocCountersTest, TheNamesPageTakesUpTo4094Characters) {
  // One key of 4094 characters ("_" and the name) fills the page exactly.
  const std::string name(4093, 'N');
  ASSERT_EQ(Eval("AUTONUM('" + name + "';1)").status, kOk);
  const std::string before = Get(kFile);
  EXPECT_EQ(before.substr(0, 4096), "_" + name + "\r\n");
  EXPECT_EQ(Eval("AUTONUM('Z';1)").status, kStDataOutBound);
  EXPECT_EQ(Get(kFile), before);
  fs::remove(kFile);
  EXPECT_EQ(Eval("AUTONUM('" + name + "N';1)").status, kStDataOutBound);
  EXPECT_FALSE(fs::exists(kFile));
}

TEST_F(DocCountersTest, WithCcoTheFileLiesInTheDataFolder) {
  fs::create_directories(dir_ / "docs");
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kDocsFolder, StrOf((dir_ / "docs").string())), kOk);
  ASSERT_EQ(Run("CCO=1"), kOk);
  EXPECT_EQ(Eval("AUTONUM('F24')").text, "1");
  EXPECT_EQ(Eval("AUTONUM('F24';4)").status, kStFileIo) << "no data folder to write in";
  fs::create_directories(dir_ / "data");
  ASSERT_EQ(Eval("AUTONUM('F24';4)").status, kOk);
  EXPECT_TRUE(fs::exists(dir_ / "data" / kFile));
  EXPECT_FALSE(fs::exists(kFile));
  ASSERT_EQ(Run("CCO=0"), kOk);
  EXPECT_EQ(Eval("AUTONUM('F24')").text, "1") << "the current folder's file";
}

TEST_F(DocCountersTest, AStoreAfterAnotherProgramTookTheNumberIsRefused) {
  EXPECT_EQ(Eval("AUTONUM('F24')").text, "1");
  // Another program takes number 1 meanwhile.
  Put(kFile, Page("_F24") + "       1" + Block().substr(8));
  const std::string before = Get(kFile);
  EXPECT_EQ(Eval("AUTONUM('F24';1)").status, kStDataExists);
  EXPECT_EQ(Get(kFile), before);
  EXPECT_EQ(Eval("AUTONUM('F24';1)").status, kStDataExists) << "until read again";
  EXPECT_EQ(Eval("AUTONUM('F24')").text, "2");
  EXPECT_EQ(Eval("AUTONUM('F24';2)").status, kOk);
  // A counter set without reading it first is set as given.
  EXPECT_EQ(Eval("AUTONUM('A24';40)").status, kOk);
  EXPECT_EQ(Eval("AUTONUM('A24')").text, "41");
}

// Two processes take 1,000 numbers each from one series at once: read the
// next number, store it, and read again when the other was quicker.
TEST_F(DocCountersTest, TwoProgramsNumberingAtOnceNeverTakeTheSameNumber) {
  // A folder in memory when there is one: the test is about the lock, not the disk.
  fs::path shared = fs::exists("/dev/shm") ? fs::path("/dev/shm") / dir_.filename() : dir_ / "shared";
  fs::create_directories(shared);
  struct Remove {
    fs::path folder;
    ~Remove() {
      std::error_code ec;
      fs::remove_all(folder, ec);
    }
  } remove{shared};
  fs::current_path(shared);
  constexpr int kEach = 1000;
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = ::fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      std::ofstream out("taken" + std::to_string(c) + ".txt");
      for (int i = 0; i < kEach; ++i) {
        for (int tries = 0;; ++tries) {
          EvalResult next = Eval("AUTONUM('F24')");
          if (next.status != 0 || tries > 100000) ::_exit(2);
          std::string n = next.text;
          Status s = Eval("AUTONUM('F24';" + n + ")").status;
          if (s == kOk) {
            out << n << "\n";
            break;
          }
          if (s != kStDataExists) ::_exit(3);
        }
      }
      out.close();
      ::_exit(0);
    }
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  std::set<std::string> taken;
  size_t lines = 0;
  for (int c = 0; c < 2; ++c) {
    std::ifstream in(shared / ("taken" + std::to_string(c) + ".txt"));
    for (std::string line; std::getline(in, line); ++lines) taken.insert(line);
  }
  EXPECT_EQ(lines, 2u * kEach);
  EXPECT_EQ(taken.size(), 2u * kEach) << "every number taken once";
  truvesca::AutoNumReset();
  EXPECT_EQ(Eval("AUTONUM('F24')").text, "2001");
  fs::current_path(dir_);
}

TEST_F(DocCountersTest, SeriesCodesFromTheSeriesLetterAndTheYear) {
  ClockSetFixedLocal(LocalTime{2024, 3, 15});
  struct Case {
    const char* call;
    const char* code;
  };
  const Case plain[] = {
      {"DocSer$('F';'')", "F24"},       {"DocSer$('F';'20051231')", "F05"},
      {"DocSer$('Abono';'20240115  ')", "A24"}, {"DocSer$('';'20240115')", "24"},
      {"DocSer$('F';'202')", "F2"},      {"DocSer$('F';'2')", "F"},
  };
  for (const Case& c : plain) EXPECT_EQ(Eval(c.call).text, c.code) << c.call;
  SysVarSet(kVarCompat, 0x800);
  const Case letters[] = {
      {"DocSer$('F';'20051231')", "FA5"},
      {"DocSer$('F';'20121231')", "FB2"},
      {"DocSer$('F';'')", "F24"},
  };
  for (const Case& c : letters) EXPECT_EQ(Eval(c.call).text, c.code) << c.call;
  ExpectRefused({{"DocSer$('F';20240115)", kStSyntax}, {"DocSer$('F')", kStSyntax}});
}

}  // namespace
}  // namespace eng::test
