// The field option menu: what the help key (F1) offers on a screen field.
//
// ScreenFieldWinAction (window record, position), the application's hook 22:
// without that window record nothing happens (0). _CUREDFLD becomes the
// window's current field f. The options: "Ayuda" (message 0070) when the
// screen has HELP$; then, only when there is more than one option in all,
// one per ";"-entry of the field's WINDOWS$ item: the entry's ninth
// ","-item, else message 0073 with the entry's number. More than one option
// is chosen in a popup menu at the position the callback gives (y low, x
// high, in pixels); otherwise option 1 is taken.
// The command of the choice: the help option is Help with HELP$ "," f (HELP$
// of one item) or HELP$ followed by f in two digits; an entry Calculator or
// Add_Applet is the built-in two-field accept form; any other entry is its
// own command, MantMain when it names no verb. Nothing runs when the popup
// was cancelled, or when no option was offered (a single entry, no HELP$)
// unless the command is an Accept.
// Running it: Accept runs the accept form (service below) and stores the last
// value it gives back, unquoted, into field f; Help shows the help entry and,
// when that fails from 128, an information box titled message 0071 with
// message 0072, a line break and the entry (then 0); any other verb goes to
// the maintenance windows' verb runner (service below), whose success
// answers 32. A service not installed answers 148 with the verb's name as
// the incident text.
#pragma once

#include <cstdint>
#include <string>

#include "core/hooks.h"
#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr const char* kCalculatorEntry = "Calculator";
inline constexpr const char* kAddAppletEntry = "Add_Applet";
// The built-in accept commands of those entries.
inline constexpr const char* kCalculatorCommand =
    "Accept 'Kgs:':'26','Tot:':'26' /FD$=\"_SUM#,_TOT#\":ASSIGN$=\",_SUM#+_TOT#\":_SUM#$=\"_TOT#\":"
    "NO_EDIT$=\"_TOT#\"";
inline constexpr const char* kAddAppletCommand =
    "Accept 'Kgs:':'26':,'Tot:':'26' /ASSIGN$=\"0,_SCRF1#+_SCRF2#\":_SCRF1#$=\"_SCRF2#,_SCRF1#\":"
    "NOEDIT$=\"_SCRF2#\":WRITE$=\"_clc#=_SCRF2#\"";
inline constexpr uint16_t kFieldOptionRan = 32;
inline constexpr int kFieldOptionFirstId = 1700;

// The accept form of an Accept command (its argument) with an empty title:
// its status; *last receives the last value given back (empty: none).
using FieldAcceptFn = Status (*)(StrPair argument, std::string* last);
// The maintenance windows' verb runner: (field, command) -> status.
using FieldVerbFn = Status (*)(int field, StrPair command);

void ScreenFieldOptionServicesSet(FieldAcceptFn accept, FieldVerbFn run_verb);

Status ScreenFieldWinAction(uint16_t window_record, HookPositionFn position);

}  // namespace eng
