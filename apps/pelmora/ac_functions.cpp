#include "apps/pelmora/ac_functions.h"

#include <cctype>
#include <string>
#include <vector>

#include "apps/pelmora/ac_balance.h"
#include "apps/pelmora/ac_books.h"
#include "apps/pelmora/ac_dates.h"
#include "apps/pelmora/ac_entry_num.h"
#include "apps/pelmora/ac_line_order.h"
#include "apps/pelmora/ac_layout.h"
#include "apps/pelmora/ac_text.h"
#include "apps/pelmora/pelmora_head.h"
#include "core/arrays.h"
#include "core/def_lines.h"
#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/module_parms.h"
#include "core/msg_box.h"
#include "core/scratch_arena.h"
#include "core/sys_vars.h"
#include "data/condition_text.h"
#include "data/dict_query.h"
#include "data/hooked_write.h"
#include "data/related_records.h"
#include "data/relup_rules.h"
#include "data/selection_set.h"
#include "ui/win_def.h"

namespace eng::pelmora {

namespace {


// Reads text arguments last to first into out[0..n-1].
Status ReadTexts(FnArgs& args, uint16_t n, std::string* out) {
  for (uint16_t i = n; i >= 1; --i) {
    StrPair t = FnArgStr(args, i, StrPair{});
    if (!t.ok()) return AcArgStatus(StrError(t));
    out[i - 1] = t.ok() ? t.str() : std::string();
  }
  return kOk;
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

// The level's mask filled from the field references of item 17; "" when
// the account does not begin with the level's prefix or there is no mask.
std::string AccountFromMask(int lv, bool has_account, const std::string& account) {
  ScratchScope scope;
  // The mask field of the level and, after it, its account prefix.
  StrPair mask_name = AcFieldName(16);
  std::string ref = mask_name.ok() ? mask_name.str() : std::string();
  size_t at = ref.find("%s");
  if (at != std::string::npos) ref.replace(at, 2, std::to_string(lv));
  std::string prefix, mask;
  {
    size_t brace = ref.find('{');
    uint16_t file = static_cast<uint16_t>(brace == std::string::npos ? 3 : std::atoi(ref.c_str() + brace + 1));
    uint16_t field = DictFindField(file, StrOf(ref.substr(0, brace)));
    if (field != 0xFFFF) {
      mask = AcTrim(AcFieldText(file, field));
      if (field < DictFieldCount(file)) prefix = AcTrim(AcFieldText(file, uint16_t(field + 1)));
    }
  }
  for (char& c : prefix) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (has_account && account.compare(0, prefix.size(), prefix) != 0) return {};
  if (mask.empty()) return {};
  // Item 17: pairs of a mask character and the field that fills its first run.
  std::string pairs = AcFieldName(17).str();
  if (pairs.size() >= 2 && pairs.front() == '\'' && pairs.back() == '\'') pairs = pairs.substr(1, pairs.size() - 2);
  std::vector<std::string> items;
  for (size_t i = 0;;) {
    size_t comma = pairs.find(',', i);
    items.push_back(pairs.substr(i, comma == std::string::npos ? std::string::npos : comma - i));
    if (comma == std::string::npos) break;
    i = comma + 1;
  }
  for (size_t k = 0; k + 1 < items.size(); k += 2) {
    if (items[k].empty()) continue;
    char mark = items[k][0];
    // The first run of the character outside quotes.
    size_t start = std::string::npos, len = 0;
    char quote = 0;
    for (size_t i = 0; i < mask.size(); ++i) {
      char c = mask[i];
      if (quote) {
        if (c == quote) quote = 0;
        continue;
      }
      if (c == '\'' || c == '"') {
        quote = c;
        continue;
      }
      if (c == mark) {
        if (start == std::string::npos) start = i;
        ++len;
      } else if (start != std::string::npos) {
        break;
      }
    }
    if (start == std::string::npos) continue;
    StrPair v = ExpEvalStr(StrOf(items[k + 1]));
    std::string value;
    if (v.ok())
      for (char c : v.view())
        if (c != ' ') value += c;
    if (value.size() < len) value.insert(0, len - value.size(), '0');
    mask.replace(start, len, value.substr(value.size() - len));
  }
  return mask;
}

}  // namespace

Status AcGetBalanceFn(FnArgs& args) {
  if (Status s = FnArgCount(args, 1, 5)) return s;
  StrPair from_arg = FnArgStr(args, 5, StrPair{});
  if (!from_arg.ok()) return AcArgStatus(StrError(from_arg));
  std::string from_text = AcTrim(from_arg.str());
  FnIntArg mode = FnArgInt(args, 4, 1);
  if (mode.status) return AcArgStatus(mode.status);
  std::string t[3];
  if (Status s = ReadTexts(args, 3, t)) return s;
  DateYmd to = AcDateOf(StrOf(AcTrim(t[1])));
  if (to == 0) return kStDataError;
  DateYmd from = from_text.empty() ? AcYearStart(to) : AcDateOf(StrOf(from_text));
  if (from == 0) return kStDataError;
  AcBooks b;
  if (Status s = AcBooksOpen(&b)) return s;
  AcBalance r = AcRangeBalance(b, AcTrim(t[0]), from, to, t[2], kDiaryAll);
  DecValue total = 0;
  Status s = AcAccumulate(r.debit, r.credit, r.status, mode.value == 0 ? 1 : mode.value, &total);
  if (s >= kStFirstError) return s;
  {
    ScratchScope scope;
    if (Status d = DimSetNum(StrOf("_#("), 1, r.debit)) return d;
    if (Status d = DimSetNum(StrOf("_#("), 2, r.credit)) return d;
  }
  return AcNumberResult(args, total);
}

Status AcGetAccountFn(FnArgs& args) {
  if (args.Count() != 4) return kStSyntax;
  FnIntArg mode = FnArgInt(args, 4, 0);
  if (mode.status) return AcArgStatus(mode.status);
  std::string t[3];
  if (Status s = ReadTexts(args, 3, t)) return s;
  AcBooks b;
  if (Status s = AcBooksOpen(&b)) return s;
  std::string v = AcNextAccount(b, t[0], AcDateOf(StrOf(AcTrim(t[1]))), AcDateOf(StrOf(AcTrim(t[2]))), mode.value);
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
    std::string cond = AccountCondition(b, b.journal, {b.j_debit, b.j_credit}, AcTrim(t[4]));
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
  return AcNumberResult(args, DecFromInt(static_cast<int16_t>(status)));
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
    std::string account = AcTrim(t[2]);
    if (account.empty()) return kStDataError;
    std::string cond = AccountCondition(b, b.period, {b.p_account}, account);
    SysVarSet(kVarCurRow, 0);
    {
      ScratchScope scope;
      status = SelBuild(b.period, 2, StrOf(AcTrim(t[0])), StrOf(AcTrim(t[1])), 65535, 3, StrOf(cond));
    }
    if (status == kOk) status = ReadPeriodGroup(b, 0);
  } else {
    status = ReadPeriodGroup(b, static_cast<uint32_t>(SysVarGet(kVarCurRow)) + 1);
  }
  if (status > 5) return status;
  return AcNumberResult(args, DecFromInt(static_cast<int16_t>(status)));
}

Status AcGetPAccountFn(FnArgs& args) {
  if (Status s = FnArgCount(args, 1, 2)) return s;
  StrPair acct_arg = FnArgStr(args, 2, StrPair{});
  if (!acct_arg.ok()) return AcArgStatus(StrError(acct_arg));
  std::string account = AcTrim(acct_arg.str());
  bool has_account = args.Count() == 2;
  FnIntArg level = FnArgInt(args, 1, 1);
  if (level.status) return AcArgStatus(level.status);
  args.result_text = true;
  int lv = level.value == 0 ? 1 : level.value;
  std::string code = AccountFromMask(lv, has_account, account);
  return ScratchCopy(StrOf(code));
}


Status AcImportFn(FnArgs& args) {
  if (Status s = FnArgCount(args, 1, 2)) return s;
  StrPair def_arg = FnArgStr(args, 2, StrPair{});
  if (!def_arg.ok()) return AcArgStatus(StrError(def_arg));
  std::string definition = AcTrim(def_arg.str());
  FnIntArg mode = FnArgInt(args, 1, 0);
  if (mode.status) return AcArgStatus(mode.status);
  AcBooks b;
  if (Status s = AcBooksOpen(&b)) return s;
  uint16_t registry = AppModuleFile(1);
  // RD_EXP$ of the parameters in effect before the definition is pushed.
  std::string rd_exp;
  {
    ScratchScope scope;
    StrPair v = ParmGet(kParmRdExp);
    if (v.ok()) rd_exp = v.str();
  }
  bool pushed = false;
  if (!definition.empty()) {
    ScratchScope scope;
    size_t comma = definition.find(',');
    std::string name = AcTrim(definition.substr(0, comma));
    int32_t number = comma == std::string::npos ? 0 : std::atoi(definition.c_str() + comma + 1);
    StrPair path = WinDefFilePath(StrOf(name), kDefKindPpn);
    if (path.empty()) path = DefFileName(StrOf(name), kDefKindPpn);
    if (Status s = ParmPushDef(path, 1, number)) return s;
    pushed = true;
  }
  auto parm = [](uint16_t n) {
    ScratchScope scope;
    StrPair v = ParmGet(n);
    return v.ok() ? v.str() : std::string();
  };
  Status s = kOk;
  {
    ScratchScope scope;
    StrPair slots = DataFileLineExpr(StrOf(parm(kParmRelOpt)), RelUpdBase(b.journal));
    std::string slot_list = slots.ok() ? slots.str() : std::string();
    switch (mode.value) {
      case 0:
        s = DataFileWriteHooked(kWriteAdd, b.journal, StrOf(slot_list), StrPair{});
        break;
      case 1:
        s = DataFileWriteHooked(kWriteAdd, registry, StrPair{}, StrPair{});
        break;
      case 2: {
        std::string alarm = parm(kParmAlarm);
        Status holds = ExpEvalCond(StrOf(alarm));
        if (holds == 0) {
          s = ErrIncident(kStBadData, StrOf(alarm), false);
          break;
        }
        if (holds >= kStFirstError) {
          s = holds;
          break;
        }
        int16_t current = SysVarGet(kVarCurFil);
        SysVarSet(kVarCurFil, static_cast<int16_t>(b.journal));
        s = DataFileWriteLoop(b.journal, StrOf(parm(kParmSet)), StrOf(parm(kParmRdCond)),
                              StrOf(parm(kParmWrExp)), StrOf(parm(kParmEotExp)), StrOf(slot_list), nullptr,
                              nullptr, nullptr);
        SysVarSet(kVarCurFil, current);
        break;
      }
      default:
        break;
    }
  }
  if (pushed) ParmPop();
  if (s == kOk && !AcTrim(rd_exp).empty()) {
    ScratchScope scope;
    s = DataFileRelFollow(registry, StrOf(rd_exp), 0);
  }
  if (s >= kStFirstError || s == kStBadData) return s;
  return AcNumberResult(args, 0);
}

Status AcRegisterFunctions() {
  struct Fn {
    const char* name;
    FnHandler handler;
  };
  const Fn fns[] = {{"AcFitEntry", &AcFitEntryFn},
                    {"AcFullBalance", &AcFullBalanceFn},
                    {"AcGetAccount$", &AcGetAccountFn},
                    {"AcGetBalance", &AcGetBalanceFn},
                    {"AcGetEntry", &AcGetEntryFn},
                    {"AcGetEntryNum", &AcGetEntryNumFn},
                    {"AcGetPerAcum", &AcGetPerAcumFn},
                    {"AcGetPAccount$", &AcGetPAccountFn},
                    {"AcBLabel", &AcBLabelFn},
                    {"Import", &AcImportFn}};
  for (const Fn& f : fns) {
    if (Status s = FnRegister(StrFromC(f.name), f.handler)) {
      MsgErrorBox(s);
      return s;
    }
  }
  return kOk;
}

}  // namespace eng::pelmora
