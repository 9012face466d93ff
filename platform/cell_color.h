// The colours of the character grid: the terminal's own colour ("default")
// and the 16 classic console colours, in the terminal's numbering (black,
// red, green, brown, blue, magenta, cyan, light grey, then the bright forms),
// each entry being that number plus one.
//
// Windows give colours as 0x00BBGGRR; NearestCellColor maps one to the
// palette entry closest to it (squared distance in red, green and blue; on a
// tie the lower entry). A value with a non-zero high byte is no colour of its
// own (the "default" and "none" markers of list views) and maps to
// kColorDefault.
#pragma once

#include <cstdint>

namespace plat {

enum CellColor : uint8_t {
  kColorDefault = 0,
  kColorBlack,
  kColorRed,
  kColorGreen,
  kColorBrown,
  kColorBlue,
  kColorMagenta,
  kColorCyan,
  kColorLightGray,
  kColorDarkGray,
  kColorLightRed,
  kColorLightGreen,
  kColorYellow,
  kColorLightBlue,
  kColorLightMagenta,
  kColorLightCyan,
  kColorWhite,
};
inline constexpr int kCellColorCount = 17;

CellColor NearestCellColor(uint32_t bgr);
// The 0x00BBGGRR of a palette entry; 0xFFFFFFFF for kColorDefault.
uint32_t CellColorBgr(uint8_t color);
// The terminal's colour number 0-15; -1 for kColorDefault (and out of range).
inline int CellColorTerm(uint8_t color) { return color >= 1 && color < kCellColorCount ? color - 1 : -1; }
// One character for snapshots: ' ' default, '0'-'9' and 'a'-'f' the terminal's number.
char CellColorCode(uint8_t color);

}  // namespace plat
