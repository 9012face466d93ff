// Several opens writing one data file opened shared: two processes adding
// (or one adding while the other rewrites) at the same time lose nothing,
// and an open sees what another added at its next locate.
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/data/data_file_fixture.h"

namespace eng::test::datafile {
namespace {

std::string CodeOf(char who, int i) {
  char code[16];
  std::snprintf(code, sizeof code, "%c%05d", who, i);
  return code;
}

// What a child process reports: one line per change answered 0.
struct Report {
  int32_t i;
  char name[20];
};

class SharedWritersTest : public DataFileTest {
 protected:
  // Forks a child that waits for the start signal, runs `work` on its own
  // shared open and reports through a pipe; its exit code says whether every
  // call answered as expected.
  struct Child {
    pid_t pid = -1;
    int reports = -1;
  };
  template <class Work>
  Child Start(int go, Work work) {
    int out[2];
    EXPECT_EQ(::pipe(out), 0);
    pid_t pid = ::fork();
    if (pid == 0) {
      ::close(out[0]);
      char c;
      if (::read(go, &c, 1) != 1) ::_exit(9);
      DataFileStore f;
      if (f.Open(Names(), TwoKeyLayout(), 0) != kOk) ::_exit(8);
      int rc = work(f, out[1]);
      if (f.Close() != kOk) rc = 7;
      ::_exit(rc);
    }
    ::close(out[1]);
    return Child{pid, out[0]};
  }
  static std::vector<Report> Finish(Child c, int* rc) {
    std::vector<Report> got;
    Report r;
    while (::read(c.reports, &r, sizeof r) == sizeof r) got.push_back(r);
    ::close(c.reports);
    int status = 0;
    ::waitpid(c.pid, &status, 0);
    *rc = WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
    return got;
  }
  static void Send(int fd, int32_t i, const std::string& name) {
    Report r{i, {}};
    std::memcpy(r.name, Pad(name, 20).data(), 20);
    (void)!::write(fd, &r, sizeof r);
  }
  // Adds `n` records with codes who00000.. and names cycling over 17 values.
  static int AddMany(DataFileStore& f, int out, char who, int n) {
    for (int i = 0; i < n; ++i) {
      std::string name = "n" + std::to_string(i % 17);
      int64_t r = -1;
      if (f.Add(Rec(CodeOf(who, i), name), 1, &r) != kOk) return 1;
      Send(out, i, name);
    }
    return 0;
  }
  // The file as a fresh open sees it: every record found by both keys, the
  // index matching the record file, nothing else in it.
  void ExpectRecords(const std::map<std::string, std::string>& want) {
    DataFileStore f;
    ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), 0), kOk);
    EXPECT_EQ(f.Index().Check(), kOk);
    EXPECT_EQ(f.Index().LiveCount(), int32_t(want.size()));
    EXPECT_EQ(f.Records().Count(), int64_t(want.size())) << "no record written over another";
    int missing = 0;
    for (const auto& [code, name] : want) {
      std::string out;
      NdxResult res = f.Locate(1, Pad(code, 10), &out);
      if (res.position != kNdxFound || out != Rec(code, name)) {
        if (++missing < 5) ADD_FAILURE() << code << " " << out;
        continue;
      }
      // Found through key 2 as well: its entry stands among the equal names.
      NdxResult by_name = f.Index().Seek(2, Pad(name, 20));
      EXPECT_EQ(by_name.position, kNdxFound) << code;
      EXPECT_LT(f.Index().PositionOf(2, res.recno), uint32_t(f.Index().LiveCount())) << code;
    }
    EXPECT_EQ(missing, 0);
    ASSERT_EQ(f.Close(), kOk);
  }
};

TEST_F(SharedWritersTest, TwoProcessesAddingAtOnceLoseNothing) {
  constexpr int kEach = 3000;
  int go[2];
  ASSERT_EQ(::pipe(go), 0);
  Child a = Start(go[0], [&](DataFileStore& f, int out) { return AddMany(f, out, 'A', kEach); });
  Child b = Start(go[0], [&](DataFileStore& f, int out) { return AddMany(f, out, 'B', kEach); });
  ASSERT_EQ(::write(go[1], "gg", 2), 2);
  int rca = -1, rcb = -1;
  std::vector<Report> got_a = Finish(a, &rca), got_b = Finish(b, &rcb);
  EXPECT_EQ(rca, 0);
  EXPECT_EQ(rcb, 0);
  EXPECT_EQ(got_a.size(), size_t(kEach));
  EXPECT_EQ(got_b.size(), size_t(kEach));
  std::map<std::string, std::string> want;
  for (const Report& r : got_a) want[CodeOf('A', r.i)] = std::string(r.name, 20);
  for (const Report& r : got_b) want[CodeOf('B', r.i)] = std::string(r.name, 20);
  ExpectRecords(want);
  ::close(go[0]);
  ::close(go[1]);
}

