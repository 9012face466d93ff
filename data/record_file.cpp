#include "data/record_file.h"

#include <algorithm>
#include <cstring>

#include "core/err_register.h"
#include "data/key_layout.h"

namespace eng {

namespace {

// The sole writer extends the file ahead of its appends up to a boundary
// of kRoomRegion bytes (whole records short of it), at least kRoomStep bytes
// past the end it needs. Written in one call, an aligned region may be kept
// by the system in one large page, which the mappings then enter in one
// step: stores into it (appends and rewrites) then take no fault and no page
// table walk per small page, where a call to write into it costs far more.
constexpr int64_t kRoomStep = 64 * 1024;
constexpr int64_t kRoomRegion = 2 * 1024 * 1024;

// Rewrites of records already in the file go through the second writable
// mapping by stretches of this many bytes: a stretch's pages are entered
// writable in one call at its first rewrite since the last sync (which
// costs about what one call to write costs), and its rewrites are stores
// from then on; a file rewritten here and there keeps its changes to the
// stretches they touch.
constexpr int64_t kStretch = 64 * 1024;
constexpr uint8_t kStretchEntered = 1;
constexpr uint8_t kStretchRefused = 2;

}  // namespace

Status DataRecordFile::Open(std::string_view path, uint16_t record_length, bool writable, bool create) {
  Close();
  length_ = record_length;
  sole_writer_ = false;
  wrote_ = written_ = false;
  stretch_.clear();
  writable_ = writable;
  end_ = 0;
  guard_ = nullptr;
  spare_.assign(record_length, ' ');
  room_.clear();
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
  const int64_t bound = (std::max(end, size + kRoomStep) + kRoomRegion - 1) / kRoomRegion * kRoomRegion;
  const int64_t want = std::max(end, size + (bound - size) / length_ * length_);
  // Deleted records (ESC, then blanks), written in one call from a pattern
  // of whole records repeated.
  if (room_.empty()) {
    room_.assign(size_t(std::max<int64_t>(kRoomStep / length_, 1) * length_), ' ');
    for (size_t at = 0; at < room_.size(); at += length_) room_[at] = kRecordDeleted;
  }
  std::vector<BlockFile::Piece> pieces;
  for (int64_t left = want - size; left > 0; left -= int64_t(room_.size()))
    pieces.push_back({room_.data(), size_t(std::min<int64_t>(left, int64_t(room_.size())))});
  if (file_.WritePiecesAt(size, pieces.data(), pieces.size())) {
    // The appends to come store into these pages: entered in the mapping
    // writable now, in one call, instead of a fault at the first store to
    // each (where the system cannot, the faults come as before).
    file_.StoreView(size, size_t(want - size));
    return true;
  }
  file_.Truncate(size);  // no partial record left at the end
  return false;
}

char* DataRecordFile::Writable(int64_t r) {
  if (!sole_writer_ || !writable_) return nullptr;
  const int64_t pos = r * int64_t(length_), end = pos + length_;
  if (end <= end_) return Rewritable(pos);
  if (end > file_.KnownSize() && !MakeRoom(end)) return nullptr;
  return file_.WriteView(pos, length_);
}

char* DataRecordFile::Rewritable(int64_t pos) {
  // A new rewrite mapping has no page entered.
  if (stretch_maps_ != file_.RewriteMaps()) {
    stretch_.clear();
    stretch_maps_ = file_.RewriteMaps();
  }
  const size_t first = size_t(pos / kStretch), last = size_t((pos + length_ - 1) / kStretch);
  if (stretch_.size() <= last) stretch_.resize(last + 1, 0);
  if (stretch_[first] == kStretchEntered && stretch_[last] == kStretchEntered)
    return file_.RewriteView(pos, length_, false);
  if (stretch_[first] == kStretchRefused || stretch_[last] == kStretchRefused) return nullptr;
  // The stretches the record touches, up to the records' end (the room
  // beyond is the appends').
  const int64_t from = int64_t(first) * kStretch;
  const int64_t to = std::min(int64_t(last + 1) * kStretch, end_);
  const uint64_t maps = file_.RewriteMaps();
  if (!file_.RewriteView(from, size_t(to - from), true)) {
    stretch_[first] = kStretchRefused;
    return nullptr;
  }
  if (maps != file_.RewriteMaps()) {  // mapped anew: the others are no longer entered
    stretch_.assign(stretch_.size(), 0);
    stretch_maps_ = file_.RewriteMaps();
  }
  for (size_t s = first; s <= last; ++s) stretch_[s] = kStretchEntered;
  return file_.RewriteView(pos, length_, false);
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
  // The sync lets go of the mapping, and with it the pages entered writable.
  stretch_.clear();
  if (!file_.Sync()) return false;
  wrote_ = false;
  return true;
}

}  // namespace eng
