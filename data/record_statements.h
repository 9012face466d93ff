// The procedure statements the data layer serves in the statement handler
// chain (core/exec_handlers.h), as one extension per family slot:
//   records (slot 1)
//     LOADSTRUCT name, FILESTRUCT name, fields, keys: the structure scopes
//       (data/struct_scope.h);
//     RC_DELETE, RC_INSERT, RC_WRITE argument: the text "file,slot list"; the
//       file is its text before the first "," (outside quotes and
//       parentheses) evaluated as an integer (0 or empty: the current file),
//       the rest the slot list of the rules to run (written unquoted, the
//       runner gives them as two arguments, taken the same way); the hooked write
//       (data/hooked_write.h) of that file's current record with 0x600,
//       0x500 or 0x700; its status is the statement's;
//     RC_UPDATE file, number, expression: the bulk update; its answer 0xFFFF
//       is the statement's status, any other goes to _STAT and the statement
//       answers 0.
//   utilities (slot 5)
//     FILESELECT text: a text of more than one character is an open state
//       (data/open_state.h) and its status the answer; otherwise argument 1
//       is a definition-file kind and argument 2 flags for the file dialog
//       service: the chosen name replaces the top element of string list 30
//       (is pushed when the list is empty); a cancelled dialog changes nothing
//       and answers 122. Without the service installed: 148.
//     FILESCAN text, search condition, statements, record condition, pump
//       condition: the file scan (data/stat_scan.h);
//     STATSTEPS definition: the statistic steps (data/stat_steps.h).
// DataInstallRecordStatements installs both extensions and the services by
// which a whole procedure run gives back what it left (the open states it
// pushed, with "RESTORE", and its structure scopes); start-up calls it.
#pragma once

#include <string>

#include "core/exec_state.h"
#include "core/status.h"

namespace eng {

// The file dialog: (definition-file kind, flags, chosen name out) -> 0 with a
// name, 122 when cancelled, or a failure.
using DataFileDialogFn = Status (*)(uint16_t kind, uint16_t flags, std::string* chosen);
// Installed by the window layer; null removes it.
void DataSetFileDialog(DataFileDialogFn dialog);

Status RecordStatements(uint16_t code, const ExecArgs& args);
Status UtilityStatements(uint16_t code, const ExecArgs& args);
void DataInstallRecordStatements();

}  // namespace eng
