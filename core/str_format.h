// StrFormat: the engine's own formatter over typed arguments. Formats may come
// from replaceable message texts, so nothing in a format can reach memory:
//   %s  a text (an integer argument is written in decimal)
//   %i, %d  an integer (a text argument is written as it stands)
//   flags "-" (left-justify) and "0" (pad numbers with zeros), a width and a
//   precision (".n": at most n bytes of a text, at least n digits of a number)
//   %%  a percent sign
// A missing argument formats as the empty text; any other conversion
// (%n, %x, %p, ...) is copied as it stands and takes no argument.
// The result is the newest scratch entry; one longer than `limit` bytes fails
// with (null, 146), recorded under module 16. At most limit + 1 bytes are
// ever written.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "core/str_pair.h"

namespace eng {

struct FmtArg {
  bool is_text = false;
  int64_t num = 0;
  StrPair text{};

  constexpr FmtArg(int v) : num(v) {}
  constexpr FmtArg(long v) : num(v) {}
  constexpr FmtArg(long long v) : num(v) {}
  constexpr FmtArg(unsigned v) : num(v) {}
  // Values above the signed 64-bit range are written as their two's complement.
  constexpr FmtArg(unsigned long v) : num(static_cast<int64_t>(v)) {}
  constexpr FmtArg(unsigned long long v) : num(static_cast<int64_t>(v)) {}
  constexpr FmtArg(StrPair v) : is_text(true), text(v) {}
  FmtArg(std::string_view v) : is_text(true), text(StrOf(v)) {}
  FmtArg(const char* v) : is_text(true), text(StrFromC(v)) {}
};

StrPair StrFormat(uint16_t limit, StrPair format, std::initializer_list<FmtArg> args);

}  // namespace eng
