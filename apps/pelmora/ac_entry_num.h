// AcGetEntryNum (date [; entry [; final]]): the entry number of the journal
// line being typed in the entry window, kept in the procedure variables
// _LDAT$ (the entry's date), _LENT# (its number), _LKEY$ (key 1 of the line
// the window last worked on) and DSC1# (the entry's remaining imbalance).
//   - An empty date is _LDAT$, or today when that is empty.
//   - With window flag 16 the current grid line is copied into the record.
//   - A line whose saved copy has another key than _LKEY$ takes _LDAT$ and
//     _LENT# from that key (unless _IER is set); _LKEY$ becomes it.
//   - A date other than _LDAT$, or an entry given as 0, finds the base: the
//     last entry number on or before the date (the record before the next
//     day's first key), so that a new entry follows it.
//   - Without an entry, in a window with flag 8 whose current row shows
//     line 1, the line continues the previous entry: it takes the key of
//     the record before it, line 0, and the window's first bounded field
//     shows _LDAT$. With an entry other than _LENT# (and neither flag 8 nor
//     16) the line moves to that entry: line 1 of a new entry, or after a
//     yes to message 1003 the next line of the existing one (a no puts
//     _LENT# back into the current field); the gap left in the old entry is
//     closed.
//   - With a final other than 0, a new base, or no entry while _IER is set,
//     the number is _LENT#, plus one (outside flag 8) when DSC1# is 0, since
//     the previous entry balances; _LENT# keeps it.
// With more than one argument, an empty entry and a final of 0 the entry is
// _LENT#. The number is the function's value; 147 for 0 or more than three
// arguments or a date that is not a text.
#pragma once

#include "core/fn_call.h"
#include "core/status.h"

namespace eng::pelmora {

Status AcGetEntryNumFn(FnArgs& args);

}  // namespace eng::pelmora
