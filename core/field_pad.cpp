// Fitting values to field widths by type, and typed numbers.
#include <charconv>
#include <cstring>
#include <string>

#include "core/dec_value.h"
#include "core/field_format.h"
#include "core/field_format_detail.h"
#include "core/num_text.h"
#include "core/scratch_arena.h"

namespace eng {

namespace fmt_detail {

std::string PadLeft(std::string_view v, size_t width) {
  std::string s(v.substr(0, width));
  s.resize(width, ' ');
  return s;
}

bool FitNumber(std::string_view trimmed, size_t width, std::string& out) {
  if (trimmed.size() <= width) {
    out.assign(width - trimmed.size(), ' ');
    out.append(trimmed);
    return true;
  }
  NumText n = SplitNumber(trimmed);
  if (!n.point) return false;
  // Room for the integer part, the point and d decimals; rounding may carry
  // into a new integer digit, so each count is tried from the most decimals.
  long room = static_cast<long>(width) - static_cast<long>(n.ip.size()) - 1;
  for (long d = std::min<long>(room, static_cast<long>(n.fp.size())); d >= 0; --d) {
    NumText r = RoundNumber(n, static_cast<size_t>(d));
    std::string s = r.ip;
    if (d > 0) s += '.' + r.fp;
    if (s.size() <= width) {
      out.assign(width - s.size(), ' ');
      out.append(s);
      return true;
    }
  }
  // Even without decimals: the integer part alone, rounded.
  NumText r = RoundNumber(n, 0);
  if (r.ip.size() <= width) {
    out.assign(width - r.ip.size(), ' ');
    out.append(r.ip);
    return true;
  }
  return false;
}

}  // namespace fmt_detail

using namespace fmt_detail;

namespace {

bool BadWidth(int32_t width) { return width > static_cast<int32_t>(kMaxText); }

}  // namespace

StrPair FmtPadField(char type, StrPair value, int32_t width) {
  if (!value.ok()) return value;
  if (width < 0) return ScratchPair(value);
  if (BadWidth(width)) return StrFail(kStStringTooLong);
  const size_t w = static_cast<size_t>(width);
  std::string_view v = value.view();
  switch (AsciiUpperType(type)) {
    case 'A': case 'B': case 'C': case 'P':
      return ScratchText(PadLeft(v, w));
    case 'D': case 'F':
      if (v.size() == 8 && w == 6) v.remove_prefix(2);
      return ScratchText(PadLeft(v, w));
    case 'N': case 'L':
    case '1': case '2': case '3': case '4': case '5': case '6': case '7': case '8': case '9': {
      std::string out;
      if (!FitNumber(Trim(v), w, out)) return StrFail(kStDataOutBound);
      return ScratchText(out);
    }
    default:
      return ScratchText(std::string(w, ' '));
  }
}

StrPair FmtFieldByType(char type, StrPair value, int32_t width) {
  if (!value.ok()) return value;
  char t = AsciiUpperType(type);
  // A 6-character "F" field is letter-coded from the whole date, while the
  // century is still known.
  if (t == 'F' && width == 6 && value.len == 8 && CompatDate6Enabled()) return CompatDate6Store(value);
  if (!(t >= '1' && t <= '9')) return FmtPadField(t, value, width);
  if (width < 0) return ScratchPair(value);
  if (BadWidth(width)) return StrFail(kStStringTooLong);
  std::string mask(static_cast<size_t>(width), '#');
  int n = FmtTypeDecimals(t);
  if (width - n - 1 >= 0) mask[static_cast<size_t>(width - n - 1)] = '.';
  bool overflow = false;
  std::string out = FmtNumberMaskString(mask, Trim(value.view()), '.', ',', &overflow);
  if (overflow) return StrFail(kStDataOutBound);
  return ScratchText(out);
}

bool FmtFieldNumber(char type, int64_t value, int precis, int32_t width, char* out) {
  if (!(type >= '1' && type <= '9') || value == 0 || precis < 0 || precis > kDecMaxDecimals) return false;
  const int decimals = type - '0';
  const int int_places = width - decimals - 1;  // the default mask's places before its point
  if (int_places < 1) return false;
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  int kept = precis;
  if (precis > decimals) {
    // Decimals the field has no room for must be 0: nothing is rounded here.
    const uint64_t cut = DecPow10(precis - decimals);
    if (magnitude % cut) return false;
    magnitude /= cut;
    kept = decimals;
  }
  const uint64_t scale = DecPow10(kept);
  const uint64_t whole = magnitude / scale;
  const uint64_t fraction = (magnitude % scale) * DecPow10(decimals - kept);
  if (whole == 0) return false;
  char digits[24];
  const int length = static_cast<int>(std::to_chars(digits, digits + sizeof digits, whole).ptr - digits);
  const int sign = value < 0 ? 1 : 0;
  if (length + sign > int_places) return false;
  std::memset(out, ' ', static_cast<size_t>(int_places - length - sign));
  if (sign) out[int_places - length - 1] = '-';
  std::memcpy(out + int_places - length, digits, static_cast<size_t>(length));
  out[int_places] = '.';
  uint64_t rest = fraction;
  for (int i = decimals; i > 0; --i, rest /= 10) out[int_places + i] = static_cast<char>('0' + rest % 10);
  return true;
}

StrPair FmtNumberText(StrPair typed) {
  if (!typed.ok()) return typed;
  const FmtLocale& loc = FmtCurrentLocale();
  std::string t = Trim(typed.view());
  std::string out;
  for (size_t i = 0; i < t.size() && out.size() < kDecWorkChars; ++i) {
    char c = t[i];
    bool accepted = c == '.' || loc.number_chars.find(c) != std::string::npos;
    if (!accepted) break;
    if (c == '-' && i != 0) break;
    if (c == loc.point) c = '.';
    out += c;
  }
  // Leading zeros go, unless the point follows or the zero is the last character.
  size_t start = (!out.empty() && out[0] == '-') ? 1 : 0;
  while (start < out.size() && out[start] == '0' && start + 1 < out.size() && out[start + 1] != '.')
    out.erase(start, 1);
  return ScratchText(out);
}

}  // namespace eng
