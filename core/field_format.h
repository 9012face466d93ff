// Field formats and edit masks: converting a field value between its stored
// form (a fixed-width text in the record) and its display and entry forms,
// by the field's type letter and width, and applying edit masks.
//
// Type letters "123456789ABCDFLNTV": 1-9 a number with that many decimals,
// N an integer, A text, B digit text, C digit code, D date, F letter-coded
// date, L logical, T and V other fields; P (password entries) pads as text.
// Stored numbers use "." as point; display uses the locale's point and
// separator (fmt_locale.h); the "plain" forms use "." and ",".
//
// Masks: "#" a digit place shown blank when empty, "0" a digit place shown
// "0", "." the point, "," a thousands separator, "\" a character place taken
// in order, "?" a character place taken from the same position (or in
// order); "\" blanks "\" is that many character places; anything else is
// copied. A number whose integer part does not fit its mask even after the
// separators and decimals are given up shows its digit part as "*" (never
// wrong digits); the storing forms refuse such a value with 168.
//
// Every operation that makes a text returns it as the newest scratch entry,
// or a failure pair. A width of -1 means "as it is".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/field_compat.h"
#include "core/fmt_locale.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr std::string_view kFmtTypeLetters = "123456789ABCDFLNTV";
inline constexpr int32_t kFmtWidthAsIs = -1;

// True for the number types: N and the digits 1-9.
bool FmtIsNumberType(char type);
// The number of decimals of a type letter (1-9 for the digits, else 0).
int FmtTypeDecimals(char type);

// The default mask of a type and width: width x "\" for texts, width x "#"
// for numbers, with the point (plain "." or the locale's) at width - n - 1
// for a type with n decimals.
StrPair FmtDefaultMask(char type, int32_t width, bool plain);

// Display form of a stored value.
StrPair FmtFieldToText(char type, StrPair stored, int32_t width);
// Stored form of an entered text.
StrPair FmtFieldFromText(char type, StrPair entered, int32_t width);
// A value fitted to a field's width by type; (null, 168) when a number's
// integer part does not fit.
StrPair FmtPadField(char type, StrPair value, int32_t width);
// Letters: FmtPadField; digit types: the value formatted by the default mask
// of that type and width with the plain point, exactly `width` characters;
// (null, 168) when its integer part does not fit.
StrPair FmtFieldByType(char type, StrPair value, int32_t width);
// FmtFieldByType of a decimal value with `precis` implied decimals (the text
// DecFormat gives it) written straight into `out` (`width` bytes), for the
// common case only: a digit type, a value of at least one unit in magnitude
// whose digits beyond the type's decimals are all 0 and which fits. False,
// `out` untouched, for anything else: the caller formats the text then.
bool FmtFieldNumber(char type, int64_t value, int precis, int32_t width, char* out);
// A typed number reduced to a number text with "." as point (at most 20 characters).
StrPair FmtNumberText(StrPair typed);

// Masks.
StrPair FmtMaskFromType(StrPair mask);
StrPair FmtNormNumMask(StrPair mask);
StrPair FmtApplyMask(StrPair mask, StrPair value);
// Mode 0 never numeric, 1 numeric with the plain point, 255 automatic.
StrPair FmtApplyMaskMode(StrPair mask, StrPair value, int mode);
StrPair FmtNumberMask(StrPair mask, StrPair value, bool plain);
StrPair FmtCharMask(StrPair mask, StrPair value, int mode);

// The same formatting on plain strings, for callers that build texts
// themselves. `overflow` (when given) tells whether the integer part did not fit.
std::string FmtNumberMaskString(std::string_view mask, std::string_view value, char point,
                                char separator, bool* overflow);

}  // namespace eng
