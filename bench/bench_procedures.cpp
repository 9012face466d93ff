// Procedures against Lua 5.4 with global variables, in one run: the same
// loops written in both languages (a counter with decimal arithmetic, a text
// built with built-in calls and compared with ==, GOSUB to a subroutine, CALL
// of an entry point taking its argument with LOCALVARS). Every loop runs
// kRounds rounds per iteration. After the runs the ratios engine / Lua are
// printed; the goal is 2 or below.
//
// Also the procedure statements per second of a mixed loop (ProcedureLoop).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

#include "core/dyn_strings.h"
#include "core/exec_compile.h"
#include "core/exec_run.h"
#include "core/exp_eval.h"
#include "core/fn_builtins.h"
#include "core/obj_table.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/var_store.h"

namespace eng {
namespace {

constexpr int kRounds = 1000;

struct Loop {
  const char* name;
  const char* procedure;  // ends with the check value in R
  const char* lua;        // leaves the check value in global R
  const char* expect;     // R after a run
};

const Loop kLoops[] = {
    {"Arithmetic",
     "I=0\nS#=0\nDO_WHILE I<1000\n  I=I+1\n  S#=S#+I*1.5-(I/4)\nLOOP\nR=I\n",
     "I=0 S=0 while I<1000 do I=I+1 S=S+I*1.5-(I/4) end R=I", "1000"},
    {"TextCalls",
     "I=0\nJ=0\nDO_WHILE I<1000\n  I=I+1\n  T$=FN$MIDS('abcdef';2;3)+FN$CHRS(65)\n  IF T$=='bcdA'\n    J=J+1\n  ENDIF\nLOOP\nR=J\n",
     "I=0 J=0 while I<1000 do I=I+1 T=string.sub('abcdef',2,4)..string.char(65) "
     "if T=='bcdA' then J=J+1 end end R=J",
     "1000"},
    {"Gosub",
     "I=0\nK=0\nDO_WHILE I<1000\n  I=I+1\n  GOSUB add\nLOOP\nR=K\nEND\n:add\nK=K+2\nRETURN\n",
     "function add() K=K+2 end I=0 K=0 while I<1000 do I=I+1 add() end R=K", "2000"},
    {"CallLocalVars",
     "I=0\nK=0\nDO_WHILE I<1000\n  I=I+1\n  CALL addv 2\nLOOP\nR=K\nEND\nDEF_FN addv\nLOCALVARS V\nK=K+V\nEND\n",
     "function addv(v) K=K+v end I=0 K=0 while I<1000 do I=I+1 addv(2) end R=K", "2000"},
};

void StartRuntime() {
  CoreRuntimeReset();
  MemSetLimits(kArenaProgramKb, 0xFFFF);
  DynStrInit();
  ObjTableInit();
  VarInitSystem();
  FnInstallValueBuiltins();
}

uint16_t LoadProcedure(const std::string& text) {
  std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("bench_procedures_" + std::to_string(::getpid()) + ".prx");
  std::ofstream(file, std::ios::binary) << text;
  uint16_t proc = ExecLoadProc(StrOf(file.string()));
  std::filesystem::remove(file);
  return proc;
}

std::string Rendered(const char* name) {
  ScratchScope scope;
  StrPair s = ExpEvalStr(StrFromC(name));
  return s.ok() ? s.str() : "<failed>";
}

void Engine(benchmark::State& state, const Loop& loop) {
  StartRuntime();
  uint16_t proc = LoadProcedure(loop.procedure);
  if (proc >= kExecMaxProcs) {
    state.SkipWithError("the procedure does not compile");
    return;
  }
  ExecProcGet(proc)->position = 0;
  if (ExecRunStatements(proc, 0) != kOk || Rendered("R") != loop.expect) {
    state.SkipWithError("the procedure does not run as written");
    return;
  }
  for (auto _ : state) {
    ExecProcGet(proc)->position = 0;
    if (ExecRunStatements(proc, 0)) {
      state.SkipWithError("the procedure failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kRounds);
  CoreRuntimeReset();
}

void Lua(benchmark::State& state, const Loop& loop) {
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  if (luaL_loadstring(L, loop.lua) != LUA_OK) {
    state.SkipWithError("the Lua chunk does not compile");
    lua_close(L);
    return;
  }
  const int chunk = luaL_ref(L, LUA_REGISTRYINDEX);
  auto run = [&] {
    lua_rawgeti(L, LUA_REGISTRYINDEX, chunk);
    return lua_pcall(L, 0, 0, 0) == LUA_OK;
  };
  lua_getglobal(L, "R");
  lua_pop(L, 1);
  bool ok = run();
  lua_getglobal(L, "R");
  ok = ok && lua_tointeger(L, -1) == std::stoll(loop.expect);
  lua_pop(L, 1);
  if (!ok) {
    state.SkipWithError("the Lua chunk does not run as written");
    lua_close(L);
    return;
  }
  for (auto _ : state) {
    if (!run()) {
      state.SkipWithError("the Lua chunk failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kRounds);
  lua_close(L);
}

// 4 set-up statements, 8 a round (DO_WHILE, three assignments, IF, one branch
// statement, ELSE or ENDIF, LOOP), and the last DO_WHILE test.
constexpr int64_t kStatementsPerRun = 4 + 8 * int64_t{kRounds} + 1;

const char* const kMixedLoop =
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
  StartRuntime();
  uint16_t proc = LoadProcedure(kMixedLoop);
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

// Keeps the time per iteration of every run, for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    // With repetitions the median stands for the benchmark; a single run stands for itself.
    for (const Run& r : runs) {
      if (r.error_occurred || r.iterations <= 0) continue;
      const std::string name = r.run_name.function_name;
      if (r.run_type == Run::RT_Aggregate) {
        if (r.aggregate_name == "median") {
          times_[name] = r.GetAdjustedCPUTime();
          medians_[name] = true;
        }
      } else if (!medians_[name]) {
        times_[name] = r.GetAdjustedCPUTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    std::printf("\nProcedures against Lua 5.4 (globals), median CPU time per loop, engine / Lua (goal: 2 or below)\n");
    for (const Loop& loop : kLoops) {
      auto e = times_.find(std::string("Engine/") + loop.name);
      auto l = times_.find(std::string("Lua/") + loop.name);
      if (e == times_.end() || l == times_.end() || l->second <= 0) {
        std::printf("  %-14s  (not measured)\n", loop.name);
        continue;
      }
      std::printf("  %-14s %8.1fx\n", loop.name, e->second / l->second);
    }
  }

 private:
  std::map<std::string, double> times_;
  std::map<std::string, bool> medians_;
};

}  // namespace
}  // namespace eng

int main(int argc, char** argv) {
  for (const eng::Loop& loop : eng::kLoops) {
    benchmark::RegisterBenchmark((std::string("Engine/") + loop.name).c_str(),
                                 [&loop](benchmark::State& s) { eng::Engine(s, loop); })
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark((std::string("Lua/") + loop.name).c_str(),
                                 [&loop](benchmark::State& s) { eng::Lua(s, loop); })
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
  }
  benchmark::RegisterBenchmark("ProcedureLoop", eng::ProcedureLoop)->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  eng::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
