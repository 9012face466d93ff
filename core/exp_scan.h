// The token scanner of the expression language.
//
// ExpPrepare readies a text for evaluation: parentheses must balance (129),
// every run of blanks outside quotes must touch an operator character (147),
// the blanks outside quotes are removed, and the accept shorthands
// "_ACCEPT#(" and "_ACCEPT$(" are rewritten into the calls they stand for.
//
// ExpNextToken reads one step from a position of a prepared text: the
// operand (a name, literal, call "name(args)" or sub-expression "(...)") and
// the operator that follows it. A ";" or "," outside quotes and parentheses
// ends an expression item (no operator). Operand kind flags combine:
//   1 text value, 2 variable name, 4 number variable, 8 field reference,
//   16 call that is no function (an array element, or hook 2 for "_" names),
//   32 function call, 64 parenthesised sub-expression.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/str_pair.h"

namespace eng {

enum ExpKind : uint16_t {
  kExpText = 1,
  kExpVariable = 2,
  kExpNumVar = 4,
  kExpField = 8,
  kExpArrayCall = 16,
  kExpFnCall = 32,
  kExpSubExpr = 64,
};

// Operator indexes (0: none).
enum ExpOp : uint16_t {
  kOpNone = 0,
  kOpMul = 1, kOpDiv, kOpRound, kOpPercent, kOpLessPercent,
  kOpAdd = 6, kOpSub, kOpAssign,
  kOpGt = 9, kOpLt, kOpEq, kOpGe, kOpLe, kOpNe,
  kOpAnd = 15, kOpOrDisjoint, kOpAtDisjoint, kOpLogAnd, kOpLogOr, kOpAtAt,
};
inline constexpr uint16_t kExpOperatorCount = 20;

struct ExpOperator {
  const char* text;
  uint8_t prec;
};
// Index 1-20 as above; entry 0 is unused.
extern const ExpOperator kExpOperators[kExpOperatorCount + 1];

// The characters that can start (or be) an operator: "*/!%", byte 247,
// "+-(;,:)=><&", "@" and "|".
bool ExpIsOperatorChar(char c);

struct ExpToken {
  uint16_t op = kOpNone;     // the operator after the operand
  uint16_t flags = 0;        // operand kind
  uint16_t start = 0;        // operand text (for calls: the name with its "(")
  uint16_t len = 0;
  uint16_t args_start = 0;   // text inside the parentheses of a call or sub-expression
  uint16_t args_len = 0;
  uint16_t next = 0;         // position after the operator or separator
  uint8_t prec = 0;
  uint16_t fn = 0;           // function number for a function call
  bool item_end = false;     // the item ended here (separator or end of text)
  Status status = kOk;

  StrPair Operand(StrPair text) const { return StrPair{text.ptr + start, len}; }
  StrPair Args(StrPair text) const { return StrPair{text.ptr + args_start, args_len}; }
  bool Empty() const { return len == 0 && !(flags & kExpSubExpr); }
};

// The prepared text as a new scratch entry, or a failure pair (129 with the
// text as incident text, 147 with the rest after the offending blanks).
// With record false a failure is only answered, not recorded (for checking a
// text ahead of its evaluation).
StrPair ExpPrepare(StrPair text, bool record = true);
// Reads one step from pos (status 129 for an unmatched "(", 147 for text
// after a closing parenthesis or an operator that does not exist).
ExpToken ExpNextToken(StrPair text, uint16_t pos);
// The position of the parenthesis matching the "(" at pos, outside quotes;
// kNotFound when there is none.
uint16_t ExpMatchParen(StrPair text, uint16_t pos);

}  // namespace eng
