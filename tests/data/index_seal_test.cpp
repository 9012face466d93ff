// The index seal as a clean-close mark: it is written only once both files
// are on the disk and the clock has moved on from the record file's last
// change, it comes down before the records' first change, and a writer
// killed at any point of its changes or of its close leaves a file whose
// next open finds every record by every key.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <vector>

#include "data/index_seal.h"
#include "tests/data/data_file_fixture.h"

namespace eng::test::datafile {
namespace {

int64_t g_clock_ns = 0;
int64_t TestClock() { return g_clock_ns; }

int64_t ChangeTimeOf(const std::string& name) {
  struct stat st;
  if (::stat(name.c_str(), &st) != 0) return -1;
  return int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
}

class IndexSealTest : public DataFileTest {
 protected:
  void TearDown() override {
    IndexSealSetClock(nullptr);
    DataFileTest::TearDown();
  }
  static std::string CodeOf(int i) {
    char code[16];
    std::snprintf(code, sizeof code, "K%04d", i);
    return code;
  }
  static bool Sealed() {
    char buf[128];
    return ::getxattr("clientes.DIR", "user.ixseal", buf, sizeof buf) > 0;
  }
  // The seal's clock set well past the record file's last change, so that
  // a close seals whenever the rest allows it.
  static void ClockPastTheRecords() {
    g_clock_ns = ChangeTimeOf("clientes.FD") + int64_t(2) * 1000000000;
    IndexSealSetClock(&TestClock);
  }
  // 200 records, names cycling over 9 values; closed and sealed. Skips the
  // test where the file system keeps no tags.
  void BuildSealed() {
    {
      DataFileStore f;
      ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
      for (int i = 0; i < 200; ++i) ASSERT_EQ(f.Add(Rec(CodeOf(199 - i), "n" + std::to_string(i % 9)), 1, nullptr), kOk);
      ASSERT_EQ(f.Records().Sync(), true);
      ClockPastTheRecords();
      ASSERT_EQ(f.Close(), kOk);
    }
    if (!Sealed()) GTEST_SKIP() << "no tags kept by this file system";
  }
  // The live records on disk, sorted, against a walk of key 1 and a locate
  // by key 2 of each.
  void ExpectWholeIndex(DataFileStore& f) {
    std::string all = Get("clientes.FD");
    std::vector<std::string> live;
    for (size_t at = 0; at + 40 <= all.size(); at += 40)
      if (all[at] != kRecordDeleted) live.push_back(all.substr(at, 40));
    std::sort(live.begin(), live.end());
    std::vector<std::string> walked;
    std::string out;
    for (NdxResult r = f.Move(1, kNdxFirst, &out); r.position == kNdxFound; r = f.Move(1, kNdxNext, &out))
      walked.push_back(out);
    EXPECT_EQ(walked, live);
    for (const std::string& rec : live) {
      NdxResult r = f.Index().Seek(2, rec.substr(10, 20));
      EXPECT_EQ(r.position, kNdxFound) << rec;
    }
    EXPECT_EQ(f.Index().Check(), kOk);
  }
};

// Reading leaves the seal; each kind of change takes it down before it is
// made, in an exclusive open and in a shared one, and a clean close puts it
// back.
TEST_F(IndexSealTest, TheFirstChangeTakesTheSealDown) {
  BuildSealed();
  struct Case {
    const char* what;
    uint8_t flags;
    int op;  // 0 add, 1 rewrite keeping the keys, 2 rewrite moving key 2, 3 delete
  };
  const Case cases[] = {
      {"add", kOpenExclusive, 0},          {"rewrite in place", kOpenExclusive, 1},
      {"rewrite moving a key", kOpenExclusive, 2}, {"delete", kOpenExclusive, 3},
      {"shared add", 0, 0},                {"shared rewrite in place", 0, 1},
  };
  int added = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(Sealed());
    DataFileStore f;
    ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), c.flags), kOk);
    EXPECT_FALSE(f.IndexRebuilt());
    std::string out;
    NdxResult r = f.Locate(1, CodeOf(50), &out);
    ASSERT_EQ(r.position, kNdxFound);
    EXPECT_TRUE(Sealed()) << "a locate changes nothing";
    Status s = kOk;
    if (c.op == 0) s = f.Add(Rec(CodeOf(1000 + added++), "new"), 1, nullptr);
    if (c.op == 1) s = f.Rewrite(r.recno, out.substr(0, 30) + Pad("C" + std::to_string(added++), 10), 1);
    if (c.op == 2) s = f.Rewrite(r.recno, out.substr(0, 10) + Pad("moved" + std::to_string(added++), 20) + out.substr(30), 1);
    if (c.op == 3) s = f.Delete(r.recno, 1);
    ASSERT_EQ(s, kOk);
    EXPECT_FALSE(Sealed());
    ExpectWholeIndex(f);
    ClockPastTheRecords();
    ASSERT_EQ(f.Close(), kOk);
    if (c.op == 3) {  // the deleted record back, for the next cases
      ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
      ASSERT_EQ(f.Add(Rec(CodeOf(50), "back"), 1, nullptr), kOk);
      ClockPastTheRecords();
      ASSERT_EQ(f.Close(), kOk);
    }
    if (c.flags & kOpenExclusive) {
      EXPECT_TRUE(Sealed()) << "a clean close seals";
    } else {
      // A shared open never seals: an exclusive one does after its check.
      ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
      EXPECT_FALSE(f.IndexRebuilt());
      ClockPastTheRecords();
      ASSERT_EQ(f.Close(), kOk);
    }
  }
}

