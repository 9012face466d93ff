#include "apps/truvesca/doc_series.h"

#include "core/dates.h"
#include "core/fn_builtins_detail.h"
#include "core/fn_call.h"
#include "core/scratch_arena.h"
#include "core/sys_vars.h"

namespace eng::truvesca {

namespace {

Status FnDocSer(FnArgs& a) {
  if (Status s = FnArgCount(a, 2, 2)) return s;
  FnArg date = FnArgValue(a, 2, StrPair{}, kFnArgText);
  if (date.status) return date.status;
  FnArg series = FnArgValue(a, 1, StrPair{}, kFnArgText);
  if (series.status) return series.status;
  for (const FnArg* arg : {&date, &series})
    if (arg->type != kFnArgText && !arg->omitted) return kStSyntax;
  std::string d = date.omitted ? std::string() : date.value.str();
  std::string s = series.omitted ? std::string() : series.value.str();
  return fn::ResultText(a, DocSeries(s, d));
}

}  // namespace

std::string DocSeries(std::string_view series, std::string_view date) {
  size_t end = date.find_last_not_of(' ');
  std::string d(end == std::string_view::npos ? std::string_view() : date.substr(0, end + 1));
  if (d.empty()) {
    ScratchScope scope;
    d = DateText(DateToday()).str();
  }
  if (d.size() > 2 && SysVarHas(kVarCompat, kCompatDecadeLetters)) {
    if (d[2] == '0') d[2] = 'A';
    else if (d[2] == '1') d[2] = 'B';
  }
  std::string out(series.substr(0, 1));
  if (d.size() > 2) out.append(d, 2, 2);
  return out;
}

Status DocSerRegister() { return FnRegister(StrOf("DocSer$"), &FnDocSer); }

}  // namespace eng::truvesca
