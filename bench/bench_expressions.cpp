// Evaluations per second of typical expressions: arithmetic on number
// variables, text concatenation with a function call, a comparison, and an
// assignment list. Each case runs twice: from its text (prepared and scanned
// at every evaluation, as EXP$ and macros do) and compiled once (as the
// statements of a loaded procedure are); the goal for compiled ones is 10
// million evaluations per second. Run with `make bench` (or
// build/bench/bench/bench_expressions).
#include <benchmark/benchmark.h>

#include <string>

#include "core/dec_value.h"
#include "core/dyn_strings.h"
#include "core/exp_code.h"
#include "core/exp_eval.h"
#include "core/fn_call.h"
#include "core/obj_table.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/var_store.h"

namespace eng {
namespace {

// A trimming function in the built-in slot of FN$TRIM, installed when the
// program has none, so that the call mechanism is measured as it is used.
Status TrimBoth(FnArgs& args) {
  StrPair t = FnArgStr(args, 1, StrPair{});
  if (!t.ok()) return StrError(t);
  StrPair r = ScratchPair(StrTrim(t, 3));
  return r.ok() ? kOk : StrError(r);
}

void StartRuntime() {
  CoreRuntimeReset();
  MemSetLimits(kArenaProgramKb, 0xFFFF);
  DynStrInit();
  ObjTableInit();
  VarInitSystem();
  if (!FnBuiltinInstalled(kFnTrim)) FnInstallDirectBuiltin(kFnTrim, TrimBoth);
  ExpExecute(StrOf("A#=1234.56;B#=78.9;C#=3;D=12;T$='Invoice ';U$='  00042  '"));
  // Some more variables, so that look-ups search lists of a usual length.
  for (int i = 0; i < 40; ++i) {
    std::string n = std::to_string(i);
    ExpExecute(StrOf("V" + n + "=" + n + ";W" + n + "#=" + n + ";S" + n + "$='" + n + "'"));
  }
}

void Run(benchmark::State& state, const char* expression, Status expected) {
  StartRuntime();
  StrPair text = StrFromC(expression);
  {
    ScratchScope scope;
    if (ExpEvalText(text) != expected) {
      state.SkipWithError("unexpected status");
      return;
    }
  }
  for (auto _ : state) {
    ScratchScope scope;
    Status s = ExpEvalText(text);
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations());
  CoreRuntimeReset();
}

void RunCompiled(benchmark::State& state, const char* expression, Status expected) {
  StartRuntime();
  std::shared_ptr<const ExpCode> code = ExpCompile(StrFromC(expression));
  if (!code) {
    state.SkipWithError("does not compile");
    return;
  }
  {
    ScratchScope scope;
    if (ExpCodeEvalText(*code) != expected) {
      state.SkipWithError("unexpected status");
      return;
    }
  }
  for (auto _ : state) {
    ScratchScope scope;
    Status s = ExpCodeEvalText(*code);
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations());
  CoreRuntimeReset();
}

struct Case {
  const char* expression;
  Status expected;
};
constexpr Case kNumberArithmetic{"(A#+B#)*C#/2-D+A#%7.5", 0};
constexpr Case kTextConcatenationWithCall{"T$+FN$TRIM(U$)+' / '+S12$", 1};
constexpr Case kComparison{"A#*2>=B#+1&&T$<>''", 0};
constexpr Case kAssignmentList{"X=D+1;Y#=A#*X;Z$=T$+'x'", 1};

void BM_NumberArithmetic(benchmark::State& state) { Run(state, kNumberArithmetic.expression, kNumberArithmetic.expected); }
BENCHMARK(BM_NumberArithmetic);

void BM_TextConcatenationWithCall(benchmark::State& state) {
  Run(state, kTextConcatenationWithCall.expression, kTextConcatenationWithCall.expected);
}
BENCHMARK(BM_TextConcatenationWithCall);

void BM_Comparison(benchmark::State& state) { Run(state, kComparison.expression, kComparison.expected); }
BENCHMARK(BM_Comparison);

void BM_AssignmentList(benchmark::State& state) { Run(state, kAssignmentList.expression, kAssignmentList.expected); }
BENCHMARK(BM_AssignmentList);

void BM_NumberArithmeticCompiled(benchmark::State& state) {
  RunCompiled(state, kNumberArithmetic.expression, kNumberArithmetic.expected);
}
BENCHMARK(BM_NumberArithmeticCompiled);

void BM_TextConcatenationWithCallCompiled(benchmark::State& state) {
  RunCompiled(state, kTextConcatenationWithCall.expression, kTextConcatenationWithCall.expected);
}
BENCHMARK(BM_TextConcatenationWithCallCompiled);

void BM_ComparisonCompiled(benchmark::State& state) { RunCompiled(state, kComparison.expression, kComparison.expected); }
BENCHMARK(BM_ComparisonCompiled);

void BM_AssignmentListCompiled(benchmark::State& state) {
  RunCompiled(state, kAssignmentList.expression, kAssignmentList.expected);
}
BENCHMARK(BM_AssignmentListCompiled);

}  // namespace
}  // namespace eng
