// The batch processes over the books: regeneration of the period
// accumulations and account totals, the year-end close and its undoing, and
// the renumbering of journal entries. Each reports its progress through
// `progress` (called with a running count; a non-zero answer, such as the
// user's cancel 122, stops the process with it) and runs inside a books
// snapshot (ac_recovery.h): it either completes, or the next start puts the
// books back as they were before it.
//
// AcRegenBalances (from, to): the period records of the months from the
//   month of `from` to the month of `to` are deleted and built again from
//   the journal lines of those months, each line run through the journal's
//   relational-update rules (+1 pass, nothing written to the journal); then
//   every full-length account of the chart gets DEBE_ACTUAL and HABER_ACTUAL
//   of the fiscal year that begins on FAPE$.
// AcSetBalances (from, to): every account with movements between the dates
//   gets its debit and credit totals of that range (the chart record is
//   created when missing); accounts without movements keep theirs.
// AcCloseYear: closes the fiscal year FAPE$ to _FINI$ and opens the one
//   that starts on _FFIN$. Regularisation (when _PEGA is not 0): for each
//   line of the profit and loss layout (2 with _EABR, else 4), every
//   account of its account list with movements is cancelled by a line of
//   the description _CPTG$ dated _FINI$, and the line's total goes to
//   _CTAP$ in a counter-line.
//   Closing (_CIER): every account with movements gets a line of the
//   description _CPTC$ that cancels its balance. Opening (_APER): on _FFIN$
//   each closed account gets its balance back in lines of _CPT1$. Then the
//   account totals of the new year are set and FAPE$ becomes _FFIN$ (in the
//   variable and in the data folder's start file). A balance is cancelled
//   by a credit line when it is a debit balance and by a debit line
//   otherwise; each of the three entries is balanced by itself. The
//   regularisation and closing entries follow the year's last entry; the
//   opening entry follows the entries already on its day (1 on a new year).
// AcUncloseYear (closing date): deletes the closing and regularisation
//   lines of that date and the opening lines of the next day (by their
//   descriptions) through the rules, moves FAPE$ back a year and regenerates
//   the year. A deletion failure from 128 up stops before FAPE$ moves.
// AcRenumberEntries (from, to, first): numbers the entries of the days from
//   `from` to `to` one after the other from `first`, in key order; every
//   line keeps its entry, its line number and its place. 0 also when
//   nothing needed a new number.
#pragma once

#include <cstdint>
#include <functional>

#include "apps/pelmora/ac_books.h"
#include "core/dates.h"
#include "core/status.h"

namespace eng::pelmora {

using AcProgress = std::function<Status(uint32_t count)>;

Status AcRegenBalances(const AcBooks& b, DateYmd from, DateYmd to, const AcProgress& progress);
Status AcSetBalances(const AcBooks& b, DateYmd from, DateYmd to, const AcProgress& progress);
Status AcCloseYear(const AcBooks& b, const AcProgress& progress);
Status AcUncloseYear(const AcBooks& b, DateYmd closing, const AcProgress& progress);
Status AcRenumberEntries(const AcBooks& b, DateYmd from, DateYmd to, int32_t first, const AcProgress& progress);

// FAPE$ := the date, in the variable and in the data folder's start file.
Status AcSetYearOpening(DateYmd date);

}  // namespace eng::pelmora
