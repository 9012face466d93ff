// Tools for checking PDF files in tests: a small PNG writer (libpng), the
// output of poppler's command-line tools, and the text operators of the
// content streams (inflated with zlib), so a test sees the font sizes set and
// the texts shown in order.
#pragma once

#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

namespace eng::test {

inline bool WritePng(const std::string& path, int w, int h) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<png_byte> row(static_cast<size_t>(w) * 3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) row[static_cast<size_t>(x) * 3] = static_cast<png_byte>(x * 10);
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

// Standard output of a command line.
inline std::string Command(const std::string& line) {
  std::string out;
  if (std::FILE* p = ::popen((line + " 2>/dev/null").c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    ::pclose(p);
  }
  return out;
}

inline int PdfPages(const std::string& file) {
  std::smatch m;
  std::string info = Command("pdfinfo '" + file + "'");
  if (!std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)"))) return -1;
  return std::stoi(m[1]);
}

// The images drawn, one entry per page that shows one (pdfimages -list).
inline int PdfImagesShown(const std::string& file) {
  std::string list = Command("pdfimages -list '" + file + "'");
  std::regex row("(^|\n)\\s*\\d+\\s+\\d+\\s+image ");
  return static_cast<int>(std::distance(std::sregex_iterator(list.begin(), list.end(), row), std::sregex_iterator()));
}

inline std::string PdfText(const std::string& file) { return Command("pdftotext -layout '" + file + "' -"); }

// The "size Tf" and "(text) Tj" operators of every content stream, in order,
// as "Tf 10" and "Tj text" (the text as written in the stream: bytes from
// 128 up as octal escapes).
inline std::vector<std::string> PdfTextOps(const std::string& pdf) {
  std::vector<std::string> ops;
  size_t pos = 0;
  for (;;) {
    size_t s = pdf.find("stream", pos);
    if (s == std::string::npos) break;
    if (s >= 3 && pdf.compare(s - 3, 3, "end") == 0) {
      pos = s + 6;
      continue;
    }
    size_t begin = s + 6;
    if (pdf.compare(begin, 2, "\r\n") == 0) begin += 2;
    else if (pdf[begin] == '\n') begin += 1;
    size_t end = pdf.find("endstream", begin);
    if (end == std::string::npos) break;
    std::string out(1 << 20, '\0');
    uLongf out_len = out.size();
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &out_len,
                   reinterpret_cast<const Bytef*>(pdf.data() + begin), end - begin) == Z_OK) {
      out.resize(out_len);
      std::regex op("/\\w+ ([0-9.]+) Tf|\\(((?:[^()\\\\]|\\\\.)*)\\) Tj");
      for (std::sregex_iterator it(out.begin(), out.end(), op), e; it != e; ++it) {
        if ((*it)[1].matched) ops.push_back("Tf " + (*it)[1].str());
        else ops.push_back("Tj " + (*it)[2].str());
      }
    }
    pos = end + 9;
  }
  return ops;
}

}  // namespace eng::test
