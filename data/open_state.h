// Open states: which data files are open, and how, for the whole dictionary
// at once. A state is a text of one DataFileOpenFlags byte per dictionary
// file (0 = closed); states nest on string stack 33.
//   DataFileOpenState      "RESTORE" pops the top state and applies the one
//                          below (or every file closed); 141 with incident
//                          "RESTORE" when the stack is empty. Any other text
//                          is an open list, parsed, pushed and applied.
//   DataFileParseOpenList  "file[;flags],..." (file by name or number): an
//                          item without flags opens read-only (1), the last
//                          one read-write; the last item also gets 8 (made
//                          current); unlisted files get 0. 166 with the
//                          item's file part as incident for a file not in
//                          the dictionary, 147 for flags that are not a
//                          number. The state into *state.
//   DataFileApplyOpenState from the last file to the first: a non-zero byte
//                          opens the file with those flags, a zero byte
//                          closes it; the first status of 128 or above stops
//                          the walk and is returned.
#pragma once

#include <string>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kOpenStateStack = 33;

Status DataFileOpenState(StrPair text);
Status DataFileParseOpenList(StrPair text, std::string* state);
Status DataFileApplyOpenState(const std::string& state);

}  // namespace eng
