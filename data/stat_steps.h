// Statistic steps: a window definition describes an accumulation into a data
// file (usually opened on fresh temporary files) from one or more source
// files, each step running the source's relational-update rules while the
// scan state routes their FILEREL calls into the accumulation file.
//
// StatStepsStatement (definition), the STATSTEPS statement: sets bit 2 of
//   _SCRSTAT, opens the window of the definition through the window layer's
//   service (148 while none is installed), runs StatSteps with item 1 of
//   RESET$ (evaluated) and STEPS$, and closes the window.
// StatSteps (file, steps): a file number above the file count first loads
//   STRUCT$ (name, fields, keys) as a temporary structure, dropped at the
//   end. The scan state is set and the file opened exclusively on fresh
//   temporary files; the steps run only when that open reports a new, empty
//   file (2). An empty step list is 163. The steps are a command list whose
//   Perform items each run one StatStep; other items run as commands. Then the
//   file is closed and its temporary files deleted, the scan state cleared,
//   the previous current file made current, and a failure shown in a message
//   box and returned.
// StatStep (file, step text "source,options"): under the parameter context
//   of the source file's name (_AUX 1), the source (opened read-only when
//   closed) gets its rules loaded from the rule file; the options, ";"
//   turned into ",", are the slot list (an empty rule text is 163 "No RELOPT
//   defined"); StatAccumulate runs with INDEX%, the bounds of LIMITS$, the
//   RD_COND$ terms joined with "&&", COND$ and the rule text, with progress.
//   The rules loaded are released, a file the step opened is closed and the
//   context put back.
// StatLoadStruct: STRUCT$'s three items (name, field list, key list; an item
//   in quotes keeps its commas) defined as a temporary structure.
// StatBoundValue (n): item 1 (n = 1) or 2 (n = 0) of LIMITS$ evaluated; the
//   raw text of window field 1 or 2 (from the window layer's service) when
//   LIMITS$ is empty.
#pragma once

#include <cstdint>
#include <string>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

// What the steps ask of the window layer; installed at start-up.
struct StatScreenServices {
  Status (*open)(StrPair definition) = nullptr;  // pushes the definition's parameters
  void (*close)() = nullptr;
  std::string (*field_text)(uint16_t field) = nullptr;  // raw text of window field n
};
void StatSetScreenServices(const StatScreenServices& services);

Status StatStepsStatement(StrPair definition);
Status StatSteps(uint16_t file, StrPair steps);
Status StatStep(uint16_t file, StrPair step);
Status StatLoadStruct();
std::string StatBoundValue(int n);

}  // namespace eng
