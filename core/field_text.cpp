// Field values between their stored form and their display and entry forms.
#include <string>

#include "core/date_text.h"
#include "core/field_format.h"
#include "core/field_format_detail.h"
#include "core/scratch_arena.h"

namespace eng {

using namespace fmt_detail;

namespace {

// Left-aligned in the width; -1 keeps the text as it is.
std::string PadAsText(std::string_view v, int32_t width) {
  if (width < 0) return std::string(v);
  return PadLeft(v, static_cast<size_t>(width));
}

std::string NumberMask(char type, size_t width) {
  std::string mask(width, '#');
  int n = FmtTypeDecimals(type);
  if (n > 0 && static_cast<long>(width) - n - 1 >= 0) mask[width - static_cast<size_t>(n) - 1] = '.';
  return mask;
}

}  // namespace

StrPair FmtFieldToText(char type, StrPair stored, int32_t width) {
  if (!stored.ok()) return stored;
  if (width > static_cast<int32_t>(kMaxText)) return StrFail(kStStringTooLong);
  ScratchScope scope;
  const char t = AsciiUpperType(type);
  std::string_view v = stored.view();
  switch (t) {
    case 'D':
    case 'F': {
      if (width < 0) return scope.Keep(stored);
      if (width != 8 && width != 10) return scope.Keep(ScratchText(std::string(static_cast<size_t>(width), ' ')));
      std::string keep = Trim(v);
      StrPair date = StrOf(keep);
      if (t == 'F') {
        if (keep.empty()) return scope.Keep(ScratchText(std::string(static_cast<size_t>(width), ' ')));
        date = CompatDate6Read(StrOf(keep));
      }
      return scope.Keep(FmtDate(date, width == 8 ? 1 : 2));
    }
    case 'L': {
      const FmtLocale& loc = FmtCurrentLocale();
      char c = v.empty() ? ' ' : v[0];
      const std::string& word = c == ' ' ? loc.logical_words[0] : c == '1' ? loc.logical_words[2] : loc.logical_words[1];
      return scope.Keep(ScratchText(PadAsText(word, width)));
    }
    default:
      break;
  }
  if (FmtIsNumberType(t)) {
    // The mask is built with "." (a "," in a mask is a separator) and applied
    // with the locale's point and separator.
    const FmtLocale& loc = FmtCurrentLocale();
    size_t w = width < 0 ? v.size() : static_cast<size_t>(width);
    return scope.Keep(ScratchText(FmtNumberMaskString(NumberMask(t, w), Trim(v), loc.point, loc.separator, nullptr)));
  }
  if (width < 0 || static_cast<size_t>(width) == v.size()) return scope.Keep(stored);
  return scope.Keep(ScratchText(PadAsText(v, width)));
}

StrPair FmtFieldFromText(char type, StrPair entered, int32_t width) {
  if (!entered.ok()) return entered;
  if (width > static_cast<int32_t>(kMaxText)) return StrFail(kStStringTooLong);
  ScratchScope scope;
  const char t = AsciiUpperType(type);
  std::string_view v = entered.view();
  std::string out;
  if (t == 'B' || t == 'C') {
    for (char c : v)
      if (c == ' ' || IsDigit(c)) out += c;
    bool any = !out.empty();
    out = PadAsText(out, width);
    if (t == 'C' && any)
      for (char& c : out)
        if (c == ' ') c = '0';
    return scope.Keep(ScratchText(out));
  }
  if (t == 'D' || t == 'F') {
    StrPair date = FmtParseDate(entered);
    if (!date.ok()) return scope.Keep(date);
    if (t == 'F' && width == 6) return scope.Keep(CompatDate6Store(date));
    std::string d = date.str();
    if (d.size() == 8 && width == 6) d.erase(0, 2);
    return scope.Keep(ScratchText(PadAsText(d, width)));
  }
  if (t == 'L') {
    const FmtLocale& loc = FmtCurrentLocale();
    char c = v.empty() ? '\0' : AsciiUpperType(v[0]);
    size_t i = v.empty() ? std::string::npos : loc.logical_letters.find(c);
    const char* stored = i == 0 ? " " : i == 1 ? "0" : i == 2 ? "1" : " ";
    return scope.Keep(ScratchText(PadAsText(stored, width)));
  }
  if (FmtIsNumberType(t)) {
    StrPair typed = FmtNumberText(entered);
    if (!typed.ok()) return scope.Keep(typed);
    std::string number = ExpandExponent(typed.str());
    if (width < 0) return scope.Keep(ScratchText(number));
    bool overflow = false;
    out = FmtNumberMaskString(NumberMask(t, static_cast<size_t>(width)), number, '.', ',', &overflow);
    if (overflow) return scope.Keep(StrFail(kStDataOutBound));
    return scope.Keep(ScratchText(out));
  }
  return scope.Keep(ScratchText(PadAsText(v, width)));
}

}  // namespace eng
