// Field windows: the window a screen field's WINDOWS$ entry opens when the
// user presses Enter on it (with a text that is not blank), or when the
// scanner's SCANWIN$ condition for it was true.
//
// MantFieldWindowRun (window record, -1 the current one): the entry of the
// window's current field is a ";"-list whose item 1 is a command and whose
// last item (when it has more than one) is a condition:
//  - true: the field becomes the window's last field-window field and the
//    command runs for it (MantRunVerb with the default verb AcceptRun); a
//    status below 122 answers 32;
//  - false: the field is emptied (store word 17) and 126 answered, and the
//    field window is due again on the next Enter;
//  - a failing condition is answered as it is.
// 177 without that window record; 0 for a field without an entry.
#pragma once

#include "core/status.h"

namespace eng {

inline constexpr Status kFieldWindowRan = 32;

Status MantFieldWindowRun(int window_record);

}  // namespace eng
