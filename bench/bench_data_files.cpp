// The keyed data file against SQLite on the same work: a file of 100,000
// records with two keys (CODE; NAME then CODE), measured in four phases:
//   add       every record added to an empty file, in random key order
//   locate    every record located by key 1, and again by key 2 (random order)
//   walk      every record read in key-1 order
//   rewrite   10% of the records rewritten, each changing key 2
// Each phase opens its file and closes it inside the timing. The data file
// runs twice: held exclusively, and opened shared (each change under the
// change lock, each locate taking up other programs' changes), which shows
// what the locks cost when one program has the file. SQLite gets the
// settings of a program that has its database to itself (see below). Each
// run repeats five times; the medians' items per second and the ratios (data
// file / SQLite, above 1 is faster) are printed at the end, by processor
// time (the figures above) and by elapsed time (which also counts the waits
// for the disk at each sync).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "data/data_file_store.h"

namespace {

using namespace eng;

constexpr uint32_t kRecords = 100'000;
constexpr uint32_t kRewrites = kRecords / 10;
constexpr uint16_t kLength = 64;  // CODE 0-9, NAME 10-33, CITY 34-47, AMOUNT 48-63

struct Workload {
  std::vector<std::string> records;  // in the order they are added
  std::vector<uint32_t> locate_order;
  std::vector<uint32_t> rewrite_set;
  std::string folder;
};

std::string Field(const std::string& s, size_t n) {
  std::string out = s;
  out.resize(n, ' ');
  return out;
}

Workload& Work() {
  static Workload w = [] {
    Workload w;
    std::mt19937 rng(8);
    std::vector<uint32_t> codes(kRecords);
    for (uint32_t i = 0; i < kRecords; ++i) codes[i] = i * 7 + 1000;
    std::shuffle(codes.begin(), codes.end(), rng);
    static const char* cities[] = {"Madrid", "Soria", "Avila", "Lugo", "Cadiz", "Teruel", "Huesca", "Zamora"};
    for (uint32_t i = 0; i < kRecords; ++i) {
      char code[16];
      std::snprintf(code, sizeof code, "%010u", codes[i]);
      std::string name;
      for (int k = 0; k < 9; ++k) name += char('A' + rng() % 26);
      std::string rec = Field(code, 10) + Field(name, 24) + Field(cities[rng() % 8], 14) +
                        Field(std::to_string(rng() % 100000) + ".00", 16);
      w.records.push_back(rec);
    }
    w.locate_order.resize(kRecords);
    for (uint32_t i = 0; i < kRecords; ++i) w.locate_order[i] = i;
    std::shuffle(w.locate_order.begin(), w.locate_order.end(), rng);
    w.rewrite_set.assign(w.locate_order.begin(), w.locate_order.begin() + kRewrites);
    const char* tmp = std::getenv("TMPDIR");
    std::string base = std::string(tmp && *tmp ? tmp : "/tmp") + "/bench-data-XXXXXX";
    if (!::mkdtemp(base.data())) std::abort();
    w.folder = base;
    return w;
  }();
  return w;
}

DataFileLayout Layout() {
  DataFileLayout l;
  l.record_length = kLength;
  KeyLayout k1;
  k1.count = 1;
  k1.parts[0] = {0, 10};
  KeyLayout k2;
  k2.count = 2;
  k2.parts[0] = {10, 24};
  k2.parts[1] = {0, 10};
  l.keys = {k1, k2};
  return l;
}

DataFileNames Names(const std::string& base) {
  const std::string p = Work().folder + "/" + base;
  return DataFileNames{p + ".FD", p + ".DIR", ""};
}

void RemovePair(const std::string& base) {
  std::filesystem::remove(Names(base).records);
  std::filesystem::remove(Names(base).index);
}

// The open flags of a run: the file held exclusively (one program has it),
// or opened shared (other programs may write it: every change under the
// change lock).
uint8_t OpenFlags(const benchmark::State& state) { return state.range(1) ? 0 : kOpenExclusive; }

// The file the reading phases use, built once and closed.
void Built() {
  static bool built = [] {
    RemovePair("built");
    DataFileStore s;
    if (s.Open(Names("built"), Layout(), kOpenExclusive) != kOk) std::abort();
    for (const std::string& r : Work().records)
      if (s.Add(r, 1, nullptr) != kOk) std::abort();
    if (s.Close() != kOk) std::abort();
    return true;
  }();
  (void)built;
}

// ---- the data file ----
// Every phase opens the file and closes it (saving a changed index and
// syncing both files) inside the timing.

void EngineAdd(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    RemovePair("add");
    state.ResumeTiming();
    DataFileStore f;
    if (f.Open(Names("add"), Layout(), OpenFlags(state)) != kOk) state.SkipWithError("open");
    for (const std::string& r : Work().records)
      if (f.Add(r, 1, nullptr) != kOk) state.SkipWithError("add");
    if (f.Close() != kOk) state.SkipWithError("close");
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kRecords);
}

