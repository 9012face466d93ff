// Accept and hook windows: a window-definition line run as a form whose
// confirmation is handled by an application hook, and the runner of the
// verbs a field's window entry or its option menu names.
//
// MantHookSelect (selector): 255 takes the current screen's ACCEPT_PRC% when
// it is a non-zero number, else the first non-empty of STEPS$ (slot 7),
// PRCNAME$ (6), DOCNAME$ (5), PARM_FILE$ (4); any other selector is the slot
// itself. The slot, or 255 for none.
// MantHookWinRun (line, flags, selector): margins left 0, top 1, bottom 2,
// spacing 0; the line's screen opened in a new modal maintenance window
// (MantWinCreate) with the screens' dialog procedure, so that its Ok button
// confirms and its close box closes the window record. The hook slot must be
// filled: otherwise 163 with the incident text "ACCEPT_PRC%". Slot 4 first
// loads the parameter file PARM_FILE$ (a missing file is no failure, a
// failing one is the result). The window then has the accept windows' action
// handler with the hook as its third handler (called with the class of the
// action that ends the window), an Ok button, its fields refreshed from the
// record (word 6), and is shown. Any failure after the window was made takes
// the window and its record away again.
// MantAcceptRun (line, flags, selector): a line of fewer than 4 items, or
// whose item 7 is 8, runs as an accept window (AcceptWinRunDef); any other
// runs MantHookWinRun (flags, or item 7 when 0), and on success the next
// line of the INPUT script answers the hook window it opened.
// MantRunVerb (field, command, default verb): the command gets the default
// verb when its first word is none; by verb: Accept and AcceptRun check
// field's ALARM$ (the current field's when field is 0) and then run
// MantAcceptRun (argument, 106, 255); MantMain opens a maintenance window
// (flags 102 unless the line gives its own); ExpEval executes the argument's
// item 1; any other verb 147.
// MantHookWinInstall: the AcceptRun verb runs its hook windows here and
// MantAux is served by MantAuxRun.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

// Window flags of the forms a field's verbs open: accept and hook windows,
// maintenance windows.
inline constexpr uint16_t kMantHookFlags = 106;
inline constexpr uint16_t kMantFieldFlags = 102;

uint16_t MantHookSelect(uint16_t selector);
Status MantHookWinRun(StrPair line, uint16_t flags, uint16_t selector);
Status MantAcceptRun(StrPair line, uint16_t flags, uint16_t selector);
Status MantRunVerb(int field, StrPair command, uint16_t default_verb);
void MantHookWinInstall();

}  // namespace eng
