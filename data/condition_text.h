// Condition texts: small builders of expression-language conditions made at
// run time from field names, comparison operators and values a user typed
// (filters of reports, transactions, selections and the accounting windows).
//
// Comparison operators are the items of a list, by default
// "==,>,>=,<,<=,<>" numbered 1-6; a number above the count means the last
// item, 0 is refused with 163.
//
// A value never becomes expression text. The value is the third conversion
// of the format (after the field and the operator):
//   - between quotes in the format ("'%s'" or "\"%s\""), the value is
//     written as a text literal instead: in apostrophes when it holds none,
//     else in double quotes when it holds none, else as quoted pieces joined
//     by "+" inside parentheses; every value evaluates back to itself;
//   - bare in the format ("%s"), only a number is accepted (blanks around it
//     dropped, an optional sign, digits with at most one point); anything
//     else is refused with 147.
// An empty value gives the empty condition. Texts are new scratch entries;
// failures are failure pairs.
#pragma once

#include <cstdint>

#include "core/str_pair.h"

namespace eng {

inline constexpr const char* kCondOperators = "==,>,>=,<,<=,<>";
inline constexpr const char* kCondQuotedFormat = "%s%s'%s'";
inline constexpr const char* kCondBareFormat = "%s%s%s";
inline constexpr const char* kCondTruePrefix = "1&&";
// Type letters whose values are compared bare (numbers).
inline constexpr const char* kCondNumericTypes = "NL123456789";

// The value written as a text literal that evaluates back to it exactly.
StrPair CondQuoteValue(StrPair value);
// 0 when the text (blanks around it dropped) is a plain decimal number, else 147.
Status CondCheckNumber(StrPair value);

// The format filled with the field text, the operator and the value, at most
// the value's length + 384 characters (146 beyond); empty for an empty value.
StrPair CondCompare(StrPair field, uint16_t op, StrPair value, StrPair format = StrOf(kCondQuotedFormat),
                    StrPair operators = StrOf(kCondOperators));
// CondCompare over the default list, appended to the condition with the join;
// the join only when both sides are non-empty.
StrPair CondAndCompare(StrPair field, uint16_t op, StrPair value, StrPair condition, StrPair join = StrOf("&&"),
                       StrPair format = StrOf(kCondQuotedFormat));
// Removes a leading "1&&" from the condition; when one was removed the other
// condition becomes empty. True when it removed one.
bool CondStripTrue(StrPair& condition, StrPair& other);
// a and b joined by the operator: after stripping "1&&" from a, then from b,
// an empty side gives the other one, else "(a)op(b)".
StrPair CondJoin(StrPair a, StrPair b, StrPair op);
// CondCompare with the value bare for a numeric type letter, quoted otherwise.
StrPair CondFieldCompare(StrPair field, uint16_t op, StrPair value, char type);
// Over a comma list of field references (invalid ones skipped): per field
// "(name>=low&&name<=high)" when a high value is given and low sorts before
// it, else name==low; the parts joined with "||".
StrPair CondFieldsRange(StrPair references, StrPair low, StrPair high);

}  // namespace eng
