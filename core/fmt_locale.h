// The formatter's locale: the decimal point, the thousands separator, the
// characters accepted in a typed number, the logical letters and words.
//
// The locale text is element (0, 0) of the string store: NUL-separated parts,
// the first of which is the point, the separator, then three quoted items,
// as in ",.'0123456789,-D',' NS','  ,NO,SI'". Until FmtSetLocale is called
// (at start-up), and for the plain forms, the built-in default
// ".,'0123456789.-D',' NY','  ,NO,YES'" applies. A missing or malformed
// part of the text falls back to the default's value.
//
// FmtState is the formatter's part of the runtime context: whether the
// locale is set, the last parsed locale, and the two look-ups that the data
// dictionary and the parameter reader install for the old-format conversions.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/str_pair.h"

namespace eng {

inline constexpr std::string_view kFmtDefaultLocale = ".,'0123456789.-D',' NY','  ,NO,YES'";

struct FmtLocale {
  char point = '.';
  char separator = ',';
  std::string number_chars = "0123456789.-D";      // item 1: characters of a typed number
  std::string logical_letters = " NY";              // item 2: blank, no, yes
  std::array<std::string, 3> logical_words = {"  ", "NO", "YES"};  // item 3
};

// The display width of a field through the dictionary (file, field, given width).
using CompatKeyMapFn = uint16_t (*)(uint16_t file, uint16_t field, uint16_t width);
// A parameter of the current parameter string by name ("" when absent).
using CompatParmFn = std::string (*)(std::string_view name);

struct FmtState {
  bool locale_set = false;
  std::string cached_text;   // the locale text the cache was parsed from
  bool cache_valid = false;
  FmtLocale cached;
  CompatKeyMapFn key_map = nullptr;
  CompatParmFn parm_reader = nullptr;
};

// The locale of a locale text (its first NUL-separated part).
FmtLocale FmtLocaleParse(StrPair text);
// The built-in default locale.
const FmtLocale& FmtPlainLocale();
// Points the formatter at (0, 0).
void FmtSetLocale();
// The locale in force: (0, 0) once set, else the default.
const FmtLocale& FmtCurrentLocale();

}  // namespace eng
