#include "data/key_index.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>

#include "core/block_file.h"
#include "core/err_register.h"
#include "data/index_seal.h"

namespace eng {

namespace {

int32_t ReadLe32(const char* p) {
  uint32_t v = uint32_t(uint8_t(p[0])) | uint32_t(uint8_t(p[1])) << 8 | uint32_t(uint8_t(p[2])) << 16 |
               uint32_t(uint8_t(p[3])) << 24;
  return int32_t(v);
}

void AppendLe32(std::string& out, int32_t value) {
  uint32_t v = uint32_t(value);
  char b[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char((v >> 24) & 0xFF)};
  out.append(b, 4);
}

}  // namespace

void KeyValueInto(const KeyLayout& key, const char* record, std::string& out) {
  out.resize(key.Length());
  char* p = out.data();
  for (uint16_t i = 0; i < key.count && i < kKeyPartsMax; ++i) {
    std::memcpy(p, record + key.parts[i].offset, key.parts[i].length);
    p += key.parts[i].length;
  }
}

void DataFileIndex::Attach(const DataFileLayout* layout, DataRecordFile* records, std::string path) {
  layout_ = layout;
  records_ = records;
  path_ = std::move(path);
  arrays_.assign(layout_->ArrayCount(), RecNoSeq());
  for (size_t a = 0; a < arrays_.size(); ++a)
    arrays_[a].SetKeyWidth(std::min<uint32_t>(layout_->Key(uint16_t(a + 1)).Length(), kKeptKeyMax));
  free_.clear();
  cursor_ = 0;
  changed_ = false;
  unsaved_ = 0;
  sealed_ = false;
  shared_ = logging_ = unlogged_ = false;
  seen_ = LogHead{};
  log_at_ = -1;
  ResetRoom();
}

size_t DataFileIndex::ArrayIndex(uint16_t key) const {
  if (key >= 1 && key <= arrays_.size()) return key - 1;
  return 0;
}

void DataFileIndex::ResetRoom() {
  int64_t n = LiveCount(), f = FreeCount();
  key_spare_ = NdxRoom(n) - n;
  free_spare_ = NdxRoom(f) - f;
}

const char* DataFileIndex::RecordOf(int32_t r) {
  if (r == override_r_ && override_bytes_) return override_bytes_;
  return records_->View(r, &io_error_);
}

// The first `width` bytes of a record's key value (width at most the key's
// length).
static void KeyBytesOf(const KeyLayout& key, const char* rec, char* out, uint32_t width) {
  for (uint16_t i = 0; i < key.count && i < kKeyPartsMax && width; ++i) {
    const uint32_t n = std::min<uint32_t>(key.parts[i].length, width);
    std::memcpy(out, rec + key.parts[i].offset, n);
    out += n;
    width -= n;
  }
}

// Eight bytes as a big-endian number: numbers compare as the bytes do.
static inline uint64_t HeadOf(const char* p) {
  uint64_t x;
  std::memcpy(&x, p, 8);
  if constexpr (std::endian::native == std::endian::little) x = __builtin_bswap64(x);
  return x;
}

// memcmp's sign for the short lengths of keys, without a call: eight bytes
// at a time, compared as big-endian numbers.
static inline int CompareBytes(const char* a, const char* b, size_t n) {
  for (; n >= 8; a += 8, b += 8, n -= 8) {
    uint64_t x, y;
    std::memcpy(&x, a, 8);
    std::memcpy(&y, b, 8);
    if (x != y) {
      if constexpr (std::endian::native == std::endian::little) {
        x = __builtin_bswap64(x);
        y = __builtin_bswap64(y);
      }
      return x < y ? -1 : 1;
    }
  }
  for (; n; ++a, ++b, --n)
    if (*a != *b) return uint8_t(*a) < uint8_t(*b) ? -1 : 1;
  return 0;
}

// A search text against the entry of record r whose kept key bytes are k
// (null: none), as KeyCompareText against the record: the record is read
// only when the kept bytes are equal to the text's and shorter than both
// the text and the key. A record that cannot be read counts as above the
// text (io_error_ tells).
int DataFileIndex::CompareEntry(const KeyLayout& key, uint32_t width, int32_t r, const char* k,
                                std::string_view text) {
  if (k) {
    const size_t n = std::min<size_t>(text.size(), width);
    const int c = CompareBytes(text.data(), k, n);
    if (c || text.size() <= width) return c;
    if (width >= key.Length()) return 1;  // a text longer than the key value sorts after it
  }
  const char* rec = RecordOf(r);
  if (!rec) return -1;
  return KeyCompareText(key, rec, text);
}

// First position whose key is not below the text (a failed read counts as
// "not below", and io_error_ tells); with `upper`, first position whose key
// is above it. The key bytes kept beside the record numbers decide where
// they can; a block without them gets them on first use.
uint32_t DataFileIndex::Bound(size_t a, std::string_view text, bool upper) {
  const KeyLayout& key = layout_->Key(uint16_t(a + 1));
  RecNoSeq& arr = arrays_[a];
  const uint32_t width = arr.KeyWidth();
  // The first eight bytes of text and kept key, as numbers, decide nearly
  // every step of the search without a loop or a mispredicted branch.
  const bool by_head = std::min<size_t>(text.size(), width) >= 8;
  const uint64_t head = by_head ? HeadOf(text.data()) : 0;
  return arr.FirstWhereKeyed(
      [&](const int32_t* r, const char* k) {
        if (k && by_head) {
          const uint64_t h = HeadOf(k);
          if (h != head) return head < h;
        }
        // Kept bytes that differ decide here; the rest in CompareEntry.
        int c = k ? CompareBytes(text.data(), k, std::min<size_t>(text.size(), width)) : 0;
        if (!c) c = CompareEntry(key, width, *r, k, text);
        return upper ? c < 0 : c <= 0;
      },
      [&](const int32_t* rs, size_t n, char* out) { return FillKeys(key, width, rs, n, out); });
}

// The kept key bytes of n entries, read from their records (the records
// fetched a few entries ahead, since they lie anywhere in the file).
bool DataFileIndex::FillKeys(const KeyLayout& key, uint32_t width, const int32_t* rs, size_t n, char* out) {
  constexpr size_t kAhead = 8;
  // Where one view of the mapping serves every record, the records are
  // read through it without a call per record (the view does not move
  // while the block fills: nothing else is viewed meanwhile).
  const int64_t count = records_->Count();
  const size_t length = records_->RecordLength();
  const char* base = count > 0 ? records_->File().View(0, size_t(count) * length) : nullptr;
  if (base) {
    auto at = [&](int32_t r) -> const char* {
      if (r == override_r_ && override_bytes_) return override_bytes_;
      return r >= 0 && r < count ? base + size_t(r) * length : nullptr;
    };
    for (size_t i = 0; i < n && i < kAhead; ++i)
      if (const char* p = at(rs[i])) __builtin_prefetch(p);
    for (size_t i = 0; i < n; ++i) {
      if (i + kAhead < n)
        if (const char* p = at(rs[i + kAhead])) __builtin_prefetch(p);
      const char* rec = at(rs[i]);
      if (!rec) {
        io_error_ = kStRead;
        return false;
      }
      KeyBytesOf(key, rec, out + i * width, width);
    }
    return true;
  }
  for (size_t i = 0; i < n && i < kAhead; ++i)
    if (const char* p = RecordOf(rs[i])) __builtin_prefetch(p);
  for (size_t i = 0; i < n; ++i) {
    if (i + kAhead < n)
      if (const char* p = RecordOf(rs[i + kAhead])) __builtin_prefetch(p);
    const char* rec = RecordOf(rs[i]);
    if (!rec) return false;
    KeyBytesOf(key, rec, out + i * width, width);
  }
  return true;
}

Status DataFileIndex::Open(bool* rebuilt) {
  if (rebuilt) *rebuilt = false;
  file_.Close();
  // Opened read-write and created when missing, also for read-only files;
  // an index that cannot be written is still read.
  for (int tries = 0;; ++tries) {
    Status s = file_.Open(path_, true, true);
    if (s) s = file_.Open(path_, false, false);
    if (s) return ErrRecord(kModDataFile, kStDiskIo);
    if (!shared_) break;
    // Loaded under the change lock, so that no other open changes the
    // files meanwhile; an index replaced by a closing open's last save
    // while this one waited is opened again.
    if (file_.Hold(BlockLock::kExclusive) != kOk && file_.Hold(BlockLock::kShared) != kOk)
      return ErrRecord(kModDataFile, kStDiskIo);
    if (file_.StillAt(path_) || tries == 8) break;
    file_.Close();
  }
  int64_t size = file_.Size();
  std::string bytes(size_t(size < 0 ? 0 : size), '\0');
  Status s = kOk;
  if (size < 0 || !file_.ReadAt(0, bytes.data(), bytes.size())) {
    s = ErrRecord(kModDataFile, kStDiskIo);
  } else if ((shared_ ? LoadShared(bytes) : Load(bytes)) != kOk ||
             (!(sealed_ = !shared_ && IndexSealHolds(file_, bytes, *records_)) && Check() != kOk)) {
    if (rebuilt) *rebuilt = true;
    s = Rebuild();
    unlogged_ = shared_;  // the file lacks what the memory now holds
  }
  if (shared_) file_.Hold(BlockLock::kUnlock);
  // The file may carry a seal (this open's, or one an exclusive open left):
  // it comes down before the records first change.
  GuardSeal();
  return s;
}

void DataFileIndex::GuardSeal() {
  records_->SetChangeGuard([this] {
    if (!IndexSealRemove(file_)) return false;
    sealed_ = false;
    return true;
  });
}

void DataFileIndex::Seal(const std::string* bytes) {
  if (sealed_ || !file_.IsOpen() || !records_->SoleWriter() || !records_->Sync()) return;
  std::string own;
  if (!bytes) bytes = &(own = Serialize());
  if (!IndexSealWrite(file_, *bytes, *records_)) return;
  sealed_ = true;
  GuardSeal();
}

Status DataFileIndex::Close() {
  Status s = Save(true);
  // An index that was checked, or records rewritten without moving a key:
  // sealed now, so that the next open need not check it (a save that wrote
  // the index has sealed it already).
  if (!s) Seal(nullptr);
  file_.Close();
  return s;
}

Status DataFileIndex::Load(std::string_view bytes) {
  size_t k = arrays_.size();
  for (auto& a : arrays_) a.clear();
  free_.clear();
  cursor_ = 0;
  changed_ = false;
  unsaved_ = 0;
  ResetRoom();
  if (bytes.empty()) return kOk;  // an empty index file: F = N = 0
  if (bytes.size() < 8) return kStDiskIo;
  int64_t f = ReadLe32(bytes.data()), n = ReadLe32(bytes.data() + 4);
  if (f < 0 || n < 0) return kStDiskIo;
  if (int64_t(bytes.size()) < 8 + 4 * f + 4 * n * int64_t(k)) return kStDiskIo;
  const char* p = bytes.data() + 8;
  free_.resize(size_t(f));
  for (int64_t i = 0; i < f; ++i, p += 4) free_[size_t(i)] = ReadLe32(p);
  std::vector<int32_t> tmp(static_cast<size_t>(n));
  for (size_t a = 0; a < k; ++a) {
    for (int64_t i = 0; i < n; ++i, p += 4) tmp[size_t(i)] = ReadLe32(p);
    arrays_[a].assign(tmp.data(), uint32_t(n));
  }
  ResetRoom();
  return kOk;
}

Status DataFileIndex::Check() {
  int64_t count = records_->Count();
  if (count < 0) return kStDiskIo;
  if (int64_t(LiveCount()) + FreeCount() != count) return kStDiskIo;
  const uint16_t length = records_->RecordLength();
  // The records through one mapping of the whole file where it serves (no
  // view then moves it, so the previous record's view stays valid); else
  // read into two buffers in turn, so that the previous record survives the
  // next read.
  BlockFile& file = records_->File();
  const bool mapped = count > 0 && file.View(0, size_t(count) * length) != nullptr;
  std::vector<char> bufs(2 * size_t(length));
  size_t turn = 0;
  auto record = [&](int64_t r) -> const char* {
    if (mapped) return file.View(r * length, length);
    char* b = bufs.data() + (turn ^= 1) * length;
    return records_->ReadRecNo(r, b) == kOk ? b : nullptr;
  };
  // One pass in file order tells which records are deleted; the free list
  // must name each of those once, and the arrays each live record once.
  enum : char { kLive = 0, kDeleted = 1, kListed = 2 };
  std::vector<char> state(static_cast<size_t>(count));
  for (int64_t r = 0; r < count; ++r) {
    const char* rec = record(r);
    if (!rec) return kStDiskIo;
    state[size_t(r)] = rec[0] == kRecordDeleted ? kDeleted : kLive;
  }
  for (int32_t r : free_) {
    if (r < 0 || r >= count || state[size_t(r)] != kDeleted) return kStDiskIo;
    state[size_t(r)] = kListed;
  }
  std::vector<char> in_array(state.size());
  std::vector<char> table;
  for (size_t a = 0; a < arrays_.size(); ++a) {
    const KeyLayout& key = layout_->Key(uint16_t(a + 1));
    RecNoSeq& arr = arrays_[a];
    const uint32_t width = arr.KeyWidth();
    // Where the kept bytes are the whole key, the keys are cut out of the
    // records in file order first, and the array's order is checked on them:
    // the array visits the records in any order, and the table is smaller.
    const bool whole = width > 0 && width == key.Length();
    if (whole) {
      table.resize(size_t(count) * width);
      for (int64_t r = 0; r < count; ++r)
        if (state[size_t(r)] == kLive) KeyBytesOf(key, record(r), table.data() + size_t(r) * width, width);
    }
    std::fill(in_array.begin(), in_array.end(), 0);
    const char* prev = nullptr;
    const char* prev_key = nullptr;
    const auto& blocks = arr.Blocks();
    for (size_t b = 0; b < blocks.size(); ++b) {
      const std::vector<int32_t>& block = blocks[b];
      char* keys = arr.KeyArea(b);
      auto fail = [&] {
        arr.DropKeys(b);
        return kStDiskIo;
      };
      for (size_t i = 0; i < block.size(); ++i) {
        const int32_t r = block[i];
        if (r < 0 || r >= count || state[size_t(r)] != kLive || in_array[size_t(r)]) return fail();
        in_array[size_t(r)] = 1;
        if (whole) {
          char* k = keys + i * width;
          std::memcpy(k, table.data() + size_t(r) * width, width);
          if (prev_key && std::memcmp(prev_key, k, width) > 0) return fail();
          prev_key = k;
          continue;
        }
        const char* rec = record(r);
        if (!rec) return fail();
        if (keys) KeyBytesOf(key, rec, keys + i * width, width);
        if (prev && KeyCompareRecords(key, prev, rec) > 0) return fail();
        prev = rec;
      }
    }
  }
  return kOk;
}

Status DataFileIndex::Rebuild() {
  int64_t count = records_->Count();
  if (count < 0) return ErrRecord(kModDataFile, kStDiskIo);
  std::vector<int32_t> live;
  std::vector<std::string> keys;
  free_.clear();
  Status err = kOk;
  for (int64_t r = 0; r < count; ++r) {
    const char* rec = records_->View(r, &err);
    if (!rec) return ErrRecord(kModDataFile, kStRead);
    if (rec[0] == kRecordDeleted) free_.push_back(int32_t(r));
    else live.push_back(int32_t(r));
  }
  for (size_t a = 0; a < arrays_.size(); ++a) {
    const KeyLayout& key = layout_->Key(uint16_t(a + 1));
    keys.assign(live.size(), std::string());
    for (size_t i = 0; i < live.size(); ++i) {
      const char* rec = records_->View(live[i], &err);
      if (!rec) return ErrRecord(kModDataFile, kStRead);
      keys[i] = key.ValueOf(rec);
    }
    std::vector<uint32_t> order(live.size());
    std::iota(order.begin(), order.end(), 0u);
    // char_traits<char> compares as unsigned bytes; stable keeps record order among equal keys.
    std::stable_sort(order.begin(), order.end(), [&](uint32_t x, uint32_t y) { return keys[x] < keys[y]; });
    std::vector<int32_t> sorted(live.size());
    for (size_t i = 0; i < order.size(); ++i) sorted[i] = live[order[i]];
    arrays_[a].assign(sorted.data(), uint32_t(sorted.size()));
  }
  cursor_ = 0;
  changed_ = true;
  unsaved_ = int64_t(live.size()) + FreeCount();  // the file has none of it
  ResetRoom();
  return kOk;
}

std::string DataFileIndex::Serialize() const {
  std::string out;
  out.reserve(8 + 4 * (free_.size() + size_t(LiveCount()) * arrays_.size()));
  AppendLe32(out, FreeCount());
  AppendLe32(out, LiveCount());
  for (int32_t r : free_) AppendLe32(out, r);
  for (const RecNoSeq& a : arrays_) a.AppendTo(out);
  return out;
}

Status DataFileIndex::Save(bool sync) {
  // A synced save makes a whole pair: the record file loses the room made
  // ahead of its appends, so that both count the same records, and its
  // records reach the disk before the index that lists them.
  if (sync && !records_->Sync()) return ErrRecord(kModDataFile, kStDiskIo);
  if (!changed_) return kOk;
  // Shared: in place, with a log for the others while there are any.
  if (shared_ && !sync) return WriteBaseShared(logging_);
  if (!sync && file_.IsOpen() && std::endian::native == std::endian::little) {
    // In place, straight from the arrays' blocks.
    const int32_t head[2] = {FreeCount(), LiveCount()};
    std::vector<BlockFile::Piece> pieces{{head, sizeof head}, {free_.data(), free_.size() * 4}};
    for (const RecNoSeq& a : arrays_)
      for (const auto& b : a.Blocks()) pieces.push_back({b.data(), b.size() * 4});
    if (!file_.WritePiecesAt(0, pieces.data(), pieces.size())) return ErrRecord(kModDataFile, kStDiskIo);
    changed_ = false;
    unsaved_ = 0;
    return kOk;
  }
  std::string bytes = Serialize();
  if (sync || !file_.IsOpen()) {
    if (BlockFileReplace(path_, bytes.data(), bytes.size(), sync) != kOk) return ErrRecord(kModDataFile, kStDiskIo);
    // Later saves in place go to the new file, which carries no seal.
    if (file_.IsOpen() && file_.Open(path_, true, false) != kOk) file_.Close();
    sealed_ = false;
    records_->SetChangeGuard(nullptr);
    // Whole and agreeing with the records: sealed (where no other open can
    // change the records meanwhile).
    if (sync) Seal(&bytes);
  } else if (!file_.WriteAt(0, bytes.data(), bytes.size())) {
    return ErrRecord(kModDataFile, kStDiskIo);
  }
  changed_ = false;
  unsaved_ = 0;
  return kOk;
}

Status DataFileIndex::Reload() {
  Status s = Save(false);
  if (s) return s;
  ResetRoom();
  return kOk;
}

Status DataFileIndex::EnsureRoom(int which) {
  if ((which == 0 ? key_spare_ : free_spare_) > 0) return kOk;
  // Saved when the changes since the last save are an eighth of the index
  // or more, so that the bytes written grow with the changes, not with the
  // changes times the size of the file.
  if (unsaved_ * 8 >= int64_t(LiveCount()) + FreeCount()) return Reload();
  ResetRoom();
  return kOk;
}

NdxResult DataFileIndex::Search(uint16_t key, std::string_view value, bool for_insert) {
  NdxResult res;
  size_t a = ArrayIndex(key);
  const RecNoSeq& arr = arrays_[a];
  uint32_t n = arr.size();
  if (n == 0) {
    cursor_ = 0;
    return res;  // 2, no record
  }
  std::string_view text = value.substr(0, layout_->Key(uint16_t(a + 1)).Length());
  if (text.empty()) text = " ";
  io_error_ = kOk;
  uint32_t lo = LowerBound(a, text);
  bool found = false;
  if (lo < n) {
    found = CompareEntry(layout_->Key(uint16_t(a + 1)), arr.KeyWidth(), arr.at(lo), arr.KeyAt(lo), text) == 0;
  }
  uint32_t pos = lo;
  if (found && for_insert) pos = UpperBound(a, text) - 1;
  res.error = io_error_;
  if (found) {
    res.position = kNdxFound;
    res.recno = arr.at(pos);
  } else if (pos < n) {
    res.position = kNdxBetween;
    res.recno = arr.at(pos);
  } else {
    res.position = kNdxPastEnd;
    res.recno = arr.at(n - 1);
  }
  cursor_ = pos;
  return res;
}

NdxResult DataFileIndex::Move(uint16_t key, uint16_t flags) {
  NdxResult res;
  const RecNoSeq& arr = arrays_[ArrayIndex(key)];
  int64_t n = arr.size();
  if (n == 0) return res;  // 2, the cursor stays
  int64_t pos = cursor_;
  switch (flags & kNdxMoveMask) {
    case kNdxFirst: pos = 0; break;
    case kNdxPrevious: pos = int64_t(cursor_) - 1; break;
    case kNdxLast: pos = n - 1; break;
    case kNdxNext: pos = int64_t(cursor_) + 1; break;
    default: break;
  }
  if (pos < 0) {
    res.position = kNdxBetween;
    pos = 0;
  } else if (pos >= n) {
    res.position = kNdxPastEnd;
    pos = n - 1;
  } else {
    res.position = kNdxFound;
  }
  cursor_ = uint32_t(pos);
  res.recno = arr.at(cursor_);
  return res;
}

int32_t DataFileIndex::Current(uint16_t key) const {
  const RecNoSeq& arr = arrays_[ArrayIndex(key)];
  return cursor_ < arr.size() ? arr.at(cursor_) : -1;
}

int32_t DataFileIndex::Near(uint16_t key, int32_t ahead) const {
  const RecNoSeq& arr = arrays_[ArrayIndex(key)];
  const int64_t pos = int64_t(cursor_) + ahead;
  return pos >= 0 && pos < int64_t(arr.size()) ? arr.at(uint32_t(pos)) : -1;
}

std::string DataFileIndex::KeyOf(uint16_t key, int64_t r) {
  const char* rec = records_->View(r, &io_error_);
  if (!rec) return std::string();
  return layout_->Key(key).ValueOf(rec);
}

uint32_t DataFileIndex::PositionOf(uint16_t key, int32_t r, const char* record) {
  size_t a = ArrayIndex(key);
  const RecNoSeq& arr = arrays_[a];
  const KeyLayout& layout = layout_->Key(uint16_t(a + 1));
  if (!record) {
    // A copy: a view of the mapping may move while searching.
    if (const char* rec = RecordOf(r)) {
      own_.assign(rec, records_->RecordLength());
      record = own_.data();
    }
  }
  if (record) {
    KeyValueInto(layout, record, position_text_);
    const std::string_view text = position_text_;
    OverrideScope o(override_r_, override_bytes_, r, record);
    for (uint32_t p = LowerBound(a, text); p < arr.size(); ++p) {
      int32_t e = arr.at(p);
      if (e == r) return p;
      if (CompareEntry(layout, arr.KeyWidth(), e, arr.KeyAt(p), text) != 0) break;
    }
  }
  return arr.Find(r);  // not where its key says: look everywhere
}

Status DataFileIndex::TakeNewRecNo(int64_t* r, bool* from_free) {
  int64_t count = records_->Count();
  if (count < 0) return kStRead;
  *from_free = false;
  while (!free_.empty()) {
    int32_t f = free_.back();
    free_.pop_back();
    changed_ = true;
    Status err = kOk;
    const char* rec = f < count ? records_->View(f, &err) : nullptr;
    if (rec && rec[0] == kRecordDeleted) {
      *r = f;
      *from_free = true;
      return kOk;
    }
    // A stale free number (the record is live or beyond the file): dropped.
  }
  *r = count;
  return kOk;
}

int64_t DataFileIndex::PeekNewRecNo() {
  int64_t count = records_->Count();
  for (size_t i = free_.size(); i-- > 0;) {
    int32_t f = free_[i];
    Status err = kOk;
    const char* rec = f >= 0 && f < count ? records_->View(f, &err) : nullptr;
    if (rec && rec[0] == kRecordDeleted) return f;
  }
  return count;
}

Status DataFileIndex::AddRecord(const char* record, uint16_t key, int64_t* recno) {
  if (record[0] == kRecordDeleted) return kStDataError;
  Status s = EnsureRoom(0);
  if (s) return s;
  int64_t r;
  bool from_free;
  s = TakeNewRecNo(&r, &from_free);
  if (s) return s;
  if (r > INT32_MAX) return ErrRecord(kModDataFile, kStDataOutBound);
  s = records_->WriteRecNo(r, record);
  if (s) {
    if (from_free) free_.push_back(int32_t(r));
    return s;
  }
  io_error_ = kOk;
  {
    OverrideScope o(override_r_, override_bytes_, int32_t(r), record);
    for (size_t a = 0; a < arrays_.size(); ++a) {
      KeyValueInto(layout_->Key(uint16_t(a + 1)), record, change_text_);
      uint32_t pos = change_text_.empty() ? arrays_[a].size() : UpperBound(a, change_text_);
      arrays_[a].insert(pos, int32_t(r), change_text_.data());
      if (a == ArrayIndex(key)) cursor_ = pos;
    }
  }
  --key_spare_;
  changed_ = true;
  ++unsaved_;
  if (recno) *recno = r;
  Status l = Logged(kLogAdd, int32_t(r), nullptr);
  return io_error_ ? io_error_ : l;
}

Status DataFileIndex::RewriteRecord(int64_t r, const char* record, uint16_t key) {
  if (record[0] == kRecordDeleted) return kStDataError;
  const uint16_t length = records_->RecordLength();
  int64_t count = records_->Count();
  if (r < 0 || r >= count) return kStIndexCmd;
  std::string& old = old_record_;
  old.resize(length);
  Status s = records_->ReadRecNo(r, old.data());
  if (s) return s;
  if (old[0] == kRecordDeleted) return kStIndexCmd;
  // The cursor goes to r's entry in the named key: where it already is (a
  // locate just found r), where r was put back, or searched for.
  const size_t ka = ArrayIndex(key);
  auto place_cursor = [&] {
    if (cursor_ >= arrays_[ka].size() || arrays_[ka].at(cursor_) != int32_t(r))
      cursor_ = PositionOf(key, int32_t(r), record);
  };
  if (std::memcmp(old.data(), record, length) == 0) {
    place_cursor();
    return kOk;
  }
  s = records_->WriteRecNo(r, record);
  if (s) return s;
  io_error_ = kOk;
  bool moved = false;
  for (size_t a = 0; a < arrays_.size(); ++a) {
    const KeyLayout& layout = layout_->Key(uint16_t(a + 1));
    if (KeyCompareRecords(layout, old.data(), record) == 0) continue;
    moved = true;
    uint32_t at = PositionOf(uint16_t(a + 1), int32_t(r), old.data());
    if (at < arrays_[a].size()) arrays_[a].erase(at);
    OverrideScope o(override_r_, override_bytes_, int32_t(r), record);
    KeyValueInto(layout, record, change_text_);
    const uint32_t pos = UpperBound(a, change_text_);
    arrays_[a].insert(pos, int32_t(r), change_text_.data());
    if (a == ka) cursor_ = pos;
    changed_ = true;
  }
  if (moved) ++unsaved_;
  place_cursor();
  // Only a moved key concerns the other opens' arrays.
  Status l = moved ? Logged(kLogRewrite, int32_t(r), old.data()) : kOk;
  return io_error_ ? io_error_ : l;
}

Status DataFileIndex::DeleteRecord(int64_t r, uint16_t key) {
  const uint16_t length = records_->RecordLength();
  int64_t count = records_->Count();
  if (r < 0 || r >= count) return kStIndexCmd;
  Status s = EnsureRoom(1);
  if (s) return s;
  std::string& old = old_record_;
  old.resize(length);
  s = records_->ReadRecNo(r, old.data());
  if (s) return s;
  if (old[0] == kRecordDeleted) return kStIndexCmd;
  s = records_->MarkDeleted(r);
  if (s) return s;
  io_error_ = kOk;
  uint32_t cursor = cursor_;
  for (size_t a = 0; a < arrays_.size(); ++a) {
    uint32_t at = PositionOf(uint16_t(a + 1), int32_t(r), old.data());
    if (at >= arrays_[a].size()) continue;
    arrays_[a].erase(at);
    if (a == ArrayIndex(key)) cursor = at;
  }
  cursor_ = cursor;
  free_.push_back(int32_t(r));
  --free_spare_;
  ++key_spare_;
  changed_ = true;
  ++unsaved_;
  Status l = Logged(kLogDelete, int32_t(r), old.data());
  return io_error_ ? io_error_ : l;
}

}  // namespace eng
