// Progress bars: a range (min .. max, at most 0 .. 65535) and a position,
// drawn as the covered share of the control's cells in reverse video. A
// position outside the range is held at its nearer end; an empty or inverted
// range shows nothing covered. Progress bars take no input.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace plat {

class WinSystem;
class CellGrid;
struct CellRect;

int64_t ProgressProc(WinSystem& ws, Hwnd h, uint32_t msg, uint64_t w, int64_t l);
void PaintProgress(const WinSystem& ws, Hwnd h, CellGrid& grid, const CellRect& cells, const CellRect& clip);

Hwnd CreateProgress(WinSystem& ws, Hwnd parent, int id, Rect r);
// False for a window that is no progress bar or a range beyond 0 .. 65535.
bool ProgressSetRange(WinSystem& ws, Hwnd h, int min, int max);
// Returns the previous position.
int ProgressSetPos(WinSystem& ws, Hwnd h, int pos);
int ProgressPos(const WinSystem& ws, Hwnd h);
// Cells covered when the control is cells wide.
int ProgressCovered(const WinSystem& ws, Hwnd h, int cells);

}  // namespace plat