void EngineLocate(benchmark::State& state) {
  const uint16_t key = uint16_t(state.range(0));
  Built();
  const DataFileLayout layout = Layout();
  const KeyLayout& k = layout.Key(key);
  std::vector<std::string> values;
  for (uint32_t i : Work().locate_order) values.push_back(k.ValueOf(Work().records[i].data()));
  std::string out;
  for (auto _ : state) {
    DataFileStore f;
    if (f.Open(Names("built"), Layout(), OpenFlags(state)) != kOk) state.SkipWithError("open");
    for (const std::string& v : values) {
      NdxResult r = f.Locate(key, v, &out);
      if (r.position != kNdxFound || r.error) state.SkipWithError("locate");
    }
    benchmark::DoNotOptimize(out);
    if (f.Close() != kOk) state.SkipWithError("close");
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kRecords);
}

void EngineWalk(benchmark::State& state) {
  Built();
  std::string out;
  for (auto _ : state) {
    DataFileStore f;
    if (f.Open(Names("built"), Layout(), OpenFlags(state)) != kOk) state.SkipWithError("open");
    uint32_t n = 0;
    for (NdxResult r = f.Move(1, kNdxFirst, &out); r.position == kNdxFound; r = f.Move(1, kNdxNext, &out)) ++n;
    if (n != kRecords) state.SkipWithError("walk");
    benchmark::DoNotOptimize(out);
    if (f.Close() != kOk) state.SkipWithError("close");
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kRecords);
}

void EngineRewrite(benchmark::State& state) {
  Built();
  std::string out;
  static int round = 0;
  for (auto _ : state) {
    ++round;
    DataFileStore f;
    if (f.Open(Names("built"), Layout(), OpenFlags(state)) != kOk) state.SkipWithError("open");
    for (uint32_t i : Work().rewrite_set) {
      NdxResult r = f.Locate(1, Work().records[i].substr(0, 10), &out);
      if (r.position != kNdxFound) state.SkipWithError("locate");
      out.replace(10, 24, Field("RW" + std::to_string(round) + out.substr(12, 9), 24));
      out.replace(48, 16, Field(std::to_string(round * 100 + i % 7) + ".50", 16));
      if (f.Rewrite(r.recno, out, 1) != kOk) state.SkipWithError("rewrite");
    }
    if (f.Close() != kOk) state.SkipWithError("close");
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kRewrites);
}

// ---- SQLite ----
// The settings a program that has its database to itself would choose:
// exclusive locking, WAL with a sync per commit, a page cache for the whole
// database, the key as the primary key of a table without rowid, and every
// phase (reads too) in one transaction. The open is timed, as on the other
// side.

void Check(int rc, sqlite3* db) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
    std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
    std::abort();
  }
}

void Exec(sqlite3* db, const char* sql) { Check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db); }

sqlite3* OpenDb(const std::string& base) {
  sqlite3* db = nullptr;
  Check(sqlite3_open((Work().folder + "/" + base + ".db").c_str(), &db), db);
  Exec(db,
       "PRAGMA locking_mode=EXCLUSIVE; PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;"
       "PRAGMA cache_size=-262144; PRAGMA temp_store=MEMORY;");
  return db;
}

void RemoveDb(const std::string& base) {
  for (const char* ext : {".db", ".db-wal", ".db-shm"}) std::filesystem::remove(Work().folder + "/" + base + ext);
}

