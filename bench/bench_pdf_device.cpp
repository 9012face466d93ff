// The PDF device against a bare libHaru loop on the same work: 100,000 lines
// of report text on A4 pages of 72 lines, each page with the header image at
// the top and the lines in Courier 10 points apart, compressed, saved to a
// file. The device writes through the device layer (position tracking, page
// breaks by row, the pending line); the bare loop calls libHaru directly.
// Each iteration runs both, one after the other, and the counters give the
// milliseconds of each and their ratio (device / bare; the goal is 1.25 or less).
#include <benchmark/benchmark.h>
#include <hpdf.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/dyn_strings.h"
#include "core/obj_table.h"
#include "core/runtime.h"
#include "core/var_store.h"
#include "output/device.h"

namespace {

constexpr int kLines = 100000;
constexpr int kPerPage = 72;

std::vector<std::string> Lines() {
  std::vector<std::string> v;
  v.reserve(kLines);
  for (int i = 1; i <= kLines; ++i) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%06d  CLIENTE DE PRUEBA %05d   %10.2f  %10.2f  %12.2f", i, i % 977,
                  i * 1.25, i * 0.75, i * 2.5);
    v.push_back(buf);
  }
  return v;
}

// A 160 x 32 PNG, made once with libHaru's own reader in mind: written by hand (zlib-free stored blocks).
void WritePng(const std::string& path);

void Bare(const std::vector<std::string>& lines, const std::string& image, const std::string& out) {
  HPDF_Doc doc = HPDF_New(nullptr, nullptr);
  HPDF_SetCompressionMode(doc, HPDF_COMP_ALL);
  HPDF_Font font = HPDF_GetFont(doc, "Courier", "WinAnsiEncoding");
  HPDF_Image img = nullptr;
  HPDF_Page page = nullptr;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i % kPerPage == 0) {
      if (page) HPDF_Page_EndText(page);
      page = HPDF_AddPage(doc);
      if (!img) img = HPDF_LoadPngImageFromFile(doc, image.c_str());
      float h = HPDF_Page_GetHeight(page);
      HPDF_Page_DrawImage(page, img, 0, h - HPDF_Image_GetHeight(img), HPDF_Image_GetWidth(img), HPDF_Image_GetHeight(img));
      HPDF_Page_BeginText(page);
      HPDF_Page_MoveTextPos(page, 80, h - 80);
      HPDF_Page_SetFontAndSize(page, font, 10);
    }
    HPDF_Page_ShowText(page, lines[i].c_str());
    HPDF_Page_MoveTextPos(page, 0, -10);
  }
  HPDF_Page_EndText(page);
  HPDF_SaveToFile(doc, out.c_str());
  if (HPDF_GetError(doc) != HPDF_OK) std::fprintf(stderr, "bare libHaru failed: %lu\n", HPDF_GetError(doc));
  HPDF_Free(doc);
}

void Device(const std::vector<std::string>& lines, const std::string& out) {
  eng::DeviceRecord d = eng::DeviceOpen(out + " /LP:72");
  if (d.status) std::fprintf(stderr, "device open failed: %u\n", d.status);
  std::string text;
  for (const std::string& l : lines) {
    text.assign(l).append("\r\n");
    eng::DeviceWrite(d, text);
  }
  if (eng::Status s = eng::DeviceClose(d)) std::fprintf(stderr, "device close failed: %u\n", s);
}

double Ms(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

void BM_PdfDeviceAgainstBareLibHaru(benchmark::State& state) {
  namespace fs = std::filesystem;
  fs::path folder = fs::temp_directory_path() / ("bench-pdf-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  fs::path old = fs::current_path();
  fs::current_path(folder);
  eng::CoreRuntimeReset();
  eng::MemSetLimits(512, 0xFFFF);
  eng::DynStrInit();
  eng::ObjTableInit();
  eng::VarInitSystem();
  WritePng("pdf_header.png");
  std::vector<std::string> lines = Lines();
  double bare_ms = 0, device_ms = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    Bare(lines, "pdf_header.png", "bare.pdf");
    auto t1 = std::chrono::steady_clock::now();
    Device(lines, "device.pdf");
    auto t2 = std::chrono::steady_clock::now();
    bare_ms += Ms(t0, t1);
    device_ms += Ms(t1, t2);
  }
  double n = static_cast<double>(state.iterations());
  state.counters["bare_ms"] = bare_ms / n;
  state.counters["device_ms"] = device_ms / n;
  state.counters["ratio"] = device_ms / bare_ms;
  std::printf("PDF device / bare libHaru, %d lines: %.1f ms / %.1f ms = %.2fx\n", kLines, device_ms / n, bare_ms / n,
              device_ms / bare_ms);
  eng::CoreRuntimeReset();
  fs::current_path(old);
  std::error_code ec;
  fs::remove_all(folder, ec);
}
BENCHMARK(BM_PdfDeviceAgainstBareLibHaru)->Iterations(3)->Unit(benchmark::kMillisecond);

// A PNG of 160 x 32 grey pixels: signature, IHDR, one IDAT of stored
// (uncompressed) deflate blocks, IEND, with their CRCs.
uint32_t Crc(const std::string& bytes) {
  static uint32_t table[256];
  if (!table[1])
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
  uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : bytes) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::string Be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

std::string Chunk(const std::string& type, const std::string& data) {
  return Be32(static_cast<uint32_t>(data.size())) + type + data + Be32(Crc(type + data));
}

void WritePng(const std::string& path) {
  const uint32_t w = 160, h = 32;
  std::string raw;
  for (uint32_t y = 0; y < h; ++y) raw += '\0' + std::string(w, static_cast<char>(y * 8));
  // zlib stream: header, one stored block, Adler-32.
  std::string z = "\x78\x01";
  z += '\x01';
  uint16_t len = static_cast<uint16_t>(raw.size());
  z += static_cast<char>(len & 0xFF);
  z += static_cast<char>(len >> 8);
  z += static_cast<char>(~len & 0xFF);
  z += static_cast<char>((~len >> 8) & 0xFF);
  z += raw;
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  z += Be32((b << 16) | a);
  std::string ihdr = Be32(w) + Be32(h) + std::string("\x08\x00\x00\x00\x00", 5);
  std::string png = std::string("\x89PNG\r\n\x1A\n", 8) + Chunk("IHDR", ihdr) + Chunk("IDAT", z) + Chunk("IEND", "");
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(png.data(), 1, png.size(), f);
    std::fclose(f);
  }
}

}  // namespace
