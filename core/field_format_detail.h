// Helpers shared by the field formatter's source files (not for other callers).
#pragma once

#include <string>
#include <string_view>

namespace eng::fmt_detail {

// A number text split at its first ".": the part before (sign included),
// the part after, and whether there was a point.
struct NumText {
  std::string ip;
  std::string fp;
  bool point = false;
};

bool IsDigit(char c);
bool HasDigit(std::string_view v);
// Blanks and tabs removed on both sides.
std::string Trim(std::string_view v);
NumText SplitNumber(std::string_view v);
// A number text with "D" and a count k ("12D3", "1.5D2") with the point
// moved k places right ("12000", "150"); others unchanged.
std::string ExpandExponent(const std::string& t);
// Rounded half away from zero to d decimals when it has more.
NumText RoundNumber(const NumText& n, size_t d);

}  // namespace eng::fmt_detail

namespace eng::fmt_detail {

// Type letters are taken in either case.
constexpr char AsciiUpperType(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

std::string FmtCharMaskString(std::string_view mask, std::string_view value, int mode);
std::string FmtApplyMaskString(std::string_view mask, std::string_view value, int mode);
std::string FmtNormNumMaskString(std::string_view mask);
// Left-aligned in the width, cut or blank-padded.
std::string PadLeft(std::string_view v, size_t width);
// A number text right-aligned in the width; when longer, its decimals are
// reduced (rounded) until it fits. False when its integer part does not fit.
bool FitNumber(std::string_view trimmed, size_t width, std::string& out);

}  // namespace eng::fmt_detail
