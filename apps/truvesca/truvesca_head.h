// The head of truvesca, the invoicing program: its constants, its message
// table (1001 up), the data files of its document commands, and the way the
// invoicing module plugs into the engine. Everything else is the common head
// (apps/common/app_head.h).
//   InvPhaseCallback (phase), by its low four bits: 1 fills the hook slots
//     (6 the accept-window steps, 8 the documents' fast find, 10 the
//     invoicing run's window, 12 the invoice document commands, 23
//     TaskLowLevel) and registers the engine's statement handlers; unlike
//     pelmora it declares no "_#(" array; always 0. 2 registers the
//     procedure functions (VATv, VAT$, AUTONUM, DocSer$; FN$TXTN; PayDate$
//     from apps/paydates/; Iban$, Mod), whose failures do not stop the
//     phase, then runs the common loading steps, its status. 3 (shut-down)
//     forgets the main window's logo image; anything else: 0.
//   InvActionCallback (verb, argument): the session check first; MantMain
//     (5) opens the maintenance window of its window-definition line;
//     LnManMain (8) opens the program's line-maintenance window; every other
//     verb, LnNavMain (9) included, goes to the engine's dispatcher.
//   AppModuleFile (position): 0 the registry file 6, 1 the invoice file 14
//     (the files of the invoice document commands); any other position
//     gives 0, no file.
#pragma once

#include <cstdint>

#include "apps/common/app_head.h"
#include "core/str_pair.h"

namespace eng::truvesca {

inline constexpr const char* kIdentity = "TRVKQZ13:Norvique";
inline constexpr const char* kTitle = "Truvesca";
inline constexpr const char* kStartMenu = "T2MENU";

Status InvPhaseCallback(uint16_t phase);
Status InvActionCallback(uint32_t verb_and_status, StrPair argument);

uint16_t AppModuleFile(int position);

// The program's message look-up (its own table from 1001 up, the engine's
// below); the other five application functions are the common head's.
StrPair AppMessageText(StrPair number);

const apphead::AppHeadDesc& Head();

}  // namespace eng::truvesca
