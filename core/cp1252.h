// Compile-time code page 1252 texts. Sources are UTF-8; the engine's built-in
// texts are code page 1252 bytes. Cp1252("Precaución ") is evaluated by the
// compiler into its code page 1252 bytes ("Precaución " is 11 bytes); a
// character that code page 1252 lacks makes the program ill-formed, so it
// fails to compile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/str_pair.h"

namespace eng {

namespace cp1252_detail {

// Code points of bytes 0x80-0x9F; 0 marks the five bytes the code page leaves undefined.
inline constexpr char32_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// Throwing inside a consteval evaluation is what turns a bad literal into a
// compile error.
consteval unsigned char Encode(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
  for (unsigned i = 0; i < 32; ++i)
    if (kHigh[i] == cp && cp != 0) return static_cast<unsigned char>(0x80 + i);
  throw "character not in code page 1252";
}

}  // namespace cp1252_detail

template <size_t N>
struct Cp1252Text {
  char bytes[N] = {};
  size_t len = 0;

  constexpr std::string_view view() const { return std::string_view(bytes, len); }
  constexpr StrPair pair() const { return StrPair{bytes, static_cast<uint16_t>(len)}; }
  constexpr operator std::string_view() const { return view(); }
};

template <size_t N>
consteval Cp1252Text<N> Cp1252(const char (&utf8)[N]) {
  Cp1252Text<N> out;
  size_t i = 0;
  while (i + 1 < N) {  // the literal's terminating NUL is not part of the text
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    char32_t cp;
    int extra;
    if (c < 0x80) { cp = c; extra = 0; }
    else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; extra = 1; }
    else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; extra = 2; }
    else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; extra = 3; }
    else throw "invalid UTF-8";
    if (i + extra + 1 >= N) throw "truncated UTF-8";
    for (int k = 1; k <= extra; ++k) {
      unsigned char cc = static_cast<unsigned char>(utf8[i + k]);
      if ((cc & 0xC0) != 0x80) throw "invalid UTF-8";
      cp = (cp << 6) | (cc & 0x3F);
    }
    out.bytes[out.len++] = static_cast<char>(cp1252_detail::Encode(cp));
    i += 1 + extra;
  }
  return out;
}

}  // namespace eng
