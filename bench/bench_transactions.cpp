// Transactions against SQLite on the same 100,000 customer records (CODE 10,
// NAME 30, CITY 20 and a two-decimal AMOUNT 12; key CODE):
//   export  the data file to delimited text (mode 52, quoted texts, one CR LF
//           line per record) against SQLite writing the same CSV text from a
//           SELECT over its table;
//   import  that text into an empty data file (collected, then added with its
//           key index) against SQLite reading the same text and inserting each
//           row with a prepared INSERT in one transaction into an empty table
//           with an index on code.
// The ratios (SQLite time / transaction time, above 1 is faster) are printed
// at the end.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include "bench/time_reporter.h"
#include "core/dyn_strings.h"
#include "core/obj_table.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/var_store.h"
#include "data/dict_file_path.h"
#include "data/dictionary.h"
#include "data/field_ref.h"
#include "data/record_layer.h"
#include "data/trans_parms.h"
#include "data/trans_run.h"

namespace {

using namespace eng;
namespace fs = std::filesystem;

constexpr uint32_t kRecords = 100'000;
constexpr uint16_t kLength = 72;

std::string& Folder() {
  static std::string f = (fs::path(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") /
                          ("bench-trans-" + std::to_string(::getpid())))
                             .string();
  return f;
}

void Check(int rc, sqlite3* db) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
    std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
    std::abort();
  }
}

// The dictionary, the data file with its index, and the SQLite table.
void Setup() {
  fs::create_directories(Folder());
  fs::current_path(Folder());
  std::ofstream("PLDICC.DAT", std::ios::binary) << "01**01CLIENTES\r\n"
                                                   "01       010 ACODE\r\n"
                                                   "01       030 ANAME\r\n"
                                                   "01       020 ACITY\r\n"
                                                   "01       012 2AMOUNT\r\n";
  if (DictLoad(StrOf(""), StrOf("PL"), StrOf("")) != kOk) {
    std::fprintf(stderr, "cannot load the dictionary\n");
    std::abort();
  }
  static const char* cities[] = {"Madrid", "Soria", "Avila", "Lugo", "Cadiz", "Teruel", "Huesca", "Zamora"};
  std::mt19937 rng(112);
  std::string bytes;
  bytes.reserve(size_t(kRecords) * kLength);
  sqlite3* db = nullptr;
  Check(sqlite3_open("peer.db", &db), db);
  Check(sqlite3_exec(db, "CREATE TABLE t(code TEXT, name TEXT, city TEXT, amount REAL); BEGIN;", nullptr, nullptr,
                     nullptr),
        db);
  sqlite3_stmt* ins;
  Check(sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?1,?2,?3,?4)", -1, &ins, nullptr), db);
  for (uint32_t i = 0; i < kRecords; ++i) {
    char code[16], name[40], amount[16];
    std::snprintf(code, sizeof code, "C%08u", unsigned(i));
    std::snprintf(name, sizeof name, "Cliente numero %u", unsigned(rng() % 100000u));
    const char* city = cities[rng() % 8];
    const unsigned cents = unsigned(rng() % 10'000'000u);
    std::snprintf(amount, sizeof amount, "%u.%02u", cents / 100, cents % 100);
    char rec[kLength + 1];
    std::snprintf(rec, sizeof rec, "%-10s%-30s%-20s%12s", code, name, city, amount);
    bytes.append(rec, kLength);
    sqlite3_bind_text(ins, 1, code, -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(ins, 2, name, -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(ins, 3, city, -1, SQLITE_TRANSIENT);
    sqlite3_bind_double(ins, 4, cents / 100.0);
    Check(sqlite3_step(ins), db);
    sqlite3_reset(ins);
  }
  sqlite3_finalize(ins);
  Check(sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr), db);
  sqlite3_close(db);
  DataFileNames names = DictDataFileNames(1);
  std::ofstream(names.records, std::ios::binary) << bytes;
  // The first open builds the index; closing saves it.
  if (DataFileOpen(1, 0) >= kStFirstWarning || DataFileClose(1) != kOk) {
    std::fprintf(stderr, "cannot build the data file\n");
    std::abort();
  }
}

Status RunTrans(const char* name, uint16_t mode) {
  TransParmsClear();
  TransParmSet(kTpFile, "1");
  return TransRun(name, 0xFFFF, uint16_t(mode | kTransBatch), nullptr, nullptr);
}

void TransExport(benchmark::State& state) {
  for (auto _ : state)
    if (Status s = RunTrans("export.csv", 52)) {
      state.SkipWithError(("export: " + std::to_string(s)).c_str());
      break;
    }
  state.SetItemsProcessed(int64_t(state.iterations()) * kRecords);
}

void TransImport(benchmark::State& state) {
  RunTrans("source.csv", 52);
  const DataFileNames names = DictDataFileNames(1);
  fs::copy_file(names.records, "full.FD", fs::copy_options::overwrite_existing);
  fs::copy_file(names.index, "full.DIR", fs::copy_options::overwrite_existing);
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(names.records);
    fs::remove(names.index);
    state.ResumeTiming();
    if (Status s = RunTrans("source.csv", 53)) {
      state.SkipWithError(("import: " + std::to_string(s)).c_str());
      break;
    }
  }
  if (fs::file_size(names.records) != size_t(kRecords) * kLength) state.SkipWithError("record count");
  fs::copy_file("full.FD", names.records, fs::copy_options::overwrite_existing);
  fs::copy_file("full.DIR", names.index, fs::copy_options::overwrite_existing);
  state.SetItemsProcessed(int64_t(state.iterations()) * kRecords);
}

