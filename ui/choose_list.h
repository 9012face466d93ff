// A plain chooser through the window system: a modal window with the title,
// holding a list box (id 3350) of the comma list's items. Enter or a double
// click chooses the selected item, Esc or the close box cancels; the window
// is gone when the call returns. The 1-based choice, 0 when cancelled or
// when no window could be made. The font verb uses it until a program
// installs a chooser of its own (UiSetChooser).
#pragma once

#include <cstdint>

#include "core/str_pair.h"

namespace eng {

inline constexpr int kIdChooserList = 3350;

uint16_t ChooseFromList(StrPair title, StrPair choices);

}  // namespace eng
