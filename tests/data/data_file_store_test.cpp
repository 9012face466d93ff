// The data file on disk: damaged indexes rebuilt from the record file, bad
// input refused without loss, exclusive opens against other processes, and
// processes killed in the middle of writing.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <set>

#include "core/err_register.h"
#include "core/sys_vars.h"
#include "data/data_file_path.h"
#include "data/lock_marker.h"
#include "data/record_tail.h"
#include "tests/data/data_file_fixture.h"

namespace eng::test::datafile {
namespace {

class DataFileStoreTest : public DataFileTest {
 protected:
  // A file of `n` records (codes R000.., names cycling over five values),
  // every seventh deleted, closed with its index saved.
  void Build(int n) {
    DataFileStore f;
    ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), 0), kOk);
    for (int i = 0; i < n; ++i) {
      char code[16];
      std::snprintf(code, sizeof code, "R%03d", (i * 37) % n);
      ASSERT_EQ(f.Add(Rec(code, "name" + std::to_string(i % 5)), 1, nullptr), kOk);
    }
    for (int r = 0; r < n; r += 7) ASSERT_EQ(f.Delete(r, 1), kOk);
    ASSERT_EQ(f.Close(), kOk);
  }
  // Runs `child` in a child process, which reports each completed step by
  // writing its number to the descriptor it gets; kills it with SIGKILL
  // `delay_us` after the report of step kill_after - 1 and waits for it.
  // The last step reported (-1: none), or -2 when the child was not killed
  // (it ended by itself) or reported fewer steps.
  static int32_t RunAndKill(int kill_after, int delay_us, const std::function<void(int)>& child) {
    int pipefd[2];
    if (::pipe(pipefd) != 0) return -2;
    pid_t pid = ::fork();
    if (pid < 0) return -2;
    if (pid == 0) {
      ::close(pipefd[0]);
      child(pipefd[1]);
      ::_exit(9);
    }
    ::close(pipefd[1]);
    int32_t last = -1, got;
    while (last + 1 < kill_after && ::read(pipefd[0], &got, sizeof got) == sizeof got) last = got;
    ::usleep(useconds_t(delay_us));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(pipefd[0]);
    return WIFSIGNALED(status) && last + 1 == kill_after ? last : -2;
  }
  // Every live record of the record file is found by both keys.
  void ExpectAllFound(DataFileStore& f) {
    std::string all = Get("clientes.FD");
    int live = 0;
    for (size_t r = 0; r * 40 + 40 <= all.size(); ++r) {
      std::string rec = all.substr(r * 40, 40);
      if (rec[0] == kRecordDeleted) continue;
      ++live;
      std::string out;
      NdxResult res = f.Locate(1, Code(rec), &out);
      EXPECT_EQ(res.position, kNdxFound) << r;
      EXPECT_EQ(out, rec) << r;
      EXPECT_EQ(f.Index().Seek(2, rec.substr(10, 20)).position, kNdxFound) << r;
      EXPECT_LT(f.Index().PositionOf(2, int32_t(r)), uint32_t(f.Index().LiveCount())) << r;
    }
    EXPECT_EQ(f.Index().LiveCount(), live);
    EXPECT_EQ(f.Index().Check(), kOk);
  }
};

std::string Le32(int32_t v) {
  std::string s(4, '\0');
  std::memcpy(s.data(), &v, 4);
  return s;
}

