// Window captions: " text  |  date  |  database folder |  " followed by the
// system's web address and two blanks, with the text (empty: the program's
// title), today's date in the short form with a two-digit year, the database
// name (item 2 of the database setting) and the base name of the current
// folder.
#pragma once

#include "core/str_pair.h"

namespace eng {

inline constexpr const char* kCaptionAddress = "www.norvique.example";

// The newest scratch entry.
StrPair ScreenCaptionText(StrPair text);
// Sets the caption of the top window of the window stack.
void ScreenCaptionSet(StrPair text);

}  // namespace eng
