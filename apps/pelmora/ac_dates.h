// Date arithmetic of the account balances: how a range of days splits into
// the days of incomplete months (read from the journal) and whole months
// (read from the period accumulations), and how a debit and credit pair
// counts into a running total. Dates are DateYmd integers (yyyymmdd).
//
// AcAccumulate (debit, credit, status, mode, total): a non-zero status, or no
//   total, gives the status back and changes nothing; mode 1 adds
//   debit - credit, 2 credit - debit, 3 debit - credit when the debit is
//   larger, 4 credit - debit when the credit is larger, 5 the debit, 6 the
//   credit; any other mode is 163.
// AcMonthEdge (date, kind): 0 the first day of the month when the date is
//   it, else the first day of the next month; 1 the last day of the month
//   when the date is it, else the last day of the month before; 2 the first
//   day of the month; 3 its last day.
// AcRangeSplit (from, to): the three parts of a range. The leading part runs
//   from `from` to the end of its month (or to `to`) when `from` is not a
//   first day; the whole months follow; the trailing part runs from the
//   start of the last month (or from `from`) to `to` when `to` is not a last
//   day. When the leading part already reaches `to` (both dates inside one
//   month) the trailing part is left out, so that no day counts twice.
// AcYearBack (from, to): the range one year earlier. The start moves back a
//   year (29 February becomes 1 March); the end moves back twelve months, so
//   that a range ending on 29 February ends on 28 February and not on
//   1 March, which would count a day of the next month.
#pragma once

#include <cstdint>

#include "core/dates.h"
#include "core/dec_value.h"
#include "core/status.h"

namespace eng::pelmora {

Status AcAccumulate(DecValue debit, DecValue credit, Status status, int mode, DecValue* total);

DateYmd AcMonthEdge(DateYmd date, int kind);

struct AcDayRange {
  bool on = false;
  DateYmd from = 0;
  DateYmd to = 0;
};

struct AcRangeParts {
  AcDayRange leading;  // journal days before the first whole month
  AcDayRange months;   // whole months: first day of the first, last day of the last
  AcDayRange trailing; // journal days after the last whole month
};

AcRangeParts AcRangeSplit(DateYmd from, DateYmd to);

AcDayRange AcYearBack(DateYmd from, DateYmd to);

// The 8-digit date of a text ("" or anything else: 0).
DateYmd AcDateOf(StrPair text);

}  // namespace eng::pelmora
