// Structure scopes: the FILESTRUCT statement of the procedure language
// defines a data file of its own for the rest of a procedure, and "RESTORE"
// takes the dictionary back to what it was before.
//   StructScopeDefine (name, fields, keys): "RESTORE" restores; otherwise the
//     present extent is pushed (the 8th push is 168), a file of that name is
//     defined, each ","-item of the fields ("name;length;type", the length an
//     expression) becomes a field, each ","-item of the keys (position and
//     length digit groups) a key, and the new file becomes current. The first
//     failure stops the steps and is the answer.
//   StructScopeRestore: pops the stack; everything defined since is removed
//     and the saved current file is current again. With an empty stack nothing
//     is removed (141, incident "RESTORE").
// StructScopeStatements serves FILESTRUCT and LOADSTRUCT (LOADSTRUCT name:
// the dictionary of that code loaded along the application folders) for the
// records family's extension of the statement handler chain
// (data/record_statements.h). StructScopeInstall lets a whole procedure run
// pop the scopes it left behind.
#pragma once

#include "core/exec_state.h"
#include "core/str_pair.h"

namespace eng {

Status StructScopeDefine(StrPair name, StrPair fields, StrPair keys);
Status StructScopeRestore();
// push true: save the present extent; false: restore the last one.
Status StructScopeStack(bool push);

// The records family's extension: FILESTRUCT and LOADSTRUCT; kExecNotServed for others.
Status StructScopeStatements(uint16_t code, const ExecArgs& args);
void StructScopeInstall();

}  // namespace eng
