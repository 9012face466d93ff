// The font table and the character cell.
//
// At most 7 fonts (entries 0-6) are registered; the current entry is always
// the last one registered (-1 while the table is empty). The character cell
// is the current entry's width and height when it has a height, else the
// screen font's average character width + 1 and height + 3 (12 x 24 with the
// window system's stock font, and without a window system).
//
// FontRegister: height -1 takes the cell height, width -1 the cell width;
// weight 0 means 400 and 1 means 700; a face of 32 characters or more is
// left empty; an eighth registration changes nothing.
// FontSpecOf (entry): the logical font FontCreate makes: height - 3, width
// less max(width / 16 rounded half away from zero, 1), the entry's weight
// and face.
// FontApply (window, mode): 0 the system font, 2 the current entry's font
// (the OEM fixed font while the table is empty); other modes 163.
#pragma once

#include <array>
#include <cstdint>

#include "core/status.h"
#include "core/str_pair.h"
#include "platform/win_core.h"
#include "ui/geom.h"

namespace eng {

inline constexpr int kFontEntries = 7;

struct FontEntry {
  uint16_t height = 0;
  uint16_t width = 0;
  uint16_t weight = 0;
  char face[32] = {};
};

struct FontTable {
  std::array<FontEntry, kFontEntries> entries{};
  int16_t current = -1;
};

inline constexpr int kFontModeSystem = 0;
inline constexpr int kFontModeScreen = 2;

void FontRegister(int height, int width, int weight, StrPair face);
const FontTable& FontTableGet();
GeomSize FontCellSize();
plat::FontSpec FontSpecOf(int entry);
// A window-system font made from the entry; 0 without a window system.
int FontCreate(int entry);
Status FontApply(plat::Hwnd window, int mode);

}  // namespace eng
