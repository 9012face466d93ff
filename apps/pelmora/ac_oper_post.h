// Predefined operations: an operation window, opened above the journal entry
// window, posts an entry generated from its definition's templates (the
// journal lines and the operation's registry record), optionally with a
// payment schedule; posting an operation again replaces its earlier posting
// as a whole. A list window is opened from a form by hook 12.
//
// AcOpenListHook (action), hook 12: on confirmation (class 25) item 1 of the
//   window's WINDOWS$, unquoted, runs as a window-definition line
//   (MantAcceptRun with flags 106 and the window's own hook); every action
//   ends in the common exit (ScreenCloseOnExit, no flags).
// AcPostingWrite (file, context, context list, close, count out): under the
//   parameter context `context` of the list (_AUX; nothing set when 0), the
//   write loop adds records to the file: SET$ the start condition, RD_COND$
//   the record condition, WR_EXP$ the write condition (it fills the record
//   and answers true), EOT_EXP$ the end condition (true ends), with the
//   window's rules (RELOPT%) and the progress window. The context is put
//   back; with `close` the current window is closed after a success. The
//   loop's or the close's failure is the result.
// AcRegistryOperDev (action), hooks 13 and 14: on confirmation, each step
//   only while all went well:
//   1. p: the entry prefix of the journal's current record (the date and
//      number the window's fields put there); s: that of its saved copy,
//      only when the saved copy is a predefined entry (a line typed by hand
//      is never replaced by a posting; a new posting has none); n the
//      number of journal lines of s (at least 1), 0 without s.
//   2. ALARM$ must hold (126 and nothing written).
//   3. When the last ";"-item of WINDOWS$ item 1 is true, the payment
//      schedule of its first item opens (PayScheduleOpen; cancelled: 122).
//   4. With s: the earlier posting goes (its registry records and, with the
//      rules of the window the operation was opened from, its journal
//      lines), the journal's position and buffer kept.
//   5. The journal lines: AcPostingWrite in context ACC, counting c.
//   6. The registry record: AcPostingWrite in context REGIS; then the
//      operation window closes (only now, so that both writes read this
//      window's parameters and fields).
//   7-9. In the journal window below: the n grid lines of the old entry go
//      from the entry's first grid line (none when the grid does not show
//      it), the grid is kept within its most lines, the new entry's lines
//      are read in their place (to the end of the file in maintenance
//      mode), the grid is redrawn and the cursor goes to the line after the
//      entry, first bounded field.
//   Opened with no journal window below (from the menu), the operation is
//   posted as a new one (there is no earlier posting the user stands on)
//   and steps 7-9 do not apply.
//   A failure is shown once in a message box; the common exit gets it.
// AcInstallOperHooks puts them into slots 12, 13 and 14.
#pragma once

#include <cstdint>
#include <string>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng::pelmora {

inline constexpr uint16_t kAcContextAcc = 1;
inline constexpr uint16_t kAcContextRegis = 2;
inline constexpr const char* kAcPostContexts = "ACC,REGIS";

Status AcOpenListHook(uint16_t action);
Status AcPostingWrite(uint16_t file, uint16_t context, const std::string& contexts, bool close,
                      uint32_t* count);
Status AcRegistryOperDev(uint16_t action);

void AcInstallOperHooks();

}  // namespace eng::pelmora
