// The procedure function PayDate$ (date; offset; day step; month step; n
// [; pay days]) -> the due date text of PayDateCompute (apps/paydates/
// pay_date.h). The first and sixth arguments are texts, the others whole
// numbers (16-bit, negative ones count backwards); an omitted argument is
// empty or 0. 147 for fewer than 5 or more than 6 arguments or an argument
// of the wrong type; 163 when PayDateCompute finds no date.
//
// PayDateRegister: registers PayDate$ in the next application function slot
// (FnRegister: 168 when the slots are full).
#pragma once

#include "core/fn_call.h"
#include "core/status.h"

namespace eng::paydates {

inline constexpr const char* kPayDateName = "PayDate$";

Status PayDateFn(FnArgs& args);
Status PayDateRegister();

}  // namespace eng::paydates
