// The procedure runtime's records and program-wide state: compiled
// procedures (object table 10 and their bodies), the statement handler
// table with the upper layers' extensions, the services the interpreter
// asks of the window, progress and data layers, and the procedure device
// stack. Lives in the core runtime context (Core().exec).
//
// A compiled procedure is an ExecProc element of object table 10 (a small
// trivially copyable record) and its body (statement entries, texts, entry
// points), owned by this state under the record's body id. Runners hold a
// shared reference to the body, so a procedure unloaded while one of its runs
// is still on the stack stays whole until that run returns.
#pragma once

#include <any>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/str_pair.h"
#include "core/var_store.h"

namespace eng {

inline constexpr uint16_t kExecMaxLabels = 128;
inline constexpr uint16_t kExecMaxEntries = 128;
inline constexpr uint16_t kExecMaxNesting = 16;
inline constexpr uint16_t kExecGosubDepth = 64;
// Procedure runs nested inside each other (CALL, EXEC$, menu procedures);
// one more is refused with 133, as a GOSUB past its stack is.
inline constexpr uint16_t kExecMaxCallDepth = 128;
inline constexpr uint16_t kExecMaxArgs = 16;
inline constexpr uint16_t kExecHandlerSlots = 16;
inline constexpr uint16_t kExecEngineSlots = 6;
inline constexpr uint16_t kExecDeviceDepth = 7;
// ExecLoadProc answers an index below this, or a status.
inline constexpr uint16_t kExecMaxProcs = 122;
inline constexpr const char* kExecOwner = "EXEC_COMPILER";

struct ExecStatementEntry {
  uint16_t code = 0;
  uint16_t target = 0;  // a statement index
};

struct ExpCode;

// A CALL statement read at load: its entry and file when both are plain
// words (no text expression to evaluate), and its argument list compiled.
struct ExecCallTarget {
  bool fixed = false;
  std::string name;
  std::string file;
  std::string restore;  // the third item (whether to restore the variables), trimmed
  std::string arglist;  // the arguments' text, trimmed (empty: none)
  std::shared_ptr<const ExpCode> args;  // null: the argument text is evaluated
  // Where the plain entry (with no file) was found last: good while no
  // procedure was loaded or freed since (ExecState::procs_generation).
  mutable uint32_t found_generation = 0;
  mutable uint16_t found_proc = 0;
  mutable uint16_t found_start = 0;
};

// A LOCALVARS statement read at load: its names trimmed, from the last to the
// first (the order they take the arguments in).
struct ExecLocalNames {
  std::vector<std::string> names;
  // Where each name was declared last (VarAssignRemembered), by name.
  mutable std::vector<VarRedeclare> declared;
};

// A statement as the runner takes it: its code and jump target, with the
// forms read at load (null where there are none). Made once the body is
// complete; the pointers are into the body's own vectors.
struct ExecOp {
  uint16_t code = 0;
  uint16_t target = 0;
  const ExpCode* expr = nullptr;
  const ExecCallTarget* call = nullptr;
  const ExecLocalNames* locals = nullptr;
};

struct ExecProcBody {
  std::string owner = kExecOwner;
  std::vector<ExecStatementEntry> entries;
  std::vector<std::string> texts;      // statement texts, in statement order
  // The compiled expressions of expression and condition statements, by
  // statement (null: the statement's text is evaluated as text).
  std::vector<std::shared_ptr<const ExpCode>> codes;
  // The CALL statements read at load, by statement (null for the others).
  std::vector<std::shared_ptr<const ExecCallTarget>> calls;
  // The LOCALVARS statements read at load, by statement (null for the others).
  std::vector<std::shared_ptr<const ExecLocalNames>> locals;
  // The statements as the runner takes them, one per entry.
  std::vector<ExecOp> ops;
  std::string entry_names;             // the entry points, a ","-list
  std::vector<uint16_t> entry_indexes; // their statement indexes
  std::vector<std::string> entry_list; // the entry names one by one, trimmed
  std::string file;                    // the file it was compiled from
};

// An element of object table 10.
struct ExecProc {
  uint32_t body = 0;         // key in ExecState::bodies
  uint16_t count = 0;        // statements
  uint16_t position = 0;     // where the next run starts
  uint16_t gosub_depth = 0;
  uint16_t entry_count = 0;
  Status status = 0;
};

// The arguments of a handler statement: for argument i (from 1) its kind
// (0 number, 1 text), its integer value (0 for a text) and its text (a
// number written with _PRECIS decimals). A missing argument reads as 0 and
// the empty text.
struct ExecArgs {
  uint16_t count = 0;
  std::array<uint16_t, kExecMaxArgs> kinds{};
  std::array<int32_t, kExecMaxArgs> ints{};
  std::array<std::string, kExecMaxArgs> texts;

  uint16_t Kind(uint16_t i) const { return i >= 1 && i <= count ? kinds[i - 1] : 0; }
  int32_t Int(uint16_t i) const { return i >= 1 && i <= count ? ints[i - 1] : 0; }
  StrPair Text(uint16_t i) const {
    return i >= 1 && i <= count ? StrMake(texts[i - 1].data(), texts[i - 1].size()) : StrPair{};
  }
};

// A statement handler: (keyword code, arguments) -> status.
using ExecHandler = Status (*)(uint16_t code, const ExecArgs& args);
// An extension's answer for a statement it does not serve: it goes on along the chain.
inline constexpr Status kExecNotServed = 0xFFFE;
inline constexpr uint16_t kExecNoArgKind = 0xFFFF;

// What the interpreter asks of the layers above the core. Each is optional:
// an absent service does nothing (the pump answers 0, nothing is open).
struct ExecServices {
  Status (*progress_pump)() = nullptr;     // every step; 122 when the user cancelled
  bool (*progress_active)() = nullptr;
  void (*progress_close)() = nullptr;
  void (*grid_reset)() = nullptr;          // the screen grid's size override
  Status (*open_state_restore)() = nullptr;   // pops list 33 with "RESTORE"
  Status (*struct_scope_restore)() = nullptr; // pops one structure scope
  Status (*winopen_close)() = nullptr;     // closes the last WINOPEN window; 168 when none
  void (*pump_messages)() = nullptr;       // after a menu procedure
};

// The procedure's stack of open output devices. The device layer stores its
// device records in the entries; an empty entry holds no device.
struct ExecDeviceStack {
  uint16_t depth = 0;
  std::array<std::any, kExecDeviceDepth> entries;
};

// A number never given before in this process.
inline uint32_t ExecNewGeneration() {
  static uint32_t last = 0;
  return ++last;
}

struct ExecState {
  std::array<ExecHandler, kExecHandlerSlots> handlers{};
  std::array<ExecHandler, kExecEngineSlots> extensions{};
  ExecServices services;
  ExecDeviceStack devices;
  std::map<uint32_t, std::shared_ptr<ExecProcBody>> bodies;
  uint32_t next_body = 1;
  // The kinds (0 number, 1 text) of CALL arguments on list 35, by their
  // element; kExecNoArgKind where none was noted.
  std::vector<uint16_t> arg_kinds;
  // The command interpreter of the SYSTEM statement.
  std::string shell = "/bin/sh";
  // Procedure runs now on the stack (ExecRunFunction).
  uint16_t call_depth = 0;
  // Changes whenever a procedure is loaded or freed (a number never given
  // before in this process), so that a call can keep where it found its entry.
  uint32_t procs_generation = ExecNewGeneration();
};

}  // namespace eng
