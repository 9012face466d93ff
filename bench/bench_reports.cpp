// A report of 100,000 customer records against its peers on the same rows:
//   text  the report runner walking the data file in key order and printing
//         the template (page header, one body line per record with its
//         fields through their masks, a numbered total) to a text file of
//         66-line pages, against SQLite exporting the same rows in key order
//         as CSV (the rows stepped and written with one formatted write each,
//         as its shell does);
//   PDF   the same report to a PDF of 72-line pages with the header image,
//         against a bare libHaru loop writing the same lines on pages of
//         the same size.
// Each iteration runs the four one after the other; the median milliseconds
// of each over the iterations and the ratios of the medians (report / peer;
// the goals are below 1 for the text and 1.25 or less for the PDF) are
// printed at the end, for the wall clock and for the thread's CPU time.
#include <benchmark/benchmark.h>
#include <hpdf.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/arrays.h"
#include "core/dyn_strings.h"
#include "core/exec_handlers.h"
#include "core/fn_builtins.h"
#include "core/obj_table.h"
#include "core/runtime.h"
#include "core/str_pair.h"
#include "core/var_store.h"
#include "data/dictionary.h"
#include "data/field_ref.h"
#include "data/fn_records.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "output/device_statements.h"
#include "output/report_runner.h"

namespace {

constexpr int kRecords = 100000;

struct Row {
  std::string code, name, city;
};

std::vector<Row> Rows() {
  std::vector<Row> v;
  v.reserve(kRecords);
  static const char* cities[] = {"Madrid", "Soria", "Avila", "Lugo", "Cadiz", "Teruel", "Huesca", "Zamora"};
  for (int i = 1; i <= kRecords; ++i) {
    char code[16], name[40];
    std::snprintf(code, sizeof code, "C%08d", i);
    std::snprintf(name, sizeof name, "CLIENTE DE PRUEBA %05d", i % 977);
    v.push_back({code, name, cities[i % 8]});
  }
  return v;
}

void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// The dictionary of one file, clientes: CODE (10), NAME (30), CITY (20); key 1 CODE.
void Setup(const std::vector<Row>& rows) {
  Write("BRDICC.DAT",
        "01**01CLIENTES\n01       010 ACODE\n01       030 ANAME\n01       020 ACITY\n31<0001010\n");
  eng::CoreRuntimeReset();
  eng::MemSetLimits(512, 0xFFFF);
  eng::DynStrInit();
  eng::ObjTableInit();
  eng::DictLoad(eng::StrOf(""), eng::StrOf("BR"), eng::StrOf(""));
  eng::VarInitSystem();
  eng::FnInstallValueBuiltins();
  eng::DataInstallRecordBuiltins();
  eng::DataInstallFieldAccess();
  eng::ExecRegisterHandlers();
  eng::OutputInstall();
  eng::DataFileOpen(1, 8);
  for (const Row& r : rows) {
    eng::DataFileMove(1, 1);
    eng::BufSetField(1, 1, eng::StrOf(r.code));
    eng::BufSetField(1, 2, eng::StrOf(r.name));
    eng::BufSetField(1, 3, eng::StrOf(r.city));
    eng::DataFileAddRecord(1);
  }
  eng::DataFileClose(1);
  const std::string body = "03001" + std::string(10, '\\') + "|" + std::string(30, '\\') + "|" +
                           std::string(20, '\\') + "|#######" + "\x19" + ",,,1 /TOTALBASE%=1";
  Write("list.pdc", "01001LISTADO DE CLIENTES|Pag.|#####\x17,,_DEVPAG\n02001" + std::string(70, '-') +
                        "\x17\n" + body + "\n00001\tTotal|#######\x18,_#(4)\n");
}

eng::Status Report(const std::string& device) {
  eng::DataFileOpen(1, 1 | 8);
  eng::Status s = eng::ReportRun(device, "list.pdc", "", "", "\xFF", 0, "NONE", "", nullptr);
  eng::DataFileClose(1);
  return s;
}

void SqliteCsv(sqlite3* db, const std::string& out) {
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT code, name, city FROM clientes ORDER BY code", -1, &st, nullptr);
  std::FILE* f = std::fopen(out.c_str(), "wb");
  while (sqlite3_step(st) == SQLITE_ROW) {
    std::fprintf(f, "%s,\"%s\",%s\r\n", sqlite3_column_text(st, 0), sqlite3_column_text(st, 1),
                 sqlite3_column_text(st, 2));
  }
  std::fclose(f);
  sqlite3_finalize(st);
}

void BareHaru(const std::vector<Row>& rows, const std::string& out) {
  HPDF_Doc doc = HPDF_New(nullptr, nullptr);
  HPDF_SetCompressionMode(doc, HPDF_COMP_ALL);
  HPDF_Font font = HPDF_GetFont(doc, "Courier", "WinAnsiEncoding");
  HPDF_Image img = nullptr;
  HPDF_Page page = nullptr;
  char line[160];
  const size_t per_page = 72 - 3 - 2;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (i % per_page == 0) {
      if (page) HPDF_Page_EndText(page);
      page = HPDF_AddPage(doc);
      if (!img) img = HPDF_LoadPngImageFromFile(doc, "pdf_header.png");
      float h = HPDF_Page_GetHeight(page);
      HPDF_Page_DrawImage(page, img, 0, h - HPDF_Image_GetHeight(img), HPDF_Image_GetWidth(img),
                          HPDF_Image_GetHeight(img));
      HPDF_Page_BeginText(page);
      HPDF_Page_MoveTextPos(page, 80, h - 80);
      HPDF_Page_SetFontAndSize(page, font, 10);
      std::snprintf(line, sizeof line, "LISTADO DE CLIENTES Pag. %5zu", i / per_page + 1);
      HPDF_Page_ShowText(page, line);
      HPDF_Page_MoveTextPos(page, 0, -20);
    }
    std::snprintf(line, sizeof line, "%-10s %-30s %-20s %7d", rows[i].code.c_str(), rows[i].name.c_str(),
                  rows[i].city.c_str(), 1);
    HPDF_Page_ShowText(page, line);
    HPDF_Page_MoveTextPos(page, 0, -10);
  }
  HPDF_Page_EndText(page);
  HPDF_SaveToFile(doc, out.c_str());
  HPDF_Free(doc);
}

