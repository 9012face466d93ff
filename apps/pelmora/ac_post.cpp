#include "apps/pelmora/ac_post.h"

#include <cstdio>

#include "apps/pelmora/ac_balance.h"
#include "core/err_register.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "data/dict_query.h"
#include "data/file_ctrl.h"
#include "data/hooked_write.h"
#include "data/record_layer.h"
#include "data/relup_rules.h"

namespace eng::pelmora {

Status AcRulesOn(const AcBooks& b) {
  DataFileSetTriggers(true);
  return RelUpdLoad(b.journal, StrPair{});
}

Status AcPostLine(const AcBooks& b, const AcLine& l) {
  if (Status s = DataFileMove(b.journal, 1); s != 3) return s >= kStFirstError ? s : Status{kStDataError};
  char num[16];
  struct Field {
    uint16_t field;
    std::string value;
  };
  std::snprintf(num, sizeof num, "%d", static_cast<int>(l.entry));
  std::string entry = num;
  std::snprintf(num, sizeof num, "%d", static_cast<int>(l.line));
  const Field fields[] = {
      {b.j_date, AcDateText(l.date)}, {b.j_entry, entry},       {b.j_line, num},
      {b.j_type, l.type},             {b.j_debit, l.debit_account}, {b.j_credit, l.credit_account},
  };
  for (const Field& f : fields)
    if (Status s = AcSetFieldText(b.journal, f.field, f.value)) return s;
  if (Status s = AcSetFieldAmount(b.journal, b.j_amount, l.amount)) return s;
  {
    ScratchScope scope;
    uint16_t text_field = DictFindField(b.journal, StrOf("CONCEPTO"));
    if (text_field != 0xFFFF && !l.text.empty())
      if (Status s = AcSetFieldText(b.journal, text_field, l.text)) return s;
    return DataFileWriteHooked(kWriteAdd, b.journal, StrPair{}, StrPair{});
  }
}

Status AcDeleteLine(const AcBooks& b) {
  ScratchScope scope;
  return DataFileWriteHooked(kWriteDelete, b.journal, StrPair{}, StrPair{});
}

std::string AcEntryPrefix(const AcBooks& b, DateYmd date, int32_t entry) {
  char num[16];
  std::snprintf(num, sizeof num, "%*d", static_cast<int>(b.entry_len), static_cast<int>(entry));
  return AcDateText(date) + num;
}

namespace {

// The current journal line's share of its entry's imbalance: its amount on
// the debit side, minus it on the credit side.
DecValue LineImbalance(const AcBooks& b) {
  const DecValue amount = AcFieldAmount(b.journal, b.j_amount);
  DecValue diff = 0;
  if (!AcFieldText(b.journal, b.j_debit).empty()) diff += amount;
  if (!AcFieldText(b.journal, b.j_credit).empty()) diff -= amount;
  return diff;
}

}  // namespace

DecValue AcEntryImbalance(const AcBooks& b, std::string_view prefix) {
  DecValue diff = 0;
  AcWalk(b.journal, 1, prefix, prefix, [&]() -> Status {
    diff += LineImbalance(b);
    return kOk;
  });
  return diff;
}

Status AcEntryCheck(const AcBooks& b, std::string_view prefix) {
  // Each entry under the prefix balances on its own: the first that does
  // not is the one reported.
  const size_t entry_key = DictFieldLength(b.journal, b.j_date) + b.entry_len;
  std::string entry;
  DecValue diff = 0;
  AcWalk(b.journal, 1, prefix, prefix, [&]() -> Status {
    std::string key = AcKeyText(b.journal, 1).substr(0, entry_key);
    if (key != entry) {
      if (diff != 0) return kStBadData;
      entry = std::move(key);
    }
    diff += LineImbalance(b);
    return kOk;
  });
  if (diff == 0) return kOk;
  ScratchScope scope;
  std::string text = MsgText(kAcEntryUnbalancedMsg).str();
  StrPair amount = DecToText(diff);
  if (amount.ok()) text += ": " + amount.str();
  return ErrIncident(kStBadData, StrOf(text), false);
}

int32_t AcLastEntry(const AcBooks& b, DateYmd date, DateYmd since) {
  // The record before the first key of the next day holds the highest
  // entry number on or before the date.
  DataFileSetKeyNumber(b.journal, 1);
  Status s;
  {
    ScratchScope scope;
    s = DataFileLocate(b.journal, 1, StrOf(AcDateText(DateShift(date, 1, kDateDay))), 2);
  }
  s = DataFileMove(b.journal, s == 2 ? 0x20 : 0x14);
  if (s != kOk) return 0;
  std::string k = AcKeyText(b.journal, 1);
  if (k.compare(0, 8, AcDateText(date)) > 0 || k.compare(0, 8, AcDateText(since)) < 0) return 0;
  return std::atoi(k.substr(8, b.entry_len).c_str());
}

}  // namespace eng::pelmora
