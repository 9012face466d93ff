#include "core/scratch_arena.h"

#include <cassert>
#include <cstring>
#include <new>

#include "core/runtime.h"
#include "core/str_pair_store.h"

namespace eng {

Status ScratchArena::Init(uint16_t kb) {
  if (kb == 0) return kStOutOfMemory;
  size_ = uint32_t(kb) * 1024u;
  data_.reset(new (std::nothrow) char[size_]);
  if (!data_) return kStOutOfMemory;
  capacity_ = kb;
  index_.assign(capacity_, StrPair{data_.get(), 0});
  top_ = 0;
  current_ = 0;
  high_mark_ = 0;
  high_bytes_ = 0;
  return kOk;
}

void ScratchArena::Term() {
  data_.reset();
  index_.clear();
  size_ = top_ = 0;
  capacity_ = current_ = 0;
}

void ScratchArena::NoteHighWater() {
  if (top_ > high_bytes_) high_bytes_ = top_;
  if (current_ > high_mark_) high_mark_ = current_;
}

Status ScratchArena::Reserve(size_t n, int fill, char** addr) {
  if (addr) *addr = nullptr;
  if (!data_) return kStOutOfMemory;
  if (n > kMaxText) return kStStringTooLong;
  uint32_t start = top_;
  uint32_t new_top = start + MemRoundUp4(static_cast<uint32_t>(n));
  if (new_top >= size_) return kStOutOfMemory;
  top_ = new_top;
  // The entry check comes after the move; a refused entry leaves the top
  // moved until the next release takes it back.
  if (current_ + 1 >= capacity_) {
    NoteHighWater();
    return kStOutOfMemory;
  }
  ++current_;
  char* p = data_.get() + start;
  // Written whole: the newest entry is often read back at once.
  StrPairStore(index_[current_], StrPair{p, static_cast<uint16_t>(n)});
  if (fill != kFillLeave && n) std::memset(p, fill, n);
  NoteHighWater();
  if (addr) *addr = p;
  return kOk;
}

Status ScratchArena::Copy(StrPair p) {
  if (!p.ok()) return StrError(p);
  char* dst;
  Status s = Reserve(p.len, kFillLeave, &dst);
  if (s) return s;
  if (p.len) std::memmove(dst, p.ptr, p.len);
  return kOk;
}

Status ScratchArena::Concat(StrPair a, StrPair b) {
  if (!a.ok()) return StrError(a);
  if (!b.ok()) return StrError(b);
  size_t n = size_t(a.len) + b.len;
  if (n > kMaxText) return kStStringTooLong;
  char* dst;
  Status s = Reserve(n, kFillLeave, &dst);
  if (s) return s;
  if (a.len) std::memmove(dst, a.ptr, a.len);
  if (b.len) std::memmove(dst + a.len, b.ptr, b.len);
  return kOk;
}

StrPair ScratchArena::Extend(uint16_t entry, StrPair more) {
  if (!more.ok()) return more;
  if (entry == 0 || entry > current_) return StrFail(kStInternal);
  ReleaseTo(entry);
  StrPair& e = index_[entry];
  const size_t n = size_t(e.len) + more.len;
  if (n > kMaxText) return StrFail(kStStringTooLong);
  const uint32_t new_top = uint32_t(e.ptr - data_.get()) + MemRoundUp4(static_cast<uint32_t>(n));
  if (new_top >= size_) return StrFail(kStOutOfMemory);
  if (more.len) std::memmove(const_cast<char*>(e.ptr) + e.len, more.ptr, more.len);
  const StrPair grown{e.ptr, static_cast<uint16_t>(n)};
  StrPairStore(e, grown);
  top_ = new_top;
  NoteHighWater();
  return grown;
}

bool ScratchArena::Prepend(uint16_t entry, StrPair front) {
  if (!front.ok() || entry == 0 || entry != current_) return false;
  StrPair& e = index_[entry];
  const uint32_t n = uint32_t(e.len) + front.len;
  if (n > kMaxText || top_ + MemRoundUp4(n) >= size_ || current_ + 1u >= capacity_) return false;
  char* p = const_cast<char*>(e.ptr);
  if (front.len && front.ptr < p + n && p < front.ptr + front.len) return false;
  if (e.len) std::memmove(p + front.len, p, e.len);
  if (front.len) std::memcpy(p, front.ptr, front.len);
  StrPairStore(e, StrPair{p, static_cast<uint16_t>(n)});
  top_ = uint32_t(p - data_.get()) + MemRoundUp4(n);
  NoteHighWater();
  return true;
}

StrPair ScratchArena::Keep(uint16_t mark, StrPair p) {
  if (p.ok() && mark < current_ && index_[mark + 1u].ptr == p.ptr && index_[mark + 1u].len == p.len) {
    // Already the entry directly above the mark.
    ReleaseTo(static_cast<uint16_t>(mark + 1));
    return p;
  }
  Mark(mark);
  if (!p.ok()) return p;
  // The copy is overlap-safe: the result usually lies in the released area,
  // at or above the new top, and is moved down.
  Status s = Copy(p);
  if (s) return StrFail(s);
  return Top();
}

Status ScratchArena::KeepMany(uint16_t mark, std::initializer_list<StrPair*> pairs) {
  for (int pass = 0; pass < 2; ++pass) {
    uint16_t c = current_;
    for (StrPair* p : pairs) {
      if (!p) break;
      Status s = Copy(*p);
      if (s) return s;
      *p = Top();
    }
    if (pass == 1 || c <= mark) break;
    // The first copies lie above everything released: copy them again,
    // now directly above the mark.
    Mark(mark);
  }
  return kOk;
}

Status ScratchArena::Check(uint16_t n) const {
  return uint32_t(capacity_) < uint32_t(current_) + n ? Status{kStOutOfMemory} : kOk;
}

uint32_t ScratchArena::FreeBytes() const {
  if (!data_ || top_ + 4 > size_) return 0;
  return size_ - top_ - 4;
}

StrPair ScratchArena::FreeArea() const {
  uint32_t n = FreeBytes();
  return StrPair{data_.get() + top_, static_cast<uint16_t>(n > kMaxText ? kMaxText : n)};
}

// --- the runtime's arena ---

static ScratchArena& A() { return Core().arena; }

uint16_t ScratchMark(int32_t m) { return A().Mark(m); }
Status ScratchReserve(size_t n, int fill) { return A().Reserve(n, fill); }
char* ScratchReserveAddr(size_t n, int fill) {
  char* p = nullptr;
  A().Reserve(n, fill, &p);
  return p;
}
Status ScratchCopy(StrPair p) { return A().Copy(p); }
Status ScratchConcat(StrPair a, StrPair b) { return A().Concat(a, b); }
StrPair ScratchTop() { return A().Top(); }
StrPair ScratchKeep(uint16_t mark, StrPair p) { return A().Keep(mark, p); }
Status ScratchKeepMany(uint16_t mark, std::initializer_list<StrPair*> pairs) {
  return A().KeepMany(mark, pairs);
}
Status ScratchCheck(uint16_t n) { return A().Check(n); }
StrPair ScratchFreeArea() { return A().FreeArea(); }
uint32_t ScratchFreeBytes() { return A().FreeBytes(); }
Status ScratchInit() { return A().Init(Core().mem.arena_kb); }
void ScratchTerm() { A().Term(); }

StrPair ScratchPair(StrPair p) {
  Status s = A().Copy(p);
  if (s) return StrFail(s);
  return A().Top();
}

StrPair ScratchText(std::string_view text) { return ScratchPair(StrMake(text.data(), text.size())); }

}  // namespace eng
