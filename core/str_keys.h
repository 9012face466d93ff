// Key texts: texts of items NAME:value or NAME=value, as in command lines
// ("/APNAME:PL /TRACE:3") and parameter strings ("NAME:=value:NAME2:=value2").
// A name matches only at the start of the text or right after one of ": &/"
// (in plain mode, flag 4: after a NUL byte); the value starts after the ":"
// or "=" (one "=" directly behind a ":" is skipped) and ends before the next
// of ": &/" outside quotes (plain mode: the next NUL), or at the end.
#pragma once

#include <cstdint>

#include "core/str_pair.h"
#include "core/str_search.h"

namespace eng {

inline constexpr int kKeyRaw = 0;
inline constexpr int kKeyUnquoted = 1;
inline constexpr int kKeyNormalised = 3;
inline constexpr int kKeyPlain = 4;

// Offset and length of the value of name (name + ":" looked for first, then
// name + "="); pos kNotFound when absent.
StrSpan StrKeyLocate(StrPair text, StrPair name, int flags);
// The value copied to a new scratch entry, one pair of surrounding quotes
// removed unless the name holds "%"; (null, 0xFFFF) when absent.
StrPair StrKeyFind(StrPair text, StrPair name);
// The value raw (flags & 3 = 0), unquoted (1) or normalised (3); flags & 4 is
// plain mode. An empty text when absent.
StrPair StrKeyGetMode(StrPair text, StrPair name, int flags);
// The value normalised.
StrPair StrKeyGet(StrPair text, StrPair name);
// name + "=" + value when both are non-empty, else (null, 163).
StrPair StrJoinKeyValue(StrPair name, StrPair value);

}  // namespace eng
