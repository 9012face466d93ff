// Starts the core runtime, exercises its floor and reports what it holds.
// It stands in for the programs until they exist.
#include <cstdio>

#include "core/dyn_strings.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/string_lists.h"

int main() {
  using namespace eng;
  MemSetLimits(kArenaProgramKb, 0xFFFF);
  if (Status s = DynStrInit()) {
    std::fprintf(stderr, "start failed with status %u\n", s);
    return 1;
  }
  ObjTableInit();
  DynStrSet(sl::kSettings, sl::kIdentity, StrOf("PLMRQV13:Norvique"));
  std::printf("engine core: arena %u entries, %u bytes free; identity %.*s\n",
              Core().arena.capacity(), ScratchFreeBytes(),
              int(DynStrGet(sl::kSettings, sl::kIdentity).len),
              DynStrGet(sl::kSettings, sl::kIdentity).ptr);
  ObjTableFreeAll();
  DynStrTerm();
  return 0;
}
