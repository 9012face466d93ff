// The lazy conditionals CHK#(cond; then; else) and CHK$: the condition is
// evaluated as an argument, and only the branch it chooses is read from the
// raw argument text and evaluated, as an expression of its own.
//
// FnChkBranchOf finds branch 1 (the condition holds) or 2 in the raw text
// after the condition and compiles it. FnChkRun evaluates a branch for a
// CHK# (want_text false) or CHK$ handler: the result is left as the newest
// scratch entry, the empty text or 0 for a blank branch or an empty value;
// a result of the other kind gives the empty text or 0 with 125; a warning
// of the branch is answered with no result made; an error as it is.
// FnChkStock tells whether built-in n is CHK# or CHK$ with the handler that
// does exactly this installed (the compiled evaluator may then run the
// conditional itself).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

struct ExpCode;

struct FnChkBranch {
  bool blank = false;  // missing or only blanks: the empty result
  std::string text;
  std::shared_ptr<const ExpCode> code;  // null: evaluated as text
};

FnChkBranch FnChkBranchOf(StrPair rest, bool holds);
Status FnChkRun(const FnChkBranch& branch, bool want_text);
bool FnChkStock(uint16_t n);

}  // namespace eng
