#include "data/record_file.h"

#include <cstring>

#include "core/err_register.h"
#include "data/key_layout.h"

namespace eng {

Status DataRecordFile::Open(std::string_view path, uint16_t record_length, bool writable, bool create) {
  length_ = record_length;
  sole_writer_ = false;
  spare_.assign(record_length, ' ');
  if (record_length == 0) return kStDataOutBound;
  return file_.Open(path, writable, create);
}

int64_t DataRecordFile::Count() {
  int64_t size = sole_writer_ ? file_.KnownSize() : file_.Size();
  if (size < 0 || length_ == 0) return -1;
  return size / length_;
}

Status DataRecordFile::ReadRecNo(int64_t r, char* out) {
  if (r < 0) return kStRead;
  if (const char* p = file_.View(r * int64_t(length_), length_)) {
    std::memcpy(out, p, length_);
    return kOk;
  }
  if (!file_.ReadAt(r * int64_t(length_), out, length_)) return kStRead;
  return kOk;
}

Status DataRecordFile::WriteRecNo(int64_t r, const char* record) {
  if (r < 0 || !file_.WriteAt(r * int64_t(length_), record, length_)) return ErrRecord(kModDataFile, kStWrite);
  return kOk;
}

Status DataRecordFile::MarkDeleted(int64_t r) {
  const char esc = kRecordDeleted;
  if (r < 0 || !file_.WriteAt(r * int64_t(length_), &esc, 1)) return ErrRecord(kModDataFile, kStWrite);
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
  if (r >= 0) {
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

}  // namespace eng
