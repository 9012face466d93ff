#include "core/dates.h"

#include <algorithm>
#include <cstdio>

#include "core/clock.h"
#include "core/dec_value.h"
#include "core/scratch_arena.h"

namespace eng {

namespace {

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

int DaysIn(int64_t year, int64_t month) {
  if (month == 2) return FloorDiv(year, 4) * 4 == year ? 29 : 28;
  if (month == 4 || month == 6 || month == 9 || month == 11) return 30;
  return 31;
}

// Days from 1 January of year 0 to 1 January of `year`, leap day every fourth year.
int64_t DaysBeforeYear(int64_t year) { return 365 * year + FloorDiv(year + 3, 4); }

// Moves a month outside 1-12 into range by whole years (steps 1 and 2).
void CarryMonths(int64_t& year, int64_t& month) {
  year += FloorDiv(month - 1, 12);
  month = month - 1 - FloorDiv(month - 1, 12) * 12 + 1;
}

// The day number of a date whose month may be out of range and whose day
// may lie outside the month: what repeated normalisation steps would reach.
int64_t DayNumber(int64_t year, int64_t month, int64_t day) {
  CarryMonths(year, month);
  int64_t n = DaysBeforeYear(year);
  for (int m = 1; m < month; ++m) n += DaysIn(year, m);
  return n + day - 1;
}

void FromDayNumber(int64_t n, int64_t& year, int64_t& month, int64_t& day) {
  year = FloorDiv(n * 4, 1461);
  while (DaysBeforeYear(year) > n) --year;
  while (DaysBeforeYear(year + 1) <= n) ++year;
  int64_t rest = n - DaysBeforeYear(year);
  month = 1;
  while (rest >= DaysIn(year, month)) rest -= DaysIn(year, month++);
  day = rest + 1;
}

DateYmd Compose64(int64_t year, int64_t month, int64_t day) {
  // Out-of-range results wrap like any other 32-bit integer.
  return static_cast<DateYmd>(static_cast<uint64_t>(year * 10000 + month * 100 + day));
}

int PartValue(StrPair text, size_t start, size_t count) {
  if (start >= text.len) return 0;
  count = std::min<size_t>(count, text.len - start);
  return static_cast<int>(NumParse(StrPair{text.ptr + start, static_cast<uint16_t>(count)}));
}

// Adds n units of a kind to the parts and normalises them.
void AddUnits(int64_t& year, int64_t& month, int64_t& day, int64_t n, int kind) {
  if (kind == kDateDay) {
    day += n;
  } else if (kind == kDateYear) {
    year += n;
  } else if (kind == kDateMonth) {
    month += n;
    CarryMonths(year, month);
    day = std::min<int64_t>(day, DaysIn(year, month));
  }
  // Normalise: the month by whole years, then the day through the months.
  CarryMonths(year, month);
  if (day < 1 || day > DaysIn(year, month)) FromDayNumber(DayNumber(year, month, day), year, month, day);
}

}  // namespace

DateParts DateSplit(StrPair text) {
  if (!text.ok()) return {};
  DateParts p;
  p.year = PartValue(text, 0, 4);
  p.month = text.len >= 4 ? PartValue(text, text.len - 4u, 2) : 0;
  p.day = text.len >= 2 ? PartValue(text, text.len - 2u, 2) : PartValue(text, 0, 2);
  return p;
}

DateParts DateSplitInt(DateYmd date) { return DateParts{date / 10000, date / 100 % 100, date % 100}; }

int32_t DatePart(StrPair text, int flags) {
  DateParts p = DateSplit(text);
  switch (flags) {
    case kDateWhole: return DateCompose(p.day, p.month, p.year);
    case kDateDay: return p.day;
    case kDateMonth: return p.month;
    case kDateYear: return p.year;
    default: return 0;
  }
}

int DateDaysInMonth(int year, int month) { return DaysIn(year, month); }

int DateDaysInMonthOf(StrPair text) {
  DateParts p = DateSplit(text);
  return DaysIn(p.year, p.month);
}

bool DateIsValid(DateYmd date) {
  if (date < 0) return false;
  DateParts p = DateSplitInt(date);
  return p.year <= 9999 && p.month >= 1 && p.month <= 12 && p.day >= 1 &&
         p.day <= DaysIn(p.year, p.month);
}

Status DateFormat8(DateYmd date, char* buffer) {
  if (!DateIsValid(date)) return kStDataError;
  for (int i = 7, v = date; i >= 0; --i, v /= 10) buffer[i] = static_cast<char>('0' + v % 10);
  return kOk;
}

StrPair DateText(DateYmd date) {
  char buf[8];
  if (DateFormat8(date, buf)) return ScratchText("");
  return ScratchPair(StrMake(buf, 8));
}

DateYmd DateToday() {
  LocalTime t = ClockLocalNow();
  return DateCompose(t.day, t.month, t.year);
}

DateYmd DateFromTime(std::time_t t) {
  if (t < 0) return 0;
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return 0;
  return DateCompose(tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900);
}

void DateStepMonth(DateParts& p, int kind) {
  switch (kind) {
    case kStepMonthUp:
      p.month += 12;
      p.year -= 1;
      break;
    case kStepMonthDown:
      p.month -= 12;
      p.year += 1;
      break;
    case kStepBorrow:
      if (--p.month < 1) {
        p.month = 12;
        p.year -= 1;
      }
      p.day += DaysIn(p.year, p.month);
      break;
    case kStepCarry:
      p.day -= DaysIn(p.year, p.month);
      if (++p.month > 12) {
        p.month = 1;
        p.year += 1;
      }
      break;
    default:
      break;
  }
}

int32_t DateAdd(StrPair text, int32_t n, int kind) {
  DateParts p = DateSplit(text);
  int64_t year = p.year, month = p.month, day = p.day;
  if (n >= kDateDiffFrom) {
    DateParts q = DateSplitInt(n);
    switch (kind) {
      case kDateDay:
        return static_cast<int32_t>(DayNumber(year, month, day) - DayNumber(q.year, q.month, q.day));
      case kDateMonth: return static_cast<int32_t>((year - q.year) * 12 + (month - q.month));
      case kDateYear: return static_cast<int32_t>(year - q.year);
      default: return 0;
    }
  }
  AddUnits(year, month, day, n, kind);
  return Compose64(year, month, day);
}

DateYmd DateShift(DateYmd date, int64_t n, int kind) {
  DateParts p = DateSplitInt(date);
  int64_t year = p.year, month = p.month, day = p.day;
  AddUnits(year, month, day, n, kind);
  if (year < 0 || year > 9999) return 0;
  return Compose64(year, month, day);
}

StrPair DateSetPart(StrPair text, int value, int flags) {
  DateParts p = DateSplit(text);
  if (flags & kDateDay) p.day = value;
  if (flags & kDateMonth) p.month = value;
  if (flags & kDateYear) p.year = value;
  // Each part must be in range: an overflowing day must not spill into the month.
  if (p.year < 0 || p.year > 9999 || p.month < 1 || p.month > 12 || p.day < 1 || p.day > 31)
    return ScratchText("");
  return DateText(DateCompose(p.day, p.month, p.year));
}

}  // namespace eng
