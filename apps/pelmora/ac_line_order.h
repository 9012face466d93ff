// Line numbers of multi-line journal entries. An entry is a run of records
// of one data file whose key 1 shares a prefix (date and entry number) and
// ends in a line number; the entry window shows them one grid row per
// record, the line number in one grid column. These operations keep the
// numbers of a run unique and dense when lines are saved, inserted, deleted
// or moved, and repair runs whose records ended up with the same key.
//
// NavsOrderState (one per program, reset by NavsOrderReset at start): the
// prefix length and parts of key 1, the line field (the last part's field)
// and the grid column of the line number; set only by NavsOrderSetField.
// While it is unset (no prefix parts) every operation that renumbers answers
// 163 and changes nothing: without a prefix the whole file would be one run.
//
// The operations work on the current data file and its key 1, except
// NavsOrderUnique, which takes the file. `level` is a list level (its lines
// buffer is the grid); a level that is not open has no rows to show.
//   NavsOrderSetField (column): 163 for column 0 or a key 1 of fewer than
//     two parts; else the state is set from the current file.
//   NavsOrderFit (direction, level, key, *count): renumbers the run from the
//     key on. t is the key's line number; direction 1 (room for an inserted
//     line) gives the i-th record t + 1 + i, walking last to first, and
//     writes the numbers into the grid rows one below the current row + i;
//     -1 (a gap closed) gives t + i, walking first to last, into the rows
//     from the current one. A record whose key another record shares is
//     logged ("NavsOrderFit: Duplicate key: ...", trace bit 1) and
//     renumbered all the same. The window's file record area is saved and
//     put back around the walk when there is a window. *count: the records
//     renumbered (0 when the run from the key is empty). Other directions:
//     163. The first failure stops the walk; renumbered records stay so.
//   NavsOrderNumSve (level, *line): numbers a line being saved. A line
//     number 0 on a new record (blank saved copy) becomes 1 when the grid
//     row above belongs to another entry, else that row's number + 1; an
//     existing record without line number is 141 (incident
//     "_navsOrderNumSve"). *line: the number the record had.
//   NavsOrderUnique (file): when the current record's key 1 occurs at least
//     twice in the file, the duplicates of its run get the numbers m to
//     m + n - 1 (m its line number or 1, n the duplicates; the first found
//     the highest) after the lines behind them moved up to make room (a
//     duplicated key met there is repaired first); each record is rewritten
//     in place, so a failure half-way loses none. The key is located again
//     afterwards; its status is the result. No duplicate: 0.
//   NavsOrderLineNo (key): the integer after the prefix.
//   NavsOrderFindKey (key, direction): the key of the record after (0) or
//     before (4) the key; "" at either end; a failure pair from 122 up. The
//     file's control block and buffer are put back in every case.
//   NavsOrderSetLine (level, n): n into the level's current row (order
//     column) and the current record's line field.
//   NavsOrderListLine (level): the number the current row shows.
//   NavsOrderNextLine (level): the current record gets the next free number
//     of its entry (1 for an entry without lines).
//   NavsOrderMove (old key, level): after a line went to another entry,
//     closes the gap it left in the old one (NavsOrderFit -1 from the key
//     after it, the grid row one further down meanwhile); the window's record
//     is saved first. 0 when nothing of the old entry follows.
// AcFitEntryFn: the procedure function AcFitEntry (word): SVE numbers the
//   saved line (NavsOrderNumSve) and, when the window has flag 8 (lines
//   edited), fits the run from the line's key; INS fits the run for an
//   inserted line; DEL in a window with flag 8 only clears the flag, else
//   closes the gap; a number from 1 to the level's columns sets the state
//   (NavsOrderSetField). Anything else, or not exactly one text: 147.
#pragma once

#include <cstdint>
#include <string>

#include "core/fn_call.h"
#include "core/status.h"
#include "core/str_pair.h"

namespace eng::pelmora {

struct NavsOrderState {
  uint16_t prefix_len = 0;
  uint16_t prefix_parts = 0;
  uint16_t line_field = 0;
  uint16_t order_column = 0;
};

const NavsOrderState& NavsOrderGet();
void NavsOrderReset();

inline constexpr uint16_t kNavsWinLinesEdited = 8;

Status NavsOrderSetField(uint16_t column);
uint16_t NavsOrderPrefixLen();
int32_t NavsOrderLineNo(std::string_view key);
Status NavsOrderFit(int direction, int level, const std::string& key, uint32_t* count);
Status NavsOrderNumSve(int level, int32_t* line);
Status NavsOrderUnique(uint16_t file);
StrPair NavsOrderFindKey(StrPair key, uint16_t direction);
Status NavsOrderSetLine(int level, int32_t n);
int32_t NavsOrderListLine(int level);
Status NavsOrderNextLine(int level);
Status NavsOrderMove(const std::string& old_key, int level);

Status AcFitEntryFn(FnArgs& args);

}  // namespace eng::pelmora
