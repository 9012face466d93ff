// The key index of a data file ("DIR", or "NDX" in compatibility mode) and
// its in-memory form, loaded whole when the file opens.
//
// File: 32-bit little-endian signed integers. F (freed numbers) at 0, N (live
// records) at 4, the free list (F numbers, the last freed last) at 8, then
// key array k (N record numbers in ascending order of key k, equal keys in
// insertion order) at 8 + 4F + 4N(k - 1), for k = 1 to K (K the key count,
// or 1 for a file without keys). Bytes after the last array are not read.
//
// Key values are never stored in the file: comparisons cut the key out of the
// record in the record file. In memory each array keeps the first bytes of
// each entry's key (up to kKeptKeyMax) beside its record number (see
// recno_seq.h), taken from the records when a block is first searched and
// from the record itself when an entry is inserted, so a search reads a
// record only where those bytes cannot decide. One cursor (a position) is
// shared by all arrays and read in the array of the key the caller names.
//
// Room grows in steps of 64 entries: R(n) = (n div 64 + 1) x 64. When the key
// spare (before an add) or the free spare (before a delete) is 0 the room is
// recomputed, and the index saved first (a reload) when the changes since
// the last save amount to an eighth of its entries or more: the file on disk
// is then at most max(64, an eighth of the entries) changes behind, and the
// bytes written stay in proportion to the changes. Only a changed index is
// saved. The save of a reload rewrites the file in place from offset 0
// (bytes after the last array are never read); the save of a close, and
// every synced save, writes the whole file under a fresh name, syncs it and
// renames it over the old one, so a closed file's index is whole and exactly
// as long as its arrays. A torn in-place save is caught by the check of the
// next open.
//
// An index saved whole by an open that held the file exclusively, with the
// records on the disk, is sealed against the record file (index_seal.h); an
// open that finds the seal holding takes the index without the check below,
// and the records' next change takes the seal down first. Otherwise, opening
// checks the loaded index against the record file: sane counts, a
// file long enough for them, N + F equal to the record count, every array a
// sorted arrangement of exactly the live records, every free number a
// deleted record. An index that fails (missing, truncated, stale after a
// crash) is rebuilt from the record file and marked changed, never taken as
// empty beside records.
//
// Record changes write the record file first and change the index only
// after the write succeeded, so a failed write leaves the index as it was:
//   AddRecord      number: the last freed one when it still names a deleted
//                  record below the record count, else the record count (a
//                  new record never overwrites a live one); inserted after
//                  the equal entries of every array
//   RewriteRecord  record r by number; an unchanged record is not written;
//                  re-sorted in every array whose key value changed
//   DeleteRecord   record r by number: ESC written over its first byte, its
//                  entries removed, its number freed
// All three leave the cursor on record r's position in the named key (after a
// delete: the position that held it). 144 for a number that is not a live
// record; 137 for a failed write; 163 for a record starting with ESC.
//
// Sharing (a file opened shared by several opens, in this or other
// processes; the store holds the index file's change lock around each
// step). The index file may then carry, right after the last array, a
// change log: a header ("IXLOG" magic, a generation that is new whenever the
// arrays before it are rewritten, and an entry count) and entries (change,
// record number, the record as it was before). Other programs never read
// it: bytes after the last array are not read.
//   SyncShared    brings the memory up to the file: nothing when the log
//                 header is the one last seen; the new entries replayed when
//                 only entries were added; else the whole file loaded again
//   SetLogging    while others have the file open, every change reaches the
//                 file before the change lock is released (a log entry, or
//                 the arrays rewritten with a fresh log when the log is long
//                 or this open holds changes it never logged); while this
//                 open is alone, changes stay in memory as for a file held
//                 exclusively, and are rewritten for others when one comes
//   CloseShared   the last save: alone, the whole index replaced and synced
//                 (as Close); with others, in place, only what they lack
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/block_file.h"
#include "core/status.h"
#include "data/key_layout.h"
#include "data/recno_seq.h"
#include "data/record_file.h"

