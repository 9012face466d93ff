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
// Copies fields first..last (last -1: the last field) from buffer a into
// buffer b of the window record, or from b into a with flags 0x10.
Status ScreenCopyFields(uint16_t flags, int first, int last, int window, ScreenWinPart a, ScreenWinPart b);
// "SCRBACK=variable": save assigns the current record to the variable;
// otherwise the variable's text (when it fits) is written over the start of
// the saved record. 0 for any other text or without a current window.
Status ScreenSaveRecord(StrPair text, bool save);
// The remembered values of the last accept form (list 9, elements 6 and 7):
// a new key forgets the values; AcceptLastValue (i) is value i normalised.
void AcceptLastKeySet(StrPair key);
StrPair AcceptLastValue(int i);

}  // namespace eng
