// Dates: DateYmd, the integer year x 10000 + month x 100 + day, or its
// 8-digit text (year zero-padded to 4 digits, month and day to 2). A date is
// valid when the year has at most four digits, the month is 1-12 and the day
// 1 to the days of that month; an invalid date has the empty text.
//
// The calendar has a leap day in every year divisible by 4, centuries
// included (1900 and 2100 have 29 February). Every month number other than
// 2, 4, 6, 9 and 11 has 31 days, invalid ones (0, 13) included; the
// normalisation steps rely on it.
//
// DateParts is the working form of the arithmetic; its fields are plain ints
// so that a step may take a month or day out of range before normalising.
#pragma once

#include <cstdint>
#include <ctime>

#include "core/str_pair.h"

namespace eng {

using DateYmd = int32_t;

struct DateParts {
  int year = 0;
  int month = 0;
  int day = 0;
  bool operator==(const DateParts&) const = default;
};

// DateAdd kinds and DatePart / DateSetPart flags.
enum DateUnit : int { kDateDay = 1, kDateMonth = 2, kDateYear = 4, kDateWhole = 15 };
// DateStepMonth kinds.
enum DateStep : int {
  kStepMonthUp = 1,     // month + 12, year - 1
  kStepMonthDown = 2,   // month - 12, year + 1
  kStepBorrow = 4,      // one month back, its days added to the day
  kStepCarry = 8,       // the month's days taken from the day, one month forward
};
// A DateAdd count of this or more is a second date: the result is a difference.
inline constexpr int32_t kDateDiffFrom = 10001;

constexpr DateYmd DateCompose(int day, int month, int year) {
  return static_cast<DateYmd>(static_cast<int64_t>(year) * 10000 + month * 100 + day);
}
constexpr DateParts DateMake(int year, int month, int day) { return DateParts{year, month, day}; }
// Year from the first 4 characters, month from the 2 starting 4 before the
// end, day from the last 2 (each the integer value of those characters).
DateParts DateSplit(StrPair text);
// The parts of a date integer.
DateParts DateSplitInt(DateYmd date);
// Flags 1 day, 2 month, 4 year, 15 the composed integer; 0 otherwise.
int32_t DatePart(StrPair text, int flags);
int DateDaysInMonth(int year, int month);
int DateDaysInMonthOf(StrPair text);
bool DateIsValid(DateYmd date);
// Validates and writes the 8 digits at `buffer`; 163 when invalid.
Status DateFormat8(DateYmd date, char* buffer);
// The 8-digit text as a new scratch entry, the empty text when invalid.
StrPair DateText(DateYmd date);
// Today (local time of the engine's clock) as an integer.
DateYmd DateToday();
// The local date of a C time value; 0 for a negative time.
DateYmd DateFromTime(std::time_t t);
// Kind 1 adds n days, 2 n months (the day limited to the new month), 4 n
// years, then normalises. n of 10001 or more is a second date: the result
// is the first date minus it, in days (true calendar days), whole months
// (year difference x 12 + month difference) or years; other kinds give 0.
int32_t DateAdd(StrPair text, int32_t n, int kind);
// DateAdd's adding half for any count, however large or negative: the date n
// days, months (the day limited to the new month) or years later, never a
// difference. 0 (no date) when the result lies outside the years 0-9999.
DateYmd DateShift(DateYmd date, int64_t n, int kind);
// The date with the parts named by flags replaced, not normalised, as a new
// scratch entry (empty when the result is invalid).
StrPair DateSetPart(StrPair text, int value, int flags);
// One normalisation step.
void DateStepMonth(DateParts& parts, int kind);

}  // namespace eng
