// Questions to the data dictionary. The queries take a resolved file number
// from 1 to the file count; callers resolve 0 and numbers above the count to
// the current file (_CURFIL) with DictFileNumber first. An undefined file
// reads the all-zero descriptor, an undefined field or key the zero
// descriptor too. Texts are returned as new scratch entries unless noted.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "core/str_pair.h"
#include "data/dict_types.h"

namespace eng {

// n when 1 <= n <= file count, else _CURFIL.
uint16_t DictFileNumber(uint16_t n);
// Makes n current when it is a defined file; returns the current file.
uint16_t DictSelectFile(uint16_t n);
uint16_t DictFileCount();
bool DictFileDefined(uint16_t n);

DictFileDesc DictFileDescOf(uint16_t n);
uint16_t DictRecordLength(uint16_t n);
uint16_t DictFieldCount(uint16_t n);
// 255 (like any number above the count) asks for the current file.
uint16_t DictKeyCount(uint16_t n);

// Global indexes: field counts (key counts) of files 1 to n - 1, plus field
// (key) - 1.
uint16_t DictFieldIndex(uint16_t n, uint16_t field);
uint16_t DictKeyIndex(uint16_t n, uint16_t key);

DictFieldDesc DictField(uint16_t n, uint16_t field);
uint16_t DictFieldLength(uint16_t n, uint16_t field);
uint16_t DictFieldOffset(uint16_t n, uint16_t field);
char DictFieldType(uint16_t n, uint16_t field);
// A view into the string store (valid until the store changes).
StrPair DictFieldName(uint16_t n, uint16_t field);
StrPair DictFileName(uint16_t n);
StrPair DictFileFolder(uint16_t n);
StrPair DictRelationText(uint16_t n);

// The field number by exact, case-sensitive name; 0xFFFF when absent.
uint16_t DictFindField(uint16_t n, StrPair name);
uint16_t DictLineField(uint16_t n);

// 0 when n is defined and 1 <= field <= its field count, or field is 0xFFFF
// (any field); otherwise 168, with "(File:n, Field:f)" added to the incident
// text.
Status DictCheckField(uint16_t n, uint16_t field);
// Adds "(File:n, Field:f)" to the incident text and returns 168.
Status DictFieldError(uint16_t n, uint16_t field);
// 0 when n is defined and 1 <= key <= its key count; otherwise 168.
Status DictCheckKey(uint16_t n, uint16_t key);

// The part count and the five (offset, length) pairs; count 0 when the key
// check fails.
DictKeyLayout DictKeyParts(uint16_t n, uint16_t key);
// The sum of the part lengths; of the first m parts only when m is neither 0
// nor 0xFFFF.
uint16_t DictKeyLength(uint16_t n, uint16_t key, uint16_t m);

// For each part of a key, the number of the field that holds its first byte
// (the first field whose offset + length passes the part's offset). A key
// without parts reports one part, field 1. Status 141 when a part starts
// beyond the last field, 168 for a key that does not exist.
struct DictKeyFieldList {
  Status status = kOk;
  uint16_t count = 0;
  uint16_t field[kDictMaxKeyParts] = {};
};
DictKeyFieldList DictKeyFields(uint16_t n, uint16_t key);
// The field that holds byte `offset` of the record; 0 when none does.
uint16_t DictFieldAtOffset(uint16_t n, uint16_t offset);
// The first key whose first part starts in the field; 0 when none.
uint16_t DictKeyByField(uint16_t n, uint16_t field);
// The first key whose first part starts in a field of type "D"; 0xFFFF when none.
uint16_t DictDateKey(uint16_t n);

// An empty text: the current file. A text whose first byte is above 64: a
// file name, lower-cased unless _AUXSTAT bit 8 is set, as its 1-based
// position among the names (0 when absent). Otherwise the text's number.
uint16_t DictFileByName(StrPair text);
// DictFileByName of the last item of a comma list.
uint16_t DictFileOfLastName(StrPair list);
// The comma list of all file names.
StrPair DictFileNames();
// "{n}"; "{}" for 0.
StrPair DictFileRefSuffix(uint16_t n);
// The field's name followed by DictFileRefSuffix(n).
StrPair DictFieldQualName(uint16_t n, uint16_t field);
// "a;b".
StrPair DictFileFieldText(uint16_t a, uint16_t b);
// Display width: for the digits "1"-"8" the length plus the digit plus one
// (decimals and the point); for "9" and the letters the length.
uint16_t DictTypeWidth(char type, uint16_t length);

// Relations. File a's relation text holds items "bRcKn=expression": file b
// is related through relation c by b's key n, whose value the expression
// gives on a's current record.
// "bRcK".
StrPair DictRelationTag(uint16_t b, uint16_t c);
// n of the item tagged DictRelationTag(b, c) in a's relation text; 0 when absent.
uint16_t DictRelationKey(uint16_t a, uint16_t b, uint16_t c);
// The expression of that item: its value ends at the first ":", blank, "&"
// or "/" outside quotes and loses one pair of quotes; empty when absent.
StrPair DictRelationExpr(uint16_t a, uint16_t b, uint16_t c);

}  // namespace eng