TEST_F(DataFileStoreTest, DamagedIndexIsRebuiltFromTheRecordFile) {
  Build(60);
  const std::string good = Get("clientes.DIR");
  const std::string records = Get("clientes.FD");
  ASSERT_GT(good.size(), 8u);
  std::string swapped = good;  // two entries of key array 1 exchanged: unsorted
  size_t a1 = 8 + 4 * 9;       // 60 records, 9 deleted
  std::swap_ranges(swapped.begin() + a1, swapped.begin() + a1 + 4, swapped.begin() + a1 + 4);
  std::string beyond = good;  // a number at or above the record count
  std::memcpy(beyond.data() + a1, Le32(60).data(), 4);
  std::string twice = good;  // one record twice, another missing
  std::memcpy(twice.data() + a1, twice.data() + a1 + 4, 4);
  std::string live_free = good;  // a live record on the free list
  std::memcpy(live_free.data() + 8, Le32(1).data(), 4);
  struct Case {
    const char* what;
    bool present;
    std::string bytes;
  } cases[] = {
      {"missing", false, ""},
      {"empty", true, ""},
      {"short of its counts", true, good.substr(0, good.size() - 4)},
      {"four bytes", true, good.substr(0, 4)},
      {"stale counts", true, Le32(0) + Le32(3) + good.substr(8)},
      {"negative count", true, Le32(-1) + good.substr(4)},
      {"unsorted", true, swapped},
      {"number beyond the file", true, beyond},
      {"record twice", true, twice},
      {"live record freed", true, live_free},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.present) Put("clientes.DIR", c.bytes);
    else std::remove("clientes.DIR");
    DataFileStore f;
    ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenReadOnly), kOk);
    EXPECT_TRUE(f.IndexRebuilt());
    ExpectAllFound(f);
    EXPECT_EQ(f.Index().FreeCount(), 9);
    ASSERT_EQ(f.Close(), kOk);
    EXPECT_EQ(Get("clientes.FD"), records) << "the record file is never touched";
    // The rebuilt index was saved and opens as it is.
    ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), 0), kOk);
    EXPECT_FALSE(f.IndexRebuilt());
    ASSERT_EQ(f.Close(), kOk);
  }
  // The rebuilt index holds the arrays the kept one held (records with equal
  // names were added in record order), and the same free numbers.
  std::remove("clientes.DIR");
  DataFileStore f;
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), 0), kOk);
  ASSERT_EQ(f.Close(), kOk);
  std::string rebuilt = Get("clientes.DIR");
  ASSERT_EQ(rebuilt.size(), good.size());
  EXPECT_EQ(rebuilt.substr(0, 8), good.substr(0, 8));
  EXPECT_EQ(rebuilt.substr(a1), good.substr(a1)) << "key arrays";
  std::multiset<std::string> free_kept, free_rebuilt;
  for (size_t i = 8; i < a1; i += 4) {
    free_kept.insert(good.substr(i, 4));
    free_rebuilt.insert(rebuilt.substr(i, 4));
  }
  EXPECT_EQ(free_kept, free_rebuilt);
}

TEST_F(DataFileStoreTest, RecordFileReadsAndTornTail) {
  Build(10);  // records 0 and 7 deleted
  DataFileStore f;
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), 0), kOk);
  std::string out(40, ' ');
  int64_t found = -1;
  EXPECT_EQ(f.Records().ReadLive(0, 0, out.data(), &found), kOk);
  EXPECT_EQ(found, 1) << "record 0 is deleted";
  EXPECT_EQ(f.Records().ReadLive(6, 0x10, out.data(), &found), kOk);
  EXPECT_EQ(found, 8) << "from 7 on, 7 deleted";
  EXPECT_EQ(f.Records().ReadLive(9, 0x10, out.data(), &found), kStEndOfData);
  EXPECT_EQ(f.Records().ReadRecNo(10, out.data()), kStRead);
  ASSERT_EQ(f.Close(), kOk);

  // A torn last record (a write cut short) fails the open, naming the file,
  // for every kind of open; nothing is written.
  std::string recs = Get("clientes.FD");
  const std::string index = Get("clientes.DIR");
  Put("clientes.FD", recs + "TORN");
  for (uint8_t flags : {uint8_t(0), uint8_t(kOpenReadOnly), uint8_t(kOpenExclusive), uint8_t(kOpenNoIndex)}) {
    SCOPED_TRACE(int(flags));
    ErrSetLast(2, 0, 0, 0);
    EXPECT_EQ(f.Open(Names(), TwoKeyLayout(), flags), kStDiskIo);
    EXPECT_EQ(ErrLastCode(), kStDiskIo);
    EXPECT_EQ(ErrLastModule(), kModDataFile);
    EXPECT_EQ(ErrIncidentText().str(), "clientes.FD");
    EXPECT_FALSE(f.IsOpen());
    EXPECT_FALSE(Has("clientes.lock"));
  }
  EXPECT_EQ(Get("clientes.FD"), recs + "TORN");
  EXPECT_EQ(Get("clientes.DIR"), index);

  // The repair moves the tail beside the file and keeps every whole record;
  // a second torn tail goes to a side file of its own.
  std::string side;
  ASSERT_EQ(RecordTailMoveAt("clientes.FD", 40, &side), kOk);
  EXPECT_EQ(side, "clientes.FD.tail");
  EXPECT_EQ(Get("clientes.FD.tail"), "TORN");
  EXPECT_EQ(Get("clientes.FD"), recs);
  ASSERT_EQ(RecordTailMoveAt("clientes.FD", 40, &side), kOk);
  EXPECT_EQ(side, "") << "nothing to move";
  Put("clientes.FD", recs + "AGAIN");
  ASSERT_EQ(RecordTailMoveAt("clientes.FD", 40, &side), kOk);
  EXPECT_EQ(side, "clientes.FD.tail1");
  EXPECT_EQ(Get("clientes.FD.tail1"), "AGAIN");
  EXPECT_EQ(Get("clientes.FD.tail"), "TORN");
  EXPECT_EQ(RecordTailMoveAt("missing.FD", 40, &side), kStFileNotFound);

  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), 0), kOk);
  EXPECT_FALSE(f.IndexRebuilt());
  ExpectAllFound(f);
  // The free list comes first (7, then 0), then the end of the file.
  int64_t r;
  ASSERT_EQ(f.Add(Rec("N1"), 1, &r), kOk);
  EXPECT_EQ(r, 7);
  ASSERT_EQ(f.Add(Rec("N2"), 1, &r), kOk);
  EXPECT_EQ(r, 0);
  ASSERT_EQ(f.Add(Rec("N3"), 1, &r), kOk);
  EXPECT_EQ(r, 10);
  // The file is held: the repair is refused while it is open.
  EXPECT_EQ(RecordTailMoveAt("clientes.FD", 40, &side), kStPermission);
  ASSERT_EQ(f.Close(), kOk);
  EXPECT_EQ(Get("clientes.FD").size(), 11u * 40);
  EXPECT_EQ(Get("clientes.FD").substr(400), Rec("N3"));
}

