// Record buffers: for every data file f, element f - 1 of string list 6
// holds the record being worked on followed by its saved copy, exactly twice
// the file's record length L:
//   part 1  the current record, bytes 0 to L - 1
//   part 2  the saved copy, bytes L to 2L - 1
//   part 3  both together
// A buffer of any other length is not initialised: every access answers 169.
// Every operation resolves the file with DictFileNumber (0 or an undefined
// number is the current file) and checks it with DictCheckField first,
// returning that status when the check fails. A record whose first byte is
// ESC (27) is deleted or empty.
//
// Views (BufRecord, BufFieldText) point into the string store: they die at
// the next change of the store. Texts made here are new scratch entries.
#pragma once

#include <cstdint>
#include <string>

#include "core/dec_value.h"
#include "core/status.h"
#include "core/str_pair.h"
#include "data/dict_types.h"  // DictKeyLayout
#include "data/key_layout.h"  // kRecordDeleted

namespace eng {

struct DictFieldDesc;

inline constexpr uint16_t kBufCurrent = 1;
inline constexpr uint16_t kBufSaved = 2;
inline constexpr uint16_t kBufBoth = 3;

// Sets the buffer to 2L blanks.
Status BufInit(uint16_t file);
// The part as a view over the buffer; (null, 169) when not initialised.
StrPair BufRecord(uint16_t file, uint16_t part);
// Copies a text over the start of a part, cut to the part's length.
Status BufStore(uint16_t file, uint16_t part, StrPair text);
// Mode 1: saved copy := current record; mode 2: current record := saved copy.
Status BufCopyPart(uint16_t file, uint16_t mode);
// Blanks both halves whatever the part; with part 2 the current record's
// first byte then becomes ESC (an empty record).
Status BufBlank(uint16_t file, uint16_t part);
// 1 when the current record differs from the saved copy, 0 when not, or a
// failure status (128 and above).
Status BufChanged(uint16_t file);

// The field's bytes in part 1 or 2 (a view); a bad field adds
// "(File:n, Field:f)" to the incident text and gives (null, 151).
StrPair BufFieldText(uint16_t file, uint16_t field, uint16_t part);
// The field's value in the current record through the old-format read
// conversion (six-character "F" dates widened, "D"-coded "N" integers).
StrPair BufGetField(uint16_t file, uint16_t field);
// BufGetField of a field of `file` whose description the caller has just
// read from the dictionary (DictField), without reading it again.
StrPair BufGetFieldOf(uint16_t file, const DictFieldDesc& desc);
// Formats the value by the field's type into exactly the field's length
// (six-character "F" dates letter-coded while _COMPAT bit 4 is set) and
// writes it at the field's offset in the current record. 168 for a bad
// field, 169 for a buffer not initialised, 168 for a number whose integer
// part does not fit; a failure is recorded as 151 under module 13 when no
// error is recorded yet, and the failing status is returned.
Status BufSetField(uint16_t file, uint16_t field, StrPair value);
// BufSetField of the value's text (DecToText); the common numbers of the
// digit types are written without making the text (FmtFieldNumber).
Status BufSetFieldNumber(uint16_t file, uint16_t field, DecValue value);

// The key value of a key taken from a record text: the bytes of each part in
// part order (a part reaching past the text is filled with blanks).
StrPair BufKeyValue(uint16_t file, uint16_t key, StrPair record);
// BufKeyValue into `out` (its storage reused, nothing taken from the arena).
Status BufKeyValueInto(uint16_t file, uint16_t key, StrPair record, std::string& out);
// The key value of a record text by a key layout looked up already
// (DictKeyParts), into `out`; the record must be a valid text.
void BufKeyValueOf(const DictKeyLayout& key, StrPair record, std::string& out);
// The key value of the current record.
StrPair BufFileKeyValue(uint16_t file, uint16_t key);
// Stores a key value back into the fields that hold the key's parts: for each
// part the field holding its first byte takes the next piece of the value,
// cut by that field's length; stops when the value is used up or a write fails.
Status BufSetKeyFields(uint16_t file, uint16_t key, StrPair value);
// With flag bit 1: blanks the buffer and stores the text as the value of the
// given key (the record layer passes the file's current key); without it
// nothing.
Status BufBlankAndSetKey(uint16_t file, uint16_t key, StrPair text, uint16_t flags);

}  // namespace eng
