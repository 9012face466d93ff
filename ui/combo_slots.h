// Combo boxes by slot number: a fixed table of 80 slots that the rest of the
// engine addresses by number; the combo of slot n has the control id 3500 + n.
//
// ComboCreate (parent, y, x, items, editable): items is a ","-list, each
// item shown unquoted, in order. The box is as wide as the longest item in
// character cells plus 20 pixels (40 when editable); an editable box is a
// drop-down field over five rows, any other box shows one row per item. It
// takes the first free slot, is subclassed with the engine's control key
// procedure (Enter presses Ok, Esc runs key 3's action) and gets the table
// font. The slot, or 0xFFFF when all 80 are taken or the control cannot be
// made (then nothing is kept). A slot whose control was destroyed with its
// parent window counts as free.
// ComboDestroy (slot) destroys the control and frees the slot; ComboGetSel
// answers the control's selection (-1 none, also for a free slot);
// ComboSetSel selects an index (-1 none) without telling the parent;
// ComboSetFocus focuses the control. A free or out-of-range slot does nothing.
#pragma once

#include <cstdint>

#include "core/str_pair.h"
#include "platform/win_types.h"

namespace eng {

inline constexpr uint16_t kComboSlots = 80;
inline constexpr int kIdComboBase = 3500;
inline constexpr uint16_t kComboNone = 0xFFFF;

uint16_t ComboCreate(plat::Hwnd parent, int y, int x, StrPair items, bool editable);
void ComboDestroy(uint16_t slot);
int ComboGetSel(uint16_t slot);
void ComboSetSel(uint16_t slot, int index);
void ComboSetFocus(uint16_t slot);
// The control of a slot; kNoWindow when the slot is free or out of range.
plat::Hwnd ComboHandle(uint16_t slot);

}  // namespace eng