void CreateTable(sqlite3* db) {
  Exec(db,
       "CREATE TABLE t(code TEXT PRIMARY KEY, name TEXT, city TEXT, amount TEXT) WITHOUT ROWID;"
       "CREATE INDEX k2 ON t(name, code);");
}

void Bind(sqlite3_stmt* st, int i, const std::string& r, size_t at, size_t n) {
  sqlite3_bind_text(st, i, r.data() + at, int(n), SQLITE_STATIC);
}

void InsertAll(sqlite3* db) {
  sqlite3_stmt* st;
  Check(sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?1,?2,?3,?4)", -1, &st, nullptr), db);
  Exec(db, "BEGIN");
  for (const std::string& r : Work().records) {
    Bind(st, 1, r, 0, 10);
    Bind(st, 2, r, 10, 24);
    Bind(st, 3, r, 34, 14);
    Bind(st, 4, r, 48, 16);
    Check(sqlite3_step(st), db);
    sqlite3_reset(st);
  }
  Exec(db, "COMMIT");
  sqlite3_finalize(st);
}

void BuiltDb() {
  static bool built = [] {
    RemoveDb("built");
    sqlite3* db = OpenDb("built");
    CreateTable(db);
    InsertAll(db);
    sqlite3_close(db);
    return true;
  }();
  (void)built;
}

// The row's four columns into one record, as the data file reads one.
void ReadRow(sqlite3_stmt* st, std::string& out) {
  out.clear();
  for (int c = 0; c < 4; ++c)
    out.append(reinterpret_cast<const char*>(sqlite3_column_text(st, c)), size_t(sqlite3_column_bytes(st, c)));
}

void SqliteAdd(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    RemoveDb("add");
    state.ResumeTiming();
    sqlite3* db = OpenDb("add");
    CreateTable(db);
    InsertAll(db);
    sqlite3_close(db);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kRecords);
}

void SqliteLocate(benchmark::State& state) {
  const bool by_name = state.range(0) == 2;
  BuiltDb();
  std::string out;
  for (auto _ : state) {
    sqlite3* db = OpenDb("built");
    sqlite3_stmt* st;
    Check(sqlite3_prepare_v2(db,
                             by_name ? "SELECT code,name,city,amount FROM t WHERE name=?1 AND code=?2"
                                     : "SELECT code,name,city,amount FROM t WHERE code=?1",
                             -1, &st, nullptr),
          db);
    Exec(db, "BEGIN");
    for (uint32_t i : Work().locate_order) {
      const std::string& r = Work().records[i];
      if (by_name) {
        Bind(st, 1, r, 10, 24);
        Bind(st, 2, r, 0, 10);
      } else {
        Bind(st, 1, r, 0, 10);
      }
      if (sqlite3_step(st) != SQLITE_ROW) state.SkipWithError("locate");
      ReadRow(st, out);
      sqlite3_reset(st);
    }
    Exec(db, "COMMIT");
    benchmark::DoNotOptimize(out);
    sqlite3_finalize(st);
    sqlite3_close(db);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kRecords);
}

void SqliteWalk(benchmark::State& state) {
  BuiltDb();
  std::string out;
  for (auto _ : state) {
    sqlite3* db = OpenDb("built");
    sqlite3_stmt* st;
    Check(sqlite3_prepare_v2(db, "SELECT code,name,city,amount FROM t ORDER BY code", -1, &st, nullptr), db);
    Exec(db, "BEGIN");
    uint32_t n = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
      ReadRow(st, out);
      ++n;
    }
    sqlite3_reset(st);
    Exec(db, "COMMIT");
    if (n != kRecords) state.SkipWithError("walk");
    benchmark::DoNotOptimize(out);
    sqlite3_finalize(st);
    sqlite3_close(db);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kRecords);
}

