#include "platform/ctl_progress.h"

#include <algorithm>

#include "platform/compositor.h"
#include "platform/win_core.h"

namespace plat {

namespace {

Window* Bar(WinSystem& ws, Hwnd h) {
  return ws.RecOf(h, WinKind::kProgress);
}
const Window* Bar(const WinSystem& ws, Hwnd h) {
  return ws.RecOf(h, WinKind::kProgress);
}

}  // namespace

int64_t ProgressProc(WinSystem& ws, Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
  return WinSystem::DefProc(ws, h, msg, w, l);
}

bool ProgressSetRange(WinSystem& ws, Hwnd h, int min, int max) {
  Window* w = Bar(ws, h);
  if (!w || min < 0 || max > 65535) return false;
  w->progress.min = min;
  w->progress.max = max;
  return true;
}

int ProgressSetPos(WinSystem& ws, Hwnd h, int pos) {
  Window* w = Bar(ws, h);
  if (!w) return 0;
  int old = w->progress.pos;
  w->progress.pos = pos;
  return old;
}

int ProgressPos(const WinSystem& ws, Hwnd h) {
  const Window* w = Bar(ws, h);
  return w ? w->progress.pos : 0;
}

int ProgressCovered(const WinSystem& ws, Hwnd h, int cells) {
  const Window* w = Bar(ws, h);
  if (!w || cells <= 0) return 0;
  const ProgressState& p = w->progress;
  if (p.max <= p.min) return 0;
  const int64_t pos = std::clamp(p.pos, p.min, p.max) - p.min;
  return static_cast<int>(pos * cells / (p.max - p.min));
}

void PaintProgress(const WinSystem& ws, Hwnd h, CellGrid& grid, const CellRect& cells, const CellRect& clip) {
  if (!Bar(ws, h)) return;
  grid.Fill(cells, ' ', kAttrDim, clip);
  const int covered = ProgressCovered(ws, h, cells.cols);
  grid.Fill({cells.col, cells.row, covered, cells.rows}, ' ', kAttrReverse, clip);
}

Hwnd CreateProgress(WinSystem& ws, Hwnd parent, int id, Rect r) {
  return ws.Create(ChildParams(WinKind::kProgress, parent, id, r, kWsVisible));
}

}  // namespace plat
