// Date and time built-ins: FN$DATE and TIME$.
#include <string>

#include "core/date_text.h"
#include "core/dates.h"
#include "core/fn_builtins_detail.h"
#include "core/os_services.h"
#include "core/str_search.h"

namespace eng::fn {

namespace {

constexpr int kFromFile = 0x80;

// The date in a display mode; a number is a date integer, a text with a
// separator is parsed first, bit 0x80 names a file whose last-write date is used.
Status Date(FnArgs& a) {
  if (Status s = FnArgCount(a, 0, 2)) return s;
  FnIntArg mode = FnArgInt(a, 2, 0);
  if (mode.status) return mode.status;
  FnArg first = FnArgValue(a, 1, StrPair{}, kFnArgText);
  if (first.status) return first.status;
  StrPair date;
  std::string held;
  if (first.type == kFnArgNum && !first.omitted) {
    // 0 is no date (today); any other number is taken as its 8 digits, so
    // an invalid one shows as invalid rather than as today.
    int64_t n = WholeOf(first.value);
    std::string digits = n == 0 ? std::string() : std::to_string(n);
    if (n > 0 && digits.size() < 8) digits.insert(0, 8 - digits.size(), '0');
    held = digits;
    date = StrOf(held);
  } else if (mode.value & kFromFile) {
    date = DateText(static_cast<DateYmd>(SysFileTime(first.value, 2, 1)));
  } else if (StrFindAny(first.value, StrOf("-./"), true) != kNotFound) {
    date = FmtParseDate(first.value);
  } else {
    date = first.value;
  }
  if (!date.ok()) return StrError(date);
  return ResultText(a, FmtDate(date, mode.value & 0x7F));
}

// A time text (empty: now), or with bit 0x80 a file's last-write time,
// formatted with the flags.
Status Time(FnArgs& a) {
  if (Status s = FnArgCount(a, 0, 2)) return s;
  FnIntArg flags = FnArgInt(a, 2, 0);
  if (flags.status) return flags.status;
  StrPair t = FnArgStr(a, 1, StrPair{});
  if (!t.ok()) return StrError(t);
  int64_t ms = (flags.value & kFromFile) ? int64_t(SysFileTime(t, 2, 0)) : SysTimeParse(t);
  return ResultText(a, SysTimeFormat(ms, flags.value & 0x7F));
}

}  // namespace

void InstallDates() {
  FnInstallBuiltin(kFnDate, Date);
  FnInstallBuiltin(kFnTime, Time);
}

}  // namespace eng::fn
