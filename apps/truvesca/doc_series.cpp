#include "apps/truvesca/doc_series.h"

#include "apps/truvesca/inv_args.h"
#include "core/dates.h"
#include "core/fn_builtins_detail.h"
#include "core/fn_call.h"
#include "core/scratch_arena.h"
#include "core/sys_vars.h"

namespace eng::truvesca {

namespace {

Status FnDocSer(FnArgs& a) {
  if (Status s = FnArgCount(a, 2, 2)) return s;
  std::string date, series;
  if (Status s = InvTextArg(a, 2, &date)) return s;
  if (Status s = InvTextArg(a, 1, &series)) return s;
  return fn::ResultText(a, DocSeries(series, date));
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
