// The data file's fast paths against what they must keep: appends written
// through the mapping into room made ahead of them (visible at once, cut
// back at sync and close, never lost to a killed process), the key bytes
// kept in memory (the arrays against a model through long random runs, keys
// longer than the kept bytes included), and the seal that lets an open skip
// the index check (never hiding a change to either file).
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "tests/data/data_file_fixture.h"

namespace eng::test::datafile {
namespace {

class DataFileBatchTest : public DataFileTest {
 protected:
  static std::string CodeOf(int i) {
    char code[16];
    std::snprintf(code, sizeof code, "C%07d", i);
    return code;
  }
  // The live records of the record file on disk, in file order.
  std::vector<std::string> LiveOnDisk(size_t length) {
    std::string all = Get("clientes.FD");
    std::vector<std::string> live;
    for (size_t at = 0; at + length <= all.size(); at += length)
      if (all[at] != kRecordDeleted) live.push_back(all.substr(at, length));
    return live;
  }
};

// Appends cross more than one batch of room (made up to a 2 MiB boundary of
// the file, whole 40-byte records short of it): each is found by both keys
// and walked before any sync; the file on disk holds whole records with
// deleted ones past the last written, and sync and close cut those off.
TEST_F(DataFileBatchTest, AppendsAreVisibleAtOnceAndTheRoomIsCutAtSyncAndClose) {
  constexpr int kCount = 56000;
  DataFileStore f;
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
  for (int i = 0; i < kCount; ++i) {
    int64_t r = -1;
    ASSERT_EQ(f.Add(Rec(CodeOf((i * 7919) % kCount), "n" + std::to_string(i % 17)), 1, &r), kOk);
    ASSERT_EQ(r, i);
    std::string out;
    ASSERT_EQ(f.Locate(1, CodeOf((i * 7919) % kCount), &out).position, kNdxFound) << i;
  }
  const std::string disk = Get("clientes.FD");
  ASSERT_EQ(disk.size() % 40, 0u);
  ASSERT_GT(disk.size(), size_t(kCount) * 40) << "room is made ahead of the appends";
  for (size_t at = size_t(kCount) * 40; at < disk.size(); at += 40) ASSERT_EQ(disk[at], kRecordDeleted) << at;
  EXPECT_EQ(disk.substr(0, 40), Rec(CodeOf(0), "n0")) << "written records are in the file at once";
  EXPECT_EQ(f.Records().Count(), kCount) << "the room is not counted";
  std::string out;
  EXPECT_EQ(f.Read(kCount, &out), kStRead) << "nor read";

  int walked = 0;
  for (NdxResult r = f.Move(2, kNdxFirst, &out); r.position == kNdxFound; r = f.Move(2, kNdxNext, &out)) ++walked;
  EXPECT_EQ(walked, kCount);

  ASSERT_TRUE(f.Records().Sync());
  EXPECT_EQ(Get("clientes.FD").size(), size_t(kCount) * 40) << "sync cuts the room";
  ASSERT_EQ(f.Add(Rec("LAST", "z"), 1, nullptr), kOk);
  ASSERT_EQ(f.Close(), kOk);
  EXPECT_EQ(Get("clientes.FD").size(), size_t(kCount + 1) * 40) << "close cuts the room";

  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
  EXPECT_FALSE(f.IndexRebuilt());
  EXPECT_EQ(f.Index().LiveCount(), kCount + 1);
  EXPECT_EQ(f.Index().Check(), kOk);
  ASSERT_EQ(f.Close(), kOk);
}

// A long seeded run of adds, rewrites and deletes against a model: after
// every step the located record and, at intervals, both keys' whole order
// agree with it, held exclusively and opened shared, across reopens. Key 2
// is 80 bytes (more than the bytes kept in memory) and many values share
// their first 70, so the search must fall back to the records.
TEST_F(DataFileBatchTest, ArraysFollowAModelThroughRandomChanges) {
  DataFileLayout layout;
  layout.record_length = 100;
  KeyLayout code;
  code.count = 1;
  code.parts[0] = {0, 10};
  KeyLayout longer;
  longer.count = 2;
  longer.parts[0] = {10, 80};
  longer.parts[1] = {0, 10};  // unique, so the model orders it
  layout.keys = {code, longer};
  auto make = [](const std::string& c, int variant) {
    std::string rec = Pad(c, 10) + std::string(70, 'P') + Pad("v" + std::to_string(variant), 10);
    return Pad(rec, 100);
  };
  auto key2 = [](const std::string& rec) { return rec.substr(10, 80) + rec.substr(0, 10); };

  for (uint8_t flags : {uint8_t(kOpenExclusive), uint8_t(0)}) {
    SCOPED_TRACE(int(flags));
    std::remove("clientes.FD");
    std::remove("clientes.DIR");
    std::mt19937 rng(77 + flags);
    std::map<std::string, std::string> model;        // code -> record
    std::map<std::string, int64_t> recno;             // code -> record number
    DataFileStore f;
    ASSERT_EQ(f.Open(Names(), layout, flags), kOk);
    auto check_orders = [&] {
      std::vector<std::string> want1, want2, got1, got2;
      for (auto& [c, rec] : model) want1.push_back(rec);
      want2 = want1;
      std::sort(want2.begin(), want2.end(), [&](auto& a, auto& b) { return key2(a) < key2(b); });
      std::string out;
      for (NdxResult r = f.Move(1, kNdxFirst, &out); r.position == kNdxFound; r = f.Move(1, kNdxNext, &out))
        got1.push_back(out);
      for (NdxResult r = f.Move(2, kNdxFirst, &out); r.position == kNdxFound; r = f.Move(2, kNdxNext, &out))
        got2.push_back(out);
      EXPECT_EQ(got1, want1);
      EXPECT_EQ(got2, want2);
      EXPECT_EQ(f.Index().Check(), kOk);
    };
    for (int step = 0; step < 3000; ++step) {
      const int op = int(rng() % 10);
      const std::string c = Pad(CodeOf(int(rng() % 600)), 10);
      const int variant = int(rng() % 40);
      auto it = model.find(c);
      if (it == model.end() || op < 4) {
        if (it != model.end()) continue;
        int64_t r = -1;
        ASSERT_EQ(f.Add(make(c, variant), 1, &r), kOk) << step;
        model[c] = make(c, variant);
        recno[c] = r;
      } else if (op < 7) {
        ASSERT_EQ(f.Rewrite(recno[c], make(c, variant), 2), kOk) << step;
        model[c] = make(c, variant);
      } else {
        ASSERT_EQ(f.Delete(recno[c], 1), kOk) << step;
        model.erase(c);
        recno.erase(c);
      }
      // The changed (or any) value is found by its whole second key.
      if (!model.empty()) {
        const std::string& rec = model.begin()->second;
        std::string out;
        NdxResult r = f.Locate(2, key2(rec), &out);
        ASSERT_EQ(r.position, kNdxFound) << step;
        ASSERT_EQ(out, rec) << step;
      }
      if (step % 500 == 499) {
        check_orders();
        ASSERT_EQ(f.Close(), kOk);
        ASSERT_EQ(f.Open(Names(), layout, flags), kOk);
        EXPECT_FALSE(f.IndexRebuilt()) << step;
      }
    }
    check_orders();
    ASSERT_EQ(f.Close(), kOk);
  }
}

// The seal spares a clean file the check, and never hides a change: a key
// changed in the record file, or index bytes changed, after the close.
TEST_F(DataFileBatchTest, ASealedIndexStillMeetsChangesMadeBehindItsBack) {
  auto build = [&] {
    DataFileStore f;
    ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
    for (int i = 0; i < 300; ++i) ASSERT_EQ(f.Add(Rec(CodeOf(299 - i), "n" + std::to_string(i % 7)), 1, nullptr), kOk);
    ASSERT_EQ(f.Close(), kOk);
  };
  build();
  // A seal needs the clock past the record file's last change; a change
  // made after that moves the file's change time.
  auto change_time = [] {
    struct stat st;
    return ::stat("clientes.FD", &st) == 0 ? int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec : -1;
  };
  auto coarse_now = [] {
    timespec t;
    ::clock_gettime(CLOCK_REALTIME_COARSE, &t);
    return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
  };
  const int64_t changed = change_time();
  const int64_t step = changed % 1000000000 == 0 ? 1000000000 : 1;
  for (int i = 0; i < 3000 && coarse_now() < changed + step; ++i) ::usleep(1000);
  {
    DataFileStore f;
    ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
    EXPECT_FALSE(f.IndexRebuilt());
    std::string out;
    EXPECT_EQ(f.Locate(1, CodeOf(5), &out).position, kNdxFound);
    ASSERT_EQ(f.Close(), kOk);
  }
  char tag[128];
  if (::getxattr("clientes.DIR", "user.ixseal", tag, sizeof tag) <= 0) GTEST_SKIP() << "no tags kept here";

  // Record 0 (C0000299) gets a code that sorts first, in place.
  std::string recs = Get("clientes.FD");
  recs.replace(0, 10, Pad("A", 10));
  Put("clientes.FD", recs);
  {
    DataFileStore f;
    ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
    EXPECT_TRUE(f.IndexRebuilt()) << "a record changed behind the sealed index";
    std::string out;
    NdxResult r = f.Move(1, kNdxFirst, &out);
    EXPECT_EQ(r.recno, 0);
    EXPECT_EQ(out.substr(0, 10), Pad("A", 10));
    ASSERT_EQ(f.Close(), kOk);
  }

  // The first two entries of key array 1 swapped in the index file.
  std::string index = Get("clientes.DIR");
  ASSERT_GE(index.size(), 16u);
  std::string a = index.substr(8, 4), b = index.substr(12, 4);
  index.replace(8, 4, b);
  index.replace(12, 4, a);
  Put("clientes.DIR", index);
  DataFileStore f;
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
  EXPECT_TRUE(f.IndexRebuilt()) << "index bytes changed behind their seal";
  EXPECT_EQ(f.Index().Check(), kOk);
  ASSERT_EQ(f.Close(), kOk);
}

// Record files opened again take up the mapping the last close left: what
// they read is still what the file holds now, whatever happened between
// the opens (another open's rewrite, the file replaced by another under its
// name), and the close let go of its locks, for this process and others.
TEST_F(DataFileBatchTest, AReopenedFileReadsWhatIsOnDiskNow) {
  DataFileStore f;
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
  for (int i = 0; i < 300; ++i) ASSERT_EQ(f.Add(Rec(CodeOf(i), "first"), 1, nullptr), kOk);
  ASSERT_EQ(f.Close(), kOk);
  std::string out;

  // Read, closed; rewritten by another open; read again.
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), 0), kOk);
  NdxResult r = f.Locate(1, CodeOf(7), &out);
  ASSERT_EQ(r.position, kNdxFound);
  ASSERT_EQ(f.Close(), kOk);
  {
    DataFileStore other;
    ASSERT_EQ(other.Open(Names(), TwoKeyLayout(), 0), kOk);
    ASSERT_EQ(other.Rewrite(r.recno, Rec(CodeOf(7), "second"), 1), kOk);
    ASSERT_EQ(other.Close(), kOk);
  }
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), 0), kOk);
  ASSERT_EQ(f.Locate(1, CodeOf(7), &out).position, kNdxFound);
  EXPECT_EQ(out, Rec(CodeOf(7), "second"));
  ASSERT_EQ(f.Close(), kOk);

  // Another file put under the name (a new file renamed over the old one,
  // as a restore does): its records, not the old file's.
  std::string other_records;
  for (int i = 0; i < 50; ++i) other_records += Rec(CodeOf(1000 + i), "other");
  Put("fresh.FD", other_records);
  ASSERT_EQ(std::rename("fresh.FD", "clientes.FD"), 0);
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
  EXPECT_TRUE(f.IndexRebuilt());
  EXPECT_EQ(f.Index().LiveCount(), 50);
  EXPECT_NE(f.Locate(1, CodeOf(7), &out).position, kNdxFound);
  ASSERT_EQ(f.Locate(1, CodeOf(1010), &out).position, kNdxFound);
  EXPECT_EQ(out, Rec(CodeOf(1010), "other"));
  ASSERT_EQ(f.Close(), kOk);

  // Closed: held by nobody, in this process or another.
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
  ASSERT_EQ(f.Close(), kOk);
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    DataFileStore child;
    ::_exit(child.Open(Names(), TwoKeyLayout(), kOpenExclusive) == kOk && child.Close() == kOk ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// A child holding the file exclusively runs a seeded sequence of adds,
// rewrites and deletes, reporting each completed one; the parent kills it at
// a random moment. The file then opens, consistent, holding exactly the live
// records the model has after the steps reported, or after one more (the
// step done when the kill came, before its report).
TEST_F(DataFileBatchTest, AKilledWriterLosesNoReportedChange) {
  struct Step {
    int op;  // 0 add, 1 rewrite, 2 delete
    std::string code;
    std::string name;
  };
  std::mt19937 rng(4242);
  std::vector<Step> steps;
  {
    std::set<std::string> live;
    while (steps.size() < 6000) {
      std::string c = CodeOf(int(rng() % 3000));
      std::string name = "m" + std::to_string(rng() % 50);
      int op = live.count(c) ? (rng() % 3 ? 1 : 2) : 0;
      if (op == 2) live.erase(c);
      else live.insert(c);
      steps.push_back({op, c, name});
    }
  }
  // The live records after the first n steps, sorted.
  auto model_after = [&](size_t n) {
    std::map<std::string, std::string> m;
    for (size_t i = 0; i < n && i < steps.size(); ++i) {
      if (steps[i].op == 2) m.erase(steps[i].code);
      else m[steps[i].code] = Rec(steps[i].code, steps[i].name);
    }
    std::vector<std::string> v;
    for (auto& [c, rec] : m) v.push_back(rec);
    return v;
  };

  std::mt19937 timing(99);
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    std::remove("clientes.FD");
    std::remove("clientes.DIR");
    std::remove("clientes.lock");
    const int kill_after = 200 + int(timing() % 4000);
    int pipefd[2];
    ASSERT_EQ(::pipe(pipefd), 0);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(pipefd[0]);
      DataFileStore f;
      if (f.Open(Names(), TwoKeyLayout(), kOpenExclusive) != kOk) ::_exit(1);
      std::map<std::string, int64_t> where;
      for (int32_t i = 0; i < int32_t(steps.size()); ++i) {
        const Step& s = steps[size_t(i)];
        Status st;
        if (s.op == 0) {
          int64_t r = -1;
          st = f.Add(Rec(s.code, s.name), 1, &r);
          where[s.code] = r;
        } else if (s.op == 1) {
          st = f.Rewrite(where[s.code], Rec(s.code, s.name), 1);
        } else {
          st = f.Delete(where[s.code], 1);
          where.erase(s.code);
        }
        if (st != kOk) ::_exit(2);
        if (::write(pipefd[1], &i, sizeof i) != sizeof i) ::_exit(3);
      }
      for (;;) ::pause();  // done before the kill came: wait for it
    }
    ::close(pipefd[1]);
    int32_t last = -1, got;
    while (last + 1 < kill_after && ::read(pipefd[0], &got, sizeof got) == sizeof got) last = got;
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself: " << status;
    ASSERT_EQ(last + 1, kill_after);
    // The child may have gone on past the kill's trigger: its last report.
    while (::read(pipefd[0], &got, sizeof got) == sizeof got) last = got;
    ::close(pipefd[0]);
    const size_t reported = size_t(last) + 1;

    std::remove("clientes.lock");
    DataFileStore f;
    ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
    EXPECT_EQ(f.Index().Check(), kOk);
    std::vector<std::string> walked;
    std::string out;
    for (NdxResult r = f.Move(1, kNdxFirst, &out); r.position == kNdxFound; r = f.Move(1, kNdxNext, &out))
      walked.push_back(out);
    std::vector<std::string> on_disk = LiveOnDisk(40);
    std::sort(on_disk.begin(), on_disk.end());
    EXPECT_EQ(walked, on_disk) << "the index lists exactly the live records";
    const std::vector<std::string> done = model_after(reported);
    const std::vector<std::string> next = model_after(reported + 1);
    EXPECT_TRUE(walked == done || walked == next) << walked.size() << " records, " << done.size() << " expected";
    // New records still go to free numbers or the end, never over live ones.
    ASSERT_EQ(f.Add(Rec("ZZZ", "after"), 1, nullptr), kOk);
    EXPECT_EQ(f.Index().Check(), kOk);
    ASSERT_EQ(f.Close(), kOk);
  }
}

}  // namespace
}  // namespace eng::test::datafile
