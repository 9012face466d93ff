// Names of a data file's companions on disk: the record file, the key index,
// the reorganisation copy, the text file, a fresh temporary name, and the
// lock marker. The dictionary gives the folder and the file's name; the record
// layer connects them (DictFilePath(file, kind) over these).
//   kind 1  the name alone (no folder, no extension)
//   kind 2  record file "FD"
//   kind 3  key index "DIR", or "NDX" while bit 2 of _COMPAT is set
//   kind 4  key index in compatibility form "NDX"
//   kind 5  reorganisation copy "TMP"
//   kind 6  text file "TXT"
//   kind 7  a fresh name, absent from the TEMP folder, in that folder
// While bit 8 of _COMPAT is set the name is cut to 8 characters for kinds 2-6.
// The folder and name are joined with "/" unless the folder is empty or ends
// in a separator. Kind 7 hands the name back to the caller, who keeps it with
// the file it belongs to. Other kinds give an empty text.
#pragma once

#include <string>
#include <string_view>

#include "core/status.h"

namespace eng {

enum DataPathKind : int {
  kPathName = 1,
  kPathRecords = 2,
  kPathIndex = 3,
  kPathIndexCompat = 4,
  kPathReorgCopy = 5,
  kPathText = 6,
  kPathFreshTemp = 7,
};

std::string DataFilePathOf(std::string_view folder, std::string_view name, int kind);
// "<name>.lock" in the current folder: the kind-1 name, never cut.
std::string LockMarkerName(std::string_view name);

}  // namespace eng
