#include "apps/pelmora/ac_process.h"

#include <map>
#include <string>
#include <vector>

#include "apps/pelmora/ac_balance.h"
#include "apps/pelmora/ac_dates.h"
#include "apps/pelmora/ac_layout.h"
#include "apps/pelmora/ac_post.h"
#include "apps/pelmora/ac_rel_cache.h"
#include "apps/pelmora/ac_text.h"
#include "core/dyn_strings.h"
#include "core/exp_eval.h"
#include "core/exp_parm_file.h"
#include "core/module_parms.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"
#include "core/streams.h"
#include "core/string_lists.h"
#include "data/dict_query.h"
#include "data/file_ctrl.h"
#include "data/hooked_write.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/relup_rules.h"
#include "data/selection_set.h"

namespace eng::pelmora {

namespace {

std::string VarText(const char* name) { return AcVarText(name); }

bool VarOn(const char* name) { return AcVarNumber(name) != 0; }

// Counts the progress steps and asks the caller's callback.
struct Steps {
  const AcProgress& progress;
  uint32_t count = 0;
  Status Step() {
    ++count;
    return progress ? progress(count) : kOk;
  }
};

// The last day of the fiscal year that begins on `start`.
DateYmd YearEnd(DateYmd start) { return DateShift(DateShift(start, 1, kDateYear), -1, kDateDay); }

// Deletes the period records of the months between two dates.
Status ResetPeriods(const AcBooks& b, DateYmd from, DateYmd to, Steps& steps) {
  std::string f = AcDateText(AcMonthEdge(from, 2)), t = AcDateText(AcMonthEdge(to, 3));
  // Key 2 of the period file begins with the date: collect the keys first,
  // then delete record by record.
  std::vector<std::string> keys;
  Status s = AcWalk(b.period, 2, f, t, [&]() -> Status {
    keys.push_back(AcKeyText(b.period, 1));
    return kOk;
  });
  if (s) return s;
  for (const std::string& k : keys) {
    ScratchScope scope;
    if (DataFileLocate(b.period, 1, StrOf(k), 0) != kOk) continue;
    if (Status d = DataFileDelete(b.period, 0)) return d;
    if (Status p = steps.Step()) return p;
  }
  return kOk;
}

// Runs the journal's rules (+1 pass) over every line of the days. The rule
// text (slot 0: no slot list) is the same for every line and is read once;
// the records the rules update are written once at the end (ac_rel_cache.h).
Status RepostJournal(const AcBooks& b, DateYmd from, DateYmd to, Steps& steps) {
  if (Status s = AcRulesOn(b)) return s;
  std::string rules;
  {
    ScratchScope scope;
    StrPair text = RelRuleText(b.journal, StrPair{});
    if (!text.ok()) return StrError(text);
    rules = text.str();
  }
  AcRelCacheScope kept;
  const AcRelRulePass pass(std::move(rules));
  std::string f = AcDateText(from), t = AcDateText(to);
  Status s = AcWalk(b.journal, 1, f, t, [&]() -> Status {
    if (Status r = pass.Run(b.journal)) return r;
    return steps.Step();
  });
  return s ? s : kept.Flush();
}

// Writes the totals of a range into the account's chart record (created
// when missing).
Status StoreTotals(const AcBooks& b, const std::string& account, const AcBalance& r) {
  {
    ScratchScope scope;
    Status s = DataFileReadByKeyText(b.chart, 1, StrOf(account));
    if (s >= kStFirstError) return s;
  }
  if (Status s = AcSetFieldAmount(b.chart, b.c_debit, r.debit)) return s;
  if (Status s = AcSetFieldAmount(b.chart, b.c_credit, r.credit)) return s;
  Status s = DataFileUpdateRecord(b.chart);
  return s >= kStFirstError ? s : kOk;
}

Status FitAccounts(const AcBooks& b, Steps& steps) {
  DateYmd start = AcDateOf(StrOf(VarText("FAPE$")));
  if (start == 0) return kOk;
  DateYmd end = YearEnd(start);
  std::vector<std::string> codes;
  Status s = AcWalk(b.chart, 1, "", "\xff", [&]() -> Status {
    std::string code = AcFieldText(b.chart, b.c_code);
    if (code.size() == b.code_len) codes.push_back(code);
    return kOk;
  });
  if (s) return s;
  for (const std::string& code : codes) {
    AcBalance r = AcRangeBalance(b, code, start, end, "", kDiaryAll);
    if (r.status) return r.status;
    if (Status w = StoreTotals(b, code, r)) return w;
    if (Status p = steps.Step()) return p;
  }
  return kOk;
}

// One entry being written: lines numbered from 1 under one entry number.
struct EntryWriter {
  const AcBooks& b;
  DateYmd date;
  int32_t entry;
  std::string text;
  int32_t line = 0;
  // Writes the line that cancels a balance (debit - credit): a credit line
  // for a debit balance, a debit line otherwise. A zero balance writes
  // nothing.
  Status Cancel(const std::string& account, DecValue balance) {
    if (balance == 0) return kOk;
    AcLine l;
    l.date = date;
    l.entry = entry;
    l.line = ++line;
    l.text = text;
    if (balance > 0) {
      l.credit_account = account;
      l.amount = balance;
    } else {
      l.debit_account = account;
      l.amount = -balance;
    }
    return AcPostLine(b, l);
  }
};

std::string DescriptionOf(const char* name) { return VarText(name); }

// The accounts of each layout line's list closed by the writer, each list
// followed by its counter-line on the result account.
Status RegulariseLines(const AcBooks& b, const std::string& names, DateYmd start, DateYmd end,
                       const std::string& result_account, EntryWriter& w, Steps& steps) {
  for (const std::string& name : AcSplit(names, ',')) {
    DecValue total = 0;
    for (const std::string& item : AcSplit(AcLayoutAccounts(name), ',')) {
      std::string group = AcTrim(item.substr(0, item.find(';')));
      std::string account = AcPadCode(group, '0', b.code_len);
      int mode = 3;
      while (!group.empty()) {
        account = AcNextAccount(b, account, start, end, mode);
        mode = 2;
        if (account.empty() || account.compare(0, group.size(), group) != 0) break;
        AcBalance r = AcRangeBalance(b, account, start, end, "", kDiaryAll);
        if (r.status) return r.status;
        if (Status s = w.Cancel(account, r.debit - r.credit)) return s;
        total += r.debit - r.credit;
        if (Status s = steps.Step()) return s;
      }
    }
    if (total != 0 && !result_account.empty())
      if (Status s = w.Cancel(result_account, -total)) return s;
  }
  return kOk;
}

}  // namespace

Status AcSetYearOpening(DateYmd date) {
  ScratchScope scope;
  std::string item = "FAPE$='" + AcDateText(date) + "'";
  return ExpSaveParmFile(StrOf("%APPPATH_DATA%\\%APNAME%PARINI.DAT"), StrOf(item));
}

Status AcRegenBalances(const AcBooks& b, DateYmd from, DateYmd to, const AcProgress& progress) {
  if (from == 0 || to == 0 || from > to) return kStDataError;
  Steps steps{progress};
  DateYmd first = AcMonthEdge(from, 2), last = AcMonthEdge(to, 3);
  if (Status s = ResetPeriods(b, first, last, steps)) return s;
  if (Status s = RepostJournal(b, first, last, steps)) return s;
  return FitAccounts(b, steps);
}

Status AcSetBalances(const AcBooks& b, DateYmd from, DateYmd to, const AcProgress& progress) {
  Steps steps{progress};
  std::string account = AcPadCode("", '0', b.code_len);
  for (;;) {
    account = AcNextAccount(b, account, from, to, 2);
    if (account.empty()) return kOk;
    AcBalance r = AcRangeBalance(b, account, from, to, "", kDiaryAll);
    if (r.status) return r.status;
    if (Status s = StoreTotals(b, account, r)) return s;
    if (Status s = steps.Step()) return s;
  }
}

Status AcCloseYear(const AcBooks& b, const AcProgress& progress) {
  DateYmd start = AcDateOf(StrOf(VarText("FAPE$")));
  DateYmd end = AcDateOf(StrOf(VarText("_FINI$")));
  DateYmd next = AcDateOf(StrOf(VarText("_FFIN$")));
  std::string result_account = VarText("_CTAP$");
  if (start == 0 || end == 0 || next == 0 || end < start || next <= end) return kStDataError;
  if (Status s = AcRulesOn(b)) return s;
  Steps steps{progress};
  // The year's entries go on from its last one; the new year starts at 1.
  int32_t entry = AcLastEntry(b, end, start);

  // Regularisation: for each line of the profit and loss layout, its
  // accounts are cancelled and their total goes to the result account.
  if (VarOn("_PEGA")) {
    Status st = kOk;
    std::string names = AcLayoutNames(VarOn("_EABR") ? 2 : 4, &st);
    if (st) return st;
    EntryWriter w{b, end, ++entry, DescriptionOf("_CPTG$")};
    Status s = RegulariseLines(b, names, start, end, result_account, w, steps);
    ParmPop();  // the layout pushed by AcLayoutNames
    if (s) return s;
    if (w.line == 0) --entry;
  }

  // Closing and opening: the balances cancelled on the last day and given
  // back on the first day of the next year.
  std::vector<std::pair<std::string, DecValue>> closed;
  if (VarOn("_CIER")) {
    EntryWriter w{b, end, ++entry, DescriptionOf("_CPTC$")};
    std::string account = AcPadCode("", '0', b.code_len);
    std::vector<std::pair<std::string, DecValue>> balances;
    for (;;) {
      account = AcNextAccount(b, account, start, end, 2);
      if (account.empty()) break;
      AcBalance r = AcRangeBalance(b, account, start, end, "", kDiaryAll);
      if (r.status) return r.status;
      if (r.debit != r.credit) balances.emplace_back(account, r.debit - r.credit);
    }
    for (const auto& [acct, balance] : balances) {
      if (Status s = w.Cancel(acct, balance)) return s;
      closed.emplace_back(acct, balance);
      if (Status s = steps.Step()) return s;
    }
  }
  if (VarOn("_APER")) {
    if (closed.empty()) return kStNoData;
    EntryWriter w{b, next, AcLastEntry(b, next, next) + 1, DescriptionOf("_CPT1$")};
    for (const auto& [acct, balance] : closed) {
      if (Status s = w.Cancel(acct, -balance)) return s;
      if (Status s = steps.Step()) return s;
    }
  }
  if (Status s = AcSetBalances(b, next, YearEnd(next), progress)) return s;
  return AcSetYearOpening(next);
}

Status AcUncloseYear(const AcBooks& b, DateYmd closing, const AcProgress& progress) {
  if (closing == 0) return kStDataError;
  if (Status s = AcRulesOn(b)) return s;
  Steps steps{progress};
  DateYmd opening = DateShift(closing, 1, kDateDay);
  struct Day {
    DateYmd date;
    std::vector<std::string> texts;
  };
  const Day days[] = {{closing, {DescriptionOf("_CPTG$"), DescriptionOf("_CPTC$")}},
                      {opening, {DescriptionOf("_CPT1$")}}};
  ScratchScope names;
  uint16_t text_field = DictFindField(b.journal, StrOf("CONCEPTO"));
  if (text_field == 0xFFFF) return kStDataError;
  for (const Day& day : days) {
    std::vector<std::string> keys;
    std::string d = AcDateText(day.date);
    Status s = AcWalk(b.journal, 1, d, d, [&]() -> Status {
      std::string text = AcFieldText(b.journal, text_field);
      for (const std::string& t : day.texts)
        if (!t.empty() && text == t) keys.push_back(AcKeyText(b.journal, 1));
      return kOk;
    });
    if (s) return s;
    for (const std::string& k : keys) {
      ScratchScope scope;
      if (DataFileLocate(b.journal, 1, StrOf(k), 0) != kOk) continue;
      if (Status del = AcDeleteLine(b); del >= kStFirstError) return del;
      if (Status p = steps.Step()) return p;
    }
  }
  DateYmd start = DateShift(opening, -1, kDateYear);
  if (Status s = AcSetYearOpening(start)) return s;
  return AcRegenBalances(b, start, closing, progress);
}

Status AcRenumberEntries(const AcBooks& b, DateYmd from, DateYmd to, int32_t first, const AcProgress& progress) {
  if (from == 0 || to == 0 || from > to || first < 1) return kStDataError;
  Steps steps{progress};
  int32_t n = first;
  std::string t = AcDateText(to);
  std::string day = AcDateText(from);
  while (day <= t) {
    // The entries of the day in key order.
    std::vector<int32_t> entries;
    std::string next_day;
    Status s = AcWalk(b.journal, 1, day, "\xff", [&]() -> Status {
      std::string k = AcKeyText(b.journal, 1);
      if (k.compare(0, 8, day) != 0) {
        next_day = k.substr(0, 8);
        return 2;
      }
      int32_t v = std::atoi(k.substr(8, b.entry_len).c_str());
      if (entries.empty() || entries.back() != v) entries.push_back(v);
      return kOk;
    });
    if (s >= kStFirstError) return s;
    // The new numbers keep the order, so entries moving down are renumbered
    // from the first and entries moving up from the last: no new number
    // meets an old one on its way.
    std::map<int32_t, int32_t> to_number;
    for (size_t i = 0; i < entries.size(); ++i) to_number[entries[i]] = n + int32_t(i);
    std::vector<int32_t> order;
    for (int32_t v : entries)
      if (to_number[v] < v) order.push_back(v);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
      if (to_number[*it] > *it) order.push_back(*it);
    for (int32_t v : order) {
      std::string prefix = AcEntryPrefix(b, AcDateOf(StrOf(day)), v);
      std::vector<std::string> keys;
      if (Status w = AcWalk(b.journal, 1, prefix, prefix, [&]() -> Status {
            keys.push_back(AcKeyText(b.journal, 1));
            return kOk;
          }))
        return w;
      for (const std::string& k : keys) {
        ScratchScope scope;
        if (DataFileLocate(b.journal, 1, StrOf(k), 0) != kOk) continue;
        if (Status w = AcSetFieldText(b.journal, b.j_entry, std::to_string(to_number[v]))) return w;
        if (Status w = DataFileUpdateRecord(b.journal); w >= kStFirstError) return w;
        if (Status p = steps.Step()) return p;
      }
    }
    n += int32_t(entries.size());
    if (next_day.empty()) break;
    day = next_day;
  }
  return kOk;
}

}  // namespace eng::pelmora
