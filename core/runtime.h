// The core runtime context: every program-wide table of the core lives here,
// so that a test can set up and tear down a clean runtime. Core() is the
// current context; CoreRuntimeReset() replaces it with a fresh, uninitialised
// one.
#pragma once

#include <cstdint>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/obj_table.h"
#include "core/scratch_arena.h"

namespace eng {

struct MemControl {
  uint16_t arena_kb = kArenaDefaultKb;
  int16_t slot_limit = 64;
  bool initialised = false;
};

struct CoreRuntime {
  MemControl mem;
  ScratchArena arena;
  ErrRegister err;
  DynStrings strings;
  ObjTables objects;
};

CoreRuntime& Core();
void CoreRuntimeReset();

// Memory set-up: limits before initialisation (0xFFFF keeps a value), then
// the initialisation that starts the arena (124 when already done).
void MemSetLimits(uint16_t arena_kb, uint16_t slots);
Status MemTableInit();
bool MemIsInitialised();

}  // namespace eng
