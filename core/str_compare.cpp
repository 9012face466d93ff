#include "core/str_compare.h"

#include <cstring>

#include "core/scratch_arena.h"
#include "core/str_emit.h"

namespace eng {

int MemCompare(const void* a, const void* b, size_t n) {
  if (!a || !b) return kStStrOutBound;
  int r = n ? std::memcmp(a, b, n) : 0;  // memcmp compares unsigned bytes
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}

int StrCompare(StrPair a, StrPair b) {
  uint16_t la = a.ok() ? a.len : 0, lb = b.ok() ? b.len : 0;
  uint16_t n = la < lb ? la : lb;
  int r = n ? MemCompare(a.ptr, b.ptr, n) : 0;
  if (r) return r;
  return la < lb ? -1 : la > lb ? 1 : 0;
}

bool StrCompareRel(StrPair a, StrPair b, int relation) {
  int c = StrCompare(a, b);
  switch (relation) {
    case 1: return c == 0;
    case 2: return c > 0;
    case 3: return c >= 0;
    case 4: return c < 0;
    case 5: return c <= 0;
    default: return false;
  }
}

StrPair StrPickByRelation(StrPair a, StrPair b, int relation) {
  if (a.ok() && a.len && (relation < 2 || b.empty() || StrCompareRel(a, b, relation))) return a;
  return b;
}

StrPair MemSortedCopy(const void* items, uint16_t width, uint16_t n) {
  size_t total = size_t(width) * n;
  if (total > kMaxText) return StrFail(kStStringTooLong);
  if (!items && total) return StrFail(kStStrOutBound);
  Status s;
  char* p = StrEmitReserve(total, &s);
  if (!p) return StrFail(s);
  if (total) std::memcpy(p, items, total);
  // Neighbour exchange, stepping back after each exchange.
  char tmp[256];
  size_t i = 1;
  while (width && i < n) {
    char* x = p + (i - 1) * width;
    char* y = x + width;
    if (std::memcmp(x, y, width) > 0) {
      for (size_t k = 0; k < width; k += sizeof tmp) {
        size_t m = width - k < sizeof tmp ? width - k : sizeof tmp;
        std::memcpy(tmp, x + k, m);
        std::memcpy(x + k, y + k, m);
        std::memcpy(y + k, tmp, m);
      }
      if (i > 1) --i;
    } else {
      ++i;
    }
  }
  return ScratchTop();
}

bool MemItemCheck(size_t byte_len, size_t i, size_t width) {
  return width != 0 && i < byte_len / width;
}

uint16_t MemGetU16(const void* base, size_t byte_len, size_t i) {
  if (!base || !MemItemCheck(byte_len, i, 2)) return 0;
  uint16_t v;
  std::memcpy(&v, static_cast<const char*>(base) + i * 2, 2);
  return v;
}

bool MemSetU16(void* base, size_t byte_len, size_t i, uint16_t value) {
  if (!base || !MemItemCheck(byte_len, i, 2)) return false;
  std::memcpy(static_cast<char*>(base) + i * 2, &value, 2);
  return true;
}

StrPair MemGetPairItem(const void* base, size_t byte_len, size_t i) {
  if (!base || !MemItemCheck(byte_len, i, sizeof(StrPair))) return StrPair{nullptr, 0};
  StrPair p;
  std::memcpy(static_cast<void*>(&p), static_cast<const char*>(base) + i * sizeof(StrPair), sizeof p);
  return p;
}

}  // namespace eng
