#include "data/record_layer.h"

#include <string>

#include "core/err_register.h"
#include "core/msg_box.h"
#include "core/scratch_arena.h"
#include "core/sys_vars.h"
#include "data/data_file_path.h"
#include "data/dict_layout.h"
#include "data/dict_query.h"
#include "data/lock_marker.h"
#include "data/record_buffer.h"

namespace eng {

namespace {

constexpr uint16_t kUpFreshFiles = 2;  // _UPSTAT: fresh temporary files, no marker
constexpr uint16_t kUpTriggers = 1;    // _UPSTAT: relational-update rules on

// The file resolved (0 = current) and checked: 168 when not defined.
Status Resolve(uint16_t file, uint16_t* f) {
  *f = DictFileNumber(file);
  return DictCheckField(*f, kDictAnyField);
}

DataFileNames NamesOf(uint16_t f) {
  const std::string folder(DictFileFolder(f).view());
  const std::string name(DictFileName(f).view());
  DataFileNames n;
  if (SysVarHas(kVarUpStat, kUpFreshFiles)) {
    n.records = DataFilePathOf(folder, name, kPathFreshTemp);
    n.index = DataFilePathOf(folder, name, kPathFreshTemp);
  } else {
    n.records = DataFilePathOf(folder, name, kPathRecords);
    n.index = DataFilePathOf(folder, name, kPathIndex);
    n.marker = DataFilePathOf(folder, name, kPathName);
  }
  return n;
}

// The current key, checked against the file's keys (a file without keys has
// the one array of key 1).
Status CurrentKey(uint16_t f, uint16_t* key) {
  *key = DataFileCtrl(f).current_key;
  if (*key == 1 && DictKeyCount(f) == 0) return kOk;
  return DictCheckKey(f, *key);
}

// An open file with an index to position through.
Status Indexed(DataFileSlot& s) {
  if (!s.store.IsOpen()) return kStFileNotInit;
  if (s.store.Flags() & kOpenNoIndex) return kStNotAvailable;
  return kOk;
}

// Reads record r into a part of the buffer (3: both halves).
Status ReadInto(uint16_t f, DataFileSlot& s, int32_t r, uint16_t part) {
  // Storage kept from read to read: a walk through a file reads one record
  // per step.
  static thread_local std::string rec;
  if (Status st = s.store.Read(r, &rec)) return st;
  if (part == kBufBoth) rec += rec;
  if (Status st = BufStore(f, part, StrOf(rec))) return st;
  if (part & kBufCurrent) s.ctrl.recno = r;
  return kOk;
}

Status Blank(uint16_t f, DataFileSlot& s) {
  s.ctrl.recno = -1;
  return BufInit(f);
}

// The first live record of a file read without index.
Status FirstLive(uint16_t f, DataFileSlot& s) {
  std::string rec(s.store.Layout().record_length, ' ');
  int64_t found = -1;
  Status st = s.store.Records().ReadLive(0, 0, rec.data(), &found);
  if (st >= kStFirstError) return st;
  if (st == kOk) {
    rec += rec;
    BufStore(f, kBufBoth, StrOf(rec));
    s.ctrl.recno = int32_t(found);
    s.ctrl.last_status = kNdxFound;
    return kOk;
  }
  Blank(f, s);
  s.ctrl.last_status = kNdxPastEnd;
  return kNdxPastEnd;
}

std::string CurrentRecord(uint16_t f) {
  StrPair r = BufRecord(f, kBufCurrent);
  return r.ok() ? r.str() : std::string();
}

std::string KeyValueOf(uint16_t f, uint16_t key, uint16_t part) {
  ScratchScope scope;
  StrPair v = BufKeyValue(f, key, BufRecord(f, part));
  return v.ok() ? v.str() : std::string();
}

}  // namespace

Status DataFileOpen(uint16_t file, uint8_t flags) {
  uint16_t f = 0;
  if (Status st = Resolve(file, &f)) return st;
  if (flags & kOpenCurrent) DictSelectFile(f);
  DataFileSlot& s = DataFileSlotOf(f);
  if (s.store.IsOpen() && flags == s.ctrl.open_flags) return kOk;
  BufInit(f);
  const bool fresh = SysVarHas(kVarUpStat, kUpFreshFiles);
  if (!fresh && (flags & kOpenExclusive) && LockMarkerPresent(DictFileName(f).view()))
    return kStPermission;
  DataFileClose(f);
  s.names = NamesOf(f);
  if (s.names.records.empty() || s.names.index.empty()) return kStLowFailure;
  Status st = s.store.Open(s.names, DictFileLayout(f), flags & (kOpenReadOnly | kOpenExclusive | kOpenNoIndex));
  if (st) return st;
  s.ctrl.open_flags = flags;
  s.ctrl.data_stream = f;
  return DataFileMove(f, kNdxFirst);
}

Status DataFileClose(uint16_t file) {
  uint16_t f = 0;
  if (Status st = Resolve(file, &f)) return st;
  DataFileSlot& s = DataFileSlotOf(f);
  Status st = s.store.IsOpen() ? s.store.Close() : kOk;
  DataFileCtrlReset(f);
  return st;
}

Status DataFileReopen(uint16_t file, Status status) {
  uint16_t f = 0;
  if (Status st = Resolve(file, &f)) return status ? status : st;
  DataFileSlot& s = DataFileSlotOf(f);
  if (!s.store.IsOpen()) return status ? status : Status{kStFileIo};
  const uint8_t flags = s.store.Flags();
  const DataFileCtrlBlock kept = s.ctrl;
  s.store.Close();
  Status st = s.store.Open(s.names, DictFileLayout(f), flags);
  if (st) {
    DataFileCtrlReset(f);
    return status ? status : Status{kStFileIo};
  }
  s.ctrl = kept;
  return status;
}

namespace {

// A value sought in a file's key: the file, its slot, the key made current
// and where the value stands in it.
struct KeySeek {
  uint16_t f = 0;
  DataFileSlot* s = nullptr;
  uint16_t k = 0;
  NdxResult r;
};

Status SeekOnKey(uint16_t file, uint16_t key, StrPair value, KeySeek* out) {
  if (Status st = Resolve(file, &out->f)) return st;
  if (!value.ok()) return value.len;
  out->s = &DataFileSlotOf(out->f);
  if (Status st = Indexed(*out->s)) return st;
  DataFileSetKeyNumber(out->f, key);
  if (Status st = CurrentKey(out->f, &out->k)) return st;
  if (Status st = out->s->store.TakeUp()) return st;
  out->r = out->s->store.Index().Seek(out->k, value.view());
  return out->r.error;
}

// A seek that gives a record to read: an exact match, or with `between` the
// record that follows a value standing between two keys.
bool SeekHit(const NdxResult& r, bool between) {
  return r.recno >= 0 && (r.position == kNdxFound || (r.position == kNdxBetween && between));
}

}  // namespace

Status DataFileLocate(uint16_t file, uint16_t key, StrPair value, uint16_t flags) {
  KeySeek q;
  if (Status st = SeekOnKey(file, key, value, &q)) return st;
  if (SeekHit(q.r, flags & 2)) {
    if (Status st = ReadInto(q.f, *q.s, q.r.recno, kBufBoth)) return st;
  } else if (flags & 1) {
    q.s->ctrl.recno = -1;
    if (Status st = BufBlankAndSetKey(q.f, q.k, value, 1)) return st;
  }
  q.s->ctrl.last_status = q.r.position;
  return q.r.position;
}

Status DataFileSeekRead(uint16_t file, uint16_t key, StrPair value, uint16_t part) {
  KeySeek q;
  if (Status st = SeekOnKey(file, key, value, &q)) return st;
  part &= kBufBoth;
  if (part && SeekHit(q.r, part & 2)) {
    if (Status st = ReadInto(q.f, *q.s, q.r.recno, part)) return st;
  }
  return q.r.position;
}

namespace {

// kStEndOfData when the key, cut to the bound's length, has passed the bound
// (forward: bound below it; with flag 4: bound above it), else 0.
Status BoundPassed(std::string_view key, StrPair bound, uint16_t flags) {
  const int c = bound.view().compare(key.substr(0, bound.len));
  const bool beyond = (flags & 4) ? c > 0 : c < 0;
  return beyond ? kStEndOfData : kOk;
}

// Moves the cursor of key k. A relative move starts from the record the
// buffer holds, wherever a search has left the cursor since.
NdxResult MoveOnKey(DataFileSlot& s, uint16_t k, uint16_t move) {
  DataFileIndex& ix = s.store.Index();
  if ((move == kNdxNext || move == kNdxPrevious || move == 0) && s.ctrl.recno >= 0 &&
      ix.Current(k) != s.ctrl.recno) {
    uint32_t pos = ix.PositionOf(k, s.ctrl.recno);
    if (pos < ix.Array(k).size()) ix.SetCursor(pos);
  }
  return ix.Move(k, move);
}

}  // namespace

Status DataFileMove(uint16_t file, uint16_t flags) {
  uint16_t f = 0;
  if (Status st = Resolve(file, &f)) return st;
  DataFileSlot& s = DataFileSlotOf(f);
  if (!s.store.IsOpen()) return kStFileNotInit;
  if (flags & 1) {
    Blank(f, s);
    s.ctrl.last_status = 3;
    return 3;
  }
  if (s.store.Flags() & kOpenNoIndex) {
    if ((flags & kNdxMoveMask) == kNdxFirst) return FirstLive(f, s);
    return kStNotAvailable;
  }
  uint16_t k = 0;
  if (Status st = CurrentKey(f, &k)) return st;
  NdxResult r = MoveOnKey(s, k, flags & kNdxMoveMask);
  if (r.error) return r.error;
  if (SeekHit(r, flags & 2)) {
    if (Status st = ReadInto(f, s, r.recno, kBufBoth)) return st;
  } else {
    Blank(f, s);
  }
  s.ctrl.last_status = r.position;
  return r.position;
}

Status DataFileKeyBeyond(uint16_t file, uint16_t flags, StrPair bound) {
  if (!bound.ok()) return bound.len;
  uint16_t f = 0;
  if (Status st = Resolve(file, &f)) return st;
  const DataFileCtrlBlock& cb = DataFileCtrl(f);
  if (cb.last_status > 1) return cb.last_status;
  if (bound.len == 0) return kOk;
  uint16_t k = 0;
  if (Status st = CurrentKey(f, &k)) return st;
  // The key is built into storage kept from call to call: this check runs
  // before and after every move of a walk through a key range.
  static thread_local std::string key;
  // The file and key are checked above; a file without keys has no key value.
  const StrPair record = BufRecord(f, kBufCurrent);
  if (!record.ok() || DictCheckKey(f, k) != kOk) key.clear();
  else BufKeyValueOf(DictKeyParts(f, k), record, key);
  return BoundPassed(key, bound, flags);
}

Status DataFileMoveInRange(uint16_t file, uint16_t flags, StrPair bound) {
  Status st = DataFileMove(file, flags);
  if (st >= kStFirstError) return st;
  return DataFileKeyBeyond(file, flags, bound);
}

bool DataFileWalk::Resolve(uint16_t file) {
  ready_ = false;
  uint16_t f = 0;
  if (eng::Resolve(file, &f)) return false;
  DataFileSlot& s = DataFileSlotOf(f);
  if (Indexed(s)) return false;
  uint16_t k = 0;
  if (CurrentKey(f, &k)) return false;
  file_ = file;
  f_ = f;
  k_ = k;
  slot_ = &s;
  key_checked_ = DictCheckKey(f, k) == kOk;
  if (key_checked_) layout_ = DictKeyParts(f, k);
  ready_ = true;
  return true;
}

Status DataFileWalk::Step(uint16_t file, uint16_t flags, StrPair bound) {
  if ((!ready_ || file_ != file) && !Resolve(file)) {
    has_key_ = false;
    return DataFileMoveInRange(file, flags, bound);
  }
  // DataFileMove on the resolved file and key.
  DataFileSlot& s = *slot_;
  if (flags & 1) {
    Forget();
    return DataFileMoveInRange(file, flags, bound);
  }
  NdxResult r = MoveOnKey(s, k_, flags & kNdxMoveMask);
  has_key_ = false;
  Status st = r.error;
  if (!st && SeekHit(r, flags & 2)) st = ReadInto(f_, s, r.recno, kBufBoth);
  else if (!st) Blank(f_, s);
  if (st) {
    // A failure as DataFileMoveInRange gives it.
    if (st >= kStFirstError) return st;
    return DataFileKeyBeyond(file, flags, bound);
  }
  s.ctrl.last_status = r.position;
  // The record's key, as DataFileKeyBeyond builds it (empty when the key
  // does not check).
  key_.clear();
  if (key_checked_) {
    const StrPair record = BufRecord(f_, kBufCurrent);
    has_key_ = record.ok();
    if (has_key_) BufKeyValueOf(layout_, record, key_);
  }
  // DataFileKeyBeyond on the same file and key.
  if (!bound.ok()) return bound.len;
  if (r.position > 1) return r.position;
  if (bound.len == 0) return kOk;
  return BoundPassed(key_, bound, flags);
}

Status DataFileAddRecord(uint16_t file) {
  uint16_t f = 0;
  if (Status st = Resolve(file, &f)) return st;
  DataFileSlot& s = DataFileSlotOf(f);
  if (Status st = Indexed(s)) return st;
  uint16_t k = 0;
  if (Status st = CurrentKey(f, &k)) return st;
  const std::string rec = CurrentRecord(f);
  int64_t r = -1;
  if (Status st = s.store.Add(rec, k, &r)) return st;
  s.ctrl.recno = int32_t(r);
  s.ctrl.last_status = kNdxFound;
  BufCopyPart(f, 1);
  if (DictKeyCount(f) == 0 || DictLineField(f) != 0xFFFF) return kOk;
  // Another record with the same key value stands before the new one.
  DataFileIndex& ix = s.store.Index();
  NdxResult found = ix.Seek(k, KeyValueOf(f, k, kBufCurrent));
  ix.SetCursor(ix.PositionOf(k, int32_t(r)));
  if (found.error) return found.error;
  return (found.position == kNdxFound && found.recno != r) ? 6 : kOk;
}

Status DataFileUpdateRecord(uint16_t file) {
  uint16_t f = 0;
  if (Status st = Resolve(file, &f)) return st;
  DataFileSlot& s = DataFileSlotOf(f);
  if (Status st = Indexed(s)) return st;
  if (s.ctrl.recno < 0) return kStIndexCmd;
  Status changed = BufChanged(f);
  if (changed != 1) return changed == 0 ? kOk : changed;
  uint16_t k = 0;
  if (Status st = CurrentKey(f, &k)) return st;
  if (Status st = s.store.Rewrite(s.ctrl.recno, CurrentRecord(f), k)) return st;
  BufCopyPart(f, 1);
  return kOk;
}

Status DataFileDelete(uint16_t file, uint16_t flags) {
  uint16_t f = 0;
  if (Status st = Resolve(file, &f)) return st;
  DataFileSlot& s = DataFileSlotOf(f);
  if (Status st = Indexed(s)) return st;
  if (s.ctrl.recno < 0) return kStIndexCmd;
  uint16_t k = 0;
  if (Status st = CurrentKey(f, &k)) return st;
  const std::string kept = KeyValueOf(f, k, kBufSaved);
  if (Status st = s.store.Delete(s.ctrl.recno, k)) return st;
  s.ctrl.recno = -1;
  const char esc = kRecordDeleted;
  BufStore(f, kBufCurrent, StrPair{&esc, 1});
  if (flags & 2) {
    Status st = DataFileLocate(f, 0xFFFF, StrOf(kept), 2);
    if (st >= kStFirstError) return st;
  }
  return kOk;
}

Status DataFileScan(uint16_t file, uint16_t key, StrPair value, uint16_t flags, StrPair text,
                    DataFileScanFn callback) {
  uint16_t f = 0;
  if (Status st = Resolve(file, &f)) return st;
  if (!value.ok()) return value.len;
  DataFileSaved saved;
  if (Status st = DataFileCtrlSave(f, saved)) return st;
  const std::string prefix(value.view());
  Status st = DataFileLocate(f, key, value, 0);
  if (st < kStFirstError && st != kNdxFound && (flags & 4)) {
    uint16_t k = DataFileKeyNumber(f);
    st = BufSetKeyFields(f, k, value);
    if (!st) st = DataFileAddRecord(f);
    if (st < kStFirstError) {
      SysVarSet(kVarRelRes, 4);
      st = kOk;
    }
  }
  // Only records read into the buffer count: a search that ended between
  // keys leaves the buffer holding an unrelated record.
  while (st < kStFirstError && DataFileCtrl(f).last_status == kNdxFound) {
    uint16_t k = DataFileKeyNumber(f);
    if (KeyValueOf(f, k, kBufCurrent).compare(0, prefix.size(), prefix) != 0) break;
    if (callback) {
      Status cs = callback(f, text);
      if (cs >= kStFirstError) {
        st = cs;
        break;
      }
    }
    st = DataFileUpdateRecord(f);
    if (st >= kStFirstError) break;
    st = DataFileMove(f, kNdxNext);
  }
  DataFileCtrlSave(f, saved);
  return st >= kStFirstError ? st : kOk;
}

Status DataFileDeleteAll(uint16_t) {
  return ErrIncident(kStNotAvailable, StrOf("DataFileDeleteAll"), false);
}

Status DataFileExprUpdate(uint16_t, uint16_t, StrPair, uint16_t) { return kStLowFailure; }

StrPair DataFileFeatureRemoved(uint16_t mode) {
  if (mode == 2) MsgErrorBox(kStNotAvailable);
  return StrOf(" ");
}

void DataFileSetTriggers(bool on) {
  uint16_t v = SysVarBits(kVarUpStat);
  v = on ? (v | kUpTriggers) : (v & ~kUpTriggers);
  SysVarSet(kVarUpStat, int16_t(v));
}

}  // namespace eng
