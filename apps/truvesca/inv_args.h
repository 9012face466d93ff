// Arguments of the invoicing procedure functions, read from the last to the
// first as every function handler reads them. An omitted argument is the
// empty text or 0; an argument of the other type is refused with 147; a
// failure of the read is passed on.
#pragma once

#include <cstdint>
#include <string>

#include "core/dec_value.h"
#include "core/fn_call.h"
#include "core/status.h"

namespace eng::truvesca {

Status InvTextArg(FnArgs& a, uint16_t i, std::string* out);
Status InvNumberArg(FnArgs& a, uint16_t i, DecValue* out);

}  // namespace eng::truvesca
