// Compiling procedures: a procedure file is read as definition lines (all of
// them) onto the line queue, list 37, and compiled into statement entries
// with resolved jumps, stored as an element of object table 10.
//
// Lines: trimmed of blanks and tabs; empty lines and lines whose first word
// begins with ";", "#" or "/" are dropped; ":name" marks the next stored
// statement with a label; "DEF_FN name" marks it as an entry point; a first
// word that is a keyword makes a keyword statement (its text the rest of the
// line, trimmed); anything else is an expression statement (code 0, the
// whole line). Statement numbers in messages count stored statements only.
//
// Jumps: GOTO and GOSUB go to a label (exact name; unknown: 147). Closers
// (ENDIF, LOOP, LOOP_WHILE, LOOP_UNTIL, ELSE) pop the opener stack (empty:
// 147); openers (ELSE, IF, IF_TRUE, DO_WHILE, IF_FALSE, DO_UNTIL, DO) push
// (a 17th level: 145). An opener's target is the statement after its closer,
// a closer's target its opener. An opener left without closer at the end
// jumps past the last statement, so a false condition ends the procedure
// rather than running it again from the top.
// Limits: 128 labels, 128 entry points (145 beyond). Compile failures are
// recorded under "EXEC_COMPILER" with an incident text.
#pragma once

#include <cstdint>

#include "core/exec_state.h"
#include "core/str_pair.h"

namespace eng {

// Compiles the `lines` lines at the head of the line queue (each removed as
// it is taken; all of them also on failure) with the NUL-separated keyword
// list, into a new body whose id goes into the record. Installs
// ExecRunFunction as hook 1.
Status ExecCompileProc(StrPair keywords, uint16_t lines, ExecProc* record);

// Loads a procedure file (as given, else along the application folders):
// the index in table 10, or a status of 122 and above: 164 with the name as
// incident text for a missing file, 141 when 122 procedures are loaded.
uint16_t ExecLoadProc(StrPair file);
// Frees a procedure and deletes its table element (later indexes move down).
// An index above 121 is taken as a status and returned.
Status ExecUnloadProc(uint16_t index);
Status ExecFreeProc(uint16_t index, StrPair owner);

// The record and the body of a loaded procedure (null when there is none).
ExecProc* ExecProcGet(uint16_t index);
std::shared_ptr<const ExecProcBody> ExecProcBodyOf(uint16_t index);
uint16_t ExecProcCount();

// Appends a name to a ","-list with its statement index; 145 when the list
// already holds `limit` names.
Status ExecAddName(std::string& list, std::vector<uint16_t>& indexes, StrPair name, uint16_t statement,
                   uint16_t limit);

}  // namespace eng
