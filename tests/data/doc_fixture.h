// A small document dictionary (prefix DN) for the document store tests and
// the program the kill test runs:
//   file 1 albaranes  NUM A6 (0), CLIENTE A20 (6), VER N6 (26), NLIN N3 (32);
//                     35 bytes; key 1 NUM                     (delivery notes)
//   file 2 lineas     NUM A6 (0), N_LINE N3 (6), ITEM A10 (9), QTY N5 (19),
//                     VER N6 (24); 30 bytes; key 1 NUM + N_LINE   (their lines)
//   file 3 fac        SERIE A2 (0), NUM A6 (2), N_LINE N3 (8), CUST A20 (11),
//                     ITEM A10 (31), QTY N5 (41); 46 bytes; key 1 SERIE + NUM +
//                     N_LINE (header and lines in one file, the header with
//                     N_LINE blank)
#pragma once

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace eng::test::docs {

inline constexpr uint16_t kAlbaranes = 1;
inline constexpr uint16_t kLineas = 2;
inline constexpr uint16_t kFac = 3;

inline const char* const kDictionary =
    "01**01ALBARANES\r\n"
    "01       006 ANUM\r\n"
    "01       020 ACLIENTE\r\n"
    "01       006 NVER\r\n"
    "01       003 NNLIN\r\n"
    "02**02LINEAS\r\n"
    "02       006 ANUM\r\n"
    "02       003 NN_LINE\r\n"
    "02       010 AITEM\r\n"
    "02       005 NQTY\r\n"
    "02       006 NVER\r\n"
    "03**03FAC\r\n"
    "03       002 ASERIE\r\n"
    "03       006 ANUM\r\n"
    "03       003 NN_LINE\r\n"
    "03       020 ACUST\r\n"
    "03       010 AITEM\r\n"
    "03       005 NQTY\r\n"
    "31<0001006\r\n"
    "32<0001009\r\n"
    "33<0001011\r\n";

inline void WriteDictionary() { std::ofstream("DNDICC.DAT", std::ios::binary) << kDictionary; }

inline std::string Pad(std::string s, size_t n) {
  s.resize(n, ' ');
  return s;
}
inline std::string Num(long v, size_t n) {
  std::string s = std::to_string(v);
  return s.size() >= n ? s : std::string(n - s.size(), ' ') + s;
}

// Record images as the files hold them.
inline std::string Albaran(const std::string& num, const std::string& cliente, long ver, long nlin) {
  return Pad(num, 6) + Pad(cliente, 20) + Num(ver, 6) + Num(nlin, 3);
}
inline std::string Linea(const std::string& num, long line, const std::string& item, long qty, long ver) {
  return Pad(num, 6) + Num(line, 3) + Pad(item, 10) + Num(qty, 5) + Num(ver, 6);
}
// A header (line 0: N_LINE blank) leaves ITEM and QTY blank.
inline std::string Fac(const std::string& serie, const std::string& num, long line, const std::string& cust,
                       const std::string& item = "", long qty = 0) {
  return Pad(serie, 2) + Pad(num, 6) + (line ? Num(line, 3) : std::string(3, ' ')) + Pad(cust, 20) + Pad(item, 10) +
         (line ? Num(qty, 5) : std::string(5, ' '));
}

// The live records of a record file (deleted ones start with ESC), sorted.
inline std::vector<std::string> LiveRecords(const std::string& path, size_t length) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(std::istreambuf_iterator<char>(in), {});
  std::vector<std::string> live;
  for (size_t at = 0; at + length <= bytes.size(); at += length)
    if (bytes[at] != 27) live.push_back(bytes.substr(at, length));
  std::sort(live.begin(), live.end());
  return live;
}

}  // namespace eng::test::docs
