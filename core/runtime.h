// The core runtime context: every program-wide table of the core lives here,
// so that a test can set up and tear down a clean runtime. Core() is the
// current context; CoreRuntimeReset() replaces it with a fresh, uninitialised
// one.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "core/app_run.h"
#include "core/app_state.h"
#include "core/app_verbs.h"
#include "core/arrays.h"
#include "core/clock.h"
#include "core/dict_state.h"
#include "core/dyn_strings.h"
#include "core/err_assert.h"
#include "core/err_register.h"
#include "core/exec_state.h"
#include "core/help.h"
#include "core/fmt_locale.h"
#include "core/hooks.h"
#include "core/exp_eval.h"
#include "core/fn_call.h"
#include "core/log.h"
#include "core/menu_pmt.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/obj_table.h"
#include "core/os_services.h"
#include "core/relup_state.h"
#include "core/scratch_arena.h"
#include "core/sort_set.h"
#include "core/streams.h"
#include "core/sys_vars.h"
#include "core/var_store.h"

namespace eng {

struct MemControl {
  uint16_t arena_kb = kArenaDefaultKb;
  int16_t slot_limit = 64;
  bool initialised = false;
};

struct ClockState {
  std::optional<LocalTime> fixed_local;
  std::optional<uint64_t> virtual_ms;
};

// The system variables at their initial values.
inline std::array<int16_t, kSysVarCount> SysVarDefaults() {
  std::array<int16_t, kSysVarCount> v{};
  for (uint16_t i = 0; i < kSysVarCount; ++i) v[i] = kSysVarTable[i].initial;
  return v;
}

struct CoreRuntime {
  MemControl mem;
  ScratchArena arena;
  ErrRegister err;
  DynStrings strings;
  ObjTables objects;
  ClockState clock;
  std::array<int16_t, kSysVarCount> sysvars = SysVarDefaults();
  StreamTable streams;
  SysState sys;
  LogState log;
  AssertState assert_state;
  FmtState fmt;
  SortSetTable sort_sets;
  VarState vars;
  DimState arrays;
  FnState fn;
  ExpState exp;
  HookState hooks;
  HelpState help;
  MenuPmtState menu_pmt;
  MsgCatalog catalog;
  MsgBoxState msgbox;
  DictState dict;
  RelUpdState relup;
  ExecState exec;
  AppState app;
  // The data layer's selection slots (record-number lists), fresh with the runtime.
  std::shared_ptr<void> selections;
  AppVerbState verbs;
  AppRunState run;
  // The window layer's own state (grids, fonts, window stack, screen blocks).
  std::shared_ptr<void> ui_layer;
  // The data layer's own state (its open files), owned here so that a fresh
  // runtime starts with every file closed; declared last so that it goes
  // first, closing its files while the rest of the runtime still stands.
  std::shared_ptr<void> data_layer;
  // The output layer's channels and settings (output/output_state.h).
  std::shared_ptr<void> output_layer;
};

namespace detail {
// The current runtime, kept where every caller can read it without a call.
extern CoreRuntime* core_current;
CoreRuntime& CoreMake();
}  // namespace detail
inline CoreRuntime& Core() {
  CoreRuntime* c = detail::core_current;
  return c ? *c : detail::CoreMake();
}
void CoreRuntimeReset();

// Memory set-up: limits before initialisation (0xFFFF keeps a value), then
// the initialisation that starts the arena (124 when already done).
void MemSetLimits(uint16_t arena_kb, uint16_t slots);
Status MemTableInit();
bool MemIsInitialised();

}  // namespace eng
