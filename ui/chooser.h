// The chooser popup: the user picks one item of a comma list, shown as a
// grid of push buttons or as a list box in a small modal popup. Items may be
// quoted (shown unquoted) and may end in "/#n", the button's attribute; a
// first item that is only "/#n" gives every button that attribute.
//
// ChoiceSelect (title, items, flags) -> the 1-based choice, 0 when cancelled,
//   0xFFFF when the title or the list is empty or no popup could be made
//   (nothing shown). Flags: 1 a popup window of its own (else the top window
//   already holds the buttons), 2 a list box (kIdChooserList) instead of buttons,
//   4 placed below the control that has the focus.
// ChoiceRun (title, items, flags, position or null): its body; a given
//   position (screen pixels) replaces the computed one. The popup's class
//   name and caption are the title; _STAT holds the answer while it runs
//   (set to 0 first); the grid is saved before and put back after.
//   Keys: Esc answers 0 and closes the popup; Enter answers the highlighted
//   button or the list's caret row; Up and Down move the highlight among the
//   buttons (with none highlighted Up takes the first and Down the last,
//   each wrapping round); a click on a button or a double click in the list
//   answers that item. A choice ends the popup's loop but leaves the popup
//   on top: the caller closes it (ChoiceClose) when it is done.
// ChoiceClose (): destroys the top window (the popup left by a choice).
// ChoiceButtons (window, items, first id, flags): the items as buttons in
//   the window's client area (flags 255 mean 3): as many columns as fit, or
//   with flag 8 all in one row.
// ChoiceButtonGrid (window, columns, width, height, items, first id, flags):
//   the layout (0xFFFF: not given; sizes in pixels). Flag 1 drops rows, flag
//   2 columns, that would stay empty and spreads the spare space over them;
//   flag 4 leaves the grid's top margin out of the first button's place.
//   Shrinking the buttons to fit stops when a pass changes nothing; the free
//   dimension then grows so that every item has its button.
#pragma once

#include <cstdint>

#include "core/str_pair.h"
#include "platform/win_types.h"
#include "ui/choose_list.h"

namespace eng {

inline constexpr int kIdChoiceFirst = 1500;
inline constexpr int kIdChoiceLast = 1699;
inline constexpr int kIdChoiceListLast = 3499;
inline constexpr uint16_t kChoiceOwnPopup = 1;
inline constexpr uint16_t kChoiceListBox = 2;
inline constexpr uint16_t kChoiceNearFocus = 4;
inline constexpr uint16_t kChoiceNone = 0xFFFF;

uint16_t ChoiceSelect(StrPair title, StrPair items, uint16_t flags);
uint16_t ChoiceRun(StrPair title, StrPair items, uint16_t flags, const plat::Point* position);
void ChoiceClose();
void ChoiceButtons(plat::Hwnd window, StrPair items, int first_id, uint16_t flags);
void ChoiceButtonGrid(plat::Hwnd window, int columns, int width, int height, StrPair items, int first_id,
                      uint16_t flags);

}  // namespace eng
