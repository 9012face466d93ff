// Numbers: the 16-bit integer helpers and the decimal value.
//
// A DecValue is a signed 64-bit integer holding the value times 10 to the
// power _PRECIS (default 2): 12.34 is 1234. A number handed over through the
// scratch arena is an entry of exactly 8 bytes, the value in little-endian
// order; NumAccValue reads the newest entry (0 when empty, -1 for any other
// length).
//
// 64-bit overflow is not detected: sums, products and scalings wrap around in
// two's complement (computed unsigned, so they are defined behaviour).
// Divisions round half away from zero (NumDivRound); 0 when dividing by 0.
// _PRECIS outside 0-18 is taken as the nearest of 0 and 18.
#pragma once

#include <cstdint>

#include "core/str_pair.h"

namespace eng {

using DecValue = int64_t;

inline constexpr uint16_t kDecEntryBytes = 8;
inline constexpr int kDecMaxDecimals = 18;
// Room a caller gives the 16-bit text helpers: "-" and 16 binary digits fit.
inline constexpr int kNumBufSize = 24;

// --- 16-bit integers -------------------------------------------------------

// The value in radix 2-36: "-" for negative values, digits 0-9 then A-Z, "0"
// for zero. Written at the start of `buffer` (kNumBufSize bytes); a radix
// outside 2-36 is taken as 10.
StrPair NumToRadix(int16_t value, char* buffer, int radix);
// Decimal text written at the start of `buffer` (kNumBufSize bytes).
StrPair NumToTextIn(int16_t value, char* buffer);
// Decimal text right-aligned in `width`, the left filled with `fill`; a
// longer text is kept whole. `buffer` holds at least max(width, kNumBufSize).
StrPair NumPad(int16_t value, uint16_t width, char fill, char* buffer);
// Decimal text as a new scratch entry.
StrPair NumToText(int16_t value);
// 10 to the power n in 16 bits (1 for n <= 0; larger powers wrap).
int16_t NumPow10(int n);
// The C library's 64-bit conversion: leading white space, sign, digits up to
// the first other character; saturates out of range; 0 when no digits.
int64_t NumParse(StrPair text);

// --- 64-bit values ---------------------------------------------------------

struct NumQuotRem {
  int64_t quot;   // truncated toward zero
  uint64_t rem;   // remainder of the magnitudes, 0 or more
};

// The number in the newest scratch entry.
int64_t NumAccValue();
// Signed division truncated toward zero with the remainder of the magnitudes;
// (0, 0) when b is 0.
NumQuotRem NumDivMod(int64_t a, int64_t b);
// a / b rounded half away from zero: the quotient moves one unit away from
// zero when twice the remainder reaches |b|. 0 when b is 0.
int64_t NumDivRound(int64_t a, int64_t b);
// From c decimals to d: more decimals multiply; fewer round half away from
// zero at the d-th decimal but keep c decimals (1234 from 3 to 2 is 1230).
int64_t NumRoundDecimals(int64_t value, int c, int d);

// --- Decimal values --------------------------------------------------------

// The current decimal count, _PRECIS taken into 0-18.
int DecPrecis();
// 10^n as an unsigned 64-bit value for n in 0-19.
uint64_t DecPow10(int n);

// The text of a value with n implied decimals: "12.34", "12", ".05",
// "-.05"; 0 gives "" with decimals and "0" without. A new scratch entry.
StrPair DecFormat(int64_t value, int n);
StrPair DecToText(DecValue value);
StrPair DecIntToText(int64_t value);

DecValue DecFromInt(int16_t value);
// The integer of a text (StrToInt: a truth word is 1, else sign and digits as
// a 16-bit value) times 10^_PRECIS; 0 for a failure pair.
DecValue DecFromIntText(StrPair text);
// The integer through its decimal text; one too long for the number format gives 0.
DecValue DecFromInt64(int64_t value);
// Divided by 10^n rounding half away from zero (n up to 19; beyond, 0).
DecValue DecDivPow10(DecValue value, int n);
DecValue DecMulPow10(DecValue value, int n);

// New 8-byte scratch entries.
StrPair DecStoreValue(DecValue value);
StrPair DecIntToValue(int64_t value);

// The number in the newest entry, divided by 10^_PRECIS and rounded.
int64_t DecAccToInt();
// The number in the newest entry as DecToText.
StrPair DecAccToText();

}  // namespace eng