TEST_F(SharedWritersTest, OneProcessRewritesWhileAnotherAdds) {
  constexpr int kOld = 400, kNew = 3000, kRounds = 6;
  {
    DataFileStore f;
    ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), 0), kOk);
    for (int i = 0; i < kOld; ++i) ASSERT_EQ(f.Add(Rec(CodeOf('R', i), "old"), 1, nullptr), kOk);
    ASSERT_EQ(f.Close(), kOk);
  }
  int go[2];
  ASSERT_EQ(::pipe(go), 0);
  Child adder = Start(go[0], [&](DataFileStore& f, int out) { return AddMany(f, out, 'N', kNew); });
  // Rewrites every old record's name (key 2 moves) round after round, each
  // found again by a locate; every seventh of the last round is deleted.
  Child rewriter = Start(go[0], [&](DataFileStore& f, int out) {
    for (int round = 0; round < kRounds; ++round) {
      for (int i = 0; i < kOld; ++i) {
        std::string rec;
        NdxResult res = f.Locate(1, Pad(CodeOf('R', i), 10), &rec);
        if (res.position != kNdxFound || res.error) return 1;
        std::string name = "rw" + std::to_string(round) + "-" + std::to_string(i % 23);
        rec.replace(10, 20, Pad(name, 20));
        if (f.Rewrite(res.recno, rec, 1) != kOk) return 2;
        if (round == kRounds - 1 && i % 7 == 0) {
          if (f.Delete(res.recno, 1) != kOk) return 3;
          name = "";
        }
        Send(out, i, name);
      }
    }
    return 0;
  });
  ASSERT_EQ(::write(go[1], "gg", 2), 2);
  int rca = -1, rcr = -1;
  std::vector<Report> added = Finish(adder, &rca), rewritten = Finish(rewriter, &rcr);
  EXPECT_EQ(rca, 0);
  EXPECT_EQ(rcr, 0);
  EXPECT_EQ(added.size(), size_t(kNew));
  EXPECT_EQ(rewritten.size(), size_t(kOld * kRounds));
  std::map<std::string, std::string> want;
  for (const Report& r : added) want[CodeOf('N', r.i)] = std::string(r.name, 20);
  for (const Report& r : rewritten) {  // the last report of each record holds
    if (r.name[0] == ' ') want.erase(CodeOf('R', r.i));
    else want[CodeOf('R', r.i)] = std::string(r.name, 20);
  }
  // Deleted records stay in the record file as ESC records, unless an add
  // took their number again.
  DataFileStore f;
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), 0), kOk);
  EXPECT_EQ(f.Index().LiveCount(), int32_t(want.size()));
  EXPECT_EQ(f.Index().LiveCount() + f.Index().FreeCount(), f.Records().Count());
  EXPECT_EQ(f.Index().Check(), kOk);
  for (const auto& [code, name] : want) {
    std::string out;
    ASSERT_EQ(f.Locate(1, Pad(code, 10), &out).position, kNdxFound) << code;
    ASSERT_EQ(out, Rec(code, name)) << code;
    ASSERT_EQ(f.Index().Seek(2, Pad(name, 20)).position, kNdxFound) << code;
  }
  ASSERT_EQ(f.Close(), kOk);
  ::close(go[0]);
  ::close(go[1]);
}

// Two opens in one process stand for two programs: what one changes, the
// other finds at its next locate, and its own changes then fit in.
TEST_F(SharedWritersTest, ALocateSeesWhatAnotherOpenChanged) {
  DataFileStore a, b;
  ASSERT_EQ(a.Open(Names(), TwoKeyLayout(), 0), kOk);
  ASSERT_EQ(b.Open(Names(), TwoKeyLayout(), 0), kOk);
  std::string out;
  int64_t r1 = -1, r2 = -1;
  ASSERT_EQ(a.Add(Rec("C1", "Smith"), 1, &r1), kOk);
  EXPECT_EQ(b.Locate(1, "C1", &out).position, kNdxFound);
  EXPECT_EQ(out, Rec("C1", "Smith"));
  ASSERT_EQ(b.Add(Rec("C2", "Jones"), 1, &r2), kOk);
  EXPECT_NE(r1, r2) << "the second open took the next number";
  EXPECT_EQ(a.Locate(2, "Jones", &out).position, kNdxFound);

  // A rewrite moves the record in key 2 for the other open too.
  std::string rec = Rec("C1", "Brown");
  ASSERT_EQ(a.Rewrite(r1, rec, 1), kOk);
  EXPECT_EQ(b.Locate(2, "Smith", &out).position, kNdxPastEnd);
  EXPECT_EQ(b.Locate(2, "Brown", &out).position, kNdxFound);
  EXPECT_EQ(ArrayOf(b.Index(), 2), ArrayOf(a.Index(), 2));

  // A delete frees the number in both; the next add takes it.
  ASSERT_EQ(b.Delete(r2, 1), kOk);
  EXPECT_NE(a.Locate(1, "C2", &out).position, kNdxFound);
  int64_t r3 = -1;
  ASSERT_EQ(a.Add(Rec("C3", "Green"), 1, &r3), kOk);
  EXPECT_EQ(r3, r2);
  EXPECT_EQ(b.Locate(1, "C3", &out).position, kNdxFound);

  // Records added by the other open while this one walks: its walk goes on
  // in the index it had, and the next locate takes them up.
  for (int i = 0; i < 200; ++i) ASSERT_EQ(a.Add(Rec("D" + std::to_string(1000 + i), "x"), 1, nullptr), kOk);
  EXPECT_EQ(b.Locate(1, "D1199", &out).position, kNdxFound);
  EXPECT_EQ(b.Index().LiveCount(), 202);
  EXPECT_EQ(b.Index().Check(), kOk);
  ASSERT_EQ(a.Close(), kOk);
  ASSERT_EQ(b.Close(), kOk);

  // The last close left the whole index, as a file held alone would.
  DataFileStore c;
  ASSERT_EQ(c.Open(Names(), TwoKeyLayout(), kOpenExclusive), kOk);
  EXPECT_FALSE(c.IndexRebuilt());
  EXPECT_EQ(c.Index().LiveCount(), 202);
  EXPECT_EQ(Get("clientes.DIR").size(), 8u + 4 * 202 * 2) << "no change log left behind";
  ASSERT_EQ(c.Close(), kOk);
}

}  // namespace
}  // namespace eng::test::datafile
