#include "apps/pelmora/ac_balance.h"

#include "apps/pelmora/ac_dates.h"
#include "apps/pelmora/ac_text.h"
#include "core/exp_eval.h"
#include "core/scratch_arena.h"

namespace eng::pelmora {

namespace {

// True when a debit or credit account of a line matches the account (or
// group) code.
bool Matches(std::string_view code, std::string_view account, uint16_t code_len) {
  if (account.empty() || code.empty()) return false;
  if (account.size() >= code_len) return code == account;
  return code.substr(0, account.size()) == account;
}

bool InRange(std::string_view date, DateYmd from, DateYmd to) {
  std::string f = AcDateText(from), t = AcDateText(to);
  return date >= f && date <= t;
}

}  // namespace

std::string AcDateText(DateYmd date) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08d", static_cast<int>(date));
  return buf;
}

AcBalance AcJournalBalance(const AcBooks& b, std::string_view account, std::string_view from_key,
                           std::string_view to_key) {
  AcBalance r;
  std::string acct = AcTrimRight(account);
  if (acct.empty()) return r;
  // Through the debit-account key, then the credit-account key: only the
  // lines of the account are read.
  struct Side {
    uint16_t key, field;
    DecValue* total;
  };
  const Side sides[] = {{2, b.j_debit, &r.debit}, {3, b.j_credit, &r.credit}};
  for (const Side& side : sides) {
    Status s = AcWalk(b.journal, side.key, acct, acct, [&]() -> Status {
      std::string key1 = AcKeyText(b.journal, 1);
      if (key1 < from_key || key1.compare(0, to_key.size(), to_key) > 0) return kOk;
      if (Matches(AcFieldText(b.journal, side.field), acct, b.code_len))
        *side.total += AcFieldAmount(b.journal, b.j_amount);
      return kOk;
    });
    if (s >= kStFirstError) r.status = s;
  }
  return r;
}

AcBalance AcPeriodBalance(const AcBooks& b, std::string_view account, DateYmd from, DateYmd to,
                          uint16_t diary) {
  AcBalance r;
  std::string acct = AcTrimRight(account);
  size_t level = acct.size() <= 3 ? 3 : b.code_len;
  std::string bound = AcPadCode(AcPadCode(acct, '9', uint16_t(level)), ' ', b.code_len);
  Status s = AcWalk(b.period, 1, acct, bound, [&]() -> Status {
    if (AcFieldText(b.period, b.p_account).size() != level) return kOk;
    if (!InRange(AcFieldText(b.period, b.p_date), from, to)) return kOk;
    if (diary != kDiaryAll) {
      int d = static_cast<int>(AcFieldAmount(b.period, b.p_diary) / static_cast<DecValue>(DecPow10(DecPrecis())));
      if (diary == kDiaryRegular ? d >= 50 : d != diary) return kOk;
    }
    r.debit += AcFieldAmount(b.period, b.p_debit);
    r.credit += AcFieldAmount(b.period, b.p_credit);
    return kOk;
  });
  if (s >= kStFirstError) r.status = s;
  return r;
}

AcBalance AcRangeBalance(const AcBooks& b, std::string_view account, DateYmd from, DateYmd to,
                         std::string_view suffix, uint16_t diary) {
  AcBalance r;
  AcRangeParts parts = AcRangeSplit(from, to);
  std::string sfx(suffix);
  if (parts.leading.on)
    r.Add(AcJournalBalance(b, account, AcDateText(parts.leading.from), AcDateText(parts.leading.to) + sfx));
  if (parts.months.on) r.Add(AcPeriodBalance(b, account, parts.months.from, parts.months.to, diary));
  if (parts.trailing.on)
    r.Add(AcJournalBalance(b, account, AcDateText(parts.trailing.from), AcDateText(parts.trailing.to) + sfx));
  return r;
}

DateYmd AcYearStart(DateYmd date) {
  if (date == 0) return 0;
  ScratchScope scope;
  DateYmd start = AcDateOf(ExpEvalStr(StrOf("FAPE$")));
  while (start != 0 && start > date) start = DateShift(start, -1, kDateYear);
  return start;
}

