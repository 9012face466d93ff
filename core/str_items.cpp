#include "core/str_items.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "core/scratch_arena.h"
#include "core/str_emit.h"
#include "core/str_case.h"

namespace eng {

namespace {

uint16_t NextSep(StrPair list, uint32_t from, char sep) {
  if (from >= list.len) return kNotFound;
  return StrFindCharFrom(list, static_cast<uint16_t>(from), sep, sep == '\0');
}

StrPair At(StrPair list, StrSpan s) {
  if (!s.found()) return StrPair{};
  return StrPair{list.ptr + s.pos, s.len};
}

StrPair Emit(const std::string& s) { return StrEmit(s); }

// Leading blanks, a sign and digits, saturating at the 64-bit range.
int64_t ReadInt64(std::string_view v) {
  size_t i = 0;
  while (i < v.size() && (v[i] == ' ' || v[i] == '\t')) ++i;
  bool neg = false;
  if (i < v.size() && (v[i] == '+' || v[i] == '-')) neg = v[i++] == '-';
  uint64_t n = 0;
  constexpr uint64_t kCap = uint64_t(INT64_MAX) + 1;
  while (i < v.size() && v[i] >= '0' && v[i] <= '9') {
    n = n * 10 + unsigned(v[i++] - '0');
    if (n > kCap) n = kCap;
  }
  if (neg) return n >= kCap ? INT64_MIN : -int64_t(n);
  return n >= kCap ? INT64_MAX : int64_t(n);
}

}  // namespace

StrSpan StrItemSpan(StrPair list, char sep, uint16_t n) {
  if (!list.ok() || n == 0 || list.len == 0) return {};
  uint32_t start = 0;
  for (uint32_t i = 1; i < n; ++i) {
    uint16_t p = NextSep(list, start, sep);
    if (p == kNotFound) return {};
    start = uint32_t(p) + 1;
  }
  uint16_t e = NextSep(list, start, sep);
  uint32_t end = e == kNotFound ? list.len : e;
  return StrSpan{static_cast<uint16_t>(start), static_cast<uint16_t>(end - start)};
}

StrPair StrItem(StrPair list, char sep, uint16_t n) {
  if (!list.ok()) return list;
  return At(list, StrItemSpan(list, sep, n));
}

uint16_t StrItemCount(StrPair list, char sep) {
  if (!list.ok() || list.len == 0) return 0;
  uint32_t count = 1, start = 0;
  for (;;) {
    uint16_t p = NextSep(list, start, sep);
    if (p == kNotFound) break;
    ++count;
    start = uint32_t(p) + 1;
  }
  // 65,535 bytes hold at most 65,536 items; the count saturates.
  return static_cast<uint16_t>(count > 0xFFFF ? 0xFFFF : count);
}

uint16_t StrItemEnd(StrPair list, char sep) {
  if (!list.ok()) return 0;
  uint16_t p = NextSep(list, 0, sep);
  return p == kNotFound ? list.len : p;
}

StrPair StrItemRest(StrPair list, char sep) {
  if (!list.ok()) return list;
  uint16_t p = NextSep(list, 0, sep);
  if (p == kNotFound) return StrPair{};
  return StrPair{list.ptr + p + 1, static_cast<uint16_t>(list.len - p - 1)};
}

int16_t StrItemInt(StrPair list, char sep, uint16_t n) {
  ScratchScope scope;
  return StrToInt(StrNormValue(StrItem(list, sep, n)));
}

uint16_t StrItemIndex(StrPair list, StrPair value, char sep) {
  if (!list.ok() || !value.ok() || value.len > list.len) return 0;
  uint16_t count = StrItemCount(list, sep);
  uint32_t start = 0;
  for (uint32_t i = 1; i <= count; ++i) {
    uint16_t p = NextSep(list, start, sep);
    uint32_t end = p == kNotFound ? list.len : p;
    if (end - start == value.len && std::memcmp(list.ptr + start, value.ptr, value.len) == 0)
      return static_cast<uint16_t>(i);
    if (p == kNotFound) break;
    start = end + 1;
  }
  return 0;
}

uint16_t StrItemMaxLen(StrPair list, char sep, int mode) {
  if (!list.ok() || list.len == 0) return 0;
  uint16_t best = mode == 1 ? 0xFFFF : 0;
  uint32_t start = 0;
  for (;;) {
    uint16_t p = NextSep(list, start, sep);
    uint32_t end = p == kNotFound ? list.len : p;
    uint16_t len = StrUnquote(StrPair{list.ptr + start, static_cast<uint16_t>(end - start)}).len;
    if (mode == 1 ? len < best : len > best) best = len;
    if (p == kNotFound) break;
    start = end + 1;
  }
  return best;
}

StrPair StrItemSetPair(StrPair list, StrPair text, char sep, int32_t n) {
  if (!list.ok()) return list;
  if (!text.ok()) return text;
  uint16_t count = StrItemCount(list, sep);
  std::string out(list.view());
  if (n < 0) {
    int32_t k = -n;
    if (k > count) return StrEmit(list.view());
    StrSpan s = StrItemSpan(list, sep, static_cast<uint16_t>(k));
    if (count == 1) out.clear();
    else if (k < count) out.erase(s.pos, size_t(s.len) + 1);  // the item and the separator after it
    else out.erase(s.pos - 1u, size_t(s.len) + 1);            // the last item and the separator before it
  } else if (n == 0 || n > count) {
    // Missing items are created empty; n = 0 adds one new last item.
    uint32_t seps = n == 0 ? (count ? 1u : 0u) : uint32_t(n) - count - (count ? 0u : 1u);
    if (seps > kMaxText) return StrFail(kStStringTooLong);
    out.append(seps, sep);
    out.append(text.view());
  } else {
    StrSpan s = StrItemSpan(list, sep, static_cast<uint16_t>(n));
    out.replace(s.pos, s.len, text.view());
  }
  return Emit(out);
}

Status StrItemSet(StrPair list, StrPair text, char sep, int32_t n) {
  return StrError(StrItemSetPair(list, text, sep, n));
}

PairArray StrSplit(StrPair list, char sep) {
  if (!list.ok()) return {};
  uint16_t count = StrItemCount(list, sep);
  PairArray a = StrArrayNew(count);
  if (!a.items) return a;
  uint32_t start = 0;
  for (uint32_t i = 0; i < count; ++i) {
    uint16_t p = NextSep(list, start, sep);
    uint32_t end = p == kNotFound ? list.len : p;
    a.items[i] = StrPair{list.ptr + start, static_cast<uint16_t>(end - start)};
    start = end + 1;
  }
  return a;
}

PairArray StrArrayNew(uint16_t n) {
  // Entries start on 4-byte boundaries; the pairs need their own alignment.
  constexpr size_t kAlign = alignof(StrPair);
  size_t bytes = size_t(n) * sizeof(StrPair) + kAlign;
  if (bytes > kMaxText) return {};
  Status s;
  char* raw = StrEmitReserve(bytes, &s);
  if (!raw) return {};
  uintptr_t a = (reinterpret_cast<uintptr_t>(raw) + kAlign - 1) & ~uintptr_t(kAlign - 1);
  StrPair* items = reinterpret_cast<StrPair*>(a);
  for (uint32_t i = 0; i < n; ++i) new (items + i) StrPair{};
  return PairArray{n, items};
}

void StrArraySet(PairArray a, uint16_t i, StrPair p) {
  if (a.items && i < a.count) a.items[i] = p;
}

StrPair StrArrayGet(PairArray a, uint16_t n) {
  if (!a.items || n == 0 || n > a.count) return StrPair{};
  return a.items[n - 1];
}

StrPair StrListMerge(StrPair first, char sep1, StrPair second, char sep2, int flags, StrPair joiner) {
  if (!first.ok()) return first;
  if (!second.ok()) return second;
  if (!joiner.ok()) return joiner;
  std::string out;
  if (!(flags & 1)) out.assign(first.view());
  uint16_t count = StrItemCount(second, sep2);
  for (uint32_t i = 1; i <= count; ++i) {
    StrPair item = StrItem(second, sep2, static_cast<uint16_t>(i));
    bool contained = StrItemIndex(first, item, sep1) != 0;
    if (contained != bool(flags & 2)) continue;
    if (!out.empty()) out.append(joiner.view());
    out.append(item.view());
    if (out.size() > kMaxText) return StrFail(kStStringTooLong);
  }
  return Emit(out);
}

StrPair StrListUnion(StrPair first, StrPair second) {
  return StrListMerge(first, ',', second, ',', 0, StrPair{",", 1});
}

StrPair StrListMinus(StrPair first, StrPair second) {
  return StrListMerge(second, ',', first, ',', 1, StrPair{",", 1});
}

bool StrInRange(StrPair range, int64_t value) {
  if (!range.ok() || range.len == 0) return false;
  uint16_t a = StrFindChar(range, '-', true);
  uint16_t b = StrFindLastChar(range, '-', true);
  std::string_view v = range.view();
  int64_t lo = ReadInt64(a == kNotFound ? v : v.substr(0, a));
  int64_t hi = ReadInt64(b == kNotFound ? v : v.substr(b + 1u));
  return value >= lo && value <= hi;
}

uint16_t StrRangeIndex(StrPair list, int64_t value) {
  uint16_t count = StrItemCount(list, ',');
  for (uint32_t i = 1; i <= count; ++i)
    if (StrInRange(StrItem(list, ',', static_cast<uint16_t>(i)), value)) return static_cast<uint16_t>(i);
  return 0;
}

}  // namespace eng
