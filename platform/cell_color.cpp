#include "platform/cell_color.h"

#include <initializer_list>

namespace plat {

namespace {

// 0x00BBGGRR of entries 1-16: the classic 16-colour palette.
constexpr uint32_t kPalette[kCellColorCount] = {
    0xFFFFFFFF,                                          // default
    0x000000, 0x000080, 0x008000, 0x008080,              // black, red, green, brown
    0x800000, 0x800080, 0x808000, 0xC0C0C0,              // blue, magenta, cyan, light grey
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,              // dark grey, light red, light green, yellow
    0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,              // light blue, light magenta, light cyan, white
};

int Channel(uint32_t bgr, int shift) { return static_cast<int>((bgr >> shift) & 0xFF); }

}  // namespace

CellColor NearestCellColor(uint32_t bgr) {
  if (bgr & 0xFF000000u) return kColorDefault;
  int best = 1;
  long best_d = -1;
  for (int i = 1; i < kCellColorCount; ++i) {
    long d = 0;
    for (int shift : {0, 8, 16}) {
      const long diff = Channel(bgr, shift) - Channel(kPalette[i], shift);
      d += diff * diff;
    }
    if (best_d < 0 || d < best_d) {
      best = i;
      best_d = d;
    }
  }
  return static_cast<CellColor>(best);
}

uint32_t CellColorBgr(uint8_t color) { return color < kCellColorCount ? kPalette[color] : kPalette[0]; }

char CellColorCode(uint8_t color) {
  const int n = CellColorTerm(color);
  if (n < 0) return ' ';
  return static_cast<char>(n < 10 ? '0' + n : 'a' + n - 10);
}

}  // namespace plat
