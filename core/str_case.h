// Trimming, case and character classes. StrTrim, StrTrimSet and StrUnquote
// select part of their input and return a view into it (no copy); the other
// operations that make texts return the newest scratch entry or a failure
// pair. A failure pair given as input is passed on.
//
// Case conversion changes the ASCII letters a-z and A-Z only; accented letters
// of code page 1252 stay as they are, whatever the locale.
#pragma once

#include <cstdint>

#include "core/str_pair.h"

namespace eng {

constexpr char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
constexpr char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// Removes blanks and tabs: flag 1 on the left, 2 on the right, 3 both.
StrPair StrTrim(StrPair t, int flags);
// The same for the characters of a set.
StrPair StrTrimSet(StrPair t, int flags, StrPair set);
// Removes one pair of matching quotes (' or ") around a text of 2 or more characters.
StrPair StrUnquote(StrPair t);
// Trims both sides and unquotes; when that changed nothing the result is
// upper-cased (a new entry), otherwise it is kept as it is (a view).
StrPair StrNormValue(StrPair t);
// A copy upper-cased (flag 1) or lower-cased (any other flag).
StrPair StrCase(StrPair t, int flag);
// A copy keeping only the characters of the set.
StrPair StrKeepSet(StrPair t, StrPair set);
// True when every character belongs to the set (true for an empty text).
bool StrAllIn(StrPair t, StrPair set);
// A copy with each run of c collapsed to one c; runs inside quotes are kept
// unless plain.
StrPair StrCollapse(StrPair t, char c, bool plain);
// A copy with each character of the from-set replaced by the character at the
// same position of the to-set (kept when the to-set is shorter).
StrPair StrTranslate(StrPair t, StrPair from, StrPair to);
// The from-text read as groups of `width` characters: every occurrence of
// group i in the text is replaced by character i of the to-text.
StrPair StrReplaceClasses(StrPair t, StrPair from, uint16_t width, StrPair to);
// True for one of the truth words "YES,SI,Y,S,ON", in any case.
bool StrIsTrue(StrPair t);
// 1 for a truth word; otherwise leading white space, a sign and digits read
// as an integer (0 when there are none), as a 16-bit value.
int16_t StrToInt(StrPair t);

}  // namespace eng
