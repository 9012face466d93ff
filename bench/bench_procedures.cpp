// Procedure statements per second: a compiled procedure loop of arithmetic
// on integer and number variables, text building and comparison, and an
// IF/ELSE branch, run whole again and again. Each run executes a known
// number of statements, reported as items.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/dyn_strings.h"
#include "core/exec_compile.h"
#include "core/exec_run.h"
#include "core/exp_eval.h"
#include "core/obj_table.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/var_store.h"

namespace eng {
namespace {

constexpr int kRounds = 1000;
// 4 set-up statements, 8 a round (DO_WHILE, three assignments, IF, one branch
// statement, ELSE or ENDIF, LOOP), and the last DO_WHILE test.
constexpr int64_t kStatementsPerRun = 4 + 8 * int64_t{kRounds} + 1;

const char* const kLoop =
    "; arithmetic and text work over many rounds\n"
    "I=0\n"
    "S#=0\n"
    "J=0\n"
    "T$=''\n"
    "DO_WHILE I<1000\n"
    "  I=I+1\n"
    "  S#=S#+I*1.5-(I/4)\n"
    "  T$='Item '+'no. '+T$\n"
    "  IF T$=='Item no. '\n"
    "    J=J+1\n"
    "  ELSE\n"
    "    T$=''\n"
    "  ENDIF\n"
    "LOOP\n";

void ProcedureLoop(benchmark::State& state) {
  CoreRuntimeReset();
  MemSetLimits(kArenaProgramKb, 0xFFFF);
  DynStrInit();
  ObjTableInit();
  VarInitSystem();
  std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("bench_procedures_" + std::to_string(::getpid()) + ".prx");
  std::ofstream(file, std::ios::binary) << kLoop;
  std::string name = file.string();
  uint16_t proc = ExecLoadProc(StrOf(name));
  std::filesystem::remove(file);
  if (proc >= kExecMaxProcs) {
    state.SkipWithError("the procedure does not compile");
    return;
  }
  // One run first: the branch must have been taken in every other round.
  if (ExecRunStatements(proc, 0) != kOk || ExpEvalInt(StrOf("J")) != kRounds / 2) {
    state.SkipWithError("the procedure does not run as written");
    return;
  }
  for (auto _ : state) {
    ExecProcGet(proc)->position = 0;
    Status s = ExecRunStatements(proc, 0);
    if (s) {
      state.SkipWithError("the procedure failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kStatementsPerRun);
  state.SetLabel("statements");
  CoreRuntimeReset();
}
BENCHMARK(ProcedureLoop)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace eng
