// The list levels' part of the window layer's runtime context: four levels
// (0-3), the newest current; 0xFFFF while none is open.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "platform/win_types.h"
#include "ui/lins_buf.h"

namespace eng {

inline constexpr uint16_t kListLevelCount = 4;
inline constexpr uint16_t kListNone = 0xFFFF;

// (window, level, grid code) -> a non-zero answer asks to close the window.
using ListKeyCallback = std::function<uint8_t(plat::Hwnd window, uint16_t level, uint16_t code)>;

struct ListLevel {
  LinsBuf lines;
  ListKeyCallback key;
  uint16_t grid = kListNone;
  uint16_t visible = 0;
  uint16_t limit = 0;
  uint16_t first = 0;  // the bounded range its columns come from; 0 none
  uint16_t last = 0;
};

struct ListLevels {
  std::array<ListLevel, kListLevelCount> levels{};
  uint16_t current = kListNone;
};

}  // namespace eng
