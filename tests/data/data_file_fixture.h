// A small data file for the record-file and key-index tests: 40-byte records
// of CODE (0-9), NAME (10-29) and CITY (30-39); key 1 CODE, key 2 NAME (may
// repeat), key 3 CITY then CODE. Records are built padded with blanks.
#pragma once

#include <string>
#include <vector>

#include "data/data_file_store.h"
#include "tests/support/temp_folder.h"

namespace eng::test::datafile {

inline std::string Pad(std::string s, size_t n) {
  s.resize(n, ' ');
  return s;
}

inline std::string Rec(const std::string& code, const std::string& name = "", const std::string& city = "") {
  return Pad(code, 10) + Pad(name, 20) + Pad(city, 10);
}

inline DataFileLayout ThreeKeyLayout() {
  DataFileLayout l;
  l.record_length = 40;
  KeyLayout code;
  code.count = 1;
  code.parts[0] = {0, 10};
  KeyLayout name;
  name.count = 1;
  name.parts[0] = {10, 20};
  KeyLayout city;
  city.count = 2;
  city.parts[0] = {30, 10};
  city.parts[1] = {0, 10};
  l.keys = {code, name, city};
  return l;
}

inline DataFileLayout TwoKeyLayout() {
  DataFileLayout l = ThreeKeyLayout();
  l.keys.pop_back();
  return l;
}

class DataFileTest : public TempFolderTest {
 protected:
  DataFileNames Names(const std::string& base = "clientes") {
    return DataFileNames{base + ".FD", base + ".DIR", base};
  }
  // Every record number of array k, in order.
  static std::vector<int32_t> ArrayOf(const DataFileIndex& ix, uint16_t k) {
    std::vector<int32_t> v;
    const RecNoSeq& a = ix.Array(k);
    for (uint32_t i = 0; i < a.size(); ++i) v.push_back(a.at(i));
    return v;
  }
  static std::string Code(const std::string& record) { return record.substr(0, 10); }
};

}  // namespace eng::test::datafile
