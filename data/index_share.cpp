// The key index of a file opened shared: keeping the memory of each open in
// step with the index file and the record file, under the change lock the
// store holds (see key_index.h).
#include <algorithm>
#include <cstring>
#include <random>
#include <unordered_map>

#include "core/err_register.h"
#include "data/key_index.h"

namespace eng {

namespace {

constexpr char kLogMagic[8] = {'I', 'X', 'L', 'O', 'G', 0, 0, 1};
constexpr int64_t kLogHeadSize = 24;  // magic, generation, entry count

uint64_t ReadLe(const char* p, int bytes) {
  uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | uint8_t(p[i]);
  return v;
}

void PutLe(char* p, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) p[i] = char((v >> (8 * i)) & 0xFF);
}

// A generation no other rewrite of any process has used.
uint64_t NewGeneration() {
  static std::mt19937_64 rng{std::random_device{}()};
  uint64_t g;
  do g = rng();
  while (g == 0);
  return g;
}

}  // namespace

int64_t DataFileIndex::BaseSize() const {
  return 8 + 4 * int64_t(FreeCount()) + 4 * int64_t(LiveCount()) * int64_t(arrays_.size());
}

// The log header of the index file as it is now, and where it stands; no log
// (generation 0) when the file has none right after its arrays.
bool DataFileIndex::ReadLogHead(LogHead* head, int64_t* at) {
  *head = LogHead{};
  *at = -1;
  char counts[8];
  if (!file_.ReadAt(0, counts, 8)) return true;  // an empty index
  int64_t f = int32_t(ReadLe(counts, 4)), n = int32_t(ReadLe(counts + 4, 4));
  if (f < 0 || n < 0) return false;
  int64_t base = 8 + 4 * f + 4 * n * int64_t(arrays_.size());
  char h[kLogHeadSize];
  if (!file_.ReadAt(base, h, sizeof h) || std::memcmp(h, kLogMagic, 8) != 0) return true;
  head->generation = ReadLe(h + 8, 8);
  head->entries = ReadLe(h + 16, 8);
  *at = base;
  return true;
}

bool DataFileIndex::SeenCurrent() {
  LogHead head;
  int64_t at;
  return ReadLogHead(&head, &at) && head.generation == seen_.generation && head.entries == seen_.entries;
}

Status DataFileIndex::SyncShared() {
  if (!shared_ || !file_.IsOpen()) return kOk;
  LogHead head;
  int64_t at;
  if (!ReadLogHead(&head, &at)) return ReloadShared(head);
  if (head.generation == seen_.generation && head.entries == seen_.entries) return kOk;
  const uint64_t size = 8 + uint64_t(records_->RecordLength());
  if (!unlogged_ && head.generation != 0 && head.generation == seen_.generation && head.entries > seen_.entries &&
      head.entries - seen_.entries < (uint64_t(1) << 24)) {
    // Only entries were added since: replay those.
    std::string bytes(size_t((head.entries - seen_.entries) * size), '\0');
    if (file_.ReadAt(at + kLogHeadSize + int64_t(seen_.entries * size), bytes.data(), bytes.size())) {
      Status s = Replay(bytes.data(), head.entries - seen_.entries);
      unsaved_ += int64_t(head.entries - seen_.entries);
      seen_ = head;
      log_at_ = at;
      changed_ = true;
      return s;
    }
  }
  return ReloadShared(head);
}

// Loads the whole index file again, with its log.
Status DataFileIndex::ReloadShared(LogHead) {
  const uint32_t cursor = cursor_;
  int64_t size = file_.Size();
  std::string bytes(size_t(size < 0 ? 0 : size), '\0');
  Status s = kStDiskIo;
  if (size >= 0 && file_.ReadAt(0, bytes.data(), bytes.size())) s = LoadShared(bytes);
  if (s) {
    // A file that cannot be read as an index: the memory is made from the
    // record file, and the file rewritten from it at the next change.
    s = Rebuild();
    unlogged_ = true;
  }
  cursor_ = cursor;
  return s;
}

Status DataFileIndex::LoadShared(std::string_view bytes) {
  Status s = Load(bytes);
  seen_ = LogHead{};
  log_at_ = -1;
  unlogged_ = false;
  if (s) return s;
  const int64_t base = BaseSize();
  if (int64_t(bytes.size()) < base + kLogHeadSize || std::memcmp(bytes.data() + base, kLogMagic, 8) != 0)
    return kOk;
  LogHead head;
  head.generation = ReadLe(bytes.data() + base + 8, 8);
  head.entries = ReadLe(bytes.data() + base + 16, 8);
  const uint64_t size = 8 + uint64_t(records_->RecordLength());
  const uint64_t room = (uint64_t(bytes.size()) - uint64_t(base + kLogHeadSize)) / size;
  if (head.entries > room) return kStDiskIo;
  if (head.entries) {
    s = Replay(bytes.data() + base + kLogHeadSize, head.entries);
    changed_ = true;
  }
  seen_ = head;
  log_at_ = base;
  return s;
}

