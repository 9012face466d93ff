#include "apps/pelmora/ac_dates.h"

#include <algorithm>

namespace eng::pelmora {

Status AcAccumulate(DecValue debit, DecValue credit, Status status, int mode, DecValue* total) {
  if (status != kOk || total == nullptr) return status;
  switch (mode) {
    case 1: *total += debit - credit; break;
    case 2: *total += credit - debit; break;
    case 3: if (debit > credit) *total += debit - credit; break;
    case 4: if (credit > debit) *total += credit - debit; break;
    case 5: *total += debit; break;
    case 6: *total += credit; break;
    default: return kStDataError;
  }
  return kOk;
}

namespace {

DateYmd FirstDay(DateYmd d) { return d - d % 100 + 1; }

DateYmd LastDay(DateYmd d) {
  DateParts p = DateSplitInt(d);
  return d - d % 100 + DateDaysInMonth(p.year, p.month);
}

}  // namespace

DateYmd AcMonthEdge(DateYmd date, int kind) {
  switch (kind) {
    case 0: return date == FirstDay(date) ? date : DateShift(FirstDay(date), 1, kDateMonth);
    case 1: return date == LastDay(date) ? date : LastDay(DateShift(FirstDay(date), -1, kDateMonth));
    case 2: return FirstDay(date);
    case 3: return LastDay(date);
    default: return 0;
  }
}

AcRangeParts AcRangeSplit(DateYmd from, DateYmd to) {
  AcRangeParts r;
  if (from == 0 || to == 0 || from > to) return r;
  if (from != FirstDay(from)) r.leading = {true, from, std::min(to, LastDay(from))};
  DateYmd first = AcMonthEdge(from, 0), last = AcMonthEdge(to, 1);
  if (first <= last) r.months = {true, first, last};
  if (to != LastDay(to)) {
    DateYmd start = std::max(from, FirstDay(to));
    // Both ends inside one month: the leading part already holds these days.
    if (!(r.leading.on && r.leading.to == to)) r.trailing = {true, start, to};
  }
  return r;
}

AcDayRange AcYearBack(DateYmd from, DateYmd to) {
  DateYmd f = DateShift(from, -1, kDateYear);
  DateYmd t = DateShift(to, -12, kDateMonth);
  return {f != 0 && t != 0, f, t};
}

DateYmd AcDateOf(StrPair text) {
  if (!text.ok() || text.len != 8) return 0;
  DateYmd d = 0;
  for (char c : text.view()) {
    if (c < '0' || c > '9') return 0;
    d = d * 10 + (c - '0');
  }
  return DateIsValid(d) ? d : 0;
}

}  // namespace eng::pelmora
