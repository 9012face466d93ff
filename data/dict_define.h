// Building the data dictionary: files, fields, keys and relations are added
// in order (status 0 = success). Fields always go to the last defined file;
// keys to the file named, placed after that file's earlier keys.
//   DictDefineFile      161 when 30 files are defined; the name is stored
//                       lower-cased unless _AUXSTAT bit 8 is set
//   DictDefineField     161 with no file, or when 30 files are defined (the
//                       thirtieth file can be named but holds no fields);
//                       146 when the record would pass kDictMaxRecord bytes
//   DictDefineKey       163 for a file that is not defined; files between the
//                       keyed-up-to mark and the file first get their
//                       automatic keys
//   DictDefineRelation  151 for a file that is not defined; the item is
//                       joined to the file's relation text with ":"
// A failure of the string store or the object tables (159, 145) is returned
// as it is. Nothing defined is removed except by DictTruncate, which takes the
// dictionary back to an extent taken earlier (the structure scopes of the
// procedure language push and pop such extents).
#pragma once

#include <cstdint>

#include "core/dict_state.h"
#include "core/status.h"
#include "core/str_pair.h"
#include "data/dict_types.h"

namespace eng {

Status DictDefineFile(uint8_t code, StrPair name, StrPair folder);
Status DictDefineField(StrPair name, uint16_t length, char type);
Status DictDefineKey(uint16_t file, uint16_t part_count, const DictKeyRanges& parts);
Status DictDefineRelation(uint16_t file, StrPair item);

// Every file from 1 to n without a key gets its automatic key.
Status DictAutoKeys(uint16_t n);
// One part from byte 0 to the end of the field "N_LINE", or of field 1 when
// the file has no "N_LINE".
Status DictAutoKey(uint16_t file);
// Stores a key (at most five parts) without giving other files their keys.
Status DictStoreKey(uint16_t file, uint16_t part_count, const DictKeyRanges& parts);

// The groups of a key text: after the first "<" (from the first character
// when there is none), groups of seven digits, four for the 1-based byte
// position and three for the length, stored as (position - 1, length); a
// group is read while its start lies before the text's last character, at
// most five. A group whose position is not 1 or more gives status 163.
struct DictKeySegmentsResult {
  DictKeyLayout layout;
  Status status = kOk;
};
DictKeySegmentsResult DictKeySegments(StrPair line);

// The prefix followed by item n of "DICC.DAT,REL.DAT,RELUP.DAT,RELUPSQL.DAT,MENU.PPN"
// (a new scratch entry).
StrPair DictSystemFileName(StrPair prefix, uint16_t n);

// The dictionary's present extent, and the way back to an earlier one: the
// files, fields and keys above it are removed from the last down, with their
// names, folders, relation texts and record buffers, and the extent's current
// file becomes current again.
DictExtent DictExtentNow();
Status DictTruncate(const DictExtent& extent);

// The stack of saved extents (at most seven; the eighth push is 168).
// Restoring with an empty stack is 141 with the incident text "RESTORE" and
// removes nothing.
Status DictScopePush();
Status DictScopeRestore();
uint16_t DictScopeDepth();

// Called with the file's number whenever a file is defined and whenever one
// is removed by DictTruncate, so that the record layer can reset the file's
// control block. One hook for the program; nullptr removes it.
using DictFileHook = void (*)(uint16_t file);
void DictSetFileResetHook(DictFileHook hook);

}  // namespace eng
