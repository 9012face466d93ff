// Number masks: FmtNumberMask and the rounding and fitting it needs.
#include <algorithm>
#include <string>

#include "core/field_format.h"
#include "core/field_format_detail.h"
#include "core/scratch_arena.h"

namespace eng {

namespace fmt_detail {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Trim(std::string_view v) {
  size_t b = 0, e = v.size();
  while (b < e && (v[b] == ' ' || v[b] == '\t')) ++b;
  while (e > b && (v[e - 1] == ' ' || v[e - 1] == '\t')) --e;
  return std::string(v.substr(b, e - b));
}

NumText SplitNumber(std::string_view v) {
  NumText n;
  size_t dot = v.find('.');
  if (dot == std::string_view::npos) {
    n.ip.assign(v);
  } else {
    n.ip.assign(v.substr(0, dot));
    n.fp.assign(v.substr(dot + 1));
    n.point = true;
  }
  return n;
}

bool HasDigit(std::string_view v) {
  return std::any_of(v.begin(), v.end(), [](char c) { return IsDigit(c); });
}

// Rounds half away from zero to d decimals (only when there are more); the
// carry runs through the digits and may add a leading "1". A result of
// nothing but zeros loses its "-".
NumText RoundNumber(const NumText& n, size_t d) {
  NumText r = n;
  if (r.fp.size() <= d) return r;
  bool up = IsDigit(r.fp[d]) && r.fp[d] >= '5';
  r.fp.resize(d);
  if (d == 0) r.point = false;
  if (up) {
    bool carry = true;
    for (size_t i = r.fp.size(); carry && i-- > 0;) {
      if (!IsDigit(r.fp[i])) continue;
      if (r.fp[i] == '9') {
        r.fp[i] = '0';
      } else {
        ++r.fp[i];
        carry = false;
      }
    }
    for (size_t i = r.ip.size(); carry && i-- > 0;) {
      if (!IsDigit(r.ip[i])) continue;
      if (r.ip[i] == '9') {
        r.ip[i] = '0';
      } else {
        ++r.ip[i];
        carry = false;
      }
    }
    if (carry) {
      // A "1" in front of the leftmost digit (after the sign).
      size_t at = 0;
      while (at < r.ip.size() && !IsDigit(r.ip[at])) ++at;
      if (at == r.ip.size()) at = (!r.ip.empty() && r.ip[0] == '-') ? 1 : 0;
      r.ip.insert(at, 1, '1');
    }
  }
  bool all_zero = true;
  for (char c : r.ip + r.fp)
    if (IsDigit(c) && c != '0') all_zero = false;
  if (all_zero && !r.ip.empty() && r.ip[0] == '-') r.ip.erase(0, 1);
  return r;
}

// "12D3" is 12000 and "1.5D2" 150: the count after "D" moves the point right.
std::string ExpandExponent(const std::string& t) {
  size_t d = t.find('D');
  if (d == std::string::npos) return t;
  int k = 0;
  for (size_t i = d + 1; i < t.size() && IsDigit(t[i]) && k < 100; ++i) k = k * 10 + (t[i] - '0');
  NumText n = SplitNumber(t.substr(0, d));
  size_t move = std::min(static_cast<size_t>(k), n.fp.size());
  n.ip += n.fp.substr(0, move);
  n.fp.erase(0, move);
  n.ip.append(static_cast<size_t>(k) - move, '0');
  return n.fp.empty() ? n.ip : n.ip + "." + n.fp;
}

}  // namespace fmt_detail

using namespace fmt_detail;

namespace {

bool IsPlace(char c) { return c == '#' || c == '0'; }

struct DigitPart {
  std::string chars;   // the mask's digit part, changed as places are given up
  size_t point = std::string::npos;
  size_t int_places = 0;
  size_t dec_places = 0;
  bool has_commas = false;

  void Count() {
    point = chars.find('.');
    int_places = dec_places = 0;
    has_commas = false;
    for (size_t i = 0; i < chars.size(); ++i) {
      if (IsPlace(chars[i])) {
        if (point != std::string::npos && i > point)
          ++dec_places;
        else
          ++int_places;
      } else if (chars[i] == ',') {
        has_commas = true;
      }
    }
  }

