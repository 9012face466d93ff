// Running procedures. A run takes its own copy of the start position and an
// empty GOSUB stack; flow and expression statements run here, every handler
// statement goes along the statement handler chain (core/exec_handlers.h).
//
// What stops a run: END (or running past the last statement, or RETURN with
// no GOSUB pending); an expression statement failing with 128 or more (lower
// statuses are ignored); a condition failing with 122 or more; any non-zero
// status of a handler statement; 122 from the progress pump; 133 for a 65th
// nested GOSUB, and for a procedure run (CALL, EXEC$, menu procedure) nested
// deeper than kExecMaxCallDepth. A run's non-zero status is recorded under module 8 with the
// incident "Line: n (+ remmarks):\r\nKEYWORD text".
//
// Run flags: 1 restore the context afterwards (open states, structure
// scopes, progress window, WINOPEN windows); 2 the procedure is a function:
// at its end the value of its last expression statement (a number as its
// text) is pushed on list 30.
// ExecRunFunction flags: 1 restore the variable scope afterwards; 2 a function.
// With _TRACE bit 8 every step appends "n\tKEYWORD text\r\n" to "PrcLog.txt".
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "core/exec_state.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kExecRunRestore = 1;
inline constexpr uint16_t kExecRunFunction = 2;

// One run of a procedure.
struct ExecRun {
  std::shared_ptr<const ExecProcBody> body;
  uint16_t position = 0;
  uint16_t flags = 0;
  uint16_t gosub_depth = 0;
  std::array<uint16_t, kExecGosubDepth> gosub{};
  uint16_t last = 0xFFFF;        // index of the statement run last
  bool ended = false;            // END reached
  bool result_text = false;      // the kind of the last expression statement's value
  std::string result;            // its value (a number as its text)
};

// The counts noted at the start of a run, for ExecRestoreContext.
struct ExecContextMark {
  uint16_t open_states = 0;
  uint16_t files = 0;
  bool progress = false;
};

// Runs from the record's position to the end; the status.
Status ExecRunStatements(uint16_t procedure, uint16_t flags);
// Runs flow and expression statements until the next handler statement
// (answer 0, run.last its index, run.ended false), the end (0, ended true),
// or a status of 122 and above.
Status ExecRunFlow(ExecRun& run);
Status ExecRunFunction(StrPair name, StrPair file, uint16_t flags);
// The PrcExec command "files,entry,parameter files...": files a ";"-list.
Status ExecRunMenuProc(StrPair command, void (*callback)());
// The CALL statement: "entry[,file[,restore]] arguments". With the target
// read at load, its plain entry and file names and compiled arguments serve.
Status ExecCallProc(StrPair text, const ExecCallTarget* target = nullptr);
// Reads a CALL statement's text at load.
std::shared_ptr<const ExecCallTarget> ExecCallPrepare(StrPair text);
// The LOCALVARS statement: a ","-list of names taking the CALL's arguments.
Status ExecLocalVars(StrPair names);
// Reads a LOCALVARS statement's names at load; ExecLocalVars with them.
std::shared_ptr<const ExecLocalNames> ExecLocalVarsPrepare(StrPair names);
Status ExecLocalVars(const ExecLocalNames& names);
ExecContextMark ExecNoteContext();
Status ExecRestoreContext(const ExecContextMark& mark);
void ExecTraceLine(const ExecProcBody& body, uint16_t index);
// Statement text n (from 0), macro-expanded when asked; a new scratch entry.
StrPair ExecStatementText(const ExecProcBody& body, uint16_t index, bool expand);
// The macro expansion of a handler statement's text (brackets inside quotes
// count too); a new scratch entry.
StrPair ExecExpandText(StrPair text);

}  // namespace eng