void SqliteRewrite(benchmark::State& state) {
  BuiltDb();
  std::string out, name, amount;
  static int round = 0;
  for (auto _ : state) {
    ++round;
    sqlite3* db = OpenDb("built");
    sqlite3_stmt* get;
    sqlite3_stmt* put;
    Check(sqlite3_prepare_v2(db, "SELECT code,name,city,amount FROM t WHERE code=?1", -1, &get, nullptr), db);
    Check(sqlite3_prepare_v2(db, "UPDATE t SET name=?1, amount=?2 WHERE code=?3", -1, &put, nullptr), db);
    Exec(db, "BEGIN");
    for (uint32_t i : Work().rewrite_set) {
      const std::string& r = Work().records[i];
      Bind(get, 1, r, 0, 10);
      if (sqlite3_step(get) != SQLITE_ROW) state.SkipWithError("locate");
      ReadRow(get, out);
      sqlite3_reset(get);
      name = Field("RW" + std::to_string(round) + out.substr(12, 9), 24);
      amount = Field(std::to_string(round * 100 + i % 7) + ".50", 16);
      sqlite3_bind_text(put, 1, name.data(), int(name.size()), SQLITE_STATIC);
      sqlite3_bind_text(put, 2, amount.data(), int(amount.size()), SQLITE_STATIC);
      Bind(put, 3, r, 0, 10);
      Check(sqlite3_step(put), db);
      sqlite3_reset(put);
    }
    Exec(db, "COMMIT");
    sqlite3_finalize(get);
    sqlite3_finalize(put);
    sqlite3_close(db);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kRewrites);
}

// Keeps items per second by benchmark name for the ratio table: by
// processor time, and by elapsed time.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      auto it = r.counters.find("items_per_second");
      if (it != r.counters.end() && r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") {
        rates[r.run_name.str()] = it->second.value;
        const double real = r.GetAdjustedRealTime();
        if (real > 0) wall_rates[r.run_name.str()] = it->second.value * r.GetAdjustedCPUTime() / real;
      }
    }
  }
  std::map<std::string, double> rates, wall_rates;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Work();
  struct Row {
    const char* phase;
    std::string exclusive, shared, sqlite;
  };
  std::vector<Row> rows;
  constexpr int kRepetitions = 5;
  auto add = [&](const std::string& name, auto fn, int64_t key, int64_t shared) {
    benchmark::RegisterBenchmark(name.c_str(), fn)
        ->Args({key, shared})
        ->Iterations(1)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true)
        ->Unit(benchmark::kMillisecond);
    return name + "/" + std::to_string(key) + "/" + std::to_string(shared) + "/iterations:1/repeats:" +
           std::to_string(kRepetitions);
  };
  auto three = [&](const char* phase, auto engine, auto sqlite, int64_t key) {
    std::string p(phase);
    rows.push_back({phase, add("datafile/" + p, engine, key, 0), add("datafile_shared/" + p, engine, key, 1),
                    add("sqlite/" + p, sqlite, key, 0)});
  };
  three("add", EngineAdd, SqliteAdd, 0);
  three("locate_key1", EngineLocate, SqliteLocate, 1);
  three("locate_key2", EngineLocate, SqliteLocate, 2);
  three("walk_key1", EngineWalk, SqliteWalk, 0);
  three("rewrite_10pct", EngineRewrite, SqliteRewrite, 0);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  // Medians of the repetitions; ratios above 1 are faster than SQLite.
  std::printf("\n%-14s %14s %14s %14s %9s %9s %10s %10s\n", "phase", "exclusive/s", "shared/s", "sqlite/s",
              "excl:sql", "shrd:sql", "excl:sql", "shrd:sql");
  std::printf("%-14s %14s %14s %14s %9s %9s %10s %10s\n", "", "(processor)", "", "", "", "", "(elapsed)", "");
  for (const Row& r : rows) {
    auto x = reporter.rates.find(r.exclusive), sh = reporter.rates.find(r.shared), q = reporter.rates.find(r.sqlite);
    if (x == reporter.rates.end() || sh == reporter.rates.end() || q == reporter.rates.end()) continue;
    auto wall = [&](const std::string& name) {
      auto w = reporter.wall_rates.find(name);
      return w == reporter.wall_rates.end() ? 0.0 : w->second;
    };
    const double wq = wall(r.sqlite);
    std::printf("%-14s %14.0f %14.0f %14.0f %9.2f %9.2f %10.2f %10.2f\n", r.phase, x->second, sh->second, q->second,
                x->second / q->second, sh->second / q->second, wq > 0 ? wall(r.exclusive) / wq : 0.0,
                wq > 0 ? wall(r.shared) / wq : 0.0);
  }
  std::error_code ec;
  std::filesystem::remove_all(Work().folder, ec);
  benchmark::Shutdown();
  return 0;
}