  // Gives up one thing to widen the integer part: every separator first,
  // then one decimal place at a time (the point moves right), and once no
  // decimal is left the point's place itself. False when nothing is left.
  bool GiveUp() {
    if (has_commas) {
      for (char& c : chars)
        if (c == ',') c = '#';
      Count();
      return true;
    }
    if (point == std::string::npos) return false;
    if (dec_places > 0) {
      size_t next = point + 1;
      while (next < chars.size() && !IsPlace(chars[next])) ++next;
      std::swap(chars[point], chars[next]);
      Count();
      if (dec_places == 0) chars[point] = '#';
    } else {
      chars[point] = '#';
    }
    Count();
    return true;
  }
};

}  // namespace

std::string FmtNumberMaskString(std::string_view mask, std::string_view value, char point,
                                char separator, bool* overflow) {
  if (overflow) *overflow = false;
  size_t first = mask.find_first_of("#0");
  if (first == std::string_view::npos) return std::string(mask);
  size_t last = mask.find_last_of("#0");

  // The value trimmed and without trailing characters that are not digits.
  std::string v = ExpandExponent(Trim(value));
  while (!v.empty() && !IsDigit(v.back())) v.pop_back();
  const bool any_digit = HasDigit(v);
  const NumText num = SplitNumber(v);

  DigitPart dp;
  dp.chars.assign(mask.substr(first, last - first + 1));
  dp.Count();

  NumText r = RoundNumber(num, dp.dec_places);
  bool fits = r.ip.size() <= dp.int_places;
  while (!fits && dp.GiveUp()) {
    r = RoundNumber(num, dp.dec_places);
    fits = r.ip.size() <= dp.int_places;
  }

  std::string out(mask);
  if (!fits) {
    // Showing the leading digits cut off would print a wrong amount.
    for (size_t i = first; i <= last; ++i) out[i] = '*';
    if (overflow) *overflow = true;
    return out;
  }

  // Decimal places beyond the value's decimals are filled with "0".
  if (any_digit && dp.dec_places > r.fp.size()) {
    r.fp.append(dp.dec_places - r.fp.size(), '0');
    r.point = true;
  }
  if (dp.dec_places == 0 && r.fp.empty()) r.point = false;
  const bool int_digits = HasDigit(r.ip);
  std::string vs = r.ip;
  if (r.point) vs += '.' + r.fp;

  // Right to left over the digit part, taking the value's characters from the right.
  const std::string& d = dp.chars;
  long k = static_cast<long>(vs.size()) - 1;
  for (size_t ii = d.size(); ii-- > 0;) {
    char m = d[ii];
    char& o = out[first + ii];
    bool left_is_hash = ii > 0 && d[ii - 1] == '#';
    bool used_up = k < 0;
    bool is_place = IsPlace(m);
    if (!is_place && m != ',' && m != '.') {
      o = m;
      continue;
    }
    if (!used_up && k == 0 && vs[0] == '-') {
      o = '-';
      --k;
      continue;
    }
    if (is_place) {
      if (used_up) {
        o = m == '0' ? '0' : ' ';
      } else {
        char c = vs[static_cast<size_t>(k--)];
        o = c == '.' ? point : c;
      }
    } else if (m == ',') {
      o = (used_up && left_is_hash) ? ' ' : separator;
    } else {  // the point
      if (!used_up && vs[static_cast<size_t>(k)] == '.') {
        --k;
        o = point;
        if (!int_digits) {
          // No integer digit: a "0" goes before the point.
          vs.insert(static_cast<size_t>(k + 1), 1, '0');
          ++k;
        }
      } else if (used_up && !any_digit && left_is_hash) {
        o = ' ';
      } else {
        o = point;
      }
    }
  }
  return out;
}

StrPair FmtNumberMask(StrPair mask, StrPair value, bool plain) {
  if (!mask.ok()) return mask;
  if (!value.ok()) return value;
  const FmtLocale& loc = plain ? FmtPlainLocale() : FmtCurrentLocale();
  return ScratchText(FmtNumberMaskString(mask.view(), value.view(), loc.point, loc.separator, nullptr));
}

}  // namespace eng
