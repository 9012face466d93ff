// Parameter files: texts of NAME=expression items, one or more a line, run
// as one expression list (line breaks read as ";").
//
// ExpLoadParmFile expands the percent-sign macros of the name, finds the file
// as given, then in each folder of the application folder list (string
// element (0, 5), a ","-list), and executes
// it. A missing or empty file is skipped (0); with mode 1 a missing file is
// 164 with the expanded file name as incident text.
//
// ExpSaveParmFile rewrites a file from a ","-list of new items ("NAME=expr"
// or "NAME") followed by the file's old items: only the first item of each
// name is kept; a new item is written as the assignment of the current text
// value of its expression (of the name itself when it has none), quoted so
// that it reads back exactly; an old item is kept as written. The new file
// replaces the old one whole (the old one stays intact until then), and is
// then loaded with mode 1.
#pragma once

#include "core/str_pair.h"

namespace eng {

Status ExpLoadParmFile(StrPair file, int mode);
Status ExpSaveParmFile(StrPair file, StrPair items);

}  // namespace eng
