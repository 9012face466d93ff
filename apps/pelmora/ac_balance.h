// Account balances over a range of dates, from the journal for the days of
// incomplete months and from the period accumulations for whole months
// (the split of ac_dates.h).
//
// An account code shorter than the code length is a group: in the journal
// it matches every line whose debit or credit account begins with it (the
// range of the code padded with "0" to the code padded with "9"); in the
// period file a group of one or two characters sums its three-character
// group records, a three-character group its own group records, and a full
// code its own records.
//
// AcJournalBalance (account, from key, to key): the journal lines whose
//   key 1 lies from `from` to `to` (compared over the length of `to`; a date
//   alone takes the whole day): IMPORTE adds to the debit when the debit
//   account matches and to the credit when the credit account matches (both
//   may hold). An empty account matches nothing.
// AcPeriodBalance (account, from, to, diary): diary 0 counts the records
//   whose DIARIO is below 50, 65535 all, any other n only DIARIO n.
// AcRangeBalance (account, from, to, key suffix, diary): the three parts
//   added; a status of 128 and above survives, lower ones count as 0.
// AcYearStart (date): FAPE$ moved back a year at a time while it is after
//   the date; 0 when the date or FAPE$ is not a date.
// AcNextAccount (account, from, to, mode): the nearest account with
//   movements between the dates, in the journal (debit or credit account of
//   a line of those days) or the period file (a record of those months with
//   a non-zero total); cut to the length of the given account. Mode 2 looks
//   after every code that begins with the account, mode 3 from the account
//   on (itself included), modes 4 and 5 backwards (before the account, or
//   up to it); a group record of the period file shorter than the given
//   account is passed over. "" when there is none.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "apps/pelmora/ac_books.h"
#include "core/dates.h"
#include "core/dec_value.h"
#include "core/status.h"

namespace eng::pelmora {

struct AcBalance {
  DecValue debit = 0;
  DecValue credit = 0;
  Status status = kOk;
  void Add(const AcBalance& other) {
    debit += other.debit;
    credit += other.credit;
    if (other.status >= kStFirstError && status < kStFirstError) status = other.status;
  }
};

inline constexpr uint16_t kDiaryRegular = 0;
inline constexpr uint16_t kDiaryAll = 65535;

AcBalance AcJournalBalance(const AcBooks& b, std::string_view account, std::string_view from_key,
                           std::string_view to_key);
AcBalance AcPeriodBalance(const AcBooks& b, std::string_view account, DateYmd from, DateYmd to,
                          uint16_t diary);
AcBalance AcRangeBalance(const AcBooks& b, std::string_view account, DateYmd from, DateYmd to,
                         std::string_view suffix, uint16_t diary);
DateYmd AcYearStart(DateYmd date);
std::string AcNextAccount(const AcBooks& b, std::string_view account, DateYmd from, DateYmd to, int mode);

// The 8-digit text of a date.
std::string AcDateText(DateYmd date);

}  // namespace eng::pelmora
