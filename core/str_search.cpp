#include "core/str_search.h"

#include <cstring>

namespace eng {

namespace {

bool InSet(StrPair set, char c) {
  return set.ok() && set.len && std::memchr(set.ptr, c, set.len) != nullptr;
}

// The walk behind every search: the first position from `start` whose
// character satisfies `hit`, skipping quoted parts unless plain.
template <class Hit>
uint16_t FindIf(StrPair t, uint32_t start, bool plain, Hit hit) {
  if (!t.ok()) return kNotFound;
  uint32_t i = start;
  while (i < t.len) {
    char c = t.ptr[i];
    if (!plain && StrIsQuote(c)) {
      const void* q = i + 1 < t.len ? std::memchr(t.ptr + i + 1, c, t.len - i - 1) : nullptr;
      if (!q) return kNotFound;
      i = uint32_t(static_cast<const char*>(q) - t.ptr) + 1;
      continue;
    }
    if (hit(c)) return static_cast<uint16_t>(i);
    ++i;
  }
  return kNotFound;
}

}  // namespace

uint16_t StrFindChar(StrPair t, char c, bool plain) { return StrFindCharFrom(t, 0, c, plain); }

uint16_t StrFindCharFrom(StrPair t, uint16_t start, char c, bool plain) {
  return FindIf(t, start, plain, [c](char x) { return x == c; });
}

uint16_t StrFindUnquoted(StrPair t, uint16_t start, char c) { return StrFindCharFrom(t, start, c, false); }

uint16_t StrFindByteFrom(StrPair t, uint16_t start, char c) { return StrFindCharFrom(t, start, c, true); }

uint16_t StrFindAny(StrPair t, StrPair set, bool plain) { return StrFindAnyFrom(t, 0, set, plain); }

uint16_t StrFindAnyFrom(StrPair t, uint16_t start, StrPair set, bool plain) {
  return FindIf(t, start, plain, [set](char x) { return InSet(set, x); });
}

uint16_t StrFind(StrPair t, StrPair needle, bool plain) { return StrFindFrom(t, 0, needle, plain); }

uint16_t StrFindFrom(StrPair t, uint16_t start, StrPair needle, bool plain) {
  if (!t.ok() || !needle.ok() || needle.len == 0 || needle.len > t.len) return kNotFound;
  // Only positions where the needle still fits are candidates.
  StrPair room{t.ptr, static_cast<uint16_t>(t.len - needle.len + 1)};
  uint32_t from = start;
  for (;;) {
    uint16_t p = StrFindCharFrom(room, static_cast<uint16_t>(from < room.len ? from : room.len), needle.ptr[0], plain);
    if (p == kNotFound) return kNotFound;
    if (std::memcmp(t.ptr + p + 1, needle.ptr + 1, needle.len - 1u) == 0) return p;
    from = uint32_t(p) + 1;
  }
}

uint16_t StrFindLastOf(StrPair t, StrPair pattern, bool plain, int kind) {
  if (!t.ok() || !pattern.ok()) return kNotFound;
  uint16_t last = kNotFound;
  uint32_t from = 0;
  for (;;) {
    uint16_t p = kNotFound;
    if (from < t.len) {
      if (kind == 0) {
        p = StrFindAnyFrom(t, static_cast<uint16_t>(from), pattern, plain);
      } else if (kind == 1) {
        if (pattern.len == 0) return kNotFound;
        p = StrFindCharFrom(t, static_cast<uint16_t>(from), pattern.ptr[0], plain);
      } else {
        p = StrFindFrom(t, static_cast<uint16_t>(from), pattern, plain);
      }
    }
    if (p == kNotFound) return last;
    last = p;
    from = uint32_t(p) + 1;
  }
}

uint16_t StrFindLast(StrPair t, StrPair needle, bool plain) { return StrFindLastOf(t, needle, plain, 2); }

uint16_t StrFindLastChar(StrPair t, char c, bool plain) { return StrFindLastOf(t, StrPair{&c, 1}, plain, 1); }

uint16_t StrFindNul(StrPair t) { return StrFindCharFrom(t, 0, '\0', true); }

StrSpan StrFindInnermost(StrPair t, bool plain, char open, char close) {
  uint16_t c = StrFindCharFrom(t, 0, close, plain);
  if (c == kNotFound) return {};
  StrPair before{t.ptr, c};
  uint16_t o = StrFindLastChar(before, open, plain);
  if (o == kNotFound) return {};
  return StrSpan{static_cast<uint16_t>(o + 1), static_cast<uint16_t>(c - o - 1)};
}

uint16_t MemFindItem(const void* array, uint16_t n, const void* item, uint16_t width) {
  if (!array || !item || width == 0) return kNotFound;
  const char* a = static_cast<const char*>(array);
  for (uint32_t i = 0; i < n; ++i)
    if (std::memcmp(a + size_t(i) * width, item, width) == 0) return static_cast<uint16_t>(i);
  return kNotFound;
}

uint16_t MemFindZero16(const uint16_t* array, uint16_t n) {
  if (!array) return kNotFound;
  for (uint32_t i = 0; i < n; ++i)
    if (array[i] == 0) return static_cast<uint16_t>(i);
  return kNotFound;
}

uint16_t MemFindZero32(const uint32_t* array, uint16_t n) {
  if (!array) return kNotFound;
  for (uint32_t i = 0; i < n; ++i)
    if (array[i] == 0) return static_cast<uint16_t>(i);
  return kNotFound;
}

size_t StrFindTopLevel(std::string_view t, size_t from, std::string_view seps) {
  int depth = 0;
  for (size_t i = from; i < t.size(); ++i) {
    const char c = t[i];
    if (StrIsQuote(c)) {
      const size_t q = t.find(c, i + 1);
      if (q == std::string_view::npos) return std::string_view::npos;
      i = q;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (depth > 0) --depth;
    } else if (depth == 0 && seps.find(c) != std::string_view::npos) {
      return i;
    }
  }
  return std::string_view::npos;
}

}  // namespace eng
