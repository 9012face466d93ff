// The head of pelmora, the accounting program: its constants, its message
// table (1001 up), the data files the accounting code works on, and the way
// the accounting module plugs into the engine.
//   AcPhaseCallback (phase), by its low four bits: 1 fills the hook slots
//     (6 the accept-window steps, 10, 11, 15 and 16 the year-end processes
//     of ac_hooks.h, 17 the journal entry window of ac_entry_screen.h, 23
//     TaskLowLevel; the other window hooks stay empty until their code
//     exists), installs the line-order repair of the navigation windows and
//     resets the line order (ac_line_order.h), declares the system array
//     "_#(", registers the engine's statement handlers and the function
//     StGetList (its status); 2 puts back the books of a batch process
//     that was killed (ac_recovery.h; a failure is the phase's result),
//     registers the accounting functions (ac_functions.h) and PayDate$
//     (apps/paydates/; a failed registration does not stop the phase) and
//     runs the common loading steps (apps/common/app_head.h), their status;
//     anything else: 0, nothing done.
//   AcActionCallback (verb, argument): the session check first (non-zero is
//     the answer and the verb does not run); MantMain (5) opens the
//     maintenance window of its window-definition line; LnNavMain (9) opens
//     the program's navigation window (163, message 0031, while it is
//     missing); LnManMain (8) does nothing and answers 0; any other verb goes
//     to the engine's dispatcher.
//   AppModuleFile (position 0-5): 3, 6, 7, 8, 9, 10 (registry 6 and its
//     second file 7, chart of accounts 8, journal 9, period accumulations
//     10); any other position gives 0, no file.
//   AcFieldName (n): item n (from 1) of message 1020 as the message
//     catalogue gives it, split at commas outside quotes; "" past the last.
//   AcAccountCodeLength: the dictionary length of field AcFieldName (1) in
//     file AppModuleFile (3), read each time; 0 when there is no such field.
#pragma once

#include <cstdint>

#include "apps/common/app_head.h"
#include "core/str_pair.h"

namespace eng::pelmora {

inline constexpr const char* kIdentity = "PLMRQV13:Norvique";
inline constexpr const char* kTitle = "Pelmora";
inline constexpr const char* kStartMenu = "P2MENU";

Status AcPhaseCallback(uint16_t phase);
Status AcActionCallback(uint32_t verb_and_status, StrPair argument);

uint16_t AppModuleFile(int position);
StrPair AcFieldName(uint16_t n);
uint16_t AcAccountCodeLength();

// The program's message look-up (its own table from 1001 up, the engine's
// below); the other five application functions are the common head's.
StrPair AppMessageText(StrPair number);

// Everything the common entry point needs.
const apphead::AppHeadDesc& Head();

}  // namespace eng::pelmora
