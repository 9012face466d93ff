// The accept half of the field option menu: the two built-in forms a field's
// WINDOWS$ entry may name (Calculator, Add_Applet), written as Accept
// commands, and the run of an Accept command for a field, whose last value
// goes back into that field.
//
// AcceptBuiltinCommand (entry): "Accept", a blank, the form's items, " /"
// and its options (separated by ":", values in double quotes) for the
// entries Calculator and Add_Applet; the empty text for any other entry.
// AcceptIntoField (definition, field): runs the form with an empty title;
// when values come back, the last of them (unquoted) is stored into the
// field of the window record that was current before (store flags 118).
// The form's status is the result; a cancelled form is no failure (0).
// AcceptLastValue (definition, last): the same run without the store; *last
// receives the last value as the form gave it back (empty when none), and
// the window record current before is current again; a cancelled form
// answers 122.
#pragma once

#include <string>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr const char* kAcceptCalculator =
    "Accept 'Kgs:':'26','Tot:':'26' /FD$=\"_SUM#,_TOT#\":ASSIGN$=\",_SUM#+_TOT#\":_SUM#$=\"_TOT#\":"
    "NO_EDIT$=\"_TOT#\"";
inline constexpr const char* kAcceptAddApplet =
    "Accept 'Kgs:':'26':,'Tot:':'26' /ASSIGN$=\"0,_SCRF1#+_SCRF2#\":_SCRF1#$=\"_SCRF2#,_SCRF1#\":"
    "NOEDIT$=\"_SCRF2#\":WRITE$=\"_clc#=_SCRF2#\"";

StrPair AcceptBuiltinCommand(StrPair entry);
Status AcceptIntoField(StrPair definition, int field);
Status AcceptLastValue(StrPair definition, std::string* last);

}  // namespace eng
