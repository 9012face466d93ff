#include "core/str_case.h"

#include <cstring>
#include <string>

#include "core/scratch_arena.h"
#include "core/str_emit.h"
#include "core/str_search.h"

namespace eng {

namespace {

bool InSet(StrPair set, char c) {
  if (!set.ok()) return false;
  // The sets are short (the blanks, a few characters): a plain scan costs
  // less than a library call per character.
  for (uint16_t i = 0; i < set.len; ++i)
    if (set.ptr[i] == c) return true;
  return false;
}

StrPair Emit(const std::string& s) { return StrEmit(s); }

constexpr StrPair kBlanks{" \t", 2};

}  // namespace

StrPair StrTrim(StrPair t, int flags) { return StrTrimSet(t, flags, kBlanks); }

StrPair StrTrimSet(StrPair t, int flags, StrPair set) {
  if (!t.ok()) return t;
  uint32_t b = 0, e = t.len;
  if (flags & 1)
    while (b < e && InSet(set, t.ptr[b])) ++b;
  if (flags & 2)
    while (e > b && InSet(set, t.ptr[e - 1])) --e;
  return StrPair{t.ptr + b, static_cast<uint16_t>(e - b)};
}

StrPair StrUnquote(StrPair t) {
  if (!t.ok() || t.len < 2) return t;
  char q = t.ptr[0];
  if (StrIsQuote(q) && t.ptr[t.len - 1] == q) return StrPair{t.ptr + 1, static_cast<uint16_t>(t.len - 2)};
  return t;
}

StrPair StrNormValue(StrPair t) {
  if (!t.ok()) return t;
  StrPair v = StrUnquote(StrTrim(t, 3));
  if (v.len != t.len) return v;
  return StrCase(t, 1);
}

StrPair StrCase(StrPair t, int flag) {
  if (!t.ok()) return t;
  Status s;
  char* p = StrEmitReserve(t.len, &s);
  if (!p) return StrFail(s);
  for (uint32_t i = 0; i < t.len; ++i) p[i] = flag == 1 ? AsciiUpper(t.ptr[i]) : AsciiLower(t.ptr[i]);
  return ScratchTop();
}

StrPair StrKeepSet(StrPair t, StrPair set) {
  if (!t.ok()) return t;
  std::string out;
  for (char c : t.view())
    if (InSet(set, c)) out += c;
  return Emit(out);
}

bool StrAllIn(StrPair t, StrPair set) {
  if (!t.ok()) return false;
  for (char c : t.view())
    if (!InSet(set, c)) return false;
  return true;
}

StrPair StrCollapse(StrPair t, char c, bool plain) {
  if (!t.ok()) return t;
  std::string out;
  std::string_view v = t.view();
  size_t i = 0;
  while (i < v.size()) {
    char x = v[i];
    if (!plain && StrIsQuote(x)) {
      // A quoted part (or the rest, when the quote is never closed) is kept.
      size_t close = v.find(x, i + 1);
      size_t end = close == std::string_view::npos ? v.size() : close + 1;
      out.append(v.substr(i, end - i));
      i = end;
      continue;
    }
    out += x;
    ++i;
    if (x == c)
      while (i < v.size() && v[i] == c) ++i;
  }
  return Emit(out);
}

StrPair StrTranslate(StrPair t, StrPair from, StrPair to) {
  if (!t.ok()) return t;
  if (!from.ok()) return from;
  if (!to.ok()) return to;
  std::string out(t.view());
  for (char& c : out) {
    const void* f = from.len ? std::memchr(from.ptr, c, from.len) : nullptr;
    if (!f) continue;
    size_t k = size_t(static_cast<const char*>(f) - from.ptr);
    if (k < to.len) c = to.ptr[k];
  }
  return Emit(out);
}

StrPair StrReplaceClasses(StrPair t, StrPair from, uint16_t width, StrPair to) {
  if (!t.ok()) return t;
  if (!from.ok()) return from;
  if (!to.ok()) return to;
  std::string out;
  std::string_view v = t.view();
  size_t groups = width ? from.len / width : 0;
  if (groups > to.len) groups = to.len;
  size_t i = 0;
  while (i < v.size()) {
    bool hit = false;
    for (size_t g = 0; g < groups; ++g) {
      std::string_view grp(from.ptr + g * width, width);
      if (v.substr(i, width) == grp) {
        out += to.ptr[g];
        i += width;
        hit = true;
        break;
      }
    }
    if (!hit) out += v[i++];
  }
  return Emit(out);
}

bool StrIsTrue(StrPair t) {
  if (!t.ok()) return false;
  static constexpr const char* kWords[] = {"YES", "SI", "Y", "S", "ON"};
  for (const char* w : kWords) {
    size_t n = std::strlen(w);
    if (n != t.len) continue;
    size_t i = 0;
    while (i < n && AsciiUpper(t.ptr[i]) == w[i]) ++i;
    if (i == n) return true;
  }
  return false;
}

int16_t StrToInt(StrPair t) {
  if (!t.ok()) return 0;
  if (StrIsTrue(t)) return 1;
  std::string_view v = t.view();
  size_t i = 0;
  while (i < v.size() && (v[i] == ' ' || (v[i] >= '\t' && v[i] <= '\r'))) ++i;
  bool neg = false;
  if (i < v.size() && (v[i] == '+' || v[i] == '-')) neg = v[i++] == '-';
  // Accumulated modulo 2^16, which is what the 16-bit result keeps.
  uint16_t n = 0;
  while (i < v.size() && v[i] >= '0' && v[i] <= '9') n = static_cast<uint16_t>(n * 10u + unsigned(v[i++] - '0'));
  if (neg) n = static_cast<uint16_t>(0u - n);
  return static_cast<int16_t>(n);
}

}  // namespace eng
