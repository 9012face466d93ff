// The state of a maintenance window: where the field cursor stands, which
// fields the user may enter, the toolbar's enabled buttons, the footer and
// the status line.
//
// The window state is one byte of the window record: the zone of the field
// cursor in the low bits, bit 8 for a record being added. Zones of field f
// (begin field b, bounded range first..last, 0 when none): 0 before b, 1 at
// b, 6 past the last field (f 0xFFFF), 5 after the range, 4 inside it, 2 a
// field of the window's current key (with a begin field, fields 1..b are
// then copied into the saved record), 3 any other field. A plain screen
// knows 2 (search), 3 (edit), 10, 11 (adding) and 6, 14 (form complete).
//
// Toolbar kinds (the screen's toolbar byte): 1 maintenance, 2 document,
// 4 navigation; each has a set of eight verbs and a mask per button: a set
// bit (state mod 32) disables the button, a mask of 0 never touches it.
//
// MantFieldSetState (state or 255): 255 takes the zone of the current field.
// States 0 and 1 count as 3 while the window is in state 3; 0, 1 and 3 allow
// the editable fields outside keys 1 and the window's key; 2 the fields of
// the current key; 8 puts the cursor on the first editable field. A state
// that differs is stored (answer 1). A cursor outside the allowed fields
// goes to the first of them.
// MantEnableButtons (state or 255, text): stores the state, applies the
// toolbar masks, shows "[ k ]" on the footer button (no bounded range) and
// the status text on status line 1481; with control flag 0x04 enables the
// field controls the state allows; focuses the current field.
// MantKeyNext (state when the action began, state now, code): the next
// action the key handler runs: 27 for Shift+Tab in search, 41 (locate) when
// a plain key left the key fields, 42 (save) when the form is complete; -1
// for none (also when it equals the code).
#pragma once

#include <cstdint>
#include <string>

#include "core/status.h"
#include "core/str_pair.h"
#include "ui/field_values.h"

namespace eng {

inline constexpr uint8_t kMantStateNew = 8;
inline constexpr uint8_t kMantSearch = 2;
inline constexpr uint8_t kMantEdit = 3;
inline constexpr uint8_t kMantComplete = 6;
inline constexpr uint16_t kMantStateCompute = 255;
inline constexpr uint16_t kMantFormDone = 0xFFFF;

// Window flags of maintenance windows.
enum MantWinFlag : uint16_t {
  kMantFlagFieldsByState = 0x04,
  kMantFlagDeletePan = 0x08,
  kMantFlagOwnFiles = 0x10,
  kMantFlagShown = 0x20,
  kMantFlagAlwaysAsk = 0x80,
};

inline constexpr uint16_t kMantToolbarFlags = 81;  // maintenance toolbar: set 1, kind 1

// The fields of key n of the screen's data file, in key-part order.
FieldList MantKeyFieldList(int key);
// The editable fields in edit order without the fields of key n and key 1.
FieldList MantEditFields(int key);
uint8_t MantFieldZone(int field);
int MantFieldSetState(uint16_t state);
// The opening state: 8 when the data file has no record under the cursor,
// else 3 with flags 0x20, else 2.
uint8_t MantWinMode(uint16_t flags);

// The mask of button i (1-8) of the kind; 0 when none.
uint16_t MantToolbarMask(int kind, int i);
// The eight verbs of the button set the flags choose.
const char* MantToolbarSet(uint16_t flags);
void MantToolbarEnable(uint8_t state, int kind);
std::string MantToolbarCaptions(uint16_t flags);
// Makes the toolbar and the footer on the top window; records the kind.
Status MantToolbar(uint16_t flags, StrPair shown);

std::string MantStatusPart(StrPair text);
std::string MantStatusText(uint8_t state, StrPair extra);
Status MantEnableButtons(uint16_t state, StrPair text);

uint16_t MantKeyNext(uint16_t began, uint16_t now, uint16_t code);

}  // namespace eng
