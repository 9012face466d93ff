// The record commands of maintenance windows: save, add, delete and the
// moves through the file, the search by key, the next key index and Esc.
// Every write goes through the hooked record write (rules, duplicate-key
// refusal); after every command the data file is closed and reopened (which
// flushes it) and SAVED$ runs.
//
// MantRecordCommand (n, the verb's place in the toolbar verbs) answers the
// window's new state: 3 after a successful move, 8 after NEW, else 2; 255
// when PgUp/PgDn only recalculated the current field's dependants. Write
// words that would do what the user did not ask are cut down first:
//  - VOIDMODE% vetoes: when its bits change the command's write part, the
//    command writes nothing and runs no rule pass; the move part stays;
//  - while no new record is being entered and no record is under the cursor
//    (a failed locate, a discarded record), nothing is written: a stale
//    buffer never becomes a record;
//  - DEL acts only on a record the window shows (states 3 to 5).
// MantCommand (flags): DEL asks first (no: 122, nothing changes). Any other
// command on a shown record whose key 1 was changed puts the old key back,
// warns "Modificación de Clave descartada" and neither writes nor moves.
// MantCommandRun shows a write or move status 1-121 as a warning with its
// item of message 0023, from 128 as an error; then refreshes the fields.
// MantSaveRecord refuses (7, "Datos Cambiados. Grabación canceleda") a
// rewrite or delete of a record that another program changed or deleted
// since it was read, writing nothing.
// MantScopeCheck keeps moves inside the records whose key 1 begins with
// IK$(1): 1 outside without a move; a first/last move becomes a step and
// answers 124 (again); other moves answer 2 on key 1, else 124 (skip).
// MantCancel (Esc): asks message 0018 before dropping a changed record
// (control flag 0x80: always); 8 closes the window; 0 with the state back
// to 2 (or 0 from 2 with header fields before the begin field); 1 when the
// user said no.
#pragma once

#include <cstdint>
#include <string>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr Status kMantChangedElsewhere = 7;
inline constexpr uint16_t kMantFooterButton = 101;

uint16_t MantRecordCommand(uint16_t n);
Status MantCommand(uint16_t flags);
Status MantCommandRun(uint16_t flags);
Status MantWriteAndMove(uint16_t file, uint16_t flags);
Status MantSaveRecord(uint16_t file, uint16_t flags, Status position);
// move_flags null: no move.
Status MantScopeCheck(uint16_t file, Status status, uint16_t* move_flags);

std::string MantSearchKeyText(int key);
Status MantLocate(StrPair text, int key);
Status MantLocateShow(StrPair text, int key);
void MantNextIndex();

using MantSaveFn = Status (*)(uint16_t flags);
Status MantCancel(MantSaveFn save);
Status MantRunSetItem(int n);

// The write flags a command runs with after the VOIDMODE% veto.
uint16_t MantVoidModeFlags(uint16_t flags, uint16_t void_mode);

}  // namespace eng
