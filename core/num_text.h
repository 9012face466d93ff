// Number texts: an optional "-", digits, an optional "." and fraction digits,
// and an optional "D" with a count k that moves the point k places to the
// right (12D3 is twelve thousand, 1.5D2 is 150). Blanks and tabs in front are
// ignored, and so is whatever follows the number text ("12abc" reads as 12).
// Only "." is the decimal point; locale forms are reduced by the field
// formatter first.
//
// The digit form holds at most 20 characters (sign included): the integer
// part and the n decimals must fit in it, further fraction digits follow as
// far as they fit. A number whose integer part and decimals do not fit is
// refused with 146 and reads as 0; so does one whose digit form lies outside
// the 64-bit range.
#pragma once

#include <cstdint>

#include "core/dec_value.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kDecWorkChars = 20;

struct DecNorm {
  StrPair digits;          // sign and digits without the point; a new scratch entry, or a failure
  uint16_t further = 0;    // fraction digits beyond the n decimals
};

// The digit form of a number text with exactly n decimals: "1.5" with 2 is
// "150"; "1.567" with 2 is "1567" with one further digit.
DecNorm DecNormText(StrPair text, int n);
// The DecValue of a number text (with _PRECIS decimals), further digits
// rounded half away from zero, into `out`: 0, or 146 (and `out` 0) for a
// text outside the number format (above); a failure pair gives its status.
Status DecParseText(StrPair text, DecValue* out);
// DecParseText's value: 0 for a failure pair or a refused text.
DecValue DecFromText(StrPair text);
// DecFromText as a new 8-byte scratch entry.
StrPair DecTextToValue(StrPair text);

}  // namespace eng
