// The records of truvesca's sample data files as the tests read them from
// disk: every live record (a first byte ESC marks a deleted one) cut into
// its fields by the sample dictionary's lengths, each field trimmed, joined
// by "|", in file order.
#pragma once

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace eng::test::trsample {

// Field lengths of the sample files (apps/truvesca/sample/apps/TRDICC.DAT).
inline const std::vector<size_t> kNotes = {6, 8, 5, 2, 12, 2, 7};               // albara_ventas
inline const std::vector<size_t> kNoteLines = {6, 3, 10, 10, 12, 8, 5, 2, 2};    // lineas_albaran
inline const std::vector<size_t> kRegistry = {3, 4, 8, 5, 12};                   // registro
inline const std::vector<size_t> kPayments = {3, 4, 3, 8, 12};                   // vencimientos
inline const std::vector<size_t> kInvoices = {3, 4, 3, 5, 6, 8, 12, 12, 12, 60, 120};  // facturas

inline std::string Trimmed(std::string s) {
  s.erase(0, s.find_first_not_of(' ') == std::string::npos ? s.size() : s.find_first_not_of(' '));
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

inline std::vector<std::string> Records(const std::filesystem::path& file, const std::vector<size_t>& fields) {
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  size_t length = 0;
  for (size_t n : fields) length += n;
  std::vector<std::string> out;
  for (size_t at = 0; at + length <= bytes.size(); at += length) {
    if (bytes[at] == '\x1B') continue;
    std::string r;
    size_t pos = at;
    for (size_t i = 0; i < fields.size(); ++i) {
      if (i) r += "|";
      r += Trimmed(bytes.substr(pos, fields[i]));
      pos += fields[i];
    }
    r.erase(r.find_last_not_of('|') + 1);
    out.push_back(r);
  }
  return out;
}

}  // namespace eng::test::trsample
