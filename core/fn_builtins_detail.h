// Shared helpers of the value built-ins (core/fn_*.cpp): reading arguments
// of either type, and leaving results as the newest scratch entry. Handlers
// read their arguments from the last to the first (each read pops list 35).
#pragma once

#include <cstdint>
#include <string>

#include "core/dec_value.h"
#include "core/fn_call.h"
#include "core/str_pair.h"

namespace eng::fn {

// The DecValue of an 8-byte number argument (0 for anything else).
DecValue NumOf(StrPair v);
// A number argument as a whole number (divided by the scale, rounded).
int64_t WholeOf(StrPair v);
// Evaluates an expression text that must give a number and stores its whole
// part; a failure of 128 and above as it is, a text result 128 (incompatible types).
Status EvalWhole(StrPair text, int64_t* out);
// A text-or-number argument as text: a number written with _PRECIS decimals
// (trailing zeros dropped, zero as the empty text).
StrPair TextOf(const FnArg& a);

// Results: a text (the function's result kind becomes text), a number, a
// whole number scaled as the evaluator's integers are. Failure pairs pass
// their status on.
Status ResultText(FnArgs& a, StrPair text);
Status ResultText(FnArgs& a, const std::string& text);
Status ResultNum(FnArgs& a, DecValue value);
Status ResultInt(FnArgs& a, int64_t value);

// The raw argument text after the evaluated ones (the partly evaluated functions).
StrPair RawRest(const FnArgs& a);
// A raw item: trimmed, and one pair of enclosing parentheses removed.
std::string RawItem(StrPair rest, uint16_t n);

void InstallText();
void InstallNumbers();
void InstallDates();
void InstallLists();
void InstallControl();

}  // namespace eng::fn
