#include "data/data_file_store.h"

#include "core/block_file.h"
#include "core/err_register.h"
#include "data/lock_marker.h"
#include "data/record_tail.h"

namespace eng {

Status DataFileStore::Open(const DataFileNames& names, const DataFileLayout& layout, uint8_t flags) {
  Close();
  if (!layout.Valid()) return kStDataOutBound;
  const bool exclusive = flags & kOpenExclusive;
  const bool read_only = (flags & kOpenReadOnly) && !exclusive;
  if (exclusive && !names.marker.empty() && LockMarkerPresent(names.marker)) return kStPermission;
  layout_ = layout;

  Status s = records_.Open(names.records, layout_.record_length, !read_only, !read_only);
  if (s == kStFileNotFound && read_only) {
    // A read-only open of a missing file makes it, then reads it.
    if (records_.Open(names.records, layout_.record_length, true, true) == kOk) records_.Close();
    s = records_.Open(names.records, layout_.record_length, false, false);
  }
  if (s) {
    ErrIncident(kStFileNotFound, StrOf(names.records), true);
    ErrRecord(kModStreams, kStFileNotFound);
    return kStLowFailure;
  }
  if (records_.File().Lock(exclusive ? BlockLock::kExclusive : BlockLock::kShared) != kOk) {
    records_.Close();
    return kStPermission;
  }
  if (RecordTailBytes(records_.File().Size(), layout_.record_length) != 0) {
    // A partial record at the end: refused until a rebuild moves it aside
    // (record_tail.h), so that no add writes over it.
    records_.Close();
    ErrIncident(kStDiskIo, StrOf(names.records), false);
    return ErrRecord(kModDataFile, kStDiskIo);
  }
  records_.SetSoleWriter(exclusive);
  if (exclusive && !names.marker.empty()) {
    s = LockMarkerWrite(names.marker);
    if (s) {
      records_.Close();
      return s;
    }
    marker_ = names.marker;
  }
  if (!(flags & kOpenNoIndex)) {
    index_.Attach(&layout_, &records_, names.index);
    index_.SetShared(!exclusive);
    s = index_.Open(&rebuilt_);
    if (s) {
      index_.Close();
      records_.Close();
      if (!marker_.empty()) LockMarkerRemove(marker_);
      marker_.clear();
      return s;
    }
  }
  flags_ = flags;
  open_ = true;
  return kOk;
}

Status DataFileStore::Close() {
  if (!open_) return kOk;
  Status s = kOk;
  // The records reach the disk before the index that lists them.
  if (!(flags_ & kOpenReadOnly) || (flags_ & kOpenExclusive)) records_.Sync();
  if (!(flags_ & kOpenNoIndex)) {
    if (index_.Shared()) {
      BlockFile& ix = index_.IndexFile();
      if (ix.Hold(BlockLock::kExclusive) != kOk) ix.Hold(BlockLock::kShared);
      s = index_.SyncShared();
      // Alone when no other open holds the file; the lock is lowered again
      // at once, so that an open coming meanwhile is not refused.
      const bool alone = records_.File().Lock(BlockLock::kExclusive) == kOk;
      if (alone) records_.File().Lock(BlockLock::kShared);
      Status c = index_.CloseShared(alone);  // also lets go of the change lock
      if (!s) s = c;
    } else {
      s = index_.Close();
    }
  }
  records_.Close();
  if (!marker_.empty()) LockMarkerRemove(marker_);
  marker_.clear();
  flags_ = 0;
  open_ = false;
  rebuilt_ = false;
  return s;
}

Status DataFileStore::Read(int64_t r, std::string* out) {
  if (!open_) return kStFileNotInit;
  out->resize(layout_.record_length);
  return records_.ReadRecNo(r, out->data());
}

template <class Change>
Status DataFileStore::Shared(Change change) {
  if (!index_.Shared()) return change();
  BlockFile& ix = index_.IndexFile();
  if (ix.Hold(BlockLock::kExclusive) != kOk) return kStPermission;  // an index that cannot be written
  Status s = index_.SyncShared();
  if (!s) {
    const bool alone = records_.File().Lock(BlockLock::kExclusive) == kOk;
    if (alone) records_.File().Lock(BlockLock::kShared);
    index_.SetLogging(!alone);
    s = change();
  }
  ix.Hold(BlockLock::kUnlock);
  return s;
}

Status DataFileStore::TakeUp() {
  if (!index_.Shared() || index_.SeenCurrent()) return kOk;
  BlockFile& ix = index_.IndexFile();
  if (ix.Hold(BlockLock::kShared) != kOk) return kStPermission;
  Status s = index_.SyncShared();
  ix.Hold(BlockLock::kUnlock);
  return s;
}

NdxResult DataFileStore::Locate(uint16_t key, std::string_view value, std::string* out, bool nearest) {
  if (Status s = Writable()) return NdxResult{kNdxPastEnd, s, -1};
  if (Status s = TakeUp()) return NdxResult{kNdxPastEnd, s, -1};
  NdxResult res = index_.Seek(key, value);
  if (!res.error && (res.position == kNdxFound || (nearest && res.position == kNdxBetween)))
    res.error = Read(res.recno, out);
  return res;
}

NdxResult DataFileStore::Move(uint16_t key, uint16_t flags, std::string* out) {
  if (Status s = Writable()) return NdxResult{kNdxPastEnd, s, -1};
  NdxResult res = index_.Move(key, flags);
  if (res.recno >= 0 && res.position == kNdxFound) {
    // A walk reads the records in key order, wherever they lie in the file:
    // the one a few steps on is fetched while this one is read.
    const uint16_t move = flags & kNdxMoveMask;
    if (move == kNdxNext || move == kNdxPrevious) records_.Prefetch(index_.Near(key, move == kNdxNext ? 6 : -6));
    res.error = Read(res.recno, out);
  }
  return res;
}

Status DataFileStore::CheckRecord(std::string_view record) const {
  if (record.size() != layout_.record_length) return kStDataOutBound;
  if (record[0] == kRecordDeleted) return kStDataError;
  return kOk;
}

// Whether the file has an index to position and change records through.
Status DataFileStore::Writable() const {
  if (!open_) return kStFileNotInit;
  if (flags_ & kOpenNoIndex) return kStNotAvailable;
  return kOk;
}

Status DataFileStore::Add(std::string_view record, uint16_t key, int64_t* recno) {
  Status s = Writable();
  if (!s) s = CheckRecord(record);
  if (s) return s;
  return Shared([&] { return index_.AddRecord(record.data(), key, recno); });
}

Status DataFileStore::Rewrite(int64_t r, std::string_view record, uint16_t key) {
  Status s = Writable();
  if (!s) s = CheckRecord(record);
  if (s) return s;
  return Shared([&] { return index_.RewriteRecord(r, record.data(), key); });
}

Status DataFileStore::Delete(int64_t r, uint16_t key) {
  Status s = Writable();
  if (s) return s;
  return Shared([&] { return index_.DeleteRecord(r, key); });
}

}  // namespace eng
