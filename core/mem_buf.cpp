#include "core/mem_buf.h"

#include <cstring>

#include "core/scratch_arena.h"

namespace eng {

MemBuf MemBufNew(uint16_t, uint16_t capacity) {
  MemBuf b;
  b.bytes.assign(capacity, 0);
  b.capacity = capacity;
  return b;
}

char* MemBufAppend(uint16_t, MemBuf& buf, const void* bytes, size_t n, bool align) {
  if (buf.status) return nullptr;
  size_t at = align ? MemRoundUp4(buf.used) : buf.used;
  if (at + n > buf.capacity) {
    buf.status = kStDataOutBound;
    return nullptr;
  }
  char* p = buf.bytes.data() + at;
  if (bytes && n) std::memmove(p, bytes, n);
  buf.used = static_cast<uint16_t>(at + n);
  return p;
}

Status MemBufResize(MemBuf& buf, uint16_t capacity) {
  buf.bytes.resize(capacity, 0);
  buf.capacity = capacity;
  if (buf.used > capacity) buf.used = capacity;
  return kOk;
}

MemBlockRec MemBlockRecNew(uint16_t, uint16_t capacity) {
  MemBlockRec r;
  r.bytes.assign(capacity, 0);
  r.capacity = capacity;
  return r;
}

void MemBlockRecFree(MemBlockRec& rec) { rec = MemBlockRec{}; }

StrPair MemBlockRecWrite(MemBlockRec& rec, const void* bytes, uint16_t n, uint16_t position) {
  if (rec.status) return StrPair{};
  size_t pos = position == 0xFFFF ? rec.length : position;
  if (pos + n > rec.capacity) {
    rec.status = kStStrConcat;
    return StrPair{};
  }
  char* p = rec.bytes.data() + pos;
  if (n) std::memmove(p, bytes, n);
  if (pos + n > rec.length) rec.length = static_cast<uint16_t>(pos + n);
  return StrPair{p, n};
}

Status MemBlockWrite(std::span<char> block, size_t offset, const void* bytes, size_t n) {
  if (offset > block.size() || n > block.size() - offset) return kStDataOutBound;
  if (n) std::memmove(block.data() + offset, bytes, n);
  return kOk;
}

}  // namespace eng