namespace eng {

// Position statuses of a search or a move.
enum NdxPosition : uint16_t { kNdxFound = 0, kNdxBetween = 1, kNdxPastEnd = 2 };

// Move flags (the low byte of the record layer's command words).
enum NdxMoveFlags : uint16_t {
  kNdxNext = 0x10,
  kNdxPrevious = 0x14,
  kNdxLast = 0x20,
  kNdxFirst = 0x24,
  kNdxMoveMask = 0x34,
};

struct NdxResult {
  uint16_t position = kNdxPastEnd;  // 0 found, 1 between / before, 2 past the end
  Status error = kOk;
  int32_t recno = -1;  // -1 when the array is empty
};

// Key bytes kept in memory per entry, at most.
inline constexpr uint32_t kKeptKeyMax = 64;

// The key value cut out of a record into `out`, reusing its room.
void KeyValueInto(const KeyLayout& key, const char* record, std::string& out);

// Room for n entries: (n div 64 + 1) x 64.
constexpr int64_t NdxRoom(int64_t n) { return (n / 64 + 1) * 64; }

class DataFileIndex {
 public:
  void Attach(const DataFileLayout* layout, DataRecordFile* records, std::string path);

  // Creates a missing index file, loads it and checks it; rebuilds it from
  // the record file when the check fails (*rebuilt tells). 130 when the
  // index file can be neither created nor read.
  Status Open(bool* rebuilt = nullptr);
  // Parses the file's bytes; 130 when they are short for their counts.
  Status Load(std::string_view bytes);
  // 0 when the loaded index matches the record file, else 130.
  Status Check();
  Status Rebuild();
  // Writes the whole index when changed: in place, or (sync) replaced and
  // synced. 130 (recorded under module 18) when the write fails.
  Status Save(bool sync);
  // Saves (synced) and lets go of the index file.
  Status Close();
  // Save, then regain room; the cursor stays.
  Status Reload();
  // which 0: the key arrays, 1: the free list.
  Status EnsureRoom(int which);
  std::string Serialize() const;

  // Binary search of a value in key array k: the value cut to the key's
  // length, one blank when empty, compared over its own length. A seek lands
  // on the first of equal entries; `for_insert` on the last. The cursor is
  // set to the final position.
  NdxResult Search(uint16_t key, std::string_view value, bool for_insert = false);
  NdxResult Seek(uint16_t key, std::string_view value) { return Search(key, value, false); }
  NdxResult Move(uint16_t key, uint16_t flags);
  int32_t Current(uint16_t key) const;
  // The record `ahead` positions from the cursor in key k (behind it when
  // negative); -1 outside the array.
  int32_t Near(uint16_t key, int32_t ahead) const;
  uint32_t Cursor() const { return cursor_; }
  void SetCursor(uint32_t position) { cursor_ = position; }

  Status AddRecord(const char* record, uint16_t key, int64_t* recno);
  Status RewriteRecord(int64_t r, const char* record, uint16_t key);
  Status DeleteRecord(int64_t r, uint16_t key);
  // The number a new record would take now, without taking it.
  int64_t PeekNewRecNo();
  // Key value of key k of record r, read from the record file.
  std::string KeyOf(uint16_t key, int64_t r);
  // Position of record r in array k (its key value taken from `record`, or
  // from the record file when null); the array's size when absent.
  uint32_t PositionOf(uint16_t key, int32_t r, const char* record = nullptr);

  void SetShared(bool shared) { shared_ = shared; }
  bool Shared() const { return shared_; }
  BlockFile& IndexFile() { return file_; }
  const std::string& Path() const { return path_; }
  void SetLogging(bool logging) { logging_ = logging; }
  Status SyncShared();
  // Whether the file's log header is still the one the memory agrees with;
  // read without the change lock (a change under way is not yet a change).
  bool SeenCurrent();
  Status CloseShared(bool alone);
  // Marks the memory as holding changes that the file lacks (a rebuild).
  void MarkUnlogged() { unlogged_ = true; }

