#include "data/record_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "core/err_register.h"
#include "data/key_layout.h"

namespace eng {

namespace {

// Bytes the sole writer extends the file by at a time, at least.
constexpr int64_t kRoomStep = 64 * 1024;

// Fills the page tables of a range as stores would (Linux 5.14 on; older
// systems refuse it, and the stores fault the pages in one by one).
#ifdef MADV_POPULATE_WRITE
constexpr int kPopulateWrite = MADV_POPULATE_WRITE;
#else
constexpr int kPopulateWrite = 23;
#endif

}  // namespace

Status DataRecordFile::Open(std::string_view path, uint16_t record_length, bool writable, bool create) {
  Close();
  length_ = record_length;
  sole_writer_ = false;
  wrote_ = written_ = false;
  writable_ = writable;
  end_ = 0;
  guard_ = nullptr;
  spare_.assign(record_length, ' ');
  if (record_length == 0) return kStDataOutBound;
  Status s = file_.Open(path, writable, create);
  // Record files are opened again and again (the record layer reopens them
  // after each command): each open takes up the mapping the last one left.
  if (!s) file_.KeepMapping();
  return s;
}

void DataRecordFile::Close() {
  if (file_.IsOpen()) Trim();
  file_.Close();
  sole_writer_ = false;
  guard_ = nullptr;
}

bool DataRecordFile::Guarded() {
  if (!guard_ || !writable_) return true;  // a file opened for reading changes nothing
  if (!guard_()) return false;
  guard_ = nullptr;
  return true;
}

void DataRecordFile::SetSoleWriter(bool sole) {
  sole_writer_ = sole;
  if (sole) end_ = file_.Size() / std::max<int64_t>(length_, 1) * length_;
}

int64_t DataRecordFile::Count() {
  if (length_ == 0) return -1;
  if (sole_writer_) return end_ / length_;
  int64_t size = file_.Size();
  if (size < 0) return -1;
  return size / length_;
}

Status DataRecordFile::ReadRecNo(int64_t r, char* out) {
  if (r < 0 || !Holds(r)) return kStRead;
  if (const char* p = file_.View(r * int64_t(length_), length_)) {
    std::memcpy(out, p, length_);
    return kOk;
  }
  if (!file_.ReadAt(r * int64_t(length_), out, length_)) return kStRead;
  return kOk;
}

bool DataRecordFile::MakeRoom(int64_t end) {
  const int64_t size = file_.KnownSize();
  const int64_t step = std::max<int64_t>(kRoomStep / length_ * length_, length_);
  const int64_t want = std::max(end, size + step);
  // Deleted records: ESC, then blanks.
  std::vector<char> room(size_t(want - size), ' ');
  for (size_t at = 0; at < room.size(); at += length_) room[at] = kRecordDeleted;
  if (file_.WriteAt(size, room.data(), room.size())) {
    // The appends to come store into these pages: entered in the mapping
    // writable now, in one call, instead of a fault at the first store to
    // each (where the system cannot, the faults come as before).
    if (char* p = file_.WriteView(size, room.size())) {
      const uintptr_t page = uintptr_t(::sysconf(_SC_PAGESIZE));
      const uintptr_t from = uintptr_t(p) & ~(page - 1);
      ::madvise(reinterpret_cast<void*>(from), uintptr_t(p) + room.size() - from, kPopulateWrite);
    }
    return true;
  }
  file_.Truncate(size);  // no partial record left at the end
  return false;
}

char* DataRecordFile::Writable(int64_t r) {
  if (!sole_writer_ || !writable_) return nullptr;
  const int64_t pos = r * int64_t(length_), end = pos + length_;
  // Records already in the file are changed with a call: a store into the
  // mapping would cost a page fault and, at the next sync, a page table
  // flush, for one record among many pages.
  if (end <= end_) return nullptr;
  if (end > file_.KnownSize() && !MakeRoom(end)) return nullptr;
  return file_.WriteView(pos, length_);
}

Status DataRecordFile::WriteRecNo(int64_t r, const char* record) {
  if (r < 0 || !Guarded()) return ErrRecord(kModDataFile, kStWrite);
  const int64_t end = (r + 1) * int64_t(length_);
  if (char* p = Writable(r)) {
    std::memcpy(p, record, length_);
  } else if (!file_.WriteAt(r * int64_t(length_), record, length_)) {
    return ErrRecord(kModDataFile, kStWrite);
  }
  wrote_ = written_ = true;
  if (sole_writer_) end_ = std::max(end_, end);
  return kOk;
}

Status DataRecordFile::MarkDeleted(int64_t r) {
  const char esc = kRecordDeleted;
  if (r < 0 || !Holds(r) || !Guarded()) return ErrRecord(kModDataFile, kStWrite);
  if (char* p = Writable(r)) *p = esc;
  else if (!file_.WriteAt(r * int64_t(length_), &esc, 1)) return ErrRecord(kModDataFile, kStWrite);
  wrote_ = written_ = true;
  return kOk;
}

Status DataRecordFile::ReadLive(int64_t r, uint16_t flags, char* out, int64_t* found) {
  if (flags & kReadLiveNext) ++r;
  if (r < 0) r = 0;
  int64_t count = Count();
  for (; r < count; ++r) {
    Status s = ReadRecNo(r, out);
    if (s) return s;
    if (out[0] != kRecordDeleted) {
      if (found) *found = r;
      return kOk;
    }
  }
  return kStEndOfData;
}

const char* DataRecordFile::View(int64_t r, Status* status) {
  int64_t pos = r * int64_t(length_);
  if (r >= 0 && Holds(r)) {
    if (const char* p = file_.View(pos, length_)) return p;
    if (pos + length_ > file_.KnownSize()) {  // grown by another open since we looked
      file_.Size();
      if (const char* p = file_.View(pos, length_)) return p;
    }
    if (file_.ReadAt(pos, spare_.data(), length_)) return spare_.data();
  }
  if (status) *status = kStRead;
  return nullptr;
}

bool DataRecordFile::Trim() {
  if (!sole_writer_ || file_.KnownSize() <= end_) return true;
  return Guarded() && file_.Truncate(end_);
}

bool DataRecordFile::Sync() {
  if (!Trim()) return false;
  if (!wrote_) return true;
  if (!file_.Sync()) return false;
  wrote_ = false;
  return true;
}

}  // namespace eng
