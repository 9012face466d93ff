// Display and entry forms of dates in the current language.
//   - Language order: for "ES", "FR" and "IT" (string element (0, 4)) the
//     short forms put the day first; for every other language the month.
//   - Two-digit years: yy below _BKYEAR is _BYEAR + yy, otherwise
//     _BYEAR + yy - 100 (with the defaults 2000 and 80: 79 is 2079, 80 1980).
//   - Month names and the long pattern come from the locale text: the second
//     NUL-separated part of (0, 0), message 0117 ("'Enero,...','[D] de [M] de
//     [Y]'"); the message itself while the locale text is not set.
//   - FmtDate modes: 0 the 8 digits; 1 short form with a two-digit year
//     ("05-03-24"); 2 short form with the four-digit year; 3 the month name cut
//     to 3 characters, a blank and the year ("Mar 2024"); 4 the long pattern
//     with "[D]" the 2-digit day, "[M]" the month name, "[Y]" the year. An
//     empty date is today (unless bit 64 of _AUXSTAT is set); an invalid one
//     gives 8 blanks in mode 1, 10 in mode 2 and "" otherwise.
//   - FmtParseDate: the typed text (blanks around it ignored) split at the
//     first of "-", "." or "/" outside quotes into day, month and year (month
//     first outside "ES,FR,IT"); a year of exactly 2 characters goes through
//     the window. Six characters without a separator are ddmmyy in every
//     language. An 8-digit valid date is taken as it stands, an empty text is
//     today (8 blanks under _AUXSTAT bit 64); anything else that is not a valid
//     date gives "".
// Every result is a new scratch entry.
#pragma once

#include <cstdint>

#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kAuxNoToday = 64;  // _AUXSTAT bit: an empty date stays empty
inline constexpr const char* kDayFirstLanguages = "ES,FR,IT";
inline constexpr size_t kDatePartsMax = 64;

bool FmtDayFirst();
int FmtYear4(int yy);
StrPair FmtDateOrToday(StrPair date);
StrPair FmtDate(StrPair date, int mode);
StrPair FmtParseDate(StrPair typed);
// "%s-%s-%s" of day, month and year in language order; (null, 146) beyond 64 characters.
StrPair FmtDateParts(StrPair year, StrPair month, StrPair day);
// The month names list and the long date pattern of the locale.
StrPair FmtMonthName(int month);
StrPair FmtLongPattern();

// The date of log record heads: today in the short four-digit-year form.
StrPair FmtDateLogText();
// Installs FmtDateLogText as the log's date formatter.
void FmtDateInstallLog();

}  // namespace eng