// Applies changes another open made: every record they touched leaves the
// arrays where its key changed (found by the value the memory knew), then
// comes back at the place of its key now, in the order of its last change,
// so equal keys stand as the other open's arrays have them.
Status DataFileIndex::Replay(const char* entries, uint64_t count) {
  const uint16_t length = records_->RecordLength();
  const size_t size = 8 + size_t(length);
  struct Touch {
    int32_t r;
    const char* old;  // the record as the memory knew it; null: not in the arrays
    uint64_t last;
  };
  std::vector<Touch> touched;
  std::unordered_map<int32_t, size_t> where;
  for (uint64_t i = 0; i < count; ++i) {
    const char* e = entries + i * size;
    const int32_t op = int32_t(ReadLe(e, 4)), r = int32_t(ReadLe(e + 4, 4));
    if (op == kLogAdd) {
      auto it = std::find(free_.rbegin(), free_.rend(), r);
      if (it != free_.rend()) free_.erase(std::next(it).base());
    } else if (op == kLogDelete) {
      free_.push_back(r);
    }
    auto [it, fresh] = where.emplace(r, touched.size());
    if (fresh) touched.push_back(Touch{r, op == kLogAdd ? nullptr : e + 8, i});
    else touched[it->second].last = i;
  }
  const int64_t records = records_->Count();
  io_error_ = kOk;
  std::vector<std::string> now(touched.size());
  for (size_t t = 0; t < touched.size(); ++t) {
    const int32_t r = touched[t].r;
    const char* rec = r >= 0 && r < records ? records_->View(r, &io_error_) : nullptr;
    if (rec && rec[0] != kRecordDeleted) now[t].assign(rec, length);
  }
  // keep[t * K + a]: record t keeps its place in array a (same key value).
  const size_t k = arrays_.size();
  std::vector<char> keep(touched.size() * k, 0);
  for (size_t t = 0; t < touched.size(); ++t) {
    if (!touched[t].old) continue;
    for (size_t a = 0; a < k; ++a) {
      const KeyLayout& key = layout_->Key(uint16_t(a + 1));
      if (!now[t].empty() && KeyCompareRecords(key, touched[t].old, now[t].data()) == 0) {
        keep[t * k + a] = 1;
        continue;
      }
      uint32_t at = PositionOf(uint16_t(a + 1), touched[t].r, touched[t].old);
      if (at < arrays_[a].size()) arrays_[a].erase(at);
    }
  }
  std::vector<size_t> order(touched.size());
  for (size_t t = 0; t < order.size(); ++t) order[t] = t;
  std::sort(order.begin(), order.end(), [&](size_t x, size_t y) { return touched[x].last < touched[y].last; });
  for (size_t t : order) {
    if (now[t].empty()) continue;
    OverrideScope o(override_r_, override_bytes_, touched[t].r, now[t].data());
    for (size_t a = 0; a < k; ++a) {
      if (keep[t * k + a]) continue;
      KeyValueInto(layout_->Key(uint16_t(a + 1)), now[t].data(), change_text_);
      uint32_t pos = change_text_.empty() ? arrays_[a].size() : UpperBound(a, change_text_);
      arrays_[a].insert(pos, touched[t].r, change_text_.data());
    }
  }
  ResetRoom();
  return io_error_;
}

// Writes the arrays whole in place, and a fresh empty log after them when
// others are to follow the changes; the file ends there.
Status DataFileIndex::WriteBaseShared(bool with_log) {
  std::string bytes = Serialize();
  const int64_t base = int64_t(bytes.size());
  LogHead head;
  if (with_log) {
    head.generation = NewGeneration();
    char h[kLogHeadSize];
    std::memcpy(h, kLogMagic, 8);
    PutLe(h + 8, head.generation, 8);
    PutLe(h + 16, 0, 8);
    bytes.append(h, sizeof h);
  }
  if (!file_.WriteAt(0, bytes.data(), bytes.size()) || !file_.Truncate(int64_t(bytes.size())))
    return ErrRecord(kModDataFile, kStDiskIo);
  seen_ = head;
  log_at_ = with_log ? base : -1;
  unlogged_ = false;
  changed_ = false;
  unsaved_ = 0;
  return kOk;
}

Status DataFileIndex::Logged(LogOp op, int32_t r, const char* old) {
  if (!shared_) return kOk;
  if (!logging_) {
    unlogged_ = true;
    return kOk;
  }
  const uint64_t limit = std::max<uint64_t>(64, uint64_t(LiveCount()) / 8);
  if (unlogged_ || seen_.generation == 0 || log_at_ < 0 || seen_.entries + 1 > limit)
    return WriteBaseShared(true);  // the memory holds this change already
  const uint16_t length = records_->RecordLength();
  const int64_t size = 8 + int64_t(length);
  std::string e(size_t(size), '\0');
  PutLe(e.data(), uint32_t(op), 4);
  PutLe(e.data() + 4, uint32_t(r), 4);
  if (old) std::memcpy(e.data() + 8, old, length);
  char count[8];
  PutLe(count, seen_.entries + 1, 8);
  // The entry first, then the count that makes it part of the log.
  if (!file_.WriteAt(log_at_ + kLogHeadSize + int64_t(seen_.entries) * size, e.data(), e.size()) ||
      !file_.WriteAt(log_at_ + 16, count, 8))
    return ErrRecord(kModDataFile, kStDiskIo);
  ++seen_.entries;
  return kOk;
}

Status DataFileIndex::CloseShared(bool alone) {
  Status s = kOk;
  if (alone) {
    if (seen_.entries > 0 || unlogged_) changed_ = true;
    shared_ = false;  // the last open: saved whole, as when held exclusively
    return Close();
  }
  if (unlogged_) s = WriteBaseShared(true);
  file_.Close();
  return s;
}

}  // namespace eng