// A file cut off in the middle of a record, whose index still lists the
// whole records and the cut one: refused, then the repair and the index
// rebuild keep every whole record and the tail.
TEST_F(DataFileStoreTest, CutOffRecordFileIsRepairedByTheRebuild) {
  Build(30);
  std::string recs = Get("clientes.FD");
  Put("clientes.FD", recs.substr(0, 40 * 29 + 23));
  DataFileStore f;
  EXPECT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kStDiskIo);
  std::string side;
  ASSERT_EQ(RecordTailMoveAt("clientes.FD", 40, &side), kOk);
  EXPECT_EQ(Get(side), recs.substr(40 * 29, 23));
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
  EXPECT_TRUE(f.IndexRebuilt()) << "the index named the cut record";
  ASSERT_EQ(f.Index().Rebuild(), kOk);
  ExpectAllFound(f);
  EXPECT_EQ(f.Index().LiveCount() + f.Index().FreeCount(), 29);
  ASSERT_EQ(f.Close(), kOk);
  EXPECT_EQ(Get("clientes.FD"), recs.substr(0, 40 * 29));
}

TEST_F(DataFileStoreTest, StaleFreeNumberNeverOverwritesALiveRecord) {
  Build(10);
  // An index whose free list names live record 3 and a number past the end,
  // but whose counts still add up, would fail the check; so plant the stale
  // numbers in memory, as another process's writes would leave them.
  DataFileStore f;
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), 0), kOk);
  std::string before = Get("clientes.FD");
  const_cast<std::vector<int32_t>&>(f.Index().FreeList()).push_back(3);
  const_cast<std::vector<int32_t>&>(f.Index().FreeList()).push_back(99);
  EXPECT_EQ(f.Index().PeekNewRecNo(), 7);
  int64_t r;
  ASSERT_EQ(f.Add(Rec("NEW"), 1, &r), kOk);
  EXPECT_EQ(r, 7) << "3 is live and 99 beyond the file: both dropped";
  EXPECT_EQ(Get("clientes.FD").substr(3 * 40, 40), before.substr(3 * 40, 40));
  ASSERT_EQ(f.Close(), kOk);
}

