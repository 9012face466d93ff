// The scratch arena: the mark-and-release store of temporary texts and the
// engine's result channel ("the newest entry is the current result").
//
// Texts are entries, laid one after the other in one data block that never
// moves, each starting on a 4-byte boundary. Entry 0 is the empty text and is
// never released. A mark is an entry index: releasing to mark m drops every
// entry above m. A function that makes temporary texts takes a mark on entry
// (ScratchScope) and on exit either releases it or keeps its one text result
// directly above the caller's mark (ScratchScope::Keep).
//
// Limits: capacity entries (the arena size in KB: 512 entries for 512 KB) and
// KB x 1024 data bytes; running out of either is status 145.
#pragma once

#include <cassert>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <vector>

#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kArenaDefaultKb = 128;
inline constexpr uint16_t kArenaProgramKb = 512;
inline constexpr int kFillLeave = 255;  // fill byte that leaves new bytes as they are

constexpr uint32_t MemRoundUp4(uint32_t n) { return (n + 3u) & ~3u; }

class ScratchArena {
 public:
  Status Init(uint16_t kb);
  void Term();
  bool initialised() const { return data_ != nullptr; }

  // -1 (or any value not below the capacity) returns the current mark;
  // m releases to m and returns it.
  uint16_t Mark(int32_t m) {
    if (m < 0 || m >= capacity_) return current_;
    ReleaseTo(static_cast<uint16_t>(m));
    return current_;
  }
  Status Reserve(size_t n, int fill, char** addr = nullptr);
  Status Copy(StrPair p);
  Status Concat(StrPair a, StrPair b);
  StrPair Top() const { return index_[current_]; }
  StrPair Keep(uint16_t mark, StrPair p);
  // Releases down to entry `entry` (above 0, not above the current mark)
  // and adds the bytes of `more` (which may lie in the released area) to the
  // end of that entry: the grown entry, or the failure (146, 145).
  StrPair Extend(uint16_t entry, StrPair more);
  // Puts the bytes of `front` before the text of `entry`, the newest entry,
  // which grows in place to hold both. False, with nothing changed, when
  // `front` overlaps the grown entry or when the joined text would not fit
  // as a new entry above the current one (Concat then fails as it would).
  bool Prepend(uint16_t entry, StrPair front);
  // Entry i as it stands (i up to the current mark).
  StrPair Entry(uint16_t i) const { return index_[i]; }
  Status KeepMany(uint16_t mark, std::initializer_list<StrPair*> pairs);
  Status Check(uint16_t n) const;
  StrPair FreeArea() const;
  uint32_t FreeBytes() const;

  uint16_t capacity() const { return capacity_; }
  uint16_t current() const { return current_; }
  uint16_t high_water_mark() const { return high_mark_; }
  uint32_t high_water_bytes() const { return high_bytes_; }
  uint32_t data_size() const { return size_; }
  uint32_t top_offset() const { return top_; }
  // True when p lies inside the data block (for tests and assertions).
  bool Holds(const char* p) const { return data_ && p >= data_.get() && p < data_.get() + size_; }

 private:
  void ReleaseTo(uint16_t m) {
    assert(m <= current_ && "release to a mark that was never taken");
    const StrPair& e = index_[m];
    top_ = uint32_t(e.ptr - data_.get()) + MemRoundUp4(e.len);
    current_ = m;
  }
  void NoteHighWater();

  std::unique_ptr<char[]> data_;
  std::vector<StrPair> index_;
  uint32_t size_ = 0;
  uint32_t top_ = 0;
  uint16_t capacity_ = 0;
  uint16_t current_ = 0;
  uint16_t high_mark_ = 0;
  uint32_t high_bytes_ = 0;
};

// The operations on the runtime's one arena.
uint16_t ScratchMark(int32_t m);
Status ScratchReserve(size_t n, int fill);
char* ScratchReserveAddr(size_t n, int fill);
Status ScratchCopy(StrPair p);
Status ScratchConcat(StrPair a, StrPair b);
StrPair ScratchTop();
StrPair ScratchKeep(uint16_t mark, StrPair p);
Status ScratchKeepMany(uint16_t mark, std::initializer_list<StrPair*> pairs);
Status ScratchCheck(uint16_t n);
StrPair ScratchFreeArea();
uint32_t ScratchFreeBytes();
Status ScratchInit();
void ScratchTerm();

// Copies a text into a new entry and returns that entry (or the failure).
StrPair ScratchText(std::string_view text);
StrPair ScratchPair(StrPair p);

// Takes the current mark; releases to it on destruction unless a result was
// kept or the scope was released explicitly.
class ScratchScope {
 public:
  ScratchScope() : mark_(ScratchMark(-1)) {}
  ~ScratchScope() {
    if (!done_) ScratchMark(mark_);
  }
  ScratchScope(const ScratchScope&) = delete;
  ScratchScope& operator=(const ScratchScope&) = delete;

  uint16_t mark() const { return mark_; }
  // Releases to the mark and copies the result into the entry directly above it.
  StrPair Keep(StrPair result) {
    done_ = true;
    return ScratchKeep(mark_, result);
  }
  Status KeepMany(std::initializer_list<StrPair*> results) {
    done_ = true;
    return ScratchKeepMany(mark_, results);
  }
  // Releases to the mark and passes the status on.
  Status Release(Status s = kOk) {
    done_ = true;
    ScratchMark(mark_);
    return s;
  }

 private:
  uint16_t mark_;
  bool done_ = false;
};

}  // namespace eng
