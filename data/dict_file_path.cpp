#include "data/dict_file_path.h"

#include "data/dict_query.h"

namespace eng {

std::string DictFilePath(uint16_t file, int kind) {
  if (!DictFileDefined(file)) return std::string();
  StrPair folder = DictFileFolder(file), name = DictFileName(file);
  return DataFilePathOf(folder.ok() ? folder.view() : std::string_view(), name.ok() ? name.view() : std::string_view(),
                        kind);
}

std::string DictFileList(int kind) {
  std::string out;
  for (uint16_t f = 1; f <= DictFileCount(); ++f) {
    if (f > 1) out += ',';
    out += DictFilePath(f, kind);
  }
  return out;
}

DataFileNames DictDataFileNames(uint16_t file) {
  return DataFileNames{DictFilePath(file, kPathRecords), DictFilePath(file, kPathIndex), DictFilePath(file, kPathName)};
}

}  // namespace eng
