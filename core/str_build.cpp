#include "core/str_build.h"

#include <cstring>
#include <string>

#include "core/err_register.h"
#include "core/scratch_arena.h"
#include "core/str_emit.h"
#include "core/str_search.h"

namespace eng {

namespace {

StrPair Emit(const std::string& s) { return StrEmit(s); }

// A position that may count from the end, clipped to 0..len.
uint32_t ClipStart(int32_t pos, uint16_t len) {
  if (pos < 0) {
    int32_t p = int32_t(len) + pos;
    return p < 0 ? 0u : uint32_t(p);
  }
  return uint32_t(pos) > len ? len : uint32_t(pos);
}

}  // namespace

StrPair StrCopy(StrPair t) { return t.ok() ? StrEmit(t.view()) : t; }

StrPair StrConcat(StrPair a, StrPair b) {
  if (!a.ok()) return a;
  if (!b.ok()) return b;
  if (size_t(a.len) + b.len > kMaxText) return StrFail(kStStringTooLong);
  Status s;
  char* p = StrEmitReserve(size_t(a.len) + b.len, &s);
  if (!p) return StrFail(s);
  if (a.len) std::memmove(p, a.ptr, a.len);
  if (b.len) std::memmove(p + a.len, b.ptr, b.len);
  return ScratchTop();
}

StrPair StrJoin(StrPair a, StrPair sep, StrPair b) {
  if (!a.ok()) return a;
  if (!sep.ok()) return sep;
  if (!b.ok()) return b;
  if (a.len == 0 || b.len == 0) return StrConcat(a, b);
  std::string s(a.view());
  s.append(sep.view());
  s.append(b.view());
  return Emit(s);
}

StrPair StrOr(StrPair a, StrPair b) {
  if (!a.ok()) return a;
  return a.len ? a : b;
}

StrPair StrSub(StrPair t, int32_t start, uint16_t len) {
  if (!t.ok()) return t;
  uint32_t b = ClipStart(start, t.len);
  uint32_t room = t.len - b;
  uint32_t n = len == 0xFFFF || len > room ? room : len;
  return StrPair{t.ptr + b, static_cast<uint16_t>(n)};
}

StrPair StrRepeat(StrPair t, uint16_t n) {
  if (!t.ok()) return t;
  size_t total = size_t(t.len) * n;
  if (total > kMaxText) return StrFail(kStStringTooLong);
  Status s;
  char* p = StrEmitReserve(total, &s);
  if (!p) return StrFail(s);
  for (uint32_t i = 0; i < n; ++i) std::memcpy(p + size_t(i) * t.len, t.ptr, t.len);
  return ScratchTop();
}

StrPair StrChar(char c) { return StrEmit(std::string_view(&c, 1)); }

StrPair StrFromCCopy(const char* s) { return StrCopy(StrFromC(s)); }

const char* StrToC(StrPair t) {
  if (!t.ok()) return "";
  Status s;
  char* p = StrEmitReserve(size_t(t.len) + 1, &s);
  if (!p) return "";
  std::memcpy(p, t.ptr, t.len);
  p[t.len] = '\0';
  return p;
}

const char* StrAsCString(StrPair t) { return StrToC(t); }

StrPair StrQuote(StrPair t) {
  if (!t.ok()) return t;
  char q;
  if (StrFindChar(t, '\'', true) == kNotFound) q = '\'';
  else if (StrFindChar(t, '"', true) == kNotFound) q = '"';
  else return StrFail(kStDataError);
  return StrEnclose(t, q);
}

char StrBracketPartner(char c) {
  static constexpr char kPairs[] = "[](){}<>";
  for (int i = 0; i < 8; i += 2)
    if (kPairs[i] == c) return kPairs[i + 1];
  return c;
}

StrPair StrEnclose(StrPair t, char opener) {
  if (!t.ok()) return t;
  std::string s(1, opener);
  s.append(t.view());
  s += StrBracketPartner(opener);
  return Emit(s);
}

StrPair StrBracketInner(StrPair t, char opener, bool plain) {
  if (!t.ok()) return t;
  // Quotes used as brackets cannot be found by the quote rule.
  if (StrIsQuote(opener)) plain = true;
  char closer = StrBracketPartner(opener);
  uint16_t o = StrFindCharFrom(t, 0, opener, plain);
  if (o == kNotFound) return StrPair{};
  int depth = 1;
  uint32_t i = uint32_t(o) + 1;
  while (i < t.len) {
    char c = t.ptr[i];
    if (!plain && StrIsQuote(c)) {
      uint16_t q = StrFindByteFrom(t, static_cast<uint16_t>(i + 1), c);
      if (q == kNotFound) break;
      i = uint32_t(q) + 1;
      continue;
    }
    if (c == closer) {
      if (--depth == 0) return StrPair{t.ptr + o + 1, static_cast<uint16_t>(i - o - 1)};
    } else if (c == opener) {
      ++depth;
    }
    ++i;
  }
  return StrPair{};
}

bool StrIsBracketed(StrPair t, char opener) {
  return t.ok() && t.len > 1 && t.ptr[0] == opener && t.ptr[t.len - 1] == StrBracketPartner(opener);
}

Status StrReplaceAllStatus(StrPair t, StrPair find, StrPair repl, bool plain) {
  if (!t.ok()) return StrError(t);
  if (!find.ok()) return StrError(find);
  if (!repl.ok()) return StrError(repl);
  if (find.len == 1 && StrIsQuote(find.ptr[0])) plain = true;
  std::string out;
  uint32_t from = 0;
  while (from < t.len && find.len) {
    uint16_t p = StrFindFrom(t, static_cast<uint16_t>(from), find, plain);
    if (p == kNotFound) break;
    out.append(t.ptr + from, p - from);
    out.append(repl.view());
    if (out.size() > kMaxText) return kStStringTooLong;
    from = uint32_t(p) + find.len;
  }
  if (from < t.len) out.append(t.ptr + from, t.len - from);
  return StrError(Emit(out));
}

StrPair StrReplaceAll(StrPair t, StrPair find, StrPair repl, bool plain) {
  if (!t.ok()) return t;
  if (!find.ok()) return find;
  if (!repl.ok()) return repl;
  Status s = StrReplaceAllStatus(t, find, repl, plain);
  if (s) return StrFail(ErrRecord(kModStrConcat, kStMemTest));
  return ScratchTop();
}

uint16_t StrCountOf(StrPair t, StrPair find, bool plain) {
  if (!t.ok() || !find.ok() || find.len == 0) return 0;
  uint16_t n = 0;
  uint32_t from = 0;
  while (from < t.len) {
    uint16_t p = StrFindFrom(t, static_cast<uint16_t>(from), find, plain);
    if (p == kNotFound) break;
    ++n;
    from = uint32_t(p) + find.len;
  }
  return n;
}

StrPair StrOverwrite(StrPair t, int32_t pos, StrPair bytes) {
  if (!t.ok()) return t;
  if (!bytes.ok()) return bytes;
  StrPair copy = StrCopy(t);
  if (!copy.ok()) return copy;
  Status s = StrPutAt(copy, pos, bytes);
  return s ? StrFail(s) : copy;
}

Status StrPutAt(StrPair target, int32_t pos, StrPair bytes) {
  if (!target.ok()) return StrError(target);
  if (!bytes.ok()) return StrError(bytes);
  uint32_t b = ClipStart(pos, target.len);
  uint32_t n = target.len - b;
  if (bytes.len < n) n = bytes.len;
  // The target is the caller's own writable text.
  if (n) std::memmove(const_cast<char*>(target.ptr) + b, bytes.ptr, n);
  return kOk;
}

Status StrWriteAt(StrPair target, uint16_t pos, StrPair bytes) { return StrPutAt(target, pos, bytes); }

StrPair StrAppendInPlace(StrPair t, char* buffer, uint16_t n, size_t capacity) {
  if (!t.ok()) return t;
  if (!buffer) return StrFail(kStStrOutBound);
  size_t total = size_t(n) + t.len;
  if (total > capacity || total > kMaxText) return StrFail(kStDataOutBound);
  if (t.len) std::memmove(buffer + n, t.ptr, t.len);
  return StrPair{buffer, static_cast<uint16_t>(total)};
}

size_t StrCLenPlus(const char* s, size_t n) { return (s ? std::strlen(s) : 0) + n; }

}  // namespace eng
