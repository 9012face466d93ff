// A dictionary file's companions on disk, taken from the data dictionary
// (its shape is DictFileLayout, data/dict_layout.h):
//   DictFilePath(file, kind)   the file's folder and name joined as in
//                              data_file_path.h (kinds 1-7); "" for a file
//                              that is not defined
//   DictFileList(kind)         the comma list of DictFilePath of all files
//   DictDataFileNames(file)    record file, index and marker names (kinds 2,
//                              3 and 1)
#pragma once

#include <cstdint>
#include <string>

#include "data/data_file_path.h"
#include "data/data_file_store.h"
#include "data/dict_layout.h"
#include "data/key_layout.h"

namespace eng {

std::string DictFilePath(uint16_t file, int kind);
std::string DictFileList(int kind);
DataFileNames DictDataFileNames(uint16_t file);

}  // namespace eng
