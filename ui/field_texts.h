// Texts made from a screen's fields, and the window's buffer stack.
//
// ScreenFieldNames: the comma list of the fields' names. ScreenFieldsPack:
// the fields' stored texts one after the other. ScreenIndexKeyText (k): the
// items of IK$(k) evaluated as texts and joined. ScreenJoinFilledTerms
// (terms, operator): the terms macro-expanded and joined by operator number
// `operator` of "*,/,!,%,÷,+,-,=,>,<,==,>=,<=,<>,&,|,@,&&,||,@@", leaving out
// term i when field i exists and is blank. ScreenPageRecalc (n): after PgUp
// or PgDn, field n's dependants are recalculated with _SCRSTAT 64 set; 124
// when nothing was done.
// ScreenBufStack (op): the low three bits are the operation, bits 3-6 the
// buffer (8 current record, 16 saved record, 24 file record, 32 file saved
// record, 64 the file record area): 0 pushes the marker on list 32, 1 pops
// down to and including the newest marker, 2 pushes the buffer, 3 pops the
// newest element into the buffer and answers the count left, 4 copies the
// data file's record buffer part into the buffer, 5 the buffer into it, 6
// copies the current record into the buffer; a copy that would leave a
// buffer is 168.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "core/str_pair.h"
#include "ui/field_values.h"

namespace eng {

StrPair ScreenFieldNames(const FieldList& list);
StrPair ScreenFieldsPack(const FieldList& list);
StrPair ScreenIndexKeyText(int k);
StrPair ScreenJoinFilledTerms(StrPair terms, int op);
Status ScreenPageRecalc(int n);
int ScreenBufStack(uint16_t operation);

}  // namespace eng
