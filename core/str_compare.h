// Comparison and small numbers. Bytes compare as unsigned values, so the
// accented letters of code page 1252 sort after ASCII.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/str_pair.h"

namespace eng {

// -1, 0 or 1 over n bytes; 159 when a pointer is null.
int MemCompare(const void* a, const void* b, size_t n);
// The common length bytewise; on an equal common part the shorter text is
// smaller. -1, 0 or 1.
int StrCompare(StrPair a, StrPair b);
// Relation 1 equal, 2 greater, 3 greater or equal, 4 less, 5 less or equal:
// true when a stands so to b; any other relation gives false.
bool StrCompareRel(StrPair a, StrPair b, int relation);
// a when it is non-empty and (the relation is below 2, or b is empty, or the
// relation holds), else b.
StrPair StrPickByRelation(StrPair a, StrPair b, int relation);
// A scratch copy of n items of `width` bytes sorted ascending by bytes.
StrPair MemSortedCopy(const void* items, uint16_t width, uint16_t n);

constexpr int16_t NumMax(int16_t a, int16_t b) { return a > b ? a : b; }
constexpr int16_t NumMin(int16_t a, int16_t b) { return a < b ? a : b; }
constexpr int16_t NumOr(int16_t a, int16_t b) { return a ? a : b; }

// Bounds-checked access to item i of a byte array of byte_len bytes. Out of
// range reads give 0 (or the zero pair) and writes do nothing.
bool MemItemCheck(size_t byte_len, size_t i, size_t width);
uint16_t MemGetU16(const void* base, size_t byte_len, size_t i);
bool MemSetU16(void* base, size_t byte_len, size_t i, uint16_t value);
StrPair MemGetPairItem(const void* base, size_t byte_len, size_t i);

}  // namespace eng
