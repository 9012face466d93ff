// Searching texts. Positions are 0-based; kNotFound (0xFFFF) means not found,
// and a failure pair is never searched (kNotFound).
//
// The quote rule: a search that is not plain skips every part of the text from
// a quote character (' or ") up to the next occurrence of the same character;
// a quote that is never closed hides the rest of the text. A quote-aware search
// therefore never finds a quote character itself; search quotes plainly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/str_pair.h"

namespace eng {

// Offset and length of a part of a text; pos is kNotFound when there is none.
struct StrSpan {
  uint16_t pos = kNotFound;
  uint16_t len = 0;
  constexpr bool found() const { return pos != kNotFound; }
};

constexpr bool StrIsQuote(char c) { return c == '\'' || c == '"'; }

uint16_t StrFindChar(StrPair t, char c, bool plain);
// From a start position; a start at or beyond the end finds nothing.
uint16_t StrFindCharFrom(StrPair t, uint16_t start, char c, bool plain);
uint16_t StrFindUnquoted(StrPair t, uint16_t start, char c);
uint16_t StrFindByteFrom(StrPair t, uint16_t start, char c);
// The smallest position of any character of the set.
uint16_t StrFindAny(StrPair t, StrPair set, bool plain);
uint16_t StrFindAnyFrom(StrPair t, uint16_t start, StrPair set, bool plain);
// First position of the needle: its first character is searched (by the quote
// rule unless plain) among the positions where the needle still fits, then the
// rest is compared bytewise. An empty needle, or one longer than the text, is
// never found.
uint16_t StrFind(StrPair t, StrPair needle, bool plain);
uint16_t StrFindFrom(StrPair t, uint16_t start, StrPair needle, bool plain);

// The last occurrence: kind 0 any character of the set, 1 the pattern's first
// character, 2 the pattern as a substring. Quote-aware unless plain.
uint16_t StrFindLastOf(StrPair t, StrPair pattern, bool plain, int kind);
uint16_t StrFindLast(StrPair t, StrPair needle, bool plain);
uint16_t StrFindLastChar(StrPair t, char c, bool plain);

// The first position at or after `from` of a character of `seps` that stands
// outside quotes and outside parentheses (a ")" with no open one is ignored);
// npos when there is none. An unclosed quote runs to the end of the text.
size_t StrFindTopLevel(std::string_view t, size_t from, std::string_view seps);
uint16_t StrFindNul(StrPair t);

// The segment after the last opener that comes before the first closer: its
// start (just after the opener) and its length up to the closer.
StrSpan StrFindInnermost(StrPair t, bool plain, char open, char close);

// 0-based index of an item of `width` bytes among n items; kNotFound when absent.
uint16_t MemFindItem(const void* array, uint16_t n, const void* item, uint16_t width);
uint16_t MemFindZero16(const uint16_t* array, uint16_t n);
uint16_t MemFindZero32(const uint32_t* array, uint16_t n);

}  // namespace eng
