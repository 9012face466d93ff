// The accounting procedure functions and their registration.
//
// AcGetBalance (account; to [; to suffix [; mode [; from]]]): the balance of
//   the account from `from` (empty: the start of the fiscal year that holds
//   `to`, AcYearStart) to `to`, counted by mode (AcAccumulate; 0 is 1);
//   "_#(" elements 1 and 2 take the debit and the credit. 163 for a `to`
//   that is not a date (so a missing opening date cannot loop).
// AcGetAccount$ (account; from; to; mode): AcNextAccount.
// AcGetEntry (from; from suffix; to; to suffix; account): selects the
//   journal lines of key 1 in the range whose debit or credit account is the
//   account (a group code: any account between the code padded with "0" and
//   with "9") and reads the first; without arguments reads the next one
//   (_CURROW counts). Its value is the status: 0 found, 2 none left, or a
//   failure; the function itself does not fail.
// AcGetPerAcum (from; to; account): selects the account's period records
//   in date order and reads the first group: the records of one date, their
//   D_VDOS and H_VDOS summed into the current record; without arguments the
//   next group. 163 for an empty account; statuses up to 5 are its value.
// AcGetPAccount$ (level [; account]): the account code of a level's mask
//   (field CUENTA.<level> of file 3, 0 taken as 1): the first run of "." is
//   filled with CODIGO{6}, of " " and "_" with SUBCTA{6}, each value without
//   blanks, zero-padded and cut from the right to the run's length. "" when
//   the mask is empty or when the account does not begin with the level's
//   prefix (the field after the mask).
// Import (mode [; definition]): with a definition ("file,number") that
//   definition's parameters are in effect meanwhile. Mode 0 adds the
//   journal's current record through the hooked write with the rules of
//   RELOPT%; mode 1 the current record of the operation registry; mode 2
//   runs the journal's write loop (SET$, RD_COND$, WR_EXP$, EOT_EXP$) when
//   ALARM$ holds (126 with the condition as incident text when it does
//   not). Then RD_EXP$ of the caller's parameters, when there is one, runs
//   on the registry's current record, which is rewritten.
// AcRegisterFunctions: registers AcFitEntry (ac_line_order.h),
//   AcFullBalance, AcGetAccount$, AcGetBalance, AcGetEntry, AcGetEntryNum
//   (ac_entry_num.h), AcGetPerAcum, AcGetPAccount$, AcBLabel (ac_layout.h)
//   and Import, each only while the one before succeeded; a failure
//   is shown in a message box and returned.
#pragma once

#include "core/fn_call.h"
#include "core/status.h"

namespace eng::pelmora {

Status AcGetBalanceFn(FnArgs& args);
Status AcGetAccountFn(FnArgs& args);
Status AcGetEntryFn(FnArgs& args);
Status AcGetPerAcumFn(FnArgs& args);
Status AcGetPAccountFn(FnArgs& args);
Status AcImportFn(FnArgs& args);

Status AcRegisterFunctions();

}  // namespace eng::pelmora
