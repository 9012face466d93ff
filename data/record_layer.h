// The record layer: opening and closing data files, positioning on a key
// value, moving through a key's order, reading records into the record
// buffer (current record and saved copy), adding, rewriting and deleting.
// Files are resolved with DictFileNumber (0 = the current file) and checked
// (168 for a file that is not defined). Positioning results are 0 (on a
// record), 1 (before the first record or between keys), 2 (past the end or
// not found) and 3 (new blank record); failures are 128 and above.
//
// Open (flags DataFileOpenFlags: 1 read-only, 2 exclusive, 8 make current,
// 0x10 no index): equal flags on an open file change nothing (0); an
// exclusive open finds a lock marker: 175, nothing changed; another process
// holding the file exclusively (advisory lock): 175; a record file that
// cannot be opened: 0xFFFF. While bit 2 of _UPSTAT is set the file is opened
// on fresh temporary files and no marker is written. The result is the move
// to the first record: 0, or 2 for an empty file.
//
// The buffer remembers which record it holds (its control block's recno):
// rewrite and delete act on that record, answering 144 when the buffer holds
// none; a move to the next or previous record starts from it. A file opened
// without index reads its first live record at open; locate, moves, add,
// rewrite and delete answer 148 on it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/status.h"
#include "core/str_pair.h"
#include "data/dict_types.h"
#include "data/file_ctrl.h"

namespace eng {

Status DataFileOpen(uint16_t file, uint8_t flags);
// Saves a changed index, releases the file and resets the block; the index's
// status.
Status DataFileClose(uint16_t file);
// Closes and reopens the file in its open mode, reloading the index, with the
// buffer and current record kept; `status` when non-zero, else 0 or 131.
Status DataFileReopen(uint16_t file, Status status);

// Positions by key value (key 0xFFFF keeps the current key). Found, or
// between with flag 2: reads that record into both halves. Otherwise, with
// flag 1: a blank buffer holding the value in the key's fields.
Status DataFileLocate(uint16_t file, uint16_t key, StrPair value, uint16_t flags);
// Searches without touching the buffer unless a part (1, 2, 3) is given:
// found (or between while the part has the value-2 bit) reads the record
// into that part. The positioning status.
Status DataFileSeekRead(uint16_t file, uint16_t key, StrPair value, uint16_t part);
// Flag 1: blank buffer, 3. Otherwise moves (0x24 first, 0x14 previous, 0x10
// next, 0x20 last, 0 stay) in the current key; 0, or 1 with flag 2, reads the
// record into both halves; any other status blanks the buffer.
Status DataFileMove(uint16_t file, uint16_t flags);
Status DataFileMoveInRange(uint16_t file, uint16_t flags, StrPair bound);
// Steps through a file as DataFileMoveInRange(file, flags, bound) does, for
// a caller that steps again and again with nothing else running in between:
// the file, its slot, its current key and the key's layout are resolved at
// the first step and taken as they stand at the next ones. Forget() before a
// step when anything may have run since the last (the dictionary, the open
// files, the current key or the buffer may have changed). Key() is the
// current-key value of the record the last step left in the buffer, when
// HasKey().
class DataFileWalk {
 public:
  Status Step(uint16_t file, uint16_t flags, StrPair bound);
  void Forget() { ready_ = false; }
  // The resolved file of the last step (0 before one).
  uint16_t File() const { return ready_ ? f_ : 0; }
  uint16_t KeyNumber() const { return k_; }
  bool HasKey() const { return ready_ && has_key_; }
  std::string_view Key() const { return key_; }

 private:
  bool Resolve(uint16_t file);
  bool ready_ = false, key_checked_ = false, has_key_ = false;
  uint16_t file_ = 0, f_ = 0, k_ = 0;
  DataFileSlot* slot_ = nullptr;
  DictKeyLayout layout_;
  std::string key_;
};

// 2 when the current record's key, cut to the bound's length, has passed the
// bound (forward: bound below it; with flag 4: bound above it), else 0. A
// failed bound gives its status; a last status above 1 is returned as is.
Status DataFileKeyBeyond(uint16_t file, uint16_t flags, StrPair bound);

// Adds the current record; 6 when, in a file without "N_LINE", another
// record already had the same current-key value (the record is stored).
Status DataFileAddRecord(uint16_t file);
// Rewrites the record the buffer holds when it differs from the saved copy.
Status DataFileUpdateRecord(uint16_t file);
// Deletes the record the buffer holds (its first byte becomes ESC); with
// flag 2 the file is then located again by the saved copy's key value,
// making the following record current.
Status DataFileDelete(uint16_t file, uint16_t flags);

// Walks the records whose current-key value starts with `value`: the callback
// gets each with `text` (its failure ends the walk) and the record is
// rewritten. With flag 4 a missing value is added first (_RELRES := 4). The
// block and the buffer are put back afterwards.
using DataFileScanFn = Status (*)(uint16_t file, StrPair text);
Status DataFileScan(uint16_t file, uint16_t key, StrPair value, uint16_t flags, StrPair text,
                    DataFileScanFn callback);

// Not available: 148, incident "DataFileDeleteAll".
Status DataFileDeleteAll(uint16_t file);
// Bulk update by an expression: not available; 0xFFFF, nothing changes.
Status DataFileExprUpdate(uint16_t file, uint16_t key, StrPair expression, uint16_t flags);
// With mode 2 shows status 148 in a message box; a text of one blank.
StrPair DataFileFeatureRemoved(uint16_t mode);
// Sets or clears bit 1 of _UPSTAT (relational-update rules on or off).
void DataFileSetTriggers(bool on);

}  // namespace eng
