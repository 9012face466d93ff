// Menus written as a tree of definitions in a "PPN" file.
//
// Definition 1 is the root: its CALLER$ lists the definitions of the bar's
// entries (0 skipped). A definition with MENU$ or CALLER$ is a pop-up titled
// by the title it was reached under, else item 1 of its MENU$: with CALLER$
// its entries are those definitions, titled by MENU$ items 2, 3, ...; without
// it, its MENU$ items are items (below). A definition with neither is an item
// whose command is the one it was reached with, else item 1 of EXEC$.
// MENU$ items as items, under a base command B (items 1 and 2 of the command
// the pop-up was reached with, joined by a blank) and a base number N (its
// item 3): every item when B is not empty, else from item 2; item i's
// command is EXEC$ item i, else B "," (N + i), or N + i alone without B. A
// non-empty LOAD$ item i names a definition of another file ('file,number')
// that is expanded in the item's place, with that command and title.
//
// MenuPpnRead (name) expands the tree into menu lines on list 38, with
// _COMPAT bit 16 set meanwhile (then MenuPpnParm falls back to the older
// parameter names); the number of lines, or 65535 when a definition is
// missing (164 with the file name as incident text; the lines made so far
// are dropped). A definition that reaches itself fails the same way once the
// parameter stack is full.
// MenuPpnParm (parameter, item): item n (0: all) of MENU$, CALLER$, LOAD$ or
// EXEC$ of the definition in effect; while _COMPAT bit 16 is set an empty
// MENU$ falls back to SUBMENU$, else MODULO$ and OPTIONS$ joined by ",", and
// an empty CALLER$ to MODULOS$. The newest scratch entry (or a view).
#pragma once

#include <cstdint>

#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kMenuPpnQueue = 38;
inline constexpr uint16_t kCompatOldMenuNames = 16;

uint16_t MenuPpnRead(StrPair name);
// The open step of the definitions' reader: 0, or 65535.
uint16_t MenuPpnReaderStart(StrPair name);
StrPair MenuPpnParm(uint16_t parameter, uint16_t item);

}  // namespace eng
