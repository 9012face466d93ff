// Edit masks: choosing between number and character masks, character masks,
// the short form of number masks, masks from a type and width.
#include <string>
#include <vector>

#include "core/dyn_strings.h"
#include "core/field_format.h"
#include "core/field_format_detail.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"
#include "core/str_search.h"
#include "core/string_lists.h"

namespace eng {

using namespace fmt_detail;

bool FmtIsNumberType(char type) { return type == 'N' || (type >= '1' && type <= '9'); }

int FmtTypeDecimals(char type) { return (type >= '1' && type <= '9') ? type - '0' : 0; }

namespace {

std::string DefaultMaskString(char type, int32_t width, char point) {
  if (width <= 0) return std::string();
  if (!FmtIsNumberType(type)) return std::string(static_cast<size_t>(width), '\\');
  std::string m(static_cast<size_t>(width), '#');
  int n = FmtTypeDecimals(type);
  // With no room for an integer place the mask keeps digit places only.
  if (n > 0 && width - n - 1 >= 0) m[static_cast<size_t>(width - n - 1)] = point;
  return m;
}

bool IsMaskPlace(char c) { return c == '\\' || c == '?' || c == '#' || c == '0'; }

}  // namespace

StrPair FmtDefaultMask(char type, int32_t width, bool plain) {
  if (width > static_cast<int32_t>(kMaxText)) return StrFail(kStStringTooLong);
  char point = plain ? '.' : FmtCurrentLocale().point;
  return ScratchText(DefaultMaskString(AsciiUpperType(type), width, point));
}

std::string fmt_detail::FmtCharMaskString(std::string_view mask, std::string_view value, int mode) {
  // Backslash, blanks, backslash: as many character places as it is long.
  std::string m(mask);
  for (size_t i = 0; i < m.size(); ++i) {
    if (m[i] != '\\') continue;
    size_t j = i + 1;
    while (j < m.size() && m[j] == ' ') ++j;
    if (j > i + 1 && j < m.size() && m[j] == '\\') {
      for (size_t x = i; x <= j; ++x) m[x] = '\\';
      i = j;
    }
  }
  // "\" (and "?" in order) takes the next character no place has taken yet;
  // "?" by position marks the character it took.
  std::string out(m.size(), ' ');
  std::vector<bool> used(value.size(), false);
  size_t next = 0;
  for (size_t i = 0; i < m.size(); ++i) {
    char c = m[i];
    if (c == '\\' || (c == '?' && !(mode & 1))) {
      while (next < value.size() && used[next]) ++next;
      if (next < value.size()) {
        out[i] = value[next];
        used[next++] = true;
      }
    } else if (c == '?') {
      if (i < value.size()) {
        out[i] = value[i];
        used[i] = true;
      }
    } else {
      out[i] = c;
    }
  }
  return out;
}

StrPair FmtCharMask(StrPair mask, StrPair value, int mode) {
  if (!mask.ok()) return mask;
  if (!value.ok()) return value;
  return ScratchText(FmtCharMaskString(mask.view(), value.view(), mode));
}

std::string fmt_detail::FmtApplyMaskString(std::string_view mask, std::string_view value, int mode) {
  uint16_t at = StrFindAny(StrOf(mask), StrOf("\\?#0"), false);
  if (at == kNotFound) return std::string(mask);
  char first = mask[at];
  bool hash_or_zero = first == '#' || first == '0';
  bool numeric = mode == 1;
  if (!numeric && mode != 0 && hash_or_zero)
    numeric = value.find_first_not_of(".-1234567890,D ") == std::string_view::npos;
  if (numeric) {
    const FmtLocale& loc = mode == 1 ? FmtPlainLocale() : FmtCurrentLocale();
    return FmtNumberMaskString(mask, Trim(value), loc.point, loc.separator, nullptr);
  }
  if (hash_or_zero && mask.find_first_of("\\?") == std::string_view::npos) return std::string(mask);
  int char_mode = static_cast<int>(std::string_view("\\?#0").find(first));
  return FmtCharMaskString(mask, value, char_mode);
}

StrPair FmtApplyMaskMode(StrPair mask, StrPair value, int mode) {
  if (!mask.ok()) return mask;
  if (!value.ok()) return value;
  return ScratchText(FmtApplyMaskString(mask.view(), value.view(), mode));
}

StrPair FmtApplyMask(StrPair mask, StrPair value) { return FmtApplyMaskMode(mask, value, 255); }

std::string fmt_detail::FmtNormNumMaskString(std::string_view mask) {
  size_t short_at = mask.find(",.");
  if (short_at == std::string_view::npos || short_at == 0) return std::string(mask);
  size_t first = mask.find_first_of("#0");
  if (first == std::string_view::npos || first >= short_at) return std::string(mask);
  size_t end = short_at + 2;
  while (end < mask.size() && IsDigit(mask[end])) ++end;
  int n = 0;
  for (size_t i = short_at + 2; i < end && n < 1000; ++i) n = n * 10 + (mask[i] - '0');
  StrPair groups = DynStrGet(sl::kSettings, sl::kDigitGroups);
  if (groups.ok() && !groups.empty()) n = StrItemInt(groups, ',', static_cast<uint16_t>(n + 1));
  if (n < 0) n = 0;

  const char place = mask[short_at - 1];
  const char lead = mask[first];
  std::string out(mask);
  long pos = static_cast<long>(end) - 1;
  const long start = static_cast<long>(first);
  for (int i = 0; i < n && pos >= start; ++i) out[static_cast<size_t>(pos--)] = place;
  if (n > 0 && pos >= start) out[static_cast<size_t>(pos--)] = '.';
  for (int k = 1; pos >= start; ++k) {
    char c = k == 1 ? place : (k % 4 == 0 ? ',' : lead);
    if (pos == start && !IsMaskPlace(c)) c = lead;
    out[static_cast<size_t>(pos--)] = c;
  }
  if (!IsMaskPlace(out[first])) out[first] = lead;
  return out;
}

StrPair FmtNormNumMask(StrPair mask) {
  if (!mask.ok()) return mask;
  return ScratchText(FmtNormNumMaskString(mask.view()));
}

StrPair FmtMaskFromType(StrPair mask) {
  if (!mask.ok() || mask.empty()) return mask;
  std::string_view m = mask.view();
  char c = m[0];
  if (c != '\\' && c != '#' && c != '0') {
    // A type letter followed by a width ("N10", "A20", "25").
    char type = AsciiUpperType(c);
    std::string_view rest = m.substr(1);
    bool digits = !rest.empty() && rest.size() <= 5 &&
                  rest.find_first_not_of("0123456789") == std::string_view::npos;
    if (digits && kFmtTypeLetters.find(type) != std::string_view::npos) {
      int32_t width = 0;
      for (char d : rest) width = width * 10 + (d - '0');
      return FmtDefaultMask(type, width, true);
    }
  }
  return FmtNormNumMask(mask);
}

}  // namespace eng
