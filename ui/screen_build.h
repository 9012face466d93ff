// Building a screen record from its field records and the parameter string
// in effect (the screen's definition).
//
// ScreenBuild (template, fields, key):
//  - FD$ is completed when it names fewer fields than there are: every
//    field's name is its FD$ item, else "_SCRF<n>$" for types A, B, C, D, F
//    and "_SCRF<n>#" for others; the completed item FD$:="..." goes in front
//    of the parameter string, so that it is the one found. The result is
//    the definition text (at most 65,535 bytes: 146 beyond).
//  - the bounded range (BOUNDS$ names), the begin field (BEGINFLD% - 1), the
//    rule mark (rules loaded so far), the data file (the template's, else
//    FILEDEF$ item count + 1), the index flags, the key-map set (also put in
//    _KEYMAP), and without field lines the FD$ names as fields;
//  - per field: the positions of its ALARM$, ASSIGN$, PERFORM$, FD$,
//    UPDFIELDS$ and WINDOWS$ items, WIDTHS$ and TYPES$ overrides, and, with
//    no PERFORM$ parameter, a parameter named after the field ("NAME$": a
//    value "perform,dependants", or dependants only when it begins with
//    "_");
//  - binding (FILEDEF$: a field reference or "file;field"; without an item,
//    open flag 4 binds by name to the screen's data file, type A, lengths of
//    the dictionary field), order (HIDDEN$ 81; NOEDIT$ or another file's
//    field 0 unless it is the begin field; else its place in EDIT$ or its
//    own number), flags, width (cut to the grid right of its column) and
//    record offset.
// The new record becomes the current screen.
#pragma once

#include <vector>

#include "core/status.h"
#include "core/str_pair.h"
#include "ui/screen_records.h"

namespace eng {

Status ScreenBuild(const ScreenDesc& tmpl, std::vector<ScreenFieldDesc> fields, StrPair key);

}  // namespace eng
