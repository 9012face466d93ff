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
// AcRegisterFunctions: registers AcFullBalance, AcGetAccount$,
//   AcGetBalance, AcGetEntry, AcGetPerAcum and AcBLabel (ac_layout.h), each only while the one before succeeded; a failure
//   is shown in a message box and returned.
#pragma once

#include "core/fn_call.h"
#include "core/status.h"

namespace eng::pelmora {

Status AcGetBalanceFn(FnArgs& args);
Status AcGetAccountFn(FnArgs& args);
Status AcGetEntryFn(FnArgs& args);
Status AcGetPerAcumFn(FnArgs& args);

Status AcRegisterFunctions();

}  // namespace eng::pelmora
