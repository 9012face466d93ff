// The journal-entry window's side of the accounting module: the action
// handler the entry window (a navigation window over the journal) gets in
// place of its own, installed by hook 17 when the window's INIT event runs.
// A predefined entry is one whose TIPO is not blank (generated from an
// operation); its lines are not inserted into, and deleting one of its
// lines deletes the whole entry with its registry records.
//
// AcEntryScreenHook (hook 17, a hook text): with _AUX 1 (INIT) installs
//   AcEntryAction and the document key filter on the current window; 0.
// AcEntryAction (action):
//   - AcEntryLockCheck first: for Ctrl+End, line down and line up on a
//     predefined entry whose key 1 or TIPO changed (and _IER clear), the
//     command of WINDOWS$ item 5 (its first item; MantMain when it names no
//     verb) runs instead and the move does not happen (answer 0).
//   - Ctrl+End also ends the day's entries: the line is committed first and
//     the day shown (the window's first field) is refused while one of its
//     entries has debits and credits that differ, with message 1021 and
//     that entry's difference; the window stays on it.
//   - F2 (20) in the last bounded field stores the imbalance AcFieldName(15)
//     gives (minus DSC1# on a debit line, DSC1# on a credit line).
//   - INS: the trace line, then AcEntryInsertCheck (nothing with _TRACE bit
//     128): a predefined entry from line 2 on shows message 1002 (caption
//     message 0008) and inserts nothing; otherwise the window inserts.
//   - DEL: the trace line, then AcEntryDeleteAsk: a plain entry's line is
//     deleted by the window; for a predefined entry message 1001 is asked and
//     a yes deletes the entry (AcDeleteEntry); with _TRACE bit 128 the window
//     then cancels (action 21).
//   - 41 (load): DSC1# := 0 outside maintenance mode.
//   - anything else goes to the navigation window's handler.
//   Results above 121 are shown; 122-127 then count as 0.
// AcDeletePosting (prefix, screen file, second file, screen): deletes the
//   records of the operation registry (AppModuleFile 1) whose key 1 starts
//   with the prefix, with `screen file` those of the data file of the screen
//   (-1 the current one; with the rules its RELOPT% names), with `second
//   file` those of AppModuleFile 2; the files' positions are kept. Statuses
//   below 128 count as 0; a screen that is not loaded is 141 and nothing is
//   deleted.
// AcEntryKeyPrefix (file, saved): the entry prefix (date and entry number,
//   the first NavsOrderPrefixLen characters of key 1) of the current record
//   or of its saved copy; empty for a saved copy that holds no record.
// AcDeleteEntry: the current entry's registry records and its lines go (the
//   lines through the window, which deletes their records with the rules).
#pragma once

#include <cstdint>
#include <string>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng::pelmora {

Status AcEntryScreenHook(StrPair text);
Status AcEntryAction(uint16_t action);
// With `saved`, of the record's saved copy.
bool AcEntryIsPlain(uint16_t file, bool saved = false);
Status AcEntryLockCheck(uint16_t action_class);
Status AcEntryInsertCheck(uint16_t action);
Status AcEntryDeleteAsk(uint16_t action);
Status AcDeleteEntry();
Status AcDeletePosting(const std::string& prefix, bool screen_file, bool second_file, int screen = -1);
std::string AcEntryKeyPrefix(uint16_t file, bool saved);

// Puts AcEntryScreenHook into hook 17 and the line-order repair into the
// navigation windows.
void AcInstallEntryScreens();

}  // namespace eng::pelmora
