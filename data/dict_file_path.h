// A dictionary file's companions on disk and its shape for the record file
// and key index, taken from the data dictionary:
//   DictFilePath(file, kind)   the file's folder and name joined as in
//                              data_file_path.h (kinds 1-7); "" for a file
//                              that is not defined
//   DictFileList(kind)         the comma list of DictFilePath of all files
//   DictDataFileLayout(file)   record length and key parts
//   DictDataFileNames(file)    record file, index and marker names (kinds 2,
//                              3 and 1)
#pragma once

#include <cstdint>
#include <string>

#include "data/data_file_path.h"
#include "data/data_file_store.h"
#include "data/key_layout.h"

namespace eng {

std::string DictFilePath(uint16_t file, int kind);
std::string DictFileList(int kind);
DataFileLayout DictDataFileLayout(uint16_t file);
DataFileNames DictDataFileNames(uint16_t file);

}  // namespace eng
