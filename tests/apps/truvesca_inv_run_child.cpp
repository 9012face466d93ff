// The program the invoicing kill test runs: in the current folder (the
// dictionary of truvesca_inv_run_fixture.h) it runs the invoicing once over
// every open note, writing "I" and a newline, flushed at once, after each
// complete invoice and "E <status>" at the end, so that the test can kill it
// in the middle of an invoice.
#include <cstdio>
#include <cstdlib>

#include "core/dyn_strings.h"
#include "core/obj_table.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "data/dict_load.h"
#include "data/session_state.h"
#include "tests/apps/truvesca_inv_run_fixture.h"

namespace {

using namespace eng;
using namespace eng::test::invrun;

void Check(Status s) {
  if (!s) return;
  std::printf("F %u\n", unsigned(s));
  std::fflush(stdout);
  std::_Exit(3);
}

}  // namespace

int main() {
  CoreRuntimeReset();
  MemSetLimits(kArenaProgramKb, 0xFFFF);
  Check(DynStrInit());
  Check(ObjTableInit());
  Check(VarInitSystem());
  Check(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("IRTEST01:Demo")));
  SysVarSet(kVarPrecis, 2);
  SysVarSet(kVarDx, 2);
  Check(DictLoad(StrOf(""), StrOf("IR"), StrOf("")));
  Check(SessionStateCheck(1));
  for (uint16_t f : {kNotas, kFacturas, kRegistro, kCobros}) {
    Status s = DataFileOpen(f, 0);
    if (s != kOk && s != 2) Check(s);
  }
  SampleTotals totals;
  truvesca::InvRunWindow w = SampleWindow(&totals);
  auto statements = w.step;
  w.step = [&](truvesca::InvStep step) {
    if (step == truvesca::kInvPrepNext) {
      std::printf("I\n");
      std::fflush(stdout);
    }
    return statements(step);
  };
  Status s = truvesca::InvRun(kFiles, w, nullptr);
  std::printf("E %u\n", unsigned(s));
  std::fflush(stdout);
  for (uint16_t f : {kCobros, kRegistro, kFacturas, kNotas}) DataFileClose(f);
  Check(SessionStateCheck(0));
  return s ? 3 : 0;
}
