// Navigation windows: a document window in NAVIGATION mode over a data file
// whose records are the lines. The grid shows a run of records; the line
// cursor moves through them and past the visible rows (the rows slide over
// the file), and every line is written when the cursor leaves it. The verb
// LnNavMain opens one.
//
// Two modes, kept in window flag 0x02: maintenance (set; existing records are
// browsed and changed) and insert (clear; new lines are typed). Window flag
// 0x08 marks a line being inserted.
//
// NavWindow (line): a plain window of kind 2 with the list windows' procedure,
// the document screen opened in it, maintenance mode, NavActionWin and the
// document key handler, the lines grid with the navigation toolbar (flags
// 244), INIT and SET$ item 3. A status of 128 or more destroys the window.
// NavActionWin: Esc on a changed line puts the line's values back into the
// fields; line up on line 1 in insert mode is refused ("Solo disponible en
// Modo Mantenimiento"); line moves ask "Datos Cambiados. Confirmar" off a
// changed line (not after Enter or Ctrl+End) and, with _TRACE bit 128, refuse
// a changed key 1. Every result goes through the document status line.
// NavAction: Ctrl+End commits and starts a new key; INS (refused on a full
// grid in insert mode), DEL (asks unless the line is being inserted), MDE
// (only outside the lines: "Solo disponible en Busqueda"), load (41).
// A 144 (a line's key is not unique) is answered by one renumbering of the
// file (the application's service, NavSetOrderUnique) and a retry; without a
// service, or when the retry gives 144 again, the 144 is returned.
// NavDeleteLine: the record goes first (a failure above 144 stops it; other
// failures from 128 are shown and the line handling goes on); deleting the
// last line in maintenance mode shows the file's previous record as line 1.
// NavDeleteLineByKey (accounting entry screens): the buffer's lines of a key
// and the document's records.
#pragma once

#include <cstdint>
#include <span>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kNavToolbarFlags = 244;
inline constexpr uint16_t kNavScreenFlags = 22;
inline constexpr int kNavWinKind = 2;

// The application's renumbering of a run of lines of a file; 0 when done.
using NavOrderUniqueFn = Status (*)(uint16_t file);
void NavSetOrderUnique(NavOrderUniqueFn fn);
// The installed renumbering; without one the status `unresolved` comes back.
Status NavsOrderUnique(uint16_t file, Status unresolved);

Status NavWindow(StrPair line);
Status NavActionWin(uint16_t code);
Status NavAction(uint16_t code);
// Reads the lines from the key (empty: the document key) in maintenance
// mode, none in insert mode; the grid then takes input.
Status NavLoadLines(StrPair key);
Status NavInsertLine();
Status NavDeleteLine();
Status NavDeleteLineByKey(StrPair key, std::span<const uint16_t> columns, StrPair slots);

// The verb LnNavMain as the programs' action callbacks run it.
Status NavMainVerb(StrPair argument);

}  // namespace eng