TEST_F(DataFileStoreTest, BadInputIsRefusedAndLosesNothing) {
  Build(10);
  const std::string recs = Get("clientes.FD"), index = Get("clientes.DIR");
  DataFileStore f;
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), 0), kOk);
  std::string esc = Rec("ESC");
  esc[0] = kRecordDeleted;
  struct Case {
    const char* what;
    Status (*op)(DataFileStore&, const std::string&);
    std::string record;
    Status expected;
  } cases[] = {
      {"add, record longer than its layout", [](DataFileStore& s, const std::string& x) { return s.Add(x, 1, nullptr); },
       Rec("LONG") + "X", kStDataOutBound},
      {"add, record shorter", [](DataFileStore& s, const std::string& x) { return s.Add(x, 1, nullptr); },
       "SHORT", kStDataOutBound},
      {"add, key starting with ESC", [](DataFileStore& s, const std::string& x) { return s.Add(x, 1, nullptr); },
       esc, kStDataError},
      {"rewrite, longer", [](DataFileStore& s, const std::string& x) { return s.Rewrite(1, x, 1); },
       Rec("LONG") + "X", kStDataOutBound},
      {"rewrite, ESC", [](DataFileStore& s, const std::string& x) { return s.Rewrite(1, x, 1); }, esc,
       kStDataError},
      {"rewrite of a deleted record", [](DataFileStore& s, const std::string& x) { return s.Rewrite(7, x, 1); },
       Rec("X"), kStIndexCmd},
      {"rewrite past the end", [](DataFileStore& s, const std::string& x) { return s.Rewrite(10, x, 1); },
       Rec("X"), kStIndexCmd},
      {"delete of a deleted record", [](DataFileStore& s, const std::string&) { return s.Delete(0, 1); }, "",
       kStIndexCmd},
      {"delete past the end", [](DataFileStore& s, const std::string&) { return s.Delete(-1, 1); }, "",
       kStIndexCmd},
  };
  std::string before = f.Index().Serialize();
  for (const Case& c : cases) {
    EXPECT_EQ(c.op(f, c.record), c.expected) << c.what;
    EXPECT_EQ(Get("clientes.FD"), recs) << c.what;
    EXPECT_EQ(f.Index().Serialize(), before) << c.what;
  }
  ASSERT_EQ(f.Close(), kOk);
  EXPECT_EQ(Get("clientes.DIR"), index);

  // A read-only open cannot write: 137, and nothing changes.
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenReadOnly), kOk);
  ErrSetLast(2, 0, 0, 0);
  EXPECT_EQ(f.Add(Rec("RO"), 1, nullptr), kStWrite);
  EXPECT_EQ(ErrLastCode(), kStWrite);
  EXPECT_EQ(ErrLastModule(), kModDataFile);
  EXPECT_EQ(f.Rewrite(1, Rec("RO"), 1), kStWrite);
  EXPECT_EQ(f.Delete(1, 1), kStWrite);
  EXPECT_EQ(f.Index().Serialize(), before);
  ASSERT_EQ(f.Close(), kOk);
  EXPECT_EQ(Get("clientes.FD"), recs);
  EXPECT_EQ(Get("clientes.DIR"), index);

  // A layout whose key leaves the record.
  DataFileLayout bad = TwoKeyLayout();
  bad.keys[1].parts[0] = {30, 20};
  EXPECT_EQ(f.Open(Names(), bad, 0), kStDataOutBound);
}

TEST_F(DataFileStoreTest, OpenWithoutIndexReadsInRecordOrderOnly) {
  Build(10);
  const std::string index = Get("clientes.DIR");
  DataFileStore f;
  std::string out;
  EXPECT_EQ(f.Locate(1, "R", &out).error, kStFileNotInit) << "closed";
  EXPECT_EQ(f.Add(Rec("X"), 1, nullptr), kStFileNotInit);
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenNoIndex), kOk);
  EXPECT_EQ(f.Locate(1, "R", &out).error, kStNotAvailable);
  EXPECT_EQ(f.Move(1, kNdxFirst, &out).error, kStNotAvailable);
  EXPECT_EQ(f.Add(Rec("X"), 1, nullptr), kStNotAvailable);
  EXPECT_EQ(f.Delete(1, 1), kStNotAvailable);
  int64_t r = -1;
  std::vector<int64_t> seen;
  out.resize(40);
  for (Status s = f.Records().ReadLive(0, 0, out.data(), &r); s == kOk;
       s = f.Records().ReadLive(r, kReadLiveNext, out.data(), &r))
    seen.push_back(r);
  EXPECT_EQ(seen, (std::vector<int64_t>{1, 2, 3, 4, 5, 6, 8, 9}));
  ASSERT_EQ(f.Close(), kOk);
  EXPECT_EQ(Get("clientes.DIR"), index);
}

