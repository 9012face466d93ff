// Document series: the procedure function DocSer$.
//   DocSer$ (series, date) -> the series' first character followed by the
//     two year digits of the date (an eight-digit text of year, month and
//     day; trailing blanks removed; empty: today). While _COMPAT has bit
//     0x800 the decade digit "0" is written "A" and "1" "B" (2005 gives
//     "A5"). A shorter text gives the characters it has at those places.
//   Two arguments, both texts; otherwise 147.
#pragma once

#include <string>
#include <string_view>

#include "core/status.h"

namespace eng::truvesca {

inline constexpr uint16_t kCompatDecadeLetters = 0x800;

std::string DocSeries(std::string_view series, std::string_view date);

// Registers DocSer$ among the application functions.
Status DocSerRegister();

}  // namespace eng::truvesca
