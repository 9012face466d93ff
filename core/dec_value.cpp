#include "core/dec_value.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "core/num_text.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/sys_vars.h"

namespace eng {

namespace {

// Two's-complement arithmetic without undefined behaviour.
int64_t WrapMul(int64_t a, uint64_t b) { return static_cast<int64_t>(static_cast<uint64_t>(a) * b); }
uint64_t Magnitude(int64_t v) { return v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v); }
int64_t Signed(uint64_t mag, bool negative) {
  return static_cast<int64_t>(negative ? 0 - mag : mag);
}

int ClampDecimals(int n) { return std::clamp(n, 0, kDecMaxDecimals); }

// Rounds |a| / divisor half away from zero and gives it the sign asked for.
inline int64_t DivRoundMag(uint64_t ua, uint64_t ub, bool negative) {
  uint64_t q = ua / ub;
  uint64_t r = ua % ub;
  if (r >= ub - r) ++q;  // twice the remainder reaches the divisor
  return Signed(q, negative);
}

// Writes the digits of a magnitude backwards from `end`; returns the start.
char* WriteDigits(uint64_t mag, char* end, unsigned radix) {
  char* p = end;
  do {
    unsigned d = static_cast<unsigned>(mag % radix);
    *--p = static_cast<char>(d < 10 ? '0' + d : 'A' + (d - 10));
    mag /= radix;
  } while (mag);
  return p;
}

}  // namespace

// --- 16-bit integers ---------------------------------------------------------

StrPair NumToRadix(int16_t value, char* buffer, int radix) {
  if (radix < 2 || radix > 36) radix = 10;
  char tmp[kNumBufSize];
  char* end = tmp + sizeof tmp;
  char* p = WriteDigits(Magnitude(value), end, static_cast<unsigned>(radix));
  if (value < 0) *--p = '-';
  size_t n = static_cast<size_t>(end - p);
  std::memcpy(buffer, p, n);
  return StrMake(buffer, n);
}

StrPair NumToTextIn(int16_t value, char* buffer) { return NumToRadix(value, buffer, 10); }

StrPair NumPad(int16_t value, uint16_t width, char fill, char* buffer) {
  char digits[kNumBufSize];
  StrPair t = NumToTextIn(value, digits);
  size_t pad = width > t.len ? width - t.len : 0;
  std::memset(buffer, fill, pad);
  std::memcpy(buffer + pad, t.ptr, t.len);
  return StrMake(buffer, pad + t.len);
}

StrPair NumToText(int16_t value) {
  char buf[kNumBufSize];
  StrPair t = NumToTextIn(value, buf);
  return ScratchPair(t);
}

int16_t NumPow10(int n) {
  uint16_t v = 1;
  for (int i = 0; i < n; ++i) v = static_cast<uint16_t>(v * 10u);
  return static_cast<int16_t>(v);
}

