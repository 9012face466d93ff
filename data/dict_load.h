// Loading the data dictionary from its two text files, "DICC.DAT" then
// "REL.DAT", each named behind a prefix (the first two characters of the
// dictionary code) and found as the first existing file along a comma list
// of folders. Each line starts with a two-digit number n; with
// kind = (n - 1) / 30 (truncating) and r = (n - 1) % 30:
//   kind 0 with "*"  a file line "nn*folder*ccNAME": the next file, code cc,
//                    in that folder (the default folder when empty); a
//                    folder holding "$" names a nested dictionary whose code
//                    is NAME, loaded the same way
//   kind 0           a field line of the last file: length in columns 10-12,
//                    type letter in column 14, name from column 15
//   kind 1 (31-60)   key groups of file base + r + 1 (DictKeySegments)
//   kind 2 (61-90)   a relation of file base + r + 1: the text after the
//                    first ":" outside quotes (the whole line without one)
//   other kinds      ignored
// After DICC.DAT, when its last line was of kind 0 (or it had none), every
// file without a key gets its automatic key.
// The first non-zero status ends the load and is returned; what was defined
// until then stays. 164 when DICC.DAT is missing (recorded under module 18,
// incident "<prefix>DICC.DAT[<folder list>]"); a missing REL.DAT is no
// failure. A line longer than 512 bytes is 146 and a key group without a
// position 163, both with the file's name as incident text; a nested
// dictionary that is already being loaded is 163.
#pragma once

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr size_t kDictLineMax = 512;

Status DictLoad(StrPair folders, StrPair code, StrPair default_folder);

}  // namespace eng
