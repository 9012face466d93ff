// A core runtime with the variable store started (system variables declared),
// and helpers that evaluate an expression and read its result back.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/dec_value.h"
#include "core/exp_eval.h"
#include "core/scratch_arena.h"
#include "core/var_store.h"
#include "tests/support/core_fixture.h"

namespace eng::test {

struct EvalResult {
  Status status = 0;
  std::string text;   // a text result, or a number rendered with _PRECIS decimals
  DecValue num = 0;   // a number result
};

inline EvalResult Eval(const std::string& expression) {
  ScratchScope scope;
  EvalResult r;
  r.status = ExpEvalText(StrOf(expression));
  if (r.status == 1) {
    r.text = ScratchTop().str();
  } else if (r.status < kStFirstWarning) {
    r.num = NumAccValue();
    r.text = DecToText(r.num).str();
  }
  return r;
}

class ExpTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    ASSERT_EQ(VarInitSystem(), kOk);
  }
  // Reads a variable through the store, rendered as text.
  static std::string Var(const std::string& name) {
    ScratchScope scope;
    Status s = VarRead(StrOf(name));
    if (s == 1) return ScratchTop().str();
    if (s) return "<status " + std::to_string(s) + ">";
    return DecToText(NumAccValue()).str();
  }
};

}  // namespace eng::test
