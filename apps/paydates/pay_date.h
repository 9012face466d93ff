// Pay dates: the n-th due date of a series of payments, moved onto the next
// pay day of a list. Dates are 8-digit texts (year, month, day); results are
// new scratch entries or failure pairs.
//
// PayDateCompute (date, offset, day step, month step, n, pay days):
//   n = 0 gives the date back unchanged (no offset, no pay day).
//   Otherwise the date must be a valid date, and n must not be negative.
//   The offset is added as offset / 30 months when it is a non-zero multiple
//   of 30 and there is no day step, else as days; for n > 1, day step x
//   (n - 1) days are added, or without a day step month step x (n - 1)
//   months (the day limited to the month, counted from the first date, so a
//   series from 31 January keeps the last day of shorter months). Then
//   PayDateSnap. Negative numbers count backwards. 163 for an invalid date, a
//   negative n, or a result outside the years 0-9999.
//
// PayDateSnap (date, pay days): pay days are a comma list of day numbers,
//   each item trimmed, unquoted and read as an integer; items outside 1-31
//   are no pay days. Without pay days (or for a text that is not a valid
//   date) the date comes back unchanged. Otherwise the date moves forward,
//   never back: to the month's last day when the month is shorter than the
//   largest pay day; else to the first pay day from its own day on; else to
//   the smallest pay day of the next month, limited to that month's length.
//   163 when that would leave the year 9999.
#pragma once

#include <cstdint>

#include "core/str_pair.h"

namespace eng::paydates {

StrPair PayDateCompute(StrPair date, int16_t offset, int16_t day_step, int16_t month_step, int16_t n,
                       StrPair pay_days);
StrPair PayDateSnap(StrPair date, StrPair pay_days);

}  // namespace eng::paydates
