#include "apps/truvesca/inv_args.h"

#include "core/fn_builtins_detail.h"

namespace eng::truvesca {

Status InvTextArg(FnArgs& a, uint16_t i, std::string* out) {
  FnArg v = FnArgValue(a, i, StrPair{}, kFnArgText);
  if (v.status) return v.status;
  if (v.omitted) {
    out->clear();
    return kOk;
  }
  if (v.type != kFnArgText) return kStSyntax;
  *out = v.value.str();
  return kOk;
}

Status InvNumberArg(FnArgs& a, uint16_t i, DecValue* out) {
  FnArg v = FnArgValue(a, i, StrPair{}, kFnArgNum);
  if (v.status) return v.status;
  if (v.type == kFnArgText) return kStSyntax;
  *out = v.omitted ? 0 : fn::NumOf(v.value);
  return kOk;
}

}  // namespace eng::truvesca
