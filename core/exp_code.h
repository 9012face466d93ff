// Expressions compiled once, for texts known ahead of their runs (the
// statements of a loaded procedure). ExpCompile prepares the text and reads
// its tokens once: operators, function numbers, the kinds of operands, the
// inner text of quoted literals, sub-expressions and argument lists (compiled
// too). At run time number literals are parsed once per _PRECIS and
// variables are found once per generation of the variable store
// (core/var_store.h), so a declaration or a scope change is still seen.
//
// Most texts also get a postfix form (core/exp_vm.h) that a small stack
// machine runs; the tokens are walked for the rest, and whenever the machine
// cannot run the text at that moment.
//
// A compiled expression gives exactly what ExpEvalText gives for its text:
// the same values, statuses, recorded errors and incident texts, in the same
// order of side effects. Whatever the compiler does not take on goes on
// through the text: a text that does not prepare (its error is then recorded
// when it runs, as before), array elements, fields, the field provider's "_"
// names, and functions that read their own argument text. When application
// functions were registered after the compile, the whole text is evaluated
// again as text, since a name may now call one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/dec_value.h"
#include "core/str_pair.h"
#include "core/exp_vm.h"
#include "core/var_store.h"

namespace eng {

// How an operand is read (ExpCodeToken::kind).
namespace exp_kind {
enum : uint8_t {
  kEmpty = 0,
  kSubExpr,
  kFunction,    // a function call (arguments compiled as a child segment)
  kArrayOrHook, // "name(args)" that is no function
  kField,
  kIntVar,
  kNumVar,
  kTextVar,
  kOtherVar,    // read through VarRead: text constants, "@" names
  kQuoted,
  kBadQuote,    // a quote that does not close: a syntax error when read
  kNumber,      // a number literal or a named constant
};
}  // namespace exp_kind

// One operand and the operator after it, as ExpNextToken reads them.
struct ExpCodeToken {
  uint16_t op = 0;
  uint16_t flags = 0;
  uint16_t fn = 0;
  uint16_t start = 0;       // operand text, in its segment
  uint16_t len = 0;
  uint16_t args_start = 0;  // text between the parentheses, in its segment
  uint16_t args_len = 0;
  uint16_t next = 0;        // position after the operator or separator
  uint16_t inner_start = 0; // a quoted literal's text without its quotes
  uint16_t inner_len = 0;
  uint16_t child = 0xFFFF;  // the segment of a sub-expression or an argument list
  uint8_t kind = 0;         // how the operand is read (exp_code.cpp)
  Status status = kOk;      // a scan error met when this token is read
  mutable VarBinding binding;
  mutable int16_t precis = -1;  // the _PRECIS the literal value was read with
  mutable DecValue number = 0;
};

// A text of the expression (the whole, or the inside of parentheses) and its
// tokens, tokens[first, first + count).
struct ExpCodeSegment {
  uint16_t offset = 0;
  uint16_t len = 0;
  uint32_t first = 0;
  uint32_t count = 0;
};

struct ExpCode {
  std::string source;  // the text as written
  std::string text;    // as prepared
  std::vector<ExpCodeToken> tokens;
  std::vector<ExpCodeSegment> segments;  // 0 is the whole text
  uint16_t registered = 0;               // application functions known at the compile
  ExpProgram program;                    // the postfix form, when the text has one
};

// The compiled form of an expression text; null when the text must be
// evaluated as text (it does not prepare, or nests too deeply). Nothing is
// recorded or changed by compiling.
std::shared_ptr<const ExpCode> ExpCompile(StrPair text);
// ExpCompile for a text that is only ever read as an argument list
// (ExpCodePushArgs), such as CALL's arguments.
std::shared_ptr<const ExpCode> ExpCompileArgs(StrPair text);

// ExpEvalText, ExpEvalCond and ExpEvalStr of the compiled text.
Status ExpCodeEvalText(const ExpCode& code);
Status ExpCodeEvalCond(const ExpCode& code);
StrPair ExpCodeEvalStr(const ExpCode& code);
// ExpCodeEvalText for a statement whose value nobody reads: the statuses are
// the same, a text result is handed over as before, a number is not.
Status ExpCodeRun(const ExpCode& code);
// The compiled text read as an argument list: what FnEvalArgs does with all
// the arguments of the prepared text (values on list 35, the types as answer).
StrPair ExpCodePushArgs(const ExpCode& code);

}  // namespace eng
