// Evaluations per second of typical expressions: arithmetic on number
// variables, text concatenation with a function call, a comparison, and an
// assignment list. Run with `make bench` (or build/bench/bench/bench_expressions).
#include <benchmark/benchmark.h>

#include <string>

#include "core/dec_value.h"
#include "core/dyn_strings.h"
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
  if (!FnBuiltinInstalled(kFnTrim)) FnInstallBuiltin(kFnTrim, TrimBoth);
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

void BM_NumberArithmetic(benchmark::State& state) { Run(state, "(A#+B#)*C#/2-D+A#%7.5", 0); }
BENCHMARK(BM_NumberArithmetic);

void BM_TextConcatenationWithCall(benchmark::State& state) {
  Run(state, "T$+FN$TRIM(U$)+' / '+S12$", 1);
}
BENCHMARK(BM_TextConcatenationWithCall);

void BM_Comparison(benchmark::State& state) { Run(state, "A#*2>=B#+1&&T$<>''", 0); }
BENCHMARK(BM_Comparison);

void BM_AssignmentList(benchmark::State& state) { Run(state, "X=D+1;Y#=A#*X;Z$=T$+'x'", 1); }
BENCHMARK(BM_AssignmentList);

}  // namespace
}  // namespace eng
