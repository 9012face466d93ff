#include "ui/fonts.h"

#include <algorithm>
#include <cstring>

#include "ui/ui_state.h"

namespace eng {

namespace {

// The screen font's metrics: the window system's stock font, or the
// metrics it would answer (height 21, average width 11) without one.
plat::TextMetrics ScreenMetrics() {
  plat::WinSystem* ws = UiWs();
  if (!ws) return {21, 11};
  return ws->FontMetrics(plat::WinSystem::StockFontHandle(plat::kSystemFont));
}

}  // namespace

const FontTable& FontTableGet() { return Ui().fonts; }

GeomSize FontCellSize() {
  const FontTable& t = Ui().fonts;
  if (t.current >= 0 && t.entries[t.current].height != 0) {
    const FontEntry& e = t.entries[t.current];
    return {e.width, e.height};
  }
  plat::TextMetrics m = ScreenMetrics();
  return {m.avg_width + 1, m.height + 3};
}

void FontRegister(int height, int width, int weight, StrPair face) {
  FontTable& t = Ui().fonts;
  const int next = t.current + 1;
  if (next >= kFontEntries) return;
  const GeomSize cell = FontCellSize();
  FontEntry e;
  e.height = static_cast<uint16_t>(height == -1 ? cell.h : height);
  e.width = static_cast<uint16_t>(width == -1 ? cell.w : width);
  e.weight = static_cast<uint16_t>(weight == 0 ? 400 : weight == 1 ? 700 : weight);
  std::string_view f = face.view();
  if (f.size() < sizeof e.face) std::memcpy(e.face, f.data(), f.size());
  t.entries[next] = e;
  t.current = static_cast<int16_t>(next);
  if (plat::WinSystem* ws = UiWs()) {
    GeomSize c = FontCellSize();
    ws->SetCellSize(c.w, c.h);
  }
}

plat::FontSpec FontSpecOf(int entry) {
  plat::FontSpec s;
  if (entry < 0 || entry >= kFontEntries) return s;
  const FontEntry& e = Ui().fonts.entries[entry];
  const int shrink = std::max((e.width + 8) / 16, 1);
  s.height = e.height - 3;
  s.width = e.width - shrink;
  s.weight = e.weight;
  s.face = std::string(e.face, strnlen(e.face, sizeof e.face));
  return s;
}

int FontCreate(int entry) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return 0;
  return ws->FontCreate(FontSpecOf(entry));
}

Status FontApply(plat::Hwnd window, int mode) {
  if (mode != kFontModeSystem && mode != kFontModeScreen) return kStDataError;
  plat::WinSystem* ws = UiWs();
  if (!ws) return kOk;
  int font = 0;
  if (mode == kFontModeSystem) {
    font = plat::WinSystem::StockFontHandle(plat::kSystemFont);
  } else if (Ui().fonts.current < 0) {
    font = plat::WinSystem::StockFontHandle(plat::kOemFixedFont);
  } else {
    font = FontCreate(Ui().fonts.current);
  }
  ws->SetFont(window, font);
  return kOk;
}

}  // namespace eng
