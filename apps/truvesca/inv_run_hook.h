// The invoicing run started from its hook window: hook 10 of truvesca, the
// handler of the window whose ACCEPT_PRC% names it (a window-definition line
// run by the AcceptRun verb). The user fills the window's fields (the notes'
// range, the first invoice number, the confirmation switch) and confirms.
//
// InvRunHook (action): on a confirmation (class 25) runs InvRunFromWindow and
// shows its status in the status box (also 0, so that the user sees the run
// end); it answers through ScreenCloseOnExit with flag 0x10: after a
// confirmation the window stays open, a close request restores the open
// files and closes the window record, other classes answer 24.
//
// InvRunFromWindow: the run of apps/truvesca/inv_run.h with the window's
// definition, read in the step contexts (BEGIN, DELNOTES, ..., END):
//   files    notes: BEGIN.TARGET$; invoices: AppModuleFile (1); registry:
//            REG.TARGET$ and payments: PAY.TARGET$ (none when empty; a name
//            that is no file is 163)
//   FD$      (macro-expanded) item 3 the window field showing the number
//            being taken (its value the first number tried), 4 and 5
//            expressions of the notes' key bounds, 6 the window field whose
//            non-zero value asks for each note's confirmation, 7 the first
//            window field refreshed (word 17) at the start, 8 and 9 the
//            invoice file's number and series fields (the notes file's field
//            of the same name as item 8 records the invoice a note went
//            into), 10 the notes file's customer field
//   notes    taken when the terms of RD_COND$ and USR_COND$ whose window
//            fields are filled hold on them; grouped, per customer, by
//            CUSTOMER.RD_COND$ macro-expanded on each note
//   steps    each step's SET$ (macro-expanded) runs with _AUX set to it;
//            BEGIN runs first, and the series is then read from the invoice
//            file's series field; INVOICE.RD_EXP$ then INVOICE.WR_EXP$ fill
//            each invoice line (the note in the notes buffer, _LNUM the
//            line); FOOT.WR_EXP$ the header, REG.WR_EXP$ the registry
//            record; PAY.WR_EXP$ each payment while PAY.EOT_EXP$ holds;
//            SCREENUP recomputes the window fields UPDFIELDS$ names
//   writes   RELOPT% the rule slots, IK$(1) the empty-record test
//   confirm  the note printed through the report runner on DEVICE$ with the
//            template DOC$ (else "kvInvSel.pdc") and the note's key; the
//            viewer's buttons "Cancel,Skip,Confirm": Cancel or a viewer
//            closed without a button stops the run (122), Skip leaves the
//            note out, Confirm takes it
// From BEGIN to the end of the run FD$ (macro-expanded) lies on top of
// DynStrings stack 36, where the steps' statements read it (_$(36)); it is
// popped on every way out. The progress window is open during the run; its
// cancel ends the run with 122. The parameter context and the current file are put back afterwards.
#pragma once

#include <cstdint>

#include "core/status.h"

namespace eng::truvesca {

Status InvRunHook(uint16_t action);
Status InvRunFromWindow();

}  // namespace eng::truvesca