TEST_F(DataFileStoreTest, IndexThatCannotBeReadOrWritten) {
  Build(5);
  const std::string recs = Get("clientes.FD");
  // An index that cannot be opened: 130 under module 18, nothing left behind.
  std::remove("clientes.DIR");
  std::filesystem::create_directory("clientes.DIR");
  DataFileStore f;
  ErrSetLast(2, 0, 0, 0);
  EXPECT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kStDiskIo);
  EXPECT_EQ(ErrLastCode(), kStDiskIo);
  EXPECT_EQ(ErrLastModule(), kModDataFile);
  EXPECT_FALSE(Has("clientes.lock")) << "the failed open removed its marker";
  EXPECT_FALSE(f.IsOpen());
  std::filesystem::remove("clientes.DIR");

  // A save that cannot write: 130, and the records stay as they were.
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), 0), kOk);
  ASSERT_TRUE(f.IndexRebuilt());
  std::filesystem::remove("clientes.DIR");
  std::filesystem::create_directory("clientes.DIR");
  EXPECT_EQ(f.Close(), kStDiskIo);
  EXPECT_EQ(Get("clientes.FD"), recs);
  std::filesystem::remove("clientes.DIR");
}

TEST_F(DataFileStoreTest, ReadOnlyOpenCreatesAMissingFile) {
  DataFileStore f;
  ASSERT_EQ(f.Open(Names("nuevo"), TwoKeyLayout(), kOpenReadOnly), kOk);
  EXPECT_TRUE(Has("nuevo.FD"));
  EXPECT_TRUE(Has("nuevo.DIR"));
  std::string out;
  EXPECT_EQ(f.Move(1, kNdxFirst, &out).position, kNdxPastEnd);
  ASSERT_EQ(f.Close(), kOk);
  // A folder that does not exist: the record file cannot be made.
  ErrSetLast(2, 0, 0, 0);
  EXPECT_EQ(f.Open(DataFileNames{"nofolder/x.FD", "nofolder/x.DIR", "x"}, TwoKeyLayout(), 0), kStLowFailure);
  EXPECT_EQ(ErrLastCode(), kStFileNotFound);
  EXPECT_FALSE(Has("x.lock"));
}

TEST_F(DataFileStoreTest, LockMarkerInThisProcess) {
  Build(3);
  DataFileStore a, b;
  ASSERT_EQ(a.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
  EXPECT_EQ(Get("clientes.lock"), " ");
  EXPECT_EQ(b.Open(Names(), TwoKeyLayout(), kOpenExclusive), kStPermission);
  EXPECT_EQ(b.Open(Names(), TwoKeyLayout(), 0), kStPermission) << "the advisory lock keeps shared opens off";
  EXPECT_TRUE(Has("clientes.lock")) << "a refused open leaves the other's marker";
  ASSERT_EQ(a.Close(), kOk);
  EXPECT_FALSE(Has("clientes.lock"));

  // A marker left behind (a process that died) refuses exclusive opens only.
  Put("clientes.lock", " ");
  EXPECT_EQ(a.Open(Names(), TwoKeyLayout(), kOpenExclusive), kStPermission);
  ASSERT_EQ(a.Open(Names(), TwoKeyLayout(), 0), kOk);
  ASSERT_EQ(a.Close(), kOk);
  EXPECT_TRUE(Has("clientes.lock")) << "close removes only the marker its own open wrote";
  std::remove("clientes.lock");

  // A shared open keeps exclusive opens off, and writes no marker.
  ASSERT_EQ(a.Open(Names(), TwoKeyLayout(), 0), kOk);
  EXPECT_EQ(b.Open(Names(), TwoKeyLayout(), kOpenExclusive), kStPermission);
  EXPECT_FALSE(Has("clientes.lock")) << "the failed exclusive open removed the marker it wrote";
  ASSERT_EQ(a.Close(), kOk);
}

// A child process holds the file; the parent's opens are refused and lose
// nothing.
TEST_F(DataFileStoreTest, FileOpenedExclusivelyByAnotherProcess) {
  Build(20);
  const std::string recs = Get("clientes.FD"), index = Get("clientes.DIR");
  for (uint8_t child_flags : {uint8_t(kOpenExclusive), uint8_t(0)}) {
    SCOPED_TRACE(int(child_flags));
    int ready[2], done[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(done), 0);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      DataFileStore f;
      char c = f.Open(Names(), TwoKeyLayout(), child_flags) == kOk ? 'y' : 'n';
      (void)!::write(ready[1], &c, 1);
      (void)!::read(done[0], &c, 1);
      f.Close();
      ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    DataFileStore f;
    EXPECT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kStPermission);
    if (child_flags == kOpenExclusive) {
      EXPECT_EQ(f.Open(Names(), TwoKeyLayout(), 0), kStPermission);
      EXPECT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenReadOnly), kStPermission);
      EXPECT_TRUE(Has("clientes.lock"));
    } else {
      ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenReadOnly), kOk) << "shared opens admit each other";
      ASSERT_EQ(f.Close(), kOk);
    }
    EXPECT_EQ(Get("clientes.FD"), recs);
    EXPECT_EQ(Get("clientes.DIR"), index);
    (void)!::write(done[1], "x", 1);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    for (int fd : {ready[0], ready[1], done[0], done[1]}) ::close(fd);
    EXPECT_FALSE(Has("clientes.lock"));
    ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk) << "free again once the other closed";
    ASSERT_EQ(f.Close(), kOk);
  }
}

