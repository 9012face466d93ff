// The expression evaluator. A text holds one or more expression items
// separated by ";" or ","; each is evaluated left to right by operator
// precedence (core/exp_scan.h has the operators), and the last item's value
// is the current result: the newest scratch entry, an 8-byte DecValue for a
// number (scaled by 10^_PRECIS; truth values are 1 and 0 scale units) or the
// bytes of a text. Every step releases the arena to its mark and keeps only
// its result, so an expression of any length uses a bounded number of
// entries.
//
// Statuses: 0 a number result, 1 a text result, 2-121 an informational result
// of a function, 123 an empty expression (no error), 122 and 124-127
// warnings, 128 and above errors (recorded under "ExpExec" with the failing
// text as incident text).
#pragma once

#include <cstdint>
#include <string>

#include "core/dec_value.h"
#include "core/str_pair.h"

namespace eng {

// A position in an argument or expression text.
// Nesting depth of the evaluator (sub-expressions, calls, signs, chained
// assignments, and evaluations started from inside an evaluation, such as
// a macro or a procedure run by a function). Past kExpMaxDepth the
// expression fails with 147 instead of exhausting the stack.
inline constexpr uint16_t kExpMaxDepth = 200;
struct ExpState {
  uint16_t depth = 0;
};

struct ExpCursor {
  StrPair text;
  uint16_t pos = 0;
  bool AtEnd() const { return pos >= text.len; }
};

Status ExpEvalText(StrPair text);
// For the effect: statuses below 128 become 0.
Status ExpExecute(StrPair text);
// 1 for an empty text; 1 for a non-zero number, 0 for zero or a text; errors
// of 122 and above as they are.
Status ExpEvalCond(StrPair text);
// The number as a 16-bit integer (rounded); 0 on any error.
int16_t ExpEvalInt(StrPair text);
DecValue ExpEvalNum(StrPair text);
// A number rendered with _PRECIS decimals (trailing zeros dropped), a text as
// it is, an error as a failure pair. A new scratch entry.
StrPair ExpEvalStr(StrPair text);
// The value when the text is a text expression (its first operand a text,
// followed by no operator, "+" or "="), otherwise the text unchanged.
StrPair ExpEvalIfString(StrPair text);

// Evaluates one expression item at the cursor (an argument of a function
// call: up to the next ";" or "," at its level) into the current result and
// moves the cursor past its separator. 0 number, 1 text, 123 an empty
// argument, errors as ExpEvalText. The item's own text is assumed prepared.
Status ExpEvalArgument(ExpCursor& cursor);

// Assigns a value given as a text to a variable or an array element ("A(3)").
// With converted false a typed number text ("1.234,5") is first reduced to a
// plain decimal.
Status ExpAssignValue(StrPair name, StrPair value, bool converted);
// The statement "name=value" that assigns the value back exactly: a text is
// quoted (pieces joined by "+" when it holds both quote characters, line
// breaks as calls); an empty value of a number name is "0".
StrPair ExpMakeAssignment(StrPair name, StrPair value);

// For each file of the dictionary (string list 1, element = file number - 1),
// in number order, the integer variable named after the file (lower-cased)
// is assigned the file's number; the first failure stops.
Status ExpFileNumberVars();

// The first operand's text from a position, and the n-th item (from 1) of a
// ";"/","-separated expression list (separators in parentheses and quotes
// do not count).
StrPair ExpFirstOperand(StrPair text, uint16_t pos);
StrPair ExpListItem(StrPair text, uint16_t n);
// The number of items (0 for an empty text; a trailing separator adds an empty one).
uint16_t ExpListCount(StrPair text);

// "name(args)": the array element. "_name(args)": the line-field function of
// hook slot 2 with the first index, its text converted to the type of the
// name (without its "("); with the slot empty the operand has no value (0,
// or the empty text for a "$" name).
Status ExpCallArrayOrHook(StrPair name, StrPair args);

// 10^_PRECIS in 16 bits.
int16_t ExpScale();
// The function number of a name (exact, else upper-cased), 0 when none.
uint16_t ExpBuiltinIndex(StrPair name);
// Make a value the current number.
Status ExpPushInt(int16_t value);
Status ExpPushInt32(int32_t value);
Status ExpPushNum(DecValue value);
Status ExpPushDecimal(StrPair text);

}  // namespace eng
