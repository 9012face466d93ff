// Regenerating the period accumulations of a 100,000-line journal (every
// line run through the journal's relational-update rules, which add it into
// its account's and its group's month) against SQLite computing the same
// sums with GROUP BY into a table, in the same run; prints the ratio of the
// medians of a few repetitions of each.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "apps/common/app_head.h"
#include "apps/pelmora/ac_books.h"
#include "apps/pelmora/ac_dates.h"
#include "apps/pelmora/ac_post.h"
#include "apps/pelmora/ac_process.h"
#include "apps/pelmora/pelmora_head.h"
#include "bench/time_reporter.h"
#include "core/msg_box.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "data/app_start.h"
#include "data/record_layer.h"
#include "data/session_state.h"
#include "platform/msgbox_headless.h"

namespace {

namespace fs = std::filesystem;
using namespace eng;

constexpr int kLines = 100000;

struct Line {
  std::string date, debit, credit;
  int64_t cents;
};

std::vector<Line> Journal() {
  std::vector<Line> lines;
  std::mt19937 rng(7);
  for (int entry = 0; entry < kLines / 2; ++entry) {
    char date[16], a[16], c[16];
    std::snprintf(date, sizeof date, "2024%02d%02d", 1 + int(rng() % 12), 1 + int(rng() % 28));
    std::snprintf(a, sizeof a, "%03d%05d", 100 + int(rng() % 60), int(rng() % 4));
    std::snprintf(c, sizeof c, "%03d%05d", 100 + int(rng() % 60), int(rng() % 4));
    int64_t cents = 1 + int64_t(rng() % 100000);
    lines.push_back({date, a, "", cents});
    lines.push_back({date, "", c, cents});
  }
  return lines;
}

pelmora::AcBooks g_books;

void Check(int rc, sqlite3* db) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
    std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
    std::exit(1);
  }
}

void Regenerate(benchmark::State& state) {
  for (auto _ : state) {
    Status s = pelmora::AcRegenBalances(g_books, pelmora::AcDateOf(StrOf("20240101")),
                                        pelmora::AcDateOf(StrOf("20241231")), nullptr);
    if (s) state.SkipWithError("regeneration failed");
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kLines);
}

