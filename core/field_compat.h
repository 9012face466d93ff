// Conversions for files and definitions written by older versions, each
// active only while its bit of _COMPAT (system variable 20) is set:
//   1  (start, end) position pairs instead of (start, length)
//   4  6-character "F" dates with a letter-coded decade ("C40305" is
//      2024-03-05, "940305" is 1994-03-05), "N" fields holding "D" + a coded integer
//   8  file base names cut to 8 characters
//   16 old menu parameter names
//   64 field display widths from the dictionary
// The dictionary and the parameter reader live above the core: they install
// their look-ups (CompatInstallKeyMap, CompatInstallParmReader) at start-up;
// without them the given value is kept.
//
// Texts are returned as the newest scratch entry (or a failure pair).
#pragma once

#include <cstdint>

#include "core/fmt_locale.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kCompatRange = 1;
inline constexpr uint16_t kCompatDate6 = 4;
inline constexpr uint16_t kCompatShortName = 8;
inline constexpr uint16_t kCompatMenuParms = 16;
inline constexpr uint16_t kCompatKeyMap = 64;

struct CompatRange {
  uint16_t start = 0;
  uint16_t length = 0;
};

// (start, end) -> (start, end - start + 1) while bit 1 is set (length 0 for
// an end before the start); otherwise the pair is (start, second) unchanged.
CompatRange CompatRangeToLength(uint16_t start, uint16_t second);

bool CompatDate6Enabled();
// A 6-character letter-coded date widened to 8 characters (always, whatever
// the bit); other lengths come back unchanged.
StrPair CompatDate6Expand(StrPair text);
// CompatDate6Expand while bit 4 is set; otherwise the text unchanged.
StrPair CompatDate6Read(StrPair text);
// The 6-character stored form of a date while bit 4 is set: from an 8-digit
// date, years 2000-2099 get their decade as a letter ("A" is 0) and other
// years keep their digit, so that every date reads back unchanged; a "0" at
// the third or fifth character becomes a blank. A 6-character text has lost
// its century: a first digit is raised to its letter (taken as 20xx), a
// letter is kept. Give the 8-digit date wherever it is known;
// FmtFieldByType codes 6-character "F" fields from it itself. Without the
// bit: the last 6 characters of an 8-character date, other texts unchanged.
StrPair CompatDate6Store(StrPair date);
// A field's text for display: "F" through CompatDate6Read; an "N" field whose
// text starts with "D" (after blanks) is the integer after it exclusive-or
// 10, as decimal text. Without bit 4, or for other types, the text unchanged.
StrPair CompatFieldText(char type, StrPair text);
// The base name of a file name (after the last "\" or "/", before the last
// ".") cut to 8 characters while bit 8 is set.
StrPair CompatShortName(StrPair name);
// Old menu definitions (bit 16), when the parameter asked for is empty: kind 2
// the submenu text (OPTIONS$, else MODULO$ and SUBMENU$ joined by ","), kind 3
// MODULOS$. Otherwise the given value.
StrPair CompatMenuParms(int kind, StrPair value);
// The display width of a field through the dictionary while bit 64 is set.
uint16_t CompatKeyMap(uint16_t file, uint16_t field, uint16_t width);

void CompatInstallKeyMap(CompatKeyMapFn fn);
void CompatInstallParmReader(CompatParmFn fn);

}  // namespace eng
