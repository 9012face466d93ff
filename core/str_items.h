// Lists of items: texts of items joined by a separator the caller gives
// (most often ","). Items are numbered from 1; item 0 and items past the last
// are empty texts; the empty text has no items and a trailing separator adds
// an empty item. Separators are found by the quote rule of str_search.h,
// except the NUL separator, which is always searched plainly.
//
// Item texts are views into the list; operations that make a new list return
// it as the newest scratch entry (or a failure pair).
#pragma once

#include <cstdint>

#include "core/str_pair.h"
#include "core/str_search.h"

namespace eng {

// A count and count pairs kept in the scratch arena; items is null for a
// failure (an array that does not fit an entry, or a full arena).
struct PairArray {
  uint16_t count = 0;
  StrPair* items = nullptr;
};

StrPair StrItem(StrPair list, char sep, uint16_t n);
uint16_t StrItemCount(StrPair list, char sep);
// Offset and length of item n (pos kNotFound when there is no such item).
StrSpan StrItemSpan(StrPair list, char sep, uint16_t n);
// Position of the first separator, or the length.
uint16_t StrItemEnd(StrPair list, char sep);
// The text after the first separator; empty when there is none.
StrPair StrItemRest(StrPair list, char sep);
// Item n normalised and read as an integer.
int16_t StrItemInt(StrPair list, char sep, uint16_t n);
// 1-based number of the first item equal to the value; 0 when absent.
uint16_t StrItemIndex(StrPair list, StrPair value, char sep);
// Length of the longest item (mode 0) or the shortest (mode 1), quotes
// around an item not counted.
uint16_t StrItemMaxLen(StrPair list, char sep, int mode);
// Replaces item n, creating missing items empty; n = 0 appends a new last
// item; a negative n deletes item -n with its separator (no such item: the
// list unchanged). The new list is the newest scratch entry.
Status StrItemSet(StrPair list, StrPair text, char sep, int32_t n);
StrPair StrItemSetPair(StrPair list, StrPair text, char sep, int32_t n);

// Every item of the list, as views into it.
PairArray StrSplit(StrPair list, char sep);
// n empty texts.
PairArray StrArrayNew(uint16_t n);
// Element i (0-based); ignored out of range.
void StrArraySet(PairArray a, uint16_t i, StrPair p);
// Element n (1-based); empty out of range.
StrPair StrArrayGet(PairArray a, uint16_t n);

// Starts from the first list (from the empty text with flag 1) and appends,
// joined by the joiner, each item of the second list that the first list as
// given does not contain (flag 2: does contain).
StrPair StrListMerge(StrPair first, char sep1, StrPair second, char sep2, int flags, StrPair joiner);
// The first comma list followed by the items of the second it does not contain.
StrPair StrListUnion(StrPair first, StrPair second);
// The items of the first comma list that the second does not contain.
StrPair StrListMinus(StrPair first, StrPair second);
// True when the value lies between the number before the first "-" and the
// number after the last "-" of a range text such as "10-99", both included.
bool StrInRange(StrPair range, int64_t value);
// 1-based number of the first comma item whose range holds the value; 0 when none.
uint16_t StrRangeIndex(StrPair list, int64_t value);

}  // namespace eng