void SqliteGroupBy(benchmark::State& state) {
  sqlite3* db = nullptr;
  Check(sqlite3_open("peer.db", &db), db);
  for (auto _ : state) {
    Check(sqlite3_exec(db,
                       "BEGIN; DELETE FROM period;"
                       "INSERT INTO period SELECT acct, month, SUM(d), SUM(h) FROM ("
                       " SELECT debe AS acct, substr(fecha,1,6)||'01' AS month, importe AS d, 0 AS h FROM j WHERE debe<>''"
                       " UNION ALL SELECT substr(debe,1,3), substr(fecha,1,6)||'01', importe, 0 FROM j WHERE debe<>''"
                       " UNION ALL SELECT haber, substr(fecha,1,6)||'01', 0, importe FROM j WHERE haber<>''"
                       " UNION ALL SELECT substr(haber,1,3), substr(fecha,1,6)||'01', 0, importe FROM j WHERE haber<>'')"
                       " GROUP BY acct, month; COMMIT;",
                       nullptr, nullptr, nullptr),
          db);
  }
  sqlite3_close(db);
  state.SetItemsProcessed(int64_t(state.iterations()) * kLines);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const fs::path start = fs::current_path();
  fs::path root = fs::temp_directory_path() / ("bench-balances-" + std::to_string(::getpid()));
  fs::create_directories(root / "pelmora");
  fs::copy(fs::path(PELMORA_SAMPLE), root / "pelmora", fs::copy_options::recursive);
  fs::create_directories(root / "pelmora" / "work");
  fs::current_path(root / "pelmora" / "work");

  plat::HeadlessMsgBox box;
  CoreRuntimeReset();
  MemSetLimits(apphead::kArenaKb, 0xFFFF);
  MsgBoxSetService(&box);
  const apphead::AppHeadDesc& head = pelmora::Head();
  AppSetActionCallback(head.action);
  AppFunctionsSet(head.functions);
  std::string program = (root / "program").string();
  const char* args[] = {program.c_str()};
  if (AppStartArgv(nullptr, 1, args, StrFromC(head.identity), StrFromC(head.title), apphead::kStartFlags,
                   head.phase) != kOk ||
      pelmora::AcBooksOpen(&g_books) != kOk) {
    std::fprintf(stderr, "pelmora did not start\n");
    return 1;
  }
  std::vector<Line> journal = Journal();
  // The journal is written without rules: the regeneration builds the period file.
  DataFileSetTriggers(false);
  int32_t entry = 0;
  for (size_t i = 0; i < journal.size(); ++i) {
    const Line& l = journal[i];
    if (i % 2 == 0) ++entry;
    pelmora::AcLine line{pelmora::AcDateOf(StrOf(l.date)), entry, int32_t(i % 2 + 1), l.debit, l.credit, l.cents,
                         "", ""};
    if (pelmora::AcPostLine(g_books, line) != kOk) {
      std::fprintf(stderr, "posting failed\n");
      return 1;
    }
  }
  sqlite3* db = nullptr;
  Check(sqlite3_open("peer.db", &db), db);
  Check(sqlite3_exec(db,
                     "CREATE TABLE j(fecha TEXT, asiento INT, linea INT, debe TEXT, haber TEXT, importe INT);"
                     "CREATE TABLE period(acct TEXT, month TEXT, d INT, h INT, PRIMARY KEY(acct, month));",
                     nullptr, nullptr, nullptr),
        db);
  Check(sqlite3_exec(db, "BEGIN;", nullptr, nullptr, nullptr), db);
  sqlite3_stmt* ins;
  Check(sqlite3_prepare_v2(db, "INSERT INTO j VALUES(?1,?2,?3,?4,?5,?6)", -1, &ins, nullptr), db);
  for (size_t i = 0; i < journal.size(); ++i) {
    const Line& l = journal[i];
    sqlite3_bind_text(ins, 1, l.date.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(ins, 2, int(i / 2 + 1));
    sqlite3_bind_int(ins, 3, int(i % 2 + 1));
    sqlite3_bind_text(ins, 4, l.debit.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(ins, 5, l.credit.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(ins, 6, l.cents);
    Check(sqlite3_step(ins), db);
    sqlite3_reset(ins);
  }
  sqlite3_finalize(ins);
  Check(sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr), db);
  sqlite3_close(db);

  // Each side runs its work once per repetition; the ratio is that of the
  // medians, so that a passing load on the machine weighs on neither side.
  constexpr int kRepetitions = 5;
  benchmark::RegisterBenchmark("balances/regenerate", &Regenerate)
      ->Iterations(1)
      ->Repetitions(kRepetitions)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("sqlite/group_by", &SqliteGroupBy)
      ->Iterations(1)
      ->Repetitions(kRepetitions)
      ->Unit(benchmark::kMillisecond);
  eng::bench::TimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto a = reporter.seconds.find("balances/regenerate"), b = reporter.seconds.find("sqlite/group_by");
  if (a != reporter.seconds.end() && b != reporter.seconds.end())
    std::printf("\nregenerating the balances of %d journal lines: %.1f ms, SQLite GROUP BY %.1f ms, ratio %.2f "
                "(medians; goal: at most 2)\n",
                kLines, a->second, b->second, a->second / b->second);
  // The files close (their indexes saved) while their folder is current.
  for (uint16_t f : {g_books.chart, g_books.journal, g_books.period}) DataFileClose(f);
  SessionStateCheck(0);
  AppShutdown(head.phase, kOk);
  MsgBoxSetService(nullptr);
  fs::current_path(start);
  std::error_code ec;
  fs::remove_all(root, ec);
  benchmark::Shutdown();
  return 0;
}
