// StrPair: the engine's text value, a pointer and a 16-bit length, passed by
// value. Texts are byte strings in code page 1252; they are not NUL-terminated
// and may hold NUL bytes. A pair whose pointer is null is a failure and
// carries its status in the length (length 0 reads as 0xFFFF).
// A text never exceeds 65,535 bytes: building a longer one fails with 146.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/status.h"

namespace eng {

inline constexpr size_t kMaxText = 0xFFFF;

struct StrPair {
  const char* ptr = "";
  uint16_t len = 0;

  constexpr bool ok() const { return ptr != nullptr; }
  constexpr bool empty() const { return len == 0 || ptr == nullptr; }
  constexpr std::string_view view() const {
    return ptr ? std::string_view(ptr, len) : std::string_view();
  }
  std::string str() const { return std::string(view()); }
  constexpr unsigned char at(size_t i) const { return static_cast<unsigned char>(ptr[i]); }
  constexpr const char* begin() const { return ptr; }
  constexpr const char* end() const { return ptr ? ptr + len : ptr; }
};

// The failure pair carrying a status.
constexpr StrPair StrFail(Status s) { return StrPair{nullptr, s}; }

// The pair over n bytes; more than 65,535 bytes is (null, 146).
constexpr StrPair StrMake(const char* p, size_t n) {
  if (n > kMaxText) return StrFail(kStStringTooLong);
  return StrPair{p, static_cast<uint16_t>(n)};
}

// The pair over a NUL-terminated string; a null pointer gives (null, 163).
StrPair StrFromC(const char* s);

// A view over a string_view or std::string (which must outlive the pair).
inline StrPair StrOf(std::string_view v) { return StrMake(v.data(), v.size()); }

// 0 when the pointer is set, else the carried status (0xFFFF for length 0).
constexpr Status StrError(StrPair p) {
  if (p.ptr) return kOk;
  return p.len ? p.len : 0xFFFF;
}

inline bool operator==(StrPair a, std::string_view b) { return a.ok() && a.view() == b; }

}  // namespace eng
