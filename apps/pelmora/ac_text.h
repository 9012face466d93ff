// Small text helpers of the accounting code: trimming, unquoting and
// splitting comma and colon lists whose items may hold quoted separators,
// and the two answers of a procedure function (its argument status and a
// number as its value).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/dec_value.h"
#include "core/fn_call.h"

namespace eng::pelmora {

// Blanks removed at both ends; at the end only.
std::string AcTrim(std::string_view v);
std::string AcTrimRight(std::string_view v);
// Blanks trimmed and one pair of quotes (either kind) removed.
std::string AcUnquote(std::string_view v);
// Split at the separator outside quotes; with `assign` a ":" that starts
// ":=" does not split (the items of a parameter string).
std::vector<std::string> AcSplit(std::string_view text, char sep, bool assign = false);

// A procedure variable's value as a text, trailing blanks removed ("" for
// an undefined one); as a number; assigned from a text (a number variable
// takes the text's value).
std::string AcVarText(const char* name);
DecValue AcVarNumber(const char* name);
Status AcVarAssign(const char* name, std::string_view value);

// A wrong argument type is a call that does not fit the function: 147.
Status AcArgStatus(Status s);
// The function's value is the number.
Status AcNumberResult(FnArgs& args, DecValue v);

}  // namespace eng::pelmora
