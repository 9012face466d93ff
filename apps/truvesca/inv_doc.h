// Invoice document commands: hook 12 of truvesca, named by the PRCNAME$ of
// an invoice document window's events with a comma list of commands
// ("Registry", "Invoice", "Payments [file]"). Each command's first word
// names it (1, 2, 3); with the event in _AUX (1 INIT ... 5 DELETE) the
// action is name + (event - 1) x 3:
//    5 Invoice at LOAD     InvNumberFree: SET$ true (the number exists)
//                          shows message 1001 and refuses with 163
//    9 Payments at CHECK   InvDocLinesUpdate: every line of the window's
//                          lines buffer written by its mode (RD_COND$)
//   10 Registry at SAVE    InvRegistrySave: WR_EXP$, then the registry
//                          file's record added (SET$ non-zero) or rewritten
//   11 Invoice at SAVE     InvDocSave: WRITECAB0$ and WRITELINS$ executed,
//                          each followed by the invoice file's rule pass
//   13 Registry at DELETE  InvRelatedDelete (registry file); a failure, or
//                          no registry record to delete, is shown with
//                          message 1002 and the list goes on
//   14 Invoice at DELETE   InvDocDelete: the invoice's records, then its
//                          registry records
//   15 Payments at DELETE  InvRelatedDelete on the file the command names;
//                          only a failure (128 and above) counts
// Any other action, every command at INIT and an unknown name answer 163
// and end the list; otherwise the list runs while the status is 0 and the
// first non-zero status is the answer. Parameters are read in the event's
// context. The registry file is AppModuleFile (0), the invoice file
// AppModuleFile (1).
//
// InvDocLinesUpdate: key text k = SET$ as a text; when not empty the file
// is positioned at the first record at or after k by INDEX% and base = the
// "N_LINE" of the last record whose key begins with k (0 when none; a
// header without a line number before the lines is passed over). For each used line: the line goes
// into the file's current record, _LNUM = base + line, and by the mode
// (RD_COND$ evaluated on that line's record): 1 item 1 of WR_EXP$ executed and the record added; 2
// InvDeleteRedundant with item 4 of WR_EXP$ as condition; 3-5 148 (not
// available), which ends the walk. The answer is the first status, or 1
// when nothing failed (so that the document window does not save the
// document again over the records just written).
// InvDeleteRedundant (file, condition): the records whose key 1 equals the
// current record's and satisfy the condition: none, a warning (127) and
// nothing deleted; one, deleted; more, deleted only when the user says yes
// to message 1003 (with their count).
// InvRelatedDelete (file): relation 1 of the current file towards the file
// gives a key value and a key; every record of the file found under it is
// deleted through the hooked write. 144 when there is no relation or its
// value is empty; statuses up to 121 count as 0; a delete that leaves the
// same record in place stops with 141 rather than loop.
// DataFileFieldText (file, n): relation n of the current file towards the
// file, evaluated as a text; empty without a current file or relation.
// DataFileOpRemoved: the record operations that are not available: 148.
#pragma once

#include <cstdint>
#include <string>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng::truvesca {

Status InvDocHook(StrPair commands);

Status InvNumberFree();
Status InvDocSave();
Status InvRegistrySave();
Status InvDocDelete();
// `deleted` (may be null) counts the records deleted.
Status InvRelatedDelete(uint16_t file, uint32_t* deleted = nullptr);
Status InvDocLinesUpdate();
Status InvDeleteRedundant(uint16_t file, StrPair condition);

std::string DataFileFieldText(uint16_t file, uint16_t relation);
Status DataFileOpRemoved(uint16_t file, uint16_t key, StrPair key_text);

}  // namespace eng::truvesca
