#include "apps/pelmora/ac_functions.h"

#include <string>

#include "apps/pelmora/ac_balance.h"
#include "apps/pelmora/ac_books.h"
#include "apps/pelmora/ac_dates.h"
#include "apps/pelmora/ac_layout.h"
#include "core/arrays.h"
#include "core/msg_box.h"
#include "core/scratch_arena.h"
#include "core/sys_vars.h"
#include "data/condition_text.h"
#include "data/dict_query.h"
#include "data/selection_set.h"

namespace eng::pelmora {

namespace {

Status ArgStatus(Status s) { return s == kStIncompatibleTypes ? Status{kStSyntax} : s; }

// Reads text arguments last to first into out[0..n-1].
Status ReadTexts(FnArgs& args, uint16_t n, std::string* out) {
  for (uint16_t i = n; i >= 1; --i) {
    StrPair t = FnArgStr(args, i, StrPair{});
    if (!t.ok()) return ArgStatus(StrError(t));
    out[i - 1] = t.ok() ? t.str() : std::string();
  }
  return kOk;
}

Status Number(FnArgs& args, DecValue v) {
  args.result_text = false;
  StrPair p = DecStoreValue(v);
  return p.ok() ? kOk : StrError(p);
}

std::string Trim(const std::string& s) {
  size_t e = s.find_last_not_of(' ');
  size_t b = s.find_first_not_of(' ');
  return e == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// The condition "field equals the code" over the fields, or "between the
// code padded with 0 and with 9" for a group code.
std::string AccountCondition(const AcBooks& b, uint16_t file, std::initializer_list<uint16_t> fields,
                             const std::string& account) {
  ScratchScope scope;
  std::string refs;
  for (uint16_t f : fields) {
    if (!refs.empty()) refs += ",";
    refs += DictFieldQualName(file, f).str();
  }
  bool group = account.size() < b.code_len;
  std::string low = group ? AcPadCode(account, '0', b.code_len) : account;
  std::string high = group ? AcPadCode(account, '9', b.code_len) : std::string();
  StrPair c = CondFieldsRange(StrOf(refs), StrOf(low), StrOf(high));
  return c.ok() ? "(" + c.str() + ")" : std::string();
}

// Reads the group of period records of one date from `start` on.
Status ReadPeriodGroup(const AcBooks& b, uint32_t start) {
  uint32_t count = SelCount(b.period);
  if (start >= count) {
    SelFree(b.period);
    return 2;
  }
  std::string date;
  DecValue debit = 0, credit = 0;
  for (uint32_t i = start; i < count; ++i) {
    if (Status s = SelGoto(b.period, 3, i)) return s;
    std::string d = AcFieldText(b.period, b.p_date);
    if (i > start && d != date) break;
    date = d;
    debit += AcFieldAmount(b.period, b.p_debit);
    credit += AcFieldAmount(b.period, b.p_credit);
    SysVarSet(kVarCurRow, static_cast<int16_t>(i));
  }
  if (Status s = AcSetFieldText(b.period, b.p_date, date)) return s;
  if (Status s = AcSetFieldAmount(b.period, b.p_debit, debit)) return s;
  return AcSetFieldAmount(b.period, b.p_credit, credit);
}

}  // namespace

Status AcGetBalanceFn(FnArgs& args) {
  if (Status s = FnArgCount(args, 1, 5)) return s;
  StrPair from_arg = FnArgStr(args, 5, StrPair{});
  if (!from_arg.ok()) return ArgStatus(StrError(from_arg));
  std::string from_text = Trim(from_arg.str());
  FnIntArg mode = FnArgInt(args, 4, 1);
  if (mode.status) return ArgStatus(mode.status);
  std::string t[3];
  if (Status s = ReadTexts(args, 3, t)) return s;
  DateYmd to = AcDateOf(StrOf(Trim(t[1])));
  if (to == 0) return kStDataError;
  DateYmd from = from_text.empty() ? AcYearStart(to) : AcDateOf(StrOf(from_text));
  if (from == 0) return kStDataError;
  AcBooks b;
  if (Status s = AcBooksOpen(&b)) return s;
  AcBalance r = AcRangeBalance(b, Trim(t[0]), from, to, t[2], kDiaryAll);
  DecValue total = 0;
  Status s = AcAccumulate(r.debit, r.credit, r.status, mode.value == 0 ? 1 : mode.value, &total);
  if (s >= kStFirstError) return s;
  {
    ScratchScope scope;
    if (Status d = DimSetNum(StrOf("_#("), 1, r.debit)) return d;
    if (Status d = DimSetNum(StrOf("_#("), 2, r.credit)) return d;
  }
  return Number(args, total);
}

Status AcGetAccountFn(FnArgs& args) {
  if (args.Count() != 4) return kStSyntax;
  FnIntArg mode = FnArgInt(args, 4, 0);
  if (mode.status) return ArgStatus(mode.status);
  std::string t[3];
  if (Status s = ReadTexts(args, 3, t)) return s;
  AcBooks b;
  if (Status s = AcBooksOpen(&b)) return s;
  std::string v = AcNextAccount(b, t[0], AcDateOf(StrOf(Trim(t[1]))), AcDateOf(StrOf(Trim(t[2]))), mode.value);
  args.result_text = true;
  return ScratchCopy(StrOf(v));
}

Status AcGetEntryFn(FnArgs& args) {
  uint16_t n = args.Count();
  if (n != 0 && n != 5) return kStSyntax;
  AcBooks b;
  if (Status s = AcBooksOpen(&b)) return s;
  Status status;
  if (n == 5) {
    std::string t[5];
    if (Status s = ReadTexts(args, 5, t)) return s;
    std::string cond = AccountCondition(b, b.journal, {b.j_debit, b.j_credit}, Trim(t[4]));
    SysVarSet(kVarCurRow, 0);
    ScratchScope scope;
    status = SelBuild(b.journal, 1, StrOf(t[0] + t[1]), StrOf(t[2] + t[3]), 65535, 3, StrOf(cond));
    if (status == kOk) status = SelGoto(b.journal, 3, 0);
  } else {
    uint32_t next = static_cast<uint32_t>(SysVarGet(kVarCurRow)) + 1;
    if (next < SelCount(b.journal)) {
      SysVarSet(kVarCurRow, static_cast<int16_t>(next));
      status = SelGoto(b.journal, 3, next);
    } else {
      SelFree(b.journal);
      status = 2;
    }
  }
  return Number(args, DecFromInt(static_cast<int16_t>(status)));
}

Status AcGetPerAcumFn(FnArgs& args) {
  uint16_t n = args.Count();
  if (n != 0 && n != 3) return kStSyntax;
  AcBooks b;
  if (Status s = AcBooksOpen(&b)) return s;
  Status status;
  if (n == 3) {
    std::string t[3];
    if (Status s = ReadTexts(args, 3, t)) return s;
    std::string account = Trim(t[2]);
    if (account.empty()) return kStDataError;
    std::string cond = AccountCondition(b, b.period, {b.p_account}, account);
    SysVarSet(kVarCurRow, 0);
    {
      ScratchScope scope;
      status = SelBuild(b.period, 2, StrOf(Trim(t[0])), StrOf(Trim(t[1])), 65535, 3, StrOf(cond));
    }
    if (status == kOk) status = ReadPeriodGroup(b, 0);
  } else {
    status = ReadPeriodGroup(b, static_cast<uint32_t>(SysVarGet(kVarCurRow)) + 1);
  }
  if (status > 5) return status;
  return Number(args, DecFromInt(static_cast<int16_t>(status)));
}

Status AcRegisterFunctions() {
  struct Fn {
    const char* name;
    FnHandler handler;
  };
  const Fn fns[] = {{"AcFullBalance", &AcFullBalanceFn},
                    {"AcGetAccount$", &AcGetAccountFn},
                    {"AcGetBalance", &AcGetBalanceFn},
                    {"AcGetEntry", &AcGetEntryFn},
                    {"AcGetPerAcum", &AcGetPerAcumFn},
                    {"AcBLabel", &AcBLabelFn}};
  for (const Fn& f : fns) {
    if (Status s = FnRegister(StrFromC(f.name), f.handler)) {
      MsgErrorBox(s);
      return s;
    }
  }
  return kOk;
}

}  // namespace eng::pelmora