// A child adds and rewrites records and reports each completed one; the
// parent kills it at a random moment (fixed seed). The file then opens with
// every reported record present, found by both keys. Odd rounds hold the file
// exclusively: the marker the dead process left then refuses exclusive opens
// until it is removed, and shared opens read the file.
TEST_F(DataFileStoreTest, ProcessKilledWhileWritingLosesNoCompletedRecord) {
  std::mt19937 rng(20261210);
  int rebuilt = 0;
  for (int round = 0; round < 8; ++round) {
    SCOPED_TRACE(round);
    const int kill_after = 20 + int(rng() % 400);
    const int delay_us = int(rng() % 400);
    const uint8_t child_flags = round % 2 ? uint8_t(kOpenExclusive) : uint8_t(0);
    const int32_t last = RunAndKill(kill_after, delay_us, [&](int report) {
      DataFileStore f;
      if (f.Open(Names(), TwoKeyLayout(), child_flags) != kOk) ::_exit(1);
      for (int32_t i = 0;; ++i) {
        char code[16];
        std::snprintf(code, sizeof code, "%d-%06d", round, (i * 7919) % 1000003);
        int64_t r;
        if (f.Add(Rec(code, "n" + std::to_string(i % 13)), 1, &r) != kOk) ::_exit(2);
        if (i % 4 == 3) {  // rewrite the previous record's name (key 2 moves)
          std::string rec;
          if (f.Read(r, &rec) != kOk) ::_exit(3);
          rec.replace(10, 20, Pad("rw" + std::to_string(i), 20));
          if (f.Rewrite(r, rec, 1) != kOk) ::_exit(4);
        }
        if (::write(report, &i, sizeof i) != sizeof i) ::_exit(5);
      }
    });
    ASSERT_EQ(last + 1, kill_after) << "the child was not killed, or stopped early";

    DataFileStore f;
    if (child_flags) {
      EXPECT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kStPermission);
      std::remove("clientes.lock");
    }
    ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), 0), kOk);
    rebuilt += f.IndexRebuilt();
    for (int32_t i = 0; i <= last; ++i) {
      char code[16];
      std::snprintf(code, sizeof code, "%d-%06d", round, (i * 7919) % 1000003);
      std::string out;
      ASSERT_EQ(f.Locate(1, Pad(code, 10), &out).position, kNdxFound) << code;
      std::string name = i % 4 == 3 ? "rw" + std::to_string(i) : "n" + std::to_string(i % 13);
      EXPECT_EQ(out.substr(10, 20), Pad(name, 20)) << code;
    }
    ExpectAllFound(f);
    ASSERT_EQ(f.Close(), kOk);
  }
  EXPECT_GT(rebuilt, 0) << "the index on disk lagged behind the records in some round";
}

