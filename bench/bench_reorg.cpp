// Reorganisation against SQLite's VACUUM on the same records: 100,000
// records of 64 bytes with two keys (CODE; CITY then CODE), every tenth
// deleted. The data file is rebuilt (live records copied to a new record
// file, index rebuilt, both synced and renamed over the old pair); SQLite
// VACUUMs a rowid table holding the same live records with an index per key
// (synchronous=FULL, rollback journal, a page cache large enough for the
// whole database). Before each timed run both start again from their
// pristine copies. The ratio (SQLite time / data file time, above 1 is
// faster) is printed at the end.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "bench/time_reporter.h"
#include "core/dyn_strings.h"
#include "core/obj_table.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "data/data_file_rebuild.h"
#include "data/data_file_store.h"

namespace {

using namespace eng;
namespace fs = std::filesystem;

constexpr uint32_t kRecords = 100'000;
constexpr uint16_t kLength = 64;  // CODE 0-9, NAME 10-33, CITY 34-47, AMOUNT 48-63

struct Work {
  std::string folder;
  DataFileLayout layout;
};

std::string Folder() { return fs::path(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp").string(); }

Work& TheWork() {
  static Work w = [] {
    Work w;
    w.folder = Folder() + "/bench-reorg-" + std::to_string(::getpid());
    fs::create_directories(w.folder);
    KeyLayout code;
    code.count = 1;
    code.parts[0] = {0, 10};
    KeyLayout city;
    city.count = 2;
    city.parts[0] = {34, 14};
    city.parts[1] = {0, 10};
    w.layout.record_length = kLength;
    w.layout.keys = {code, city};
    // The record file: every tenth record deleted; its index built by the store.
    static const char* cities[] = {"Madrid", "Soria", "Avila", "Lugo", "Cadiz", "Teruel", "Huesca", "Zamora"};
    std::mt19937 rng(109);
    std::string bytes;
    bytes.reserve(size_t(kRecords) * kLength);
    sqlite3* db = nullptr;
    sqlite3_open((w.folder + "/pristine.db").c_str(), &db);
    sqlite3_exec(db,
                 "CREATE TABLE t(code TEXT, name TEXT, city TEXT, amount TEXT);"
                 "CREATE INDEX k1 ON t(code); CREATE INDEX k2 ON t(city, code); BEGIN;",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* ins;
    sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?1,?2,?3,?4)", -1, &ins, nullptr);
    for (uint32_t i = 0; i < kRecords; ++i) {
      char rec[kLength + 1];
      std::snprintf(rec, sizeof rec, "%010u%-24s%-14s%16u", unsigned(rng() % 10'000'000u), "Nombre de cliente",
                    cities[rng() % 8], unsigned(rng() % 100000u));
      const bool deleted = i % 10 == 9;
      if (deleted) rec[0] = 27;
      bytes.append(rec, kLength);
      sqlite3_bind_text(ins, 1, rec, 10, SQLITE_TRANSIENT);
      sqlite3_bind_text(ins, 2, rec + 10, 24, SQLITE_TRANSIENT);
      sqlite3_bind_text(ins, 3, rec + 34, 14, SQLITE_TRANSIENT);
      sqlite3_bind_text(ins, 4, rec + 48, 16, SQLITE_TRANSIENT);
      sqlite3_step(ins);
      sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    // SQLite deletes the same tenth: its free pages are what VACUUM drops.
    sqlite3_exec(db, "DELETE FROM t WHERE rowid % 10 = 0; COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    FILE* f = std::fopen((w.folder + "/pristine.FD").c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    DataFileStore store;
    if (store.Open(DataFileNames{w.folder + "/pristine.FD", w.folder + "/pristine.DIR", ""}, w.layout, 0) ||
        store.Close()) {
      std::fprintf(stderr, "cannot build the pristine data file\n");
      std::abort();
    }
    return w;
  }();
  return w;
}

void Fresh(const char* from, const char* to) {
  fs::copy_file(TheWork().folder + "/" + from, TheWork().folder + "/" + to, fs::copy_options::overwrite_existing);
}

void DataFileReorg(benchmark::State& state) {
  Work& w = TheWork();
  const DataFileNames names{w.folder + "/work.FD", w.folder + "/work.DIR", ""};
  for (auto _ : state) {
    state.PauseTiming();
    Fresh("pristine.FD", "work.FD");
    Fresh("pristine.DIR", "work.DIR");
    state.ResumeTiming();
    if (Status st = DataFileRebuildPair(names, w.layout, nullptr)) {
      state.SkipWithError(("rebuild: " + std::to_string(st)).c_str());
      break;
    }
  }
  if (fs::file_size(names.records) != size_t(kRecords - kRecords / 10) * kLength) state.SkipWithError("size");
  state.SetItemsProcessed(int64_t(state.iterations()) * kRecords);
}

void SqliteVacuum(benchmark::State& state) {
  Work& w = TheWork();
  for (auto _ : state) {
    state.PauseTiming();
    Fresh("pristine.db", "work.db");
    sqlite3* db = nullptr;
    sqlite3_open((w.folder + "/work.db").c_str(), &db);
    sqlite3_exec(db, "PRAGMA synchronous=FULL; PRAGMA cache_size=-262144;", nullptr, nullptr, nullptr);
    state.ResumeTiming();
    if (sqlite3_exec(db, "VACUUM;", nullptr, nullptr, nullptr) != SQLITE_OK) {
      state.SkipWithError("vacuum");
      break;
    }
    state.PauseTiming();
    sqlite3_close(db);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kRecords);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  // The runtime the data layer's scratch texts live in.
  CoreRuntimeReset();
  MemSetLimits(kArenaProgramKb, 0xFFFF);
  DynStrInit();
  ObjTableInit();
  TheWork();
  benchmark::RegisterBenchmark("datafile/reorganise", DataFileReorg)->Iterations(5)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("sqlite/vacuum", SqliteVacuum)->Iterations(5)->Unit(benchmark::kMillisecond);
  eng::bench::TimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto e = reporter.seconds.find("datafile/reorganise");
  auto s = reporter.seconds.find("sqlite/vacuum");
  if (e != reporter.seconds.end() && s != reporter.seconds.end())
    std::printf("\nreorganise 100,000 records: data file %.1f ms, SQLite VACUUM %.1f ms, ratio %.2f\n", e->second,
                s->second, s->second / e->second);
  std::error_code ec;
  fs::remove_all(TheWork().folder, ec);
  benchmark::Shutdown();
  return 0;
}
