// The document-type selector: a combo box under a screen's begin field that
// offers the items of DOCTYPETXT$ and writes the chosen one into the field,
// and through the field's binding into the record.
//
// MovsSelectorCombo (show), on the current window record, only for a screen
// with a begin field:
//  - show 2 destroys the selector;
//  - show 1 without a selector makes one under the begin field (row + 1,
//    same column) with the items of DOCTYPETXT$ (macro-expanded) when it has
//    more than one item, showing the field's item, else the choice last made
//    in any window; the field is not written;
//  - show 1 with a selector while the begin field is the current field: the
//    last key Up or PgUp selects the previous item, Down or PgDn the next (a
//    click in the list has selected already); a selection that differs from
//    the field's text stores the item, unquoted, into the begin field (store
//    word 118) and becomes the choice remembered across windows; the begin
//    field keeps (or gets back) the focus;
//  - show 1 while another field is current puts the list back to the field's
//    item: only the begin field chooses.
// Bad bindings are refused with 163 and the parameter's name as the incident
// text, the window unchanged: a BEGINFLD% that names no field of the screen
// ("BEGINFLD%"), a begin field bound to a data file the dictionary does not
// define ("DOCTYPETXT$"). Without a window record: 177.
#pragma once

#include "core/status.h"

namespace eng {

inline constexpr int kSelectorShow = 1;
inline constexpr int kSelectorDestroy = 2;

Status MovsSelectorCombo(int show);
// True when the current screen has a begin field and a DOCTYPETXT$.
bool ScreenHasSelector();

}  // namespace eng