// Records already in the file, rewritten again and again by an open that
// holds the file exclusively (the stretch they lie in is changed through a
// writable mapping): every rewrite and deletion is in the file the moment
// the call returns, as another reader of the file sees it, and the file
// reopens with all of them.
TEST_F(DataFileStoreTest, RewritesByTheSoleWriterReachTheFileAtOnce) {
  Build(4000);  // 160,000 bytes: a few stretches of rewrites
  DataFileStore f;
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
  std::string expect = Get("clientes.FD");
  std::mt19937 rng(20261211);
  for (int i = 0; i < 600; ++i) {
    const int64_t r = int64_t(rng() % 4000);
    std::string rec = expect.substr(size_t(r) * 40, 40);
    if (rec[0] == kRecordDeleted) continue;
    if (i % 50 == 49) {
      ASSERT_EQ(f.Delete(r, 1), kOk) << i;
      expect[size_t(r) * 40] = kRecordDeleted;
    } else {
      rec.replace(10, 20, Pad("rw" + std::to_string(i), 20));
      ASSERT_EQ(f.Rewrite(r, rec, 1), kOk) << i;
      expect.replace(size_t(r) * 40, 40, rec);
    }
    if (i % 10 == 0 || i > 580) ASSERT_EQ(Get("clientes.FD"), expect) << i;
  }
  ExpectAllFound(f);
  ASSERT_EQ(f.Close(), kOk);
  EXPECT_EQ(Get("clientes.FD"), expect);
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
  ExpectAllFound(f);
  ASSERT_EQ(f.Close(), kOk);
}

// Rewrites by an open that holds the file exclusively, spread over the whole
// file, each changing one of: the CITY only (no key moves), the CODE (key 1
// moves), the NAME (key 2 moves), or both. After each kind the file holds
// every rewrite, and every record is found by both keys through an index
// that agrees with the file; the file reopens with them, its index taken as
// saved.
TEST_F(DataFileStoreTest, RewritesByTheSoleWriterMoveExactlyTheKeysThatChanged) {
  constexpr int kCount = 4000;
  Build(kCount);
  struct Case {
    const char* what;
    bool code, name;
  };
  const Case cases[] = {{"city only", false, false}, {"code", true, false}, {"name", false, true}, {"both", true, true}};
  DataFileStore f;
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
  std::string expect = Get("clientes.FD");
  for (size_t c = 0; c < std::size(cases); ++c) {
    SCOPED_TRACE(cases[c].what);
    const std::vector<int32_t> key1 = ArrayOf(f.Index(), 1), key2 = ArrayOf(f.Index(), 2);
    for (int32_t r = int32_t(c); r < kCount; r += 13) {
      std::string rec = expect.substr(size_t(r) * 40, 40);
      if (rec[0] == kRecordDeleted) continue;
      if (cases[c].code) rec.replace(0, 10, Pad("C" + std::to_string(c) + "-" + std::to_string(r), 10));
      if (cases[c].name) rec.replace(10, 20, Pad("n" + std::to_string(c) + "-" + std::to_string(r % 11), 20));
      rec.replace(30, 10, Pad("city" + std::to_string(c), 10));
      ASSERT_EQ(f.Rewrite(r, rec, 1), kOk) << r;
      ASSERT_EQ(f.Index().Current(1), r) << "the cursor rests on the rewritten record";
      expect.replace(size_t(r) * 40, 40, rec);
    }
    ASSERT_EQ(Get("clientes.FD"), expect);
    if (!cases[c].code) EXPECT_EQ(ArrayOf(f.Index(), 1), key1) << "key 1 moved without a change";
    if (!cases[c].name) EXPECT_EQ(ArrayOf(f.Index(), 2), key2) << "key 2 moved without a change";
    ExpectAllFound(f);
  }
  ASSERT_EQ(f.Close(), kOk);
  EXPECT_EQ(Get("clientes.FD"), expect);
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
  EXPECT_FALSE(f.IndexRebuilt());
  ExpectAllFound(f);
  ASSERT_EQ(f.Close(), kOk);
}

