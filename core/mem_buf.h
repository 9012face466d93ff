// Bounded buffers with a sticky status.
//
// MemBuf: a growable byte buffer of at most 65,535 bytes. Status 145 when it
// could not be had, 168 once an append did not fit; a set status makes every
// later append fail (null).
//
// MemBlockRec: a fixed-capacity text block. A write past the capacity sets
// 153 and every later write returns the empty text.
//
// Both own their bytes: a copy is independent of the original.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/str_pair.h"

namespace eng {

struct MemBuf {
  std::vector<char> bytes;  // capacity bytes; the first `used` are in use
  uint16_t used = 0;
  uint16_t capacity = 0;
  Status status = kOk;
  char* data() { return bytes.data(); }
  StrPair text() const { return StrPair{bytes.data(), used}; }
};

MemBuf MemBufNew(uint16_t owner, uint16_t capacity);
// Appends n bytes (or only reserves them when bytes is null); with `align`
// the used count is first rounded up to a multiple of 4. Returns the address
// of the appended bytes, or null when the status is (or becomes) set.
char* MemBufAppend(uint16_t owner, MemBuf& buf, const void* bytes, size_t n, bool align);
Status MemBufResize(MemBuf& buf, uint16_t capacity);

struct MemBlockRec {
  Status status = kOk;
  uint16_t capacity = 0;
  uint16_t length = 0;
  std::vector<char> bytes;
  StrPair text() const { return StrPair{bytes.data(), length}; }
};

MemBlockRec MemBlockRecNew(uint16_t owner, uint16_t capacity);
void MemBlockRecFree(MemBlockRec& rec);
// Writes n bytes at a position (0xFFFF: at the current end); returns the
// written part, or the empty text once the status is set.
StrPair MemBlockRecWrite(MemBlockRec& rec, const void* bytes, uint16_t n, uint16_t position);

// Copies n bytes into a block at an offset when they fit, else 168.
Status MemBlockWrite(std::span<char> block, size_t offset, const void* bytes, size_t n);

}  // namespace eng
