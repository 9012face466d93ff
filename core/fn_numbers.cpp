// Number built-ins: FN#VALN, the accumulator array _#, and the sums of FN#ACUM.
#include <string>

#include "core/arrays.h"
#include "core/dates.h"
#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/field_format.h"
#include "core/fn_builtins_detail.h"
#include "core/num_text.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/var_store.h"

namespace eng::fn {

namespace {

constexpr char kAccName[] = "_#(";
// FN#ACUM with a condition stops after this many rounds (a condition that
// never turns false would otherwise loop for ever).
constexpr uint32_t kAcumMaxRounds = 1u << 22;

// Kind "N": the number of a typed text; "D", "M", "Y": date arithmetic or
// the difference of two dates; "V": the date normalised.
Status ValN(FnArgs& a) {
  if (Status s = FnArgCount(a, 1, 3)) return s;
  FnArg third = FnArgValue(a, 3, StrPair{}, kFnArgNum);
  if (third.status) return third.status;
  bool third_text = third.type == kFnArgText && !third.omitted;
  std::string third_str(third.value.view());
  StrPair kind = FnArgStr(a, 2, StrOf("N"));
  if (!kind.ok()) return StrError(kind);
  char k = kind.len == 1 ? AsciiUpper(kind.ptr[0]) : 0;
  StrPair text = FnArgStr(a, 1, StrPair{});
  if (!text.ok()) return StrError(text);
  if (k == 'N') {
    StrPair plain = FmtNumberText(text);
    if (!plain.ok()) return StrError(plain);
    return ResultNum(a, DecFromText(plain));
  }
  int unit = k == 'D' ? kDateDay : k == 'M' ? kDateMonth : k == 'Y' ? kDateYear : k == 'V' ? 0 : -1;
  if (unit < 0) return kStSyntax;
  if (unit == 0) return ResultInt(a, third_text ? 0 : DateAdd(text, 0, kDateDay));
  int32_t n;
  if (third_text) {
    n = DatePart(StrOf(third_str), kDateWhole);
    if (n < kDateDiffFrom) n = kDateDiffFrom;  // not a date: compared with the first possible one
  } else {
    n = static_cast<int16_t>(WholeOf(third.value));
  }
  return ResultInt(a, DateAdd(text, n, unit));
}

// Element index of the accumulator array, or a failure.
Status AccValue(FnArgs& a, int64_t index) {
  DimDeclareSystem(StrOf(kAccName));
  if (index < 0 || index > 0xFFFF) return ResultNum(a, 0);
  StrPair e = DimElementRef(StrOf(kAccName), static_cast<uint16_t>(index));
  if (!e.ok()) return ResultNum(a, 0);  // beyond the array: no value
  return ResultNum(a, NumOf(e));
}

Status SysArray(FnArgs& a) {
  if (Status s = FnArgCount(a, 1, 3)) return s;
  FnIntArg third = FnArgInt(a, 3, 0);
  if (third.status) return third.status;
  FnIntArg second = FnArgInt(a, 2, 0);
  if (second.status) return second.status;
  FnArg first = FnArgValue(a, 1, StrPair{}, kFnArgNum);
  if (first.status) return first.status;
  if (first.type == kFnArgNum) return AccValue(a, WholeOf(first.value) + second.value);
  std::string name(first.value.view());
  if (name == "CLS") {
    VarRef r = VarLookup(StrOf(kAccName));
    const DimDescriptor* d = r.declared() ? DimGet(r.index) : nullptr;
    if (!d) return ResultNum(a, 0);
    uint16_t start = third.value < 0 ? 0 : static_cast<uint16_t>(third.value);
    // Up to, not including, argument 2; 0 or -1 clear to the end.
    if (second.value > 0 && second.value <= start) return ResultNum(a, 0);
    uint16_t end = second.value > 0 ? static_cast<uint16_t>(second.value - 1) : 0xFFFF;
    char zero[kDecEntryBytes] = {};
    if (Status s = DimFill(r.index, StrPair{zero, kDecEntryBytes}, start, end)) return s;
    return ResultNum(a, 0);
  }
  if (name == "DIM") return AccValue(a, second.value);
  // A name: its position in the comma list of _ACUMX$.
  std::string list;
  {
    ScratchScope scope;
    if (VarRead(StrOf("_ACUMX$")) == 1) list.assign(ScratchTop().view());
  }
  uint16_t at = StrItemIndex(StrOf(list), StrOf(name), ',');
  if (at == 0) return ResultNum(a, 0);
  return AccValue(a, int64_t(at - 1) + second.value);
}

// The value of an expression as a number; a text is read as a number text.
Status AddValue(const std::string& expr, DecValue& sum) {
  ScratchScope scope;
  Status s = ExpEvalText(StrOf(expr));
  if (s >= kStFirstError) return s;
  if (s == 1) sum += DecFromText(ScratchTop());
  else if (s == 0 || s < kStFirstWarning) sum += NumAccValue();
  return kOk;
}

Status Cond(const std::string& expr, bool& holds) {
  ScratchScope scope;
  Status s = ExpEvalCond(StrOf(expr));
  if (s >= kStFirstError) return s;
  holds = s == 1;
  return kOk;
}

Status Acum(FnArgs& a) {
  StrPair rest = RawRest(a);
  uint16_t count = ExpListCount(rest);
  if (count < 2 || count > 4) return kStSyntax;
  std::string expr = RawItem(rest, 1);
  std::string second = RawItem(rest, 2);
  DecValue sum = 0;
  if (count == 4) {
    VarRef v = VarLookup(StrOf(second));
    if (VarTypeOfName(StrOf(second)) != kVarInt || second.empty()) {
      return ErrIncident(kStSyntax, StrOf(second), false);
    }
    int32_t from = ExpEvalInt(StrOf(RawItem(rest, 3)));
    int32_t to = ExpEvalInt(StrOf(RawItem(rest, 4)));
    if (!v.declared()) v = VarDeclare(StrOf(second), kVarInt);
    if (!v.declared()) return kStVarHandle;
    // The loop runs on its own counter, so an expression that changes the
    // variable cannot make it endless.
    for (int32_t i = from; i <= to; ++i) {
      VarSetInt(v.index, static_cast<int16_t>(i));
      if (Status s = AddValue(expr, sum)) return s;
    }
    return ResultNum(a, sum);
  }
  std::string again = count == 3 ? RawItem(rest, 3) : second;
  bool holds = false;
  if (Status s = Cond(second, holds)) return s;
  for (uint32_t round = 0; holds; ++round) {
    if (round == kAcumMaxRounds) return ErrIncident(kStLoopFailure, StrOf(again), false);
    if (Status s = AddValue(expr, sum)) return s;
    if (Status s = Cond(again, holds)) return s;
  }
  return ResultNum(a, sum);
}

}  // namespace

void InstallNumbers() {
  FnInstallBuiltin(kFnValN, ValN);
  FnInstallBuiltin(kFnSysArray, SysArray);
  FnInstallBuiltin(kFnAcum, Acum);
}

}  // namespace eng::fn