// A child holding the file exclusively rewrites records already in it (each
// once, in random order, its name changing so that key 2 moves) and reports
// each completed rewrite; the parent kills it at a random moment (fixed
// seed). The file then opens with every reported rewrite present, every
// other record as it was or as rewritten, and an index that agrees with it.
TEST_F(DataFileStoreTest, ProcessKilledWhileRewritingLosesNoCompletedRewrite) {
  constexpr int kCount = 6000;
  Build(kCount);
  std::mt19937 rng(20261212);
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE(round);
    const std::string before = Get("clientes.FD");
    std::vector<int32_t> order;
    for (int32_t r = 0; r < kCount; ++r)
      if (before[size_t(r) * 40] != kRecordDeleted) order.push_back(r);
    std::shuffle(order.begin(), order.end(), rng);
    auto rewritten = [&](int32_t r) {
      std::string rec = before.substr(size_t(r) * 40, 40);
      rec.replace(10, 20, Pad("k" + std::to_string(round) + "-" + std::to_string(r % 97), 20));
      rec.replace(30, 10, Pad("c" + std::to_string(round), 10));
      return rec;
    };
    const int kill_after = std::min(10 + int(rng() % 3000), int(order.size()));
    const int delay_us = int(rng() % 300);
    const int32_t last = RunAndKill(kill_after, delay_us, [&](int report) {
      DataFileStore f;
      if (f.Open(Names(), TwoKeyLayout(), kOpenExclusive) != kOk) ::_exit(1);
      for (int32_t i = 0;; ++i) {
        if (size_t(i) == order.size()) {
          ::pause();  // every record rewritten: wait for the kill
          continue;
        }
        if (f.Rewrite(order[size_t(i)], rewritten(order[size_t(i)]), 1) != kOk) ::_exit(2);
        if (::write(report, &i, sizeof i) != sizeof i) ::_exit(3);
      }
    });
    ASSERT_EQ(last + 1, kill_after) << "the child was not killed, or stopped early";
    std::remove("clientes.lock");

    const std::string after = Get("clientes.FD");
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < order.size(); ++i) {
      const int32_t r = order[i];
      const std::string now = after.substr(size_t(r) * 40, 40);
      if (int32_t(i) <= last) ASSERT_EQ(now, rewritten(r)) << "reported rewrite " << i << " of record " << r;
      else ASSERT_TRUE(now == rewritten(r) || now == before.substr(size_t(r) * 40, 40)) << r;
    }
    for (int32_t r = 0; r < kCount; ++r)
      if (before[size_t(r) * 40] == kRecordDeleted) ASSERT_EQ(after[size_t(r) * 40], kRecordDeleted) << r;
    DataFileStore f;
    ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
    ExpectAllFound(f);
    ASSERT_EQ(f.Close(), kOk);
  }
}

TEST_F(DataFileStoreTest, FileNames) {
  struct Case {
    int kind;
    int16_t compat;
    const char* name;
    const char* expected;
  } cases[] = {
      {1, 0, "clientes", "clientes"},
      {2, 0, "clientes", "DATA/clientes.FD"},
      {3, 0, "clientes", "DATA/clientes.DIR"},
      {3, 2, "clientes", "DATA/clientes.NDX"},
      {4, 0, "clientes", "DATA/clientes.NDX"},
      {5, 0, "clientes", "DATA/clientes.TMP"},
      {6, 0, "clientes", "DATA/clientes.TXT"},
      {2, 8, "proveedores", "DATA/proveedo.FD"},
      {3, 10, "proveedores", "DATA/proveedo.NDX"},
      {1, 8, "proveedores", "proveedores"},
      {0, 0, "clientes", ""},
      {8, 0, "clientes", ""},
  };
  for (const Case& c : cases) {
    SysVarSet(kVarCompat, c.compat);
    EXPECT_EQ(DataFilePathOf("DATA", c.name, c.kind), c.expected) << c.kind << " " << c.compat;
  }
  EXPECT_EQ(DataFilePathOf("", "clientes", 2), "clientes.FD");
  EXPECT_EQ(DataFilePathOf("C:\\DATA\\", "clientes", 2), "C:\\DATA\\clientes.FD");
  EXPECT_EQ(LockMarkerName("proveedores"), "proveedores.lock") << "the marker is never cut";
  SysVarSet(kVarCompat, 0);

  // Kind 7: a fresh name in the TEMP folder, absent from it.
  ::setenv("TEMP", dir_.c_str(), 1);
  std::string a = DataFilePathOf("DATA", "clientes", 7), b = DataFilePathOf("DATA", "clientes", 7);
  ::unsetenv("TEMP");
  EXPECT_EQ(a.rfind(dir_.string() + "/", 0), 0u) << a;
  EXPECT_NE(a, b);
  EXPECT_FALSE(Has(a));
}

}  // namespace
}  // namespace eng::test::datafile
