// The postfix form of a compiled expression and the small stack machine
// that runs it. ExpVmBuild reads the tokens of a compiled expression
// (core/exp_code.h) once, in the order the evaluator walks them, and writes
// one operation per step: push a literal, a variable, a field or a text;
// apply an operator; assign to a variable or a field; call a built-in with
// the arguments already on the stack; run the branch that a CHK# or CHK$
// condition chooses (core/fn_check.h); drop an item's value. Variables are
// bound to their slots with the variable store's generation check
// (VarBind), so a declaration or a scope change is still seen; literal
// numbers are read once per _PRECIS.
//
// The machine gives what the token walk gives: the same values, statuses,
// recorded errors with their incident texts (each enclosing operand records
// again, as the walk does), and the same order of side effects. Texts the
// build cannot take on in full (arrays, other functions, "_" names while a
// field provider is set, any scan or syntax error, nesting past the
// evaluator's limit) keep the token walk, as does CHK# or CHK$ while another
// handler is installed for it: ExpVmRun then answers false before it has
// done anything.
#pragma once

#include <cstdint>
#include <vector>

#include "core/dec_value.h"
#include "core/fn_check.h"
#include "core/str_pair.h"
#include "core/var_store.h"

namespace eng {

struct ExpCode;
namespace exp_detail {
struct Value;
}

struct ExpVmOp {
  uint8_t code = 0;
  uint8_t op = 0;     // an operator; for a text variable, whether to copy it
  uint16_t a = 0;
  uint16_t b = 0;
  uint16_t c = 0;
  uint16_t d = 0;
  uint16_t ctx = 0xFFFF;  // the operands that enclose this step (ExpProgram::contexts)
};

// A variable named in the text, bound once per generation of the store.
struct ExpVmVar {
  uint16_t start = 0;  // its name in the prepared text
  uint16_t len = 0;
  uint16_t type = 0;
  mutable VarBinding binding;
};

struct ExpVmLiteral {
  uint16_t start = 0;
  uint16_t len = 0;
  mutable int16_t precis = -1;  // the _PRECIS `number` was read with
  mutable DecValue number = 0;
};

// A text of the prepared expression: an incident text, or an argument list.
struct ExpVmSpan {
  uint16_t start = 0;
  uint16_t len = 0;
};

// An operand (a sub-expression or a call) around some steps: a failure
// inside it is recorded again with its text, then with its parent's.
struct ExpVmContext {
  uint16_t span = 0;
  uint16_t parent = 0xFFFF;
};

struct ExpProgram {
  std::vector<ExpVmOp> ops;
  std::vector<ExpVmVar> vars;
  std::vector<ExpVmLiteral> literals;
  std::vector<ExpVmSpan> spans;
  std::vector<ExpVmContext> contexts;
  // The two branches of each CHK# and CHK$, compiled with the text: the one
  // taken when the condition holds, then the other.
  std::vector<FnChkBranch> branches;
  // The first step of each item of the whole text, with the item's position.
  std::vector<uint16_t> item_ops;
  std::vector<uint16_t> item_pos;
  uint16_t depth = 0;            // the evaluator nesting the walk would reach
  uint16_t stack = 0;            // the values held at most
  bool provider_names = false;   // names beginning with "_"
  bool args = false;             // an argument list (ExpVmBuildArgs)
  bool chk_num = false;          // runs CHK# (its own handler must be installed)
  bool chk_text = false;         // runs CHK$
  bool ok() const { return !ops.empty(); }
};

// Writes code.program from code's tokens; leaves it empty when the text
// keeps the token walk.
void ExpVmBuild(ExpCode& code);

// Writes code.program for the text read as an argument list: each argument
// evaluated and pushed on list 35 before the next is evaluated, as
// FnEvalArgs does.
void ExpVmBuildArgs(ExpCode& code);
// Runs an argument-list program: false when it cannot run now (nothing was
// done); otherwise *types is what FnEvalArgs answers (the types as a new
// scratch entry, or the failure: an evaluation's error recorded as the
// token walk records it).
bool ExpVmPushArgs(const ExpCode& code, StrPair* types);

// Runs the program: false when it cannot run now (nothing was done).
// Otherwise *status is what the token walk's list gives (an error recorded
// as the walk records it, *fail_pos the position of the failing item) and
// *out the value.
bool ExpVmRun(const ExpCode& code, exp_detail::Value* out, Status* status, uint16_t* fail_pos);

}  // namespace eng
