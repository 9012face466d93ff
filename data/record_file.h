// The record file of a data file ("FD"): no header, record r (from 0) at
// bytes r x L to r x L + L - 1, L the record length. A record whose first byte
// is ESC (27) is deleted. The file only grows; its record count is its size
// divided by L. A file that ends in a partial record is refused at open (see
// record_tail.h), so no new record is ever written over those bytes.
//   ReadRecNo     exactly L bytes of record r; 136 otherwise
//   WriteRecNo    L bytes at record r, straight to the file; 137 otherwise,
//                 recorded under module 18 ("DataFile")
//   ReadLive      the first record from r on (from r + 1 with flag 0x10)
//                 that is not deleted: 0 and its number, 2 at the end of the
//                 file, or a read failure
//   View          record r for key comparisons, without copying where the
//                 mapping serves it; null (and 136 in the status) otherwise
// Record numbers are 32-bit; offsets are computed in 64 bits.
#pragma once

#include <cstdint>
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
  void Close() { file_.Close(); }
  bool IsOpen() const { return file_.IsOpen(); }
  uint16_t RecordLength() const { return length_; }
  BlockFile& File() { return file_; }

  // Records now in the file; -1 when that cannot be asked. The system is
  // asked each time, unless this open is the file's sole writer (held
  // exclusively), whose own writes are all that can change the size.
  int64_t Count();
  void SetSoleWriter(bool sole) { sole_writer_ = sole; }
  Status ReadRecNo(int64_t r, char* out);
  Status WriteRecNo(int64_t r, const char* record);
  // Marks record r deleted by writing ESC over its first byte.
  Status MarkDeleted(int64_t r);
  Status ReadLive(int64_t r, uint16_t flags, char* out, int64_t* found);
  const char* View(int64_t r, Status* status);
  bool Sync() { return file_.Sync(); }

 private:
  BlockFile file_;
  uint16_t length_ = 0;
  bool sole_writer_ = false;
  std::vector<char> spare_;  // a record read where the mapping does not reach
};

}  // namespace eng
