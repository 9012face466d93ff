#include "core/str_keys.h"

#include <string>

#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/str_case.h"
#include "core/str_emit.h"

namespace eng {

namespace {

constexpr StrPair kKeyEnds{": &/", 4};

bool StartsItem(StrPair text, uint16_t pos, bool plain) {
  if (pos == 0) return true;
  char c = text.ptr[pos - 1];
  if (plain) return c == '\0';
  return c == ':' || c == ' ' || c == '&' || c == '/';
}

StrSpan Locate(StrPair text, StrPair name, char mark, bool plain) {
  std::string pattern(name.view());
  pattern += mark;
  StrPair pat = StrMake(pattern.data(), pattern.size());
  if (!pat.ok()) return {};
  uint32_t from = 0;
  while (from < text.len) {
    uint16_t p = StrFindFrom(text, static_cast<uint16_t>(from), pat, plain);
    if (p == kNotFound) return {};
    if (StartsItem(text, p, plain)) {
      uint32_t start = uint32_t(p) + pat.len;
      if (mark == ':' && start < text.len && text.ptr[start] == '=') ++start;
      uint16_t e = start < text.len ? (plain ? StrFindByteFrom(text, static_cast<uint16_t>(start), '\0')
                                             : StrFindAnyFrom(text, static_cast<uint16_t>(start), kKeyEnds, false))
                                    : kNotFound;
      uint32_t end = e == kNotFound ? text.len : e;
      return StrSpan{static_cast<uint16_t>(start), static_cast<uint16_t>(end - start)};
    }
    from = uint32_t(p) + 1;
  }
  return {};
}

}  // namespace

StrSpan StrKeyLocate(StrPair text, StrPair name, int flags) {
  if (!text.ok() || !name.ok() || name.len == 0) return {};
  bool plain = flags & kKeyPlain;
  StrSpan s = Locate(text, name, ':', plain);
  if (!s.found()) s = Locate(text, name, '=', plain);
  return s;
}

StrPair StrKeyFind(StrPair text, StrPair name) {
  StrSpan s = StrKeyLocate(text, name, 0);
  if (!s.found()) return StrFail(kStLowFailure);
  StrPair v{text.ptr + s.pos, s.len};
  if (StrFindChar(name, '%', true) == kNotFound) v = StrUnquote(v);
  return StrCopy(v);
}

StrPair StrKeyGetMode(StrPair text, StrPair name, int flags) {
  if (!text.ok()) return text;
  StrSpan s = StrKeyLocate(text, name, flags);
  if (!s.found()) return StrPair{};
  StrPair v{text.ptr + s.pos, s.len};
  switch (flags & 3) {
    case kKeyUnquoted: return StrUnquote(v);
    case kKeyNormalised: return StrNormValue(v);
    default: return v;
  }
}

StrPair StrKeyGet(StrPair text, StrPair name) { return StrKeyGetMode(text, name, kKeyNormalised); }

StrPair StrJoinKeyValue(StrPair name, StrPair value) {
  if (!name.ok()) return name;
  if (!value.ok()) return value;
  if (name.len == 0 || value.len == 0) return StrFail(kStDataError);
  std::string s(name.view());
  s += '=';
  s.append(value.view());
  return StrEmit(s);
}

}  // namespace eng
