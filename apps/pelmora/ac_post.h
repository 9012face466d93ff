// Writing journal lines and checking entries.
//
// AcPostLine adds one journal line through the hooked write (0x500) with
//   the journal's relational-update rules, so that the period accumulations
//   take the line in; the rules are loaded first (RelUpdLoad) and must be
//   switched on (_UPSTAT bit 1). A line's amount goes to the debit account
//   or the credit account that it names.
// AcDeleteLine deletes the journal record the buffer holds through the
//   hooked delete (0x600), so that the rules take its amount back out.
// AcEntryImbalance (prefix): debit total minus credit total of the journal
//   lines whose key 1 begins with the prefix (date and entry number).
// AcEntryCheck (prefix): 0 when every entry whose lines' key 1 begins with
//   the prefix (an entry's, or a day's) balances on its own (or there are
//   none); otherwise 126 with message 1021 ("Asiento descuadrado") and the
//   first such entry's difference as incident text: the end of an entry
//   calls it and refuses an entry whose debits and credits differ.
// AcEntryPrefix (date, entry): the key-1 prefix of an entry.
// AcLastEntry (date, since): the highest entry number of the days from
//   `since` to the date (0 when those days have none); without `since`, of
//   every day up to the date.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "apps/pelmora/ac_books.h"
#include "core/dates.h"

namespace eng::pelmora {

struct AcLine {
  DateYmd date = 0;
  int32_t entry = 0;
  int32_t line = 0;
  std::string debit_account;
  std::string credit_account;
  DecValue amount = 0;
  std::string text;
  std::string type;
};

inline constexpr const char* kAcEntryUnbalancedMsg = "1021";

Status AcRulesOn(const AcBooks& b);
Status AcPostLine(const AcBooks& b, const AcLine& line);
Status AcDeleteLine(const AcBooks& b);

std::string AcEntryPrefix(const AcBooks& b, DateYmd date, int32_t entry);
DecValue AcEntryImbalance(const AcBooks& b, std::string_view prefix);
Status AcEntryCheck(const AcBooks& b, std::string_view prefix);
int32_t AcLastEntry(const AcBooks& b, DateYmd date, DateYmd since = 0);

}  // namespace eng::pelmora