// The median of the iterations' times (a loaded machine slows some of them).
double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Ms(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

// The thread's CPU time in milliseconds: on a loaded machine it varies less
// than the wall clock.
double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void BM_ReportsAgainstPeers(benchmark::State& state) {
  namespace fs = std::filesystem;
  fs::path folder = fs::temp_directory_path() / ("bench-reports-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  fs::path old = fs::current_path();
  fs::current_path(folder);
  std::vector<Row> rows = Rows();
  Setup(rows);
  // The header image of both PDFs: the sample application's.
  fs::copy_file(fs::path(__FILE__).parent_path().parent_path() / "apps/pelmora/sample/apps/pdf_header.png",
                "pdf_header.png", fs::copy_options::overwrite_existing);
  sqlite3* db = nullptr;
  sqlite3_open("peer.db", &db);
  sqlite3_exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;"
                   "CREATE TABLE clientes(code TEXT PRIMARY KEY, name TEXT, city TEXT); BEGIN;",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* ins = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO clientes VALUES(?,?,?)", -1, &ins, nullptr);
  for (const Row& r : rows) {
    sqlite3_bind_text(ins, 1, r.code.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(ins, 2, r.name.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(ins, 3, r.city.c_str(), -1, SQLITE_STATIC);
    sqlite3_step(ins);
    sqlite3_reset(ins);
  }
  sqlite3_finalize(ins);
  sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);

  std::vector<double> text_t, csv_t, pdf_t, haru_t;
  std::vector<double> text_c, csv_c, pdf_c, haru_c;
  for (auto _ : state) {
    const double c0 = CpuMs();
    auto t0 = std::chrono::steady_clock::now();
    if (eng::Status s = Report("report.txt /LP:66")) std::fprintf(stderr, "text report failed: %u\n", s);
    auto t1 = std::chrono::steady_clock::now();
    const double c1 = CpuMs();
    SqliteCsv(db, "peer.csv");
    auto t2 = std::chrono::steady_clock::now();
    const double c2 = CpuMs();
    if (eng::Status s = Report("report.pdf /LP:72")) std::fprintf(stderr, "PDF report failed: %u\n", s);
    auto t3 = std::chrono::steady_clock::now();
    const double c3 = CpuMs();
    BareHaru(rows, "bare.pdf");
    auto t4 = std::chrono::steady_clock::now();
    const double c4 = CpuMs();
    text_c.push_back(c1 - c0);
    csv_c.push_back(c2 - c1);
    pdf_c.push_back(c3 - c2);
    haru_c.push_back(c4 - c3);
    text_t.push_back(Ms(t0, t1));
    csv_t.push_back(Ms(t1, t2));
    pdf_t.push_back(Ms(t2, t3));
    haru_t.push_back(Ms(t3, t4));
  }
  sqlite3_close(db);
  const double text_ms = Median(text_t), csv_ms = Median(csv_t), pdf_ms = Median(pdf_t), haru_ms = Median(haru_t);
  const double text_cpu = Median(text_c), csv_cpu = Median(csv_c), pdf_cpu = Median(pdf_c), haru_cpu = Median(haru_c);
  state.counters["text_ratio"] = text_ms / csv_ms;
  state.counters["pdf_ratio"] = pdf_ms / haru_ms;
  std::printf("Medians of %zu runs.\n", text_t.size());
  std::printf("Text report / SQLite CSV export, %d records: %.1f ms / %.1f ms = %.2fx\n", kRecords, text_ms, csv_ms,
              text_ms / csv_ms);
  std::printf("PDF report / bare libHaru, %d records: %.1f ms / %.1f ms = %.2fx\n", kRecords, pdf_ms, haru_ms,
              pdf_ms / haru_ms);
  std::printf("CPU time: text %.1f ms / CSV %.1f ms = %.2fx; PDF %.1f ms / libHaru %.1f ms = %.2fx\n", text_cpu,
              csv_cpu, text_cpu / csv_cpu, pdf_cpu, haru_cpu, pdf_cpu / haru_cpu);
  eng::CoreRuntimeReset();
  fs::current_path(old);
  std::error_code ec;
  fs::remove_all(folder, ec);
}
BENCHMARK(BM_ReportsAgainstPeers)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