int64_t NumParse(StrPair text) {
  if (!text.ok()) return 0;
  size_t i = 0, n = text.len;
  auto space = [](unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (i < n && space(text.at(i))) ++i;
  bool neg = false;
  if (i < n && (text.at(i) == '-' || text.at(i) == '+')) neg = text.at(i++) == '-';
  uint64_t limit = neg ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
  uint64_t v = 0;
  bool saturated = false;
  for (; i < n && text.at(i) >= '0' && text.at(i) <= '9'; ++i) {
    unsigned d = text.at(i) - '0';
    if (saturated || v > (limit - d) / 10) {
      saturated = true;
      continue;
    }
    v = v * 10 + d;
  }
  if (saturated) v = limit;
  return Signed(v, neg);
}

// --- 64-bit values -------------------------------------------------------------

int64_t NumAccValue() {
  StrPair top = ScratchTop();
  if (!top.ok() || top.len == 0) return 0;
  if (top.len != kDecEntryBytes) return -1;
  uint64_t v = 0;
  for (int i = kDecEntryBytes - 1; i >= 0; --i) v = (v << 8) | top.at(static_cast<size_t>(i));
  return static_cast<int64_t>(v);
}

NumQuotRem NumDivMod(int64_t a, int64_t b) {
  if (b == 0) return {0, 0};
  uint64_t ua = Magnitude(a), ub = Magnitude(b);
  return {Signed(ua / ub, (a < 0) != (b < 0)), ua % ub};
}

int64_t NumDivRound(int64_t a, int64_t b) {
  if (b == 0) return 0;
  return DivRoundMag(Magnitude(a), Magnitude(b), (a < 0) != (b < 0));
}

int64_t NumRoundDecimals(int64_t value, int c, int d) {
  if (d > c) return WrapMul(value, DecPow10(std::min(d - c, 19)));
  if (d == c) return value;
  int k = c - d;
  if (k > 19) return 0;  // no 64-bit value reaches half of 10^20
  uint64_t p = DecPow10(k);
  int64_t q = DivRoundMag(Magnitude(value), p, value < 0);
  return WrapMul(q, p);
}

// --- Decimal values -------------------------------------------------------------

int DecPrecis() { return ClampDecimals(SysVarGet(kVarPrecis)); }

uint64_t DecPow10(int n) {
  uint64_t v = 1;
  for (int i = 0; i < n && i < 19; ++i) v *= 10;
  return v;
}

StrPair DecFormat(int64_t value, int n) {
  if (n < 0) n = 0;
  char tmp[kNumBufSize];
  char* end = tmp + sizeof tmp;
  char* p = WriteDigits(Magnitude(value), end, 10);
  std::string digits(p, end);
  if (digits.size() < static_cast<size_t>(n)) digits.insert(0, static_cast<size_t>(n) - digits.size(), '0');
  while (n > 0 && digits.back() == '0') {
    digits.pop_back();
    --n;
  }
  std::string out;
  if (value < 0) out += '-';
  out.append(digits, 0, digits.size() - static_cast<size_t>(n));
  if (n > 0) {
    out += '.';
    out.append(digits, digits.size() - static_cast<size_t>(n), std::string::npos);
  }
  return ScratchText(out);
}

StrPair DecToText(DecValue value) { return DecFormat(value, DecPrecis()); }
StrPair DecIntToText(int64_t value) { return DecFormat(value, 0); }

DecValue DecFromInt(int16_t value) { return WrapMul(value, DecPow10(DecPrecis())); }

DecValue DecFromIntText(StrPair text) {
  if (!text.ok()) return 0;
  return DecFromInt(StrToInt(text));
}

DecValue DecFromInt64(int64_t value) {
  ScratchScope scope;
  return DecFromText(DecIntToText(value));
}

DecValue DecDivPow10(DecValue value, int n) {
  if (n <= 0) return value;
  if (n > 19) return 0;  // no 64-bit value reaches half of 10^20
  // The scales _PRECIS allows, each with a constant divisor (a multiply,
  // not a division); the rest as they come.
  const uint64_t mag = Magnitude(value);
  const bool negative = value < 0;
  switch (n) {
    case 1: return DivRoundMag(mag, 10, negative);
    case 2: return DivRoundMag(mag, 100, negative);
    case 3: return DivRoundMag(mag, 1000, negative);
    case 4: return DivRoundMag(mag, 10000, negative);
    default: return DivRoundMag(mag, DecPow10(n), negative);
  }
}

DecValue DecMulPow10(DecValue value, int n) { return WrapMul(value, DecPow10(ClampDecimals(n))); }

StrPair DecStoreValue(DecValue value) {
  char bytes[kDecEntryBytes];
  uint64_t v = static_cast<uint64_t>(value);
  for (int i = 0; i < kDecEntryBytes; ++i) bytes[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return ScratchPair(StrMake(bytes, kDecEntryBytes));
}

StrPair DecIntToValue(int64_t value) { return DecStoreValue(DecMulPow10(value, DecPrecis())); }

int64_t DecAccToInt() { return DecDivPow10(NumAccValue(), DecPrecis()); }

StrPair DecAccToText() { return DecToText(NumAccValue()); }

}  // namespace eng
