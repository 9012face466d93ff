// Basic types of the window system: handles, rectangles, window kinds, styles
// and the metrics that relate pixels to character cells.
//
// A handle is a slot number (low 16 bits, from 1) and the slot's generation
// (high 16 bits); 0 is "no window". A handle whose window was destroyed never
// names a later window in the same slot, so a call on it is a harmless no-op.
// Geometry is kept in pixels as the engine computes it; a top-level window's
// rectangle is its outer rectangle in screen pixels, a child's is relative to
// its parent's client area. Texts are code page 1252 byte strings.
#pragma once

#include <climits>
#include <cstdint>

namespace plat {

using Hwnd = uint32_t;
constexpr Hwnd kNoWindow = 0;

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

struct Rect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
  bool Contains(Point p) const { return p.x >= x && p.y >= y && p.x < x + w && p.y < y + h; }
  bool operator==(const Rect&) const = default;
};

// "Let the system choose" for a coordinate or size at creation.
constexpr int kUseDefault = INT_MIN;

// The built-in window kinds. Top-level windows are kTop; the rest are
// controls, each with its own class procedure.
enum class WinKind : uint8_t {
  kTop,
  kEdit,
  kButton,
  kCheckBox,
  kStatic,
  kBitmapButton,
  kOwnerDrawButton,
  kListBox,
  kComboBox,
  kListView,
  kProgress,
};

// Style bits (our own numbering). The first group applies to every window,
// the later groups to one control kind each.
enum WinStyle : uint32_t {
  kWsCaption = 1u << 0,     // top-level: a caption row
  kWsSysMenu = 1u << 1,     // top-level: close box (cosmetic)
  kWsMinimizeBox = 1u << 2, // cosmetic
  kWsPopup = 1u << 3,       // top-level without a frame row unless kWsCaption
  kWsHScroll = 1u << 4,     // top-level: horizontal scroll bar shown
  kWsVScroll = 1u << 5,     // top-level: vertical scroll bar shown
  kWsDisabled = 1u << 6,    // created disabled
  kWsVisible = 1u << 7,     // created visible (controls are, unless hidden)
  kWsTabStop = 1u << 8,
  kWsBorder = 1u << 9,      // client edge (cosmetic)
  kWsModalMark = 1u << 10,  // the engine's own mark of modal windows; no effect here

  kEsReadOnly = 1u << 16,
  kEsPassword = 1u << 17,
  kEsRight = 1u << 18,
  kEsNumber = 1u << 19,
  kEsMultiline = 1u << 20,
  kEsAutoHScroll = 1u << 21,

  kSsRight = 1u << 16,
  kSsCenter = 1u << 17,
  kSsBanner = 1u << 18,  // grey panel with white centred lines
  kSsSunken = 1u << 19,

  kLbsNotify = 1u << 16,    // list box: selection and double-click commands to the parent
  kLbsWantKeys = 1u << 17,  // list box: keys offered to the parent first (kWmVKeyToItem)

  kCbsDropDown = 1u << 16,  // combo box: an edit field over a list that opens
  kCbsSimple = 1u << 17,    // combo box: the list always shown below the field

  kLvsGridLines = 1u << 16, // list view: lines between the rows
};

// Pixel metrics: the font cell, the work area in cells and the scroll-bar
// thickness. The work area in pixels is columns x cell width by rows x cell
// height.
struct Metrics {
  int cell_w = 12;
  int cell_h = 24;
  int cols = 80;
  int rows = 25;
  int scroll_bar = 24;
  int work_w() const { return cols * cell_w; }
  int work_h() const { return rows * cell_h; }
};

// Pixel to cell, rounding to the nearest cell: floor((v + cell / 2) / cell).
inline int PxToCell(int v, int cell) {
  int n = v + cell / 2;
  return n >= 0 ? n / cell : -((-n + cell - 1) / cell);
}
// Cells covered by a span of w pixels starting at v: at least one when w > 0.
inline int PxSpanCells(int v, int w, int cell) {
  if (w <= 0) return 0;
  int n = PxToCell(v + w, cell) - PxToCell(v, cell);
  return n < 1 ? 1 : n;
}

}  // namespace plat
