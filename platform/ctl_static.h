// Static text controls: labels (left, right or centred), multi-line texts
// (CR LF or LF separated, one row per line) and the banner style: the whole
// control in reverse video, white on grey, with its lines centred both ways. Statics take no
// focus and send no commands.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/win_types.h"

namespace plat {

class WinSystem;
class CellGrid;
struct CellRect;

int64_t StaticProc(WinSystem& ws, Hwnd h, uint32_t msg, uint64_t w, int64_t l);
void PaintStatic(const WinSystem& ws, Hwnd h, CellGrid& grid, const CellRect& cells, const CellRect& clip);

Hwnd CreateStatic(WinSystem& ws, Hwnd parent, int id, Rect r, std::string_view text, uint32_t style = 0);

}  // namespace plat