// The CSV text of the SQLite shell's csv mode: texts quoted when they need
// it is not enough to match the export, so every text is quoted.
void SqliteExport(benchmark::State& state) {
  sqlite3* db = nullptr;
  Check(sqlite3_open("peer.db", &db), db);
  for (auto _ : state) {
    std::FILE* out = std::fopen("peer.csv", "wb");
    sqlite3_stmt* sel;
    Check(sqlite3_prepare_v2(db, "SELECT code, name, city, printf('%.2f', amount) FROM t ORDER BY code", -1, &sel,
                             nullptr),
          db);
    while (sqlite3_step(sel) == SQLITE_ROW) {
      std::fprintf(out, "\"%s\",\"%s\",\"%s\",%s\r\n", sqlite3_column_text(sel, 0), sqlite3_column_text(sel, 1),
                   sqlite3_column_text(sel, 2), sqlite3_column_text(sel, 3));
    }
    sqlite3_finalize(sel);
    std::fclose(out);
  }
  sqlite3_close(db);
  state.SetItemsProcessed(int64_t(state.iterations()) * kRecords);
}

std::string Unquoted(const std::string& v) {
  return v.size() >= 2 && v.front() == '"' && v.back() == '"' ? v.substr(1, v.size() - 2) : v;
}

void SqliteImport(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove("import.db");
    sqlite3* db = nullptr;
    Check(sqlite3_open("import.db", &db), db);
    Check(sqlite3_exec(db, "CREATE TABLE t(code TEXT, name TEXT, city TEXT, amount REAL); CREATE INDEX k1 ON t(code);",
                       nullptr, nullptr, nullptr),
          db);
    state.ResumeTiming();
    Check(sqlite3_exec(db, "BEGIN;", nullptr, nullptr, nullptr), db);
    sqlite3_stmt* ins;
    Check(sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?1,?2,?3,?4)", -1, &ins, nullptr), db);
    std::ifstream in("source.csv", std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::string v[4];
      size_t start = 0;
      for (int k = 0; k < 4; ++k) {
        size_t e = k < 3 ? line.find(',', start) : line.size();
        v[k] = Unquoted(line.substr(start, e - start));
        start = e + 1;
      }
      for (int k = 0; k < 3; ++k) sqlite3_bind_text(ins, k + 1, v[k].data(), int(v[k].size()), SQLITE_TRANSIENT);
      sqlite3_bind_double(ins, 4, std::strtod(v[3].c_str(), nullptr));
      Check(sqlite3_step(ins), db);
      sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    Check(sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr), db);
    state.PauseTiming();
    sqlite3_close(db);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kRecords);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const fs::path start = fs::current_path();
  CoreRuntimeReset();
  MemSetLimits(kArenaProgramKb, 0xFFFF);
  DynStrInit();
  ObjTableInit();
  VarInitSystem();
  DataInstallFieldAccess();
  Setup();
  using Fn = void (*)(benchmark::State&);
  const std::pair<const char*, Fn> runs[] = {{"transaction/export", &TransExport},
                                             {"sqlite/export_csv", &SqliteExport},
                                             {"transaction/import", &TransImport},
                                             {"sqlite/insert_loop", &SqliteImport}};
  for (const auto& [name, fn] : runs) benchmark::RegisterBenchmark(name, fn)->Iterations(3)->Unit(benchmark::kMillisecond);
  eng::bench::TimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto ratio = [&](const char* ours, const char* peer, const char* what) {
    auto a = reporter.seconds.find(ours), b = reporter.seconds.find(peer);
    if (a != reporter.seconds.end() && b != reporter.seconds.end())
      std::printf("%s 100,000 records: transaction %.1f ms, SQLite %.1f ms, ratio %.2f\n", what, a->second, b->second,
                  b->second / a->second);
  };
  std::printf("\n");
  ratio("transaction/export", "sqlite/export_csv", "export to delimited text,");
  ratio("transaction/import", "sqlite/insert_loop", "import into an empty file,");
  DataFileClose(1);
  CoreRuntimeReset();
  fs::current_path(start);
  std::error_code ec;
  fs::remove_all(Folder(), ec);
  benchmark::Shutdown();
  return 0;
}
