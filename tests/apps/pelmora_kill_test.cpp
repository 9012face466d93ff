// The batch processes over the books killed at random points: a child
// process runs close, undo, regeneration and renumbering over and over and
// reports each step; the test kills it after a random number of steps
// (fixed seed), starts the program again (its start puts back a process
// that did not finish) and checks that the books balance: every entry's
// debits equal its credits, and the period accumulations equal the sums of
// the journal by account and by three-character group, month by month.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <random>
#include <string>
#include <tuple>

#include "apps/pelmora/ac_process.h"
#include "apps/pelmora/ac_recovery.h"
#include "core/dyn_strings.h"
#include "core/string_lists.h"
#include "tests/apps/pelmora_books_fixture.h"

namespace eng::test {
namespace {

using namespace eng::pelmora;

// Runs the processes forever, writing the running step count to `fd`.
[[noreturn]] void RunProcesses(const std::filesystem::path& work, int fd) {
  plat::HeadlessMsgBox box(plat::HeadlessMsgBox::Mode::kBatch, std::tmpfile());
  if (StartPelmora(work, &box) != kOk) ::_exit(2);
  AcBooks b;
  if (AcBooksOpen(&b) != kOk) ::_exit(3);
  uint32_t steps = 0;
  AcProgress report = [&](uint32_t) {
    ++steps;
    if (::write(fd, &steps, sizeof steps) != sizeof steps) ::_exit(4);
    return kOk;
  };
  auto d = [](const char* t) { return AcDateOf(StrFromC(t)); };
  for (const char* set : {"_FINI$='20241231'", "_FFIN$='20250101'", "_PEGA=1", "_CIER=1", "_APER=1"}) {
    ScratchScope scope;
    ExpExecute(StrFromC(set));
  }
  // Each round goes on from the state the last killed one left: a closed
  // year is undone first.
  for (;;) {
    bool closed;
    {
      ScratchScope scope;
      closed = ExpEvalStr(StrOf("FAPE$")).str() == "20250101";
    }
    const std::pair<const char*, std::function<Status()>> runs[] = {
        {closed ? "undo" : "close",
         [&]() -> Status { return closed ? AcUncloseYear(b, d("20241231"), report) : AcCloseYear(b, report); }},
        {"regen", [&]() -> Status { return AcRegenBalances(b, d("20240101"), d("20241231"), report); }},
        {"renumber", [&]() -> Status { return AcRenumberEntries(b, d("20240101"), d("20241231"), 30, report); }},
        {"renumber", [&]() -> Status { return AcRenumberEntries(b, d("20240101"), d("20241231"), 1, report); }},
    };
    for (const auto& [name, work_fn] : runs)
      if (Status s = AcBooksRun(b, name, work_fn)) {
        ScratchScope scope;
        std::fprintf(stderr, "%s: %d %s\n", name, s, DynStrGet(sl::kWork, sl::kIncident).str().c_str());
        ::_exit(5);
      }
  }
}

// The books balance: entry by entry, and the period file against the journal.
void ExpectBalancedBooks(const AcBooks& b) {
  std::map<std::string, DecValue> entries;
  std::map<std::tuple<std::string, std::string>, std::pair<DecValue, DecValue>> sums;
  uint16_t prefix = uint16_t(8 + b.entry_len);
  AcWalk(b.journal, 1, "", "\xff", [&]() -> Status {
    DecValue amount = AcFieldAmount(b.journal, b.j_amount);
    std::string month = AcFieldText(b.journal, b.j_date).substr(0, 6) + "01";
    std::string key = AcKeyText(b.journal, 1).substr(0, prefix);
    std::string debit = AcFieldText(b.journal, b.j_debit), credit = AcFieldText(b.journal, b.j_credit);
    if (!debit.empty()) {
      entries[key] += amount;
      sums[{debit, month}].first += amount;
      sums[{debit.substr(0, 3), month}].first += amount;
    }
    if (!credit.empty()) {
      entries[key] -= amount;
      sums[{credit, month}].second += amount;
      sums[{credit.substr(0, 3), month}].second += amount;
    }
    return kOk;
  });
  for (const auto& [key, diff] : entries) EXPECT_EQ(diff, 0) << "entry " << key;
  std::map<std::tuple<std::string, std::string>, std::pair<DecValue, DecValue>> stored;
  AcWalk(b.period, 1, "", "\xff", [&]() -> Status {
    auto& s = stored[{AcFieldText(b.period, b.p_account), AcFieldText(b.period, b.p_date)}];
    s.first += AcFieldAmount(b.period, b.p_debit);
    s.second += AcFieldAmount(b.period, b.p_credit);
    return kOk;
  });
  for (auto it = stored.begin(); it != stored.end();)
    it = it->second == std::pair<DecValue, DecValue>{0, 0} ? stored.erase(it) : std::next(it);
  EXPECT_EQ(stored, sums);
}

class PelmoraKillTest : public TempFolderTest {};

TEST_F(PelmoraKillTest, KilledProcessesLeaveBalancedBooksAfterTheNextStart) {
  std::filesystem::path work = CopySample("Pelmora", dir_);
  // A start after a kill finds the session interrupted: the batch answer
  // to its question rebuilds the indexes, as a run without a person does.
  std::FILE* boxes = std::tmpfile();
  plat::HeadlessMsgBox box(plat::HeadlessMsgBox::Mode::kBatch, boxes);
  {
    ASSERT_EQ(StartPelmora(work, &box), kOk);
    AcBooks b;
    ASSERT_EQ(AcBooksOpen(&b), kOk);
    ASSERT_EQ(PostDemoYear(b), kOk);
    ExpectBalancedBooks(b);
    ShutdownPelmora();
  }
  std::mt19937 rng(20241231);
  int recovered = 0;
  for (int round = 0; round < 16 && !HasFailure(); ++round) {
    int pipefd[2];
    ASSERT_EQ(::pipe(pipefd), 0);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(pipefd[0]);
      RunProcesses(work, pipefd[1]);
    }
    ::close(pipefd[1]);
    const uint32_t kill_after = 1 + rng() % 220;
    uint32_t got = 0;
    while (got < kill_after && ::read(pipefd[0], &got, sizeof got) == sizeof got) {
    }
    ::kill(pid, SIGKILL);
    int wstatus = 0;
    ::waitpid(pid, &wstatus, 0);
    ::close(pipefd[0]);
    ASSERT_TRUE(WIFSIGNALED(wstatus)) << "the child ended by itself: " << WEXITSTATUS(wstatus);

    SCOPED_TRACE("round " + std::to_string(round) + ", killed after step " + std::to_string(kill_after));
    if (std::filesystem::exists(work / kAcBooksMark)) ++recovered;
    ASSERT_EQ(StartPelmora(work, &box), kOk);
    EXPECT_FALSE(std::filesystem::exists(work / kAcBooksMark)) << "the start put the books back";
    AcBooks b;
    ASSERT_EQ(AcBooksOpen(&b), kOk);
    ExpectBalancedBooks(b);
    ShutdownPelmora();
  }
  std::fclose(boxes);
  EXPECT_GT(recovered, 0) << "some kill came in the middle of a process";
}

}  // namespace
}  // namespace eng::test
