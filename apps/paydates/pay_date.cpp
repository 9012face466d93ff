#include "apps/paydates/pay_date.h"

#include <algorithm>

#include "core/dates.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"

namespace eng::paydates {

namespace {

constexpr int kNoPayDay = 32;
constexpr int kDaysPerOffsetMonth = 30;

// The date of an 8-digit text; 0 (no date) for anything else.
DateYmd ValidDate(StrPair text) {
  if (!text.ok() || text.len != 8) return 0;
  DateYmd date = 0;
  for (char c : text.view()) {
    if (c < '0' || c > '9') return 0;
    date = date * 10 + (c - '0');
  }
  return DateIsValid(date) ? date : 0;
}

// What the pay-day list says about a day: the largest and smallest pay day
// and the first one from the day on (kNoPayDay when there is none).
struct PayDays {
  int largest = 0;
  int smallest = kNoPayDay;
  int next = kNoPayDay;
};

PayDays ReadPayDays(StrPair list, int day) {
  PayDays p;
  uint16_t count = StrItemCount(list, ',');
  for (uint16_t i = 1; i <= count; ++i) {
    int d = StrItemInt(list, ',', i);
    if (d < 1 || d > 31) continue;
    p.largest = std::max(p.largest, d);
    p.smallest = std::min(p.smallest, d);
    if (d >= day) p.next = std::min(p.next, d);
  }
  return p;
}

DateYmd Snap(DateYmd date, StrPair pay_days) {
  if (!pay_days.ok() || pay_days.empty()) return date;
  DateParts parts = DateSplitInt(date);
  PayDays p = ReadPayDays(pay_days, parts.day);
  if (p.largest == 0) return date;  // no pay day in the list
  int month_days = DateDaysInMonth(parts.year, parts.month);
  int target;
  if (month_days < p.largest) {
    // The largest pay day does not exist this month: its last day stands in.
    target = month_days;
  } else if (p.next == kNoPayDay) {
    // Past the last pay day: the first of the next month, which may itself
    // be shorter than that day (pay day 30 after 31 January is 29 February).
    int next_year = parts.month == 12 ? parts.year + 1 : parts.year;
    int next_month = parts.month == 12 ? 1 : parts.month + 1;
    target = month_days + std::min(p.smallest, DateDaysInMonth(next_year, next_month));
  } else {
    target = p.next;
  }
  if (target <= parts.day) return date;
  return DateShift(date, target - parts.day, kDateDay);
}

DateYmd Compute(DateYmd date, int16_t offset, int16_t day_step, int16_t month_step, int16_t n,
                StrPair pay_days) {
  if (offset != 0 && offset % kDaysPerOffsetMonth == 0 && day_step == 0)
    date = DateShift(date, offset / kDaysPerOffsetMonth, kDateMonth);
  else
    date = DateShift(date, offset, kDateDay);
  if (date != 0 && n > 1) {
    int64_t steps = n - 1;
    if (day_step != 0)
      date = DateShift(date, day_step * steps, kDateDay);
    else if (month_step != 0)
      date = DateShift(date, month_step * steps, kDateMonth);
  }
  return date == 0 ? 0 : Snap(date, pay_days);
}

}  // namespace

StrPair PayDateCompute(StrPair date, int16_t offset, int16_t day_step, int16_t month_step, int16_t n,
                       StrPair pay_days) {
  if (!date.ok()) return date;
  if (n == 0) return ScratchPair(date);
  DateYmd from = ValidDate(date);
  if (from == 0 || n < 0) return StrFail(kStDataError);
  DateYmd due = Compute(from, offset, day_step, month_step, n, pay_days);
  if (due == 0) return StrFail(kStDataError);
  return DateText(due);
}

StrPair PayDateSnap(StrPair date, StrPair pay_days) {
  if (!date.ok()) return date;
  DateYmd d = ValidDate(date);
  if (d == 0) return ScratchPair(date);
  DateYmd snapped = Snap(d, pay_days);
  if (snapped == 0) return StrFail(kStDataError);  // past the year 9999
  return DateText(snapped);
}

}  // namespace eng::paydates