// A close whose record file changed within the clock's present step leaves
// no seal (a change later in that step might not move the change time);
// the next open checks the index, and its close seals once the clock moved.
TEST_F(IndexSealTest, NoSealWhileTheRecordFileChangedThisTick) {
  BuildSealed();
  DataFileStore f;
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
  ASSERT_EQ(f.Add(Rec(CodeOf(500), "late"), 1, nullptr), kOk);
  ASSERT_TRUE(f.Records().Sync());
  g_clock_ns = ChangeTimeOf("clientes.FD");
  IndexSealSetClock(&TestClock);
  ASSERT_EQ(f.Close(), kOk);
  EXPECT_FALSE(Sealed());

  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
  EXPECT_FALSE(f.IndexRebuilt());
  ExpectWholeIndex(f);
  ClockPastTheRecords();
  ASSERT_EQ(f.Close(), kOk);
  EXPECT_TRUE(Sealed());
}

// A child opens the sealed file exclusively, adds, rewrites (moving key 2
// and keeping it), deletes, reports them done, goes on to a given point of
// its close and is killed there. Whatever the point, the next open finds
// every live record by both keys, holding the child's changes; where the
// index on disk did not reach the changes, it is rebuilt.
TEST_F(IndexSealTest, AWriterKilledAtEachPointOfItsCloseLeavesAWholeFile) {
  BuildSealed();
  enum Point { kAfterChanges, kAfterRecordsSynced, kAfterIndexSaved, kAfterClose };
  const struct {
    Point point;
    bool rebuilt;  // the next open rebuilds the index
  } cases[] = {
      {kAfterChanges, true}, {kAfterRecordsSynced, true}, {kAfterIndexSaved, false}, {kAfterClose, false}};
  const std::string built_records = Get("clientes.FD"), built_index = Get("clientes.DIR");
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.point));
    // Each round from the same sealed file.
    Put("clientes.FD", built_records);
    Put("clientes.DIR", built_index);
    ClockPastTheRecords();
    {
      DataFileStore f;
      ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
      ASSERT_EQ(f.Close(), kOk);
    }
    ASSERT_TRUE(Sealed());
    ::unlink("clientes.lock");
    int pipefd[2];
    ASSERT_EQ(::pipe(pipefd), 0);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(pipefd[0]);
      DataFileStore f;
      if (f.Open(Names(), TwoKeyLayout(), kOpenExclusive) != kOk) ::_exit(1);
      std::string out;
      bool ok = f.Add(Rec(CodeOf(900), "added"), 1, nullptr) == kOk;
      NdxResult r = f.Locate(1, CodeOf(10), &out);
      ok = ok && r.position == kNdxFound && f.Rewrite(r.recno, Rec(CodeOf(10), "moved"), 1) == kOk;
      r = f.Locate(1, CodeOf(11), &out);
      ok = ok && r.position == kNdxFound && f.Rewrite(r.recno, out.substr(0, 30) + Pad("CITY", 10), 1) == kOk;
      r = f.Locate(1, CodeOf(12), &out);
      ok = ok && r.position == kNdxFound && f.Delete(r.recno, 1) == kOk;
      if (ok && c.point >= kAfterRecordsSynced) ok = f.Records().Sync();
      if (ok && c.point >= kAfterIndexSaved) ok = f.Index().Save(true) == kOk;
      if (ok && c.point >= kAfterClose) ok = f.Close() == kOk;
      const char done = ok ? 'y' : 'n';
      if (::write(pipefd[1], &done, 1) != 1) ::_exit(3);
      ::kill(::getpid(), SIGKILL);
      ::_exit(4);
    }
    ::close(pipefd[1]);
    char done = 0;
    ASSERT_EQ(::read(pipefd[0], &done, 1), 1);
    ::close(pipefd[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_EQ(done, 'y');

    ::unlink("clientes.lock");
    DataFileStore f;
    ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
    EXPECT_EQ(f.IndexRebuilt(), c.rebuilt);
    ExpectWholeIndex(f);
    std::string out;
    EXPECT_EQ(f.Locate(1, CodeOf(900), &out).position, kNdxFound);
    EXPECT_EQ(f.Locate(1, CodeOf(10), &out).position, kNdxFound);
    EXPECT_EQ(out, Rec(CodeOf(10), "moved"));
    EXPECT_EQ(f.Index().Seek(2, Pad("moved", 20)).position, kNdxFound);
    EXPECT_EQ(f.Locate(1, CodeOf(11), &out).position, kNdxFound);
    EXPECT_EQ(out.substr(30), Pad("CITY", 10));
    EXPECT_NE(f.Locate(1, CodeOf(12), &out).position, kNdxFound);
    ASSERT_EQ(f.Close(), kOk);
  }
}

}  // namespace
}  // namespace eng::test::datafile