namespace {

// Where an account search starts and which codes it accepts.
struct AccountSearch {
  std::string start;
  bool backward = false;
  bool inclusive = false;  // the start itself qualifies
  bool after_prefix = false;  // forward: after every code beginning with start
  size_t shortest = 0;  // period group records shorter than this are passed over

  bool Accepts(const std::string& code) const {
    if (backward) return inclusive ? code <= start : code < start;
    if (after_prefix) return code.compare(0, start.size(), start) > 0;
    return code >= start;
  }
  // The better of two candidates ("" is none).
  std::string Pick(const std::string& a, const std::string& c) const {
    if (a.empty()) return c;
    if (c.empty()) return a;
    return backward ? std::max(a, c) : std::min(a, c);
  }
};

AccountSearch StartOf(std::string_view account, int mode, uint16_t code_len) {
  AccountSearch s;
  s.start = std::string(account);
  s.backward = mode > 3;
  s.inclusive = (mode & 1) != 0;
  s.shortest = (mode & 6) ? account.size() : 0;
  bool blank = AcTrimRight(account).empty();
  bool trailing_blanks = !account.empty() && account.back() == ' ';
  bool step = (account.size() < code_len && !(mode & 1) && !trailing_blanks) || (blank && (mode & 2));
  if (step && (mode & 6)) {
    long long n = std::atoll(std::string(AcTrimRight(account)).c_str());
    n += (mode & 2) ? 1 : -1;
    if (n < 0) n = 0;
    std::string t = std::to_string(n);
    if (t.size() < account.size()) t.insert(0, account.size() - t.size(), '0');
    s.start = t;
    s.inclusive = true;
    s.after_prefix = false;
  } else {
    s.after_prefix = !s.backward && !s.inclusive;
  }
  return s;
}

std::string JournalSearch(const AcBooks& b, const AccountSearch& q, DateYmd from, DateYmd to) {
  std::string best;
  for (auto [key, field] : {std::pair<uint16_t, uint16_t>{2, b.j_debit}, {3, b.j_credit}}) {
    std::string found;
    std::string_view lo = q.backward ? std::string_view("0") : std::string_view(q.start);
    AcWalk(b.journal, key, lo, "\xff", [&]() -> Status {
      std::string code = AcFieldText(b.journal, field);
      if (code.empty() || !q.Accepts(code)) return q.backward && code > q.start ? 2 : kOk;
      if (!InRange(AcFieldText(b.journal, b.j_date), from, to)) return kOk;
      found = code;
      return q.backward ? kOk : 2;  // forward: the first is the nearest
    });
    best = q.Pick(best, found);
  }
  return best;
}

std::string PeriodSearch(const AcBooks& b, const AccountSearch& q, DateYmd from, DateYmd to) {
  std::string found;
  std::string_view lo = q.backward ? std::string_view("0") : std::string_view(q.start);
  AcWalk(b.period, 1, lo, "\xff", [&]() -> Status {
    std::string code = AcFieldText(b.period, b.p_account);
    if (code.empty() || !q.Accepts(code)) return q.backward && code > q.start ? 2 : kOk;
    if (code.size() < q.shortest) return kOk;  // a group record
    if (!InRange(AcFieldText(b.period, b.p_date), from, to)) return kOk;
    if (AcFieldAmount(b.period, b.p_debit) == 0 && AcFieldAmount(b.period, b.p_credit) == 0) return kOk;
    found = code;
    return q.backward ? kOk : 2;
  });
  return found;
}

}  // namespace

std::string AcNextAccount(const AcBooks& b, std::string_view account, DateYmd from, DateYmd to, int mode) {
  AccountSearch q = StartOf(account, mode, b.code_len);
  AcRangeParts parts = AcRangeSplit(from, to);
  std::string v;
  if (parts.leading.on) v = JournalSearch(b, q, parts.leading.from, parts.leading.to);
  if (parts.months.on) v = q.Pick(PeriodSearch(b, q, parts.months.from, parts.months.to), v);
  if (parts.trailing.on) v = q.Pick(JournalSearch(b, q, parts.trailing.from, parts.trailing.to), v);
  if (!account.empty() && v.size() > account.size()) v.resize(account.size());
  return v;
}

}  // namespace eng::pelmora
