// The stored texts of a window's screen fields: reading, storing and the
// recalculation of dependent fields.
//
// Store flags (tested together with the field's own flags): 0x0001 value:
// leave out fields of another file; store: no type normalisation (when the
// field also has 0x0001). 0x0002 value: a field of the current file is read
// from its record buffer. 0x0004 value: evaluate ASSIGN$. 0x0010 store: also
// write a field of the screen's own file into the file's record buffer.
// 0x0020, 0x0040 store: run PERFORM$ (0x0040 also the dependants). 0x0080
// store: write even an unchanged text; recalculation: fields bound to a file
// are not dependants. 0x0200 value: the saved record's raw text. 118 is the
// usual word after user input, 116 for a refresh.
//
// ScreenFieldStore normalises the text by type (display form at the display
// length, then the stored form at the storage length), shows it in the
// control (right-trimmed unless type "F"), and writes it only when it
// changed (or with 0x0080); then the file buffer and the recalculation.
// ScreenFieldRecalc runs PERFORM$ (macro-expanded); with 0x0040 it
// refreshes the direct dependants (UPDFIELDS$) without 0x0040, then the
// whole closure of dependants once more without 0x0040, 0x0020 and 0x0002.
// The closure never contains the field being recalculated, so a cycle of
// dependants ends and never overwrites the text just stored.
#pragma once

#include <cstdint>
#include <vector>

#include "core/status.h"
#include "core/str_pair.h"
#include "ui/screen_records.h"

namespace eng {

using FieldList = std::vector<uint16_t>;

// A view of field n's bytes in a buffer of the current window; (null,
// status) for a field whose status word is set, (null, 168) without a window.
StrPair ScreenFieldFromBuf(int n, ScreenWinPart buffer);
StrPair ScreenFieldRaw(int n);
// Pads by type to the storage length and writes into the current record;
// 163 for a field number out of range.
Status ScreenFieldPut(int n, StrPair text);
// The newest scratch entry, or a failure pair.
StrPair ScreenFieldValue(uint16_t flags, int n);
Status ScreenFieldStore(uint16_t flags, int n, StrPair text);
Status ScreenFieldRecalc(uint16_t flags, int n);
Status ScreenFieldsRefresh(uint16_t flags, const FieldList& list);
Status ScreenFieldsRefreshRange(uint16_t flags, int first, int last);
// Fields sharing a bit with the mask (all for 0); with mask 0x0200 only
// editable fields whose order lies in first..last, sorted by order.
FieldList ScreenFieldList(uint16_t mask, int first, int last);
// The fields named in a comma list (unknown names left out).
FieldList ScreenFieldNums(StrPair names);
// Applies the pending entry text (list 34) to field n: item 1's value is
// stored (118), the fields of item 2 (";"-list) refreshed (116); the entry
// is popped in every case.
Status ScreenApplyEntryValue(int n);
// Hook 0, the expression language's access to screen fields: the first name
// of the list must be a field of the current screen (else (null, 163)).
// Mode 1 reads the raw text of the current record, mode 2 of the saved
// record (a check-box field "L" starting with a blank reads "0"); mode 5
// writes the value (an 8-byte number rendered as decimal text for the
// number types N, L and 1-9) and answers it.
StrPair ScreenFieldProvider(StrPair names, uint16_t mode, StrPair value);

}  // namespace eng
