// Field references: a field name or number followed by braces that hold the
// file, "CODE{clientes}", "3{2}", "CODE{}" (the current file). Expressions,
// screens and reports name fields this way.
//   - "{" and "}" must both be there, "}" after "{" and last; otherwise 147
//     with "Field:" and the reference added to the incident text;
//   - the file part is empty (the current file, _CURFIL), a name (first byte
//     above 64, looked up by DictFileByName) or a number; 0, an unknown name
//     or a number above the file count is 161;
//   - the field part is an exact, case-sensitive field name, else a number;
//     0 (an unknown name) is 147 with the same incident; an empty field part
//     is field 0 with no status, which any later use refuses.
// DataInstallFieldAccess hands these to the core's expression evaluator.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "core/str_pair.h"
#include "data/dict_types.h"

namespace eng {

struct DictFieldRefResult {
  Status status = kOk;
  uint16_t file = 0;
  uint16_t field = 0;
  DictFieldDesc desc{};
};

DictFieldRefResult DictFieldRef(StrPair text);
// DictFieldRef, then BufSetField; the reference's status when it fails.
Status BufAssignFieldRef(StrPair reference, StrPair value);

// Installs the reads and writes of "NAME{file}" for expressions
// (core/field_access.h). Called once at start-up; a test that resets the
// runtime keeps it.
void DataInstallFieldAccess();

}  // namespace eng
