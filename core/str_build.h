// Building texts. Each operation that makes a text returns it as the newest
// scratch entry, or a failure pair; StrOr, StrSub and StrBracketInner select
// part of their input and return a view into it (no copy). A text that would
// exceed 65,535 bytes is (null, 146). A failure pair given as input is passed on.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/str_pair.h"

namespace eng {

StrPair StrCopy(StrPair t);
StrPair StrConcat(StrPair a, StrPair b);
// a + separator + b; the separator only when both parts are non-empty.
StrPair StrJoin(StrPair a, StrPair sep, StrPair b);
// a when its length is non-zero, else b (no copy).
StrPair StrOr(StrPair a, StrPair b);
// The substring from start for len bytes (0xFFFF: to the end). A negative
// start counts from the end. Start and length are clipped to the text.
StrPair StrSub(StrPair t, int32_t start, uint16_t len);
StrPair StrRepeat(StrPair t, uint16_t n);
StrPair StrChar(char c);
// A copy of a NUL-terminated string (null: (null, 163)).
StrPair StrFromCCopy(const char* s);
// A NUL-terminated copy in the scratch arena (for system calls); an empty C
// string for a failure pair or when the arena is full.
const char* StrToC(StrPair t);
const char* StrAsCString(StrPair t);
// The text in apostrophes when it holds none, else in double quotes when it
// holds none; (null, 163) when it holds both.
StrPair StrQuote(StrPair t);
// The partner of an opening bracket of "[](){}<>"; other characters are their own.
char StrBracketPartner(char c);
// opener + text + the opener's partner.
StrPair StrEnclose(StrPair t, char opener);
// The text between the first opener and its balanced partner (nested pairs
// of the same kind counted); empty when there is no balanced partner.
StrPair StrBracketInner(StrPair t, char opener, bool plain);
// True when a text of more than one character starts with the opener and
// ends with its partner.
bool StrIsBracketed(StrPair t, char opener);
// Every occurrence of find replaced, left to right, without rescanning the
// inserted text; a one-character quote is always searched plainly. A failure
// is recorded as 160 under module 3 and returned as (null, 160).
StrPair StrReplaceAll(StrPair t, StrPair find, StrPair repl, bool plain);
// The same, returning the status; the result is the newest scratch entry.
Status StrReplaceAllStatus(StrPair t, StrPair find, StrPair repl, bool plain);
// The number of non-overlapping occurrences.
uint16_t StrCountOf(StrPair t, StrPair find, bool plain);
// A copy with bytes overwritten from pos (negative: from the end), clipped to the copy.
StrPair StrOverwrite(StrPair t, int32_t pos, StrPair bytes);
// Overwrites bytes of an existing, writable text in place, clipped to its
// length (negative pos: from the end); the status of either failure pair.
Status StrPutAt(StrPair target, int32_t pos, StrPair bytes);
Status StrWriteAt(StrPair target, uint16_t pos, StrPair bytes);
// Moves the text behind the first n bytes of a caller's buffer of `capacity`
// bytes and returns (buffer, n + length); (null, 168) when it does not fit.
StrPair StrAppendInPlace(StrPair t, char* buffer, uint16_t n, size_t capacity);
size_t StrCLenPlus(const char* s, size_t n);

}  // namespace eng
