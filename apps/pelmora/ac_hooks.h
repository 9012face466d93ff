// The year-end windows' hooks: accept definitions name them by ACCEPT_PRC%
// (10 close, 11 undo, 15 renumbering, 16 regeneration) and hand them the
// accepted values, each quoted, separated by commas. A cancelled window
// runs nothing. Each process runs inside a books snapshot (ac_recovery.h)
// with the progress window as progress (its cancel stops the process, and
// the snapshot puts the books back); the parameter context is saved and
// restored around it; the final status is shown (0 as message 0005).
//   10 AcCloseYearHook: the close with the variables the window set
//      (_FINI$, _FFIN$, the switches).
//   11 AcUncloseYearHook: value 1 the closing date.
//   15 AcRenumberEntriesHook: values 1 and 2 the dates, 3 the first number.
//   16 AcRegenBalancesHook: values 1 and 2 the dates.
// AcInstallHooks puts them into their slots.
#pragma once

#include "core/accept_result.h"
#include "core/status.h"

namespace eng::pelmora {

Status AcCloseYearHook(const AcceptResult& result);
Status AcUncloseYearHook(const AcceptResult& result);
Status AcRenumberEntriesHook(const AcceptResult& result);
Status AcRegenBalancesHook(const AcceptResult& result);

void AcInstallHooks();

}  // namespace eng::pelmora