  int32_t LiveCount() const { return arrays_.empty() ? 0 : int32_t(arrays_[0].size()); }
  int32_t FreeCount() const { return int32_t(free_.size()); }
  const std::vector<int32_t>& FreeList() const { return free_; }
  const RecNoSeq& Array(uint16_t key) const { return arrays_[ArrayIndex(key)]; }
  bool Changed() const { return changed_; }
  int64_t KeySpare() const { return key_spare_; }
  int64_t FreeSpare() const { return free_spare_; }

 private:
  size_t ArrayIndex(uint16_t key) const;
  const char* RecordOf(int32_t r);
  uint32_t Bound(size_t a, std::string_view text, bool upper);
  uint32_t LowerBound(size_t a, std::string_view text) { return Bound(a, text, false); }
  uint32_t UpperBound(size_t a, std::string_view text) { return Bound(a, text, true); }
  int CompareEntry(const KeyLayout& key, uint32_t width, int32_t r, const char* kept, std::string_view text);
  bool FillKeys(const KeyLayout& key, uint32_t width, const int32_t* rs, size_t n, char* out);
  Status TakeNewRecNo(int64_t* r, bool* from_free);
  void ResetRoom();
  // The seal (index_seal.h): taken down before the records' next change;
  // written (bytes: the index file's, null: serialized) when this open is
  // the file's sole writer and the records are on the disk.
  void GuardSeal();
  void Seal(const std::string* bytes);

  // Sharing (index_share.cpp).
  enum LogOp : int32_t { kLogAdd = 1, kLogRewrite = 2, kLogDelete = 3 };
  struct LogHead {
    uint64_t generation = 0;  // 0: no log
    uint64_t entries = 0;
  };
  int64_t BaseSize() const;
  bool ReadLogHead(LogHead* head, int64_t* at);
  Status ReloadShared(LogHead head);
  Status LoadShared(std::string_view bytes);
  Status Replay(const char* entries, uint64_t count);
  Status WriteBaseShared(bool with_log);
  // After a change of record r (old: its bytes before, null for an add).
  Status Logged(LogOp op, int32_t r, const char* old);

  const DataFileLayout* layout_ = nullptr;
  DataRecordFile* records_ = nullptr;
  std::string path_;
  BlockFile file_;  // the index file, for saves in place
  std::vector<RecNoSeq> arrays_;
  std::vector<int32_t> free_;
  uint32_t cursor_ = 0;
  int64_t key_spare_ = 64;
  int64_t free_spare_ = 64;
  bool changed_ = false;
  int64_t unsaved_ = 0;  // changes since the index file last took the arrays
  bool sealed_ = false;  // the index file's seal held at open or was written since (index_seal.h)
  Status io_error_ = kOk;
  // Room reused by every change, so that a change allocates nothing.
  std::string change_text_, position_text_, own_, old_record_;
  // While a record's entries move, comparisons read this record's key from
  // these bytes instead of the file (its old value, already overwritten).
  int32_t override_r_ = -1;
  const char* override_bytes_ = nullptr;

  bool shared_ = false;    // others may have the file open
  bool logging_ = false;   // others have it open now: changes go to the file
  bool unlogged_ = false;  // memory holds changes the file lacks
  LogHead seen_;           // the log header the memory agrees with
  int64_t log_at_ = -1;    // where that log stands in the file

  // Makes comparisons read record r's key from other bytes for a while.
  class OverrideScope {
   public:
    OverrideScope(int32_t& r, const char*& bytes, int32_t nr, const char* nbytes) : r_(r), bytes_(bytes) {
      r_ = nr;
      bytes_ = nbytes;
    }
    ~OverrideScope() {
      r_ = -1;
      bytes_ = nullptr;
    }
    OverrideScope(const OverrideScope&) = delete;
    OverrideScope& operator=(const OverrideScope&) = delete;

   private:
    int32_t& r_;
    const char*& bytes_;
  };
};

}  // namespace eng
