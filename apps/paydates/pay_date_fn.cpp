#include "apps/paydates/pay_date_fn.h"

#include "apps/paydates/pay_date.h"
#include "core/scratch_arena.h"

namespace eng::paydates {

namespace {

// A wrong type is a call that does not fit the function: its syntax error.
Status ArgStatus(Status s) { return s == kStIncompatibleTypes ? Status{kStSyntax} : s; }

}  // namespace

Status PayDateFn(FnArgs& args) {
  if (Status s = FnArgCount(args, 5, 6)) return s;
  // Arguments are read from the last to the first.
  StrPair pay_days = FnArgStr(args, 6, StrPair{});
  if (!pay_days.ok()) return ArgStatus(StrError(pay_days));
  int16_t numbers[4] = {};
  for (uint16_t i = 5; i >= 2; --i) {
    FnIntArg v = FnArgInt(args, i, 0);
    if (v.status) return ArgStatus(v.status);
    numbers[i - 2] = v.value;
  }
  StrPair date = FnArgStr(args, 1, StrPair{});
  if (!date.ok()) return ArgStatus(StrError(date));
  StrPair due = PayDateCompute(date, numbers[0], numbers[1], numbers[2], numbers[3], pay_days);
  if (!due.ok()) return StrError(due);
  args.result_text = true;
  return ScratchCopy(due);
}

Status PayDateRegister() { return FnRegister(StrOf(kPayDateName), &PayDateFn); }

}  // namespace eng::paydates
