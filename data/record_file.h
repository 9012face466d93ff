// The record file of a data file ("FD"): no header, record r (from 0) at
// bytes r x L to r x L + L - 1, L the record length. A record whose first byte
// is ESC (27) is deleted. The file only grows; its record count is its size
// divided by L. A file that ends in a partial record is refused at open (see
// record_tail.h), so no new record is ever written over those bytes.
//   ReadRecNo     exactly L bytes of record r; 136 otherwise
//   WriteRecNo    L bytes at record r, into the system's cache at once (a
//                 process killed afterwards loses none of it); 137 otherwise,
//                 recorded under module 18 ("DataFile")
//   ReadLive      the first record from r on (from r + 1 with flag 0x10)
//                 that is not deleted: 0 and its number, 2 at the end of the
//                 file, or a read failure
//   View          record r for key comparisons, without copying where the
//                 mapping serves it; null (and 136 in the status) otherwise
//   Sync          the records written by this open on the disk (nothing to
//                 do when it wrote none)
//   SetChangeGuard a call made once before the file's next change (a
//                 record written, a deletion mark, room made ahead of
//                 appends or cut off); when it answers false the change is
//                 refused (137) and the call is made again before the next
//                 one. The key index takes its seal down with it.
// Record numbers are 32-bit; offsets are computed in 64 bits.
//
// The sole writer (an open holding the file exclusively) appends records
// through a writable mapping instead of one system call each. Records
// already in the file are changed through a second writable mapping: at the
// first change to a stretch of the file since the last sync, the stretch's
// pages are entered there writable in one call, and its changes are stores
// (a shared mapping's stores are in the system's cache at once, so a process
// killed afterwards loses none of them); where the system refuses, with a
// call. Appends need the file to reach past them first, so it is extended
// ahead of them, up to an aligned region of the file at a time (which the
// system keeps in large pages), with deleted records (ESC and blanks): the
// records count only up to the last one written, and the room beyond is cut
// off again by Trim, Sync and Close. A process killed meanwhile leaves those
// deleted records at the end of the file, which the index check of the next
// open finds and the rebuild lists as free numbers; no written record is
// lost.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/block_file.h"
#include "core/status.h"

namespace eng {

inline constexpr uint16_t kReadLiveNext = 0x10;

class DataRecordFile {
 public:
  // Opens the record file; `create` makes a missing one. The BlockFile status.
  Status Open(std::string_view path, uint16_t record_length, bool writable, bool create);
  void Close();
  bool IsOpen() const { return file_.IsOpen(); }
  uint16_t RecordLength() const { return length_; }
  BlockFile& File() { return file_; }

  // Records now in the file; -1 when that cannot be asked. The system is
  // asked each time, unless this open is the file's sole writer (held
  // exclusively), whose own writes are all that can change the size.
  int64_t Count();
  void SetSoleWriter(bool sole);
  bool SoleWriter() const { return sole_writer_; }
  // Whether this open has written to the file.
  bool Written() const { return written_; }
  Status ReadRecNo(int64_t r, char* out);
  Status WriteRecNo(int64_t r, const char* record);
  // Marks record r deleted by writing ESC over its first byte.
  Status MarkDeleted(int64_t r);
  Status ReadLive(int64_t r, uint16_t flags, char* out, int64_t* found);
  const char* View(int64_t r, Status* status);
  // Asks for record r to be fetched into the cache ahead of its use (a walk
  // in key order visits the file in any order); nothing where the mapping
  // does not reach.
  void Prefetch(int64_t r) {
    if (r >= 0 && Holds(r))
      if (const char* p = file_.View(r * int64_t(length_), length_)) __builtin_prefetch(p);
  }
  // Cuts off the room made ahead of the appends; false when that fails.
  bool Trim();
  bool Sync();
  void SetChangeGuard(std::function<bool()> guard) { guard_ = std::move(guard); }

 private:
  // Runs the change guard, if one is set; false: the change must not be made.
  bool Guarded();
  // Where record r's bytes may be written through the mapping (the file
  // extended first when r is past its end); null: write them with a call.
  char* Writable(int64_t r);
  // The same for a record already in the file, at byte `pos`: through the
  // mapping, its stretch entered writable first (see the .cpp).
  char* Rewritable(int64_t pos);
  bool MakeRoom(int64_t end);
  // Whether record r lies below the records written (sole writer only: the
  // room beyond holds no record).
  bool Holds(int64_t r) const { return !sole_writer_ || (r + 1) * int64_t(length_) <= end_; }

  BlockFile file_;
  uint16_t length_ = 0;
  bool writable_ = false;
  bool sole_writer_ = false;
  bool wrote_ = false;    // written since the last sync
  bool written_ = false;  // written since the open
  int64_t end_ = 0;     // sole writer: the bytes the records take
  std::vector<char> spare_;  // a record read where the mapping does not reach
  std::vector<char> room_;   // deleted records, the pattern the room is written from
  // Per stretch of the file: whether its pages are entered writable, or
  // refused (for the mapping counted below).
  std::vector<uint8_t> stretch_;
  uint64_t stretch_maps_ = 0;
  std::function<bool()> guard_;
};

}  // namespace eng
