// Logical fonts of the window system.
#include "platform/win_core.h"

namespace plat {

namespace {
constexpr int kFirstCreated = 3;
constexpr TextMetrics kStockMetrics{21, 11};
}  // namespace

int WinSystem::FontCreate(const FontSpec& spec) {
  fonts_.push_back(spec);
  return kFirstCreated + static_cast<int>(fonts_.size()) - 1;
}

const FontSpec* WinSystem::FontRec(int font) const {
  int i = font - kFirstCreated;
  if (i < 0 || i >= static_cast<int>(fonts_.size())) return nullptr;
  return &fonts_[static_cast<size_t>(i)];
}

TextMetrics WinSystem::FontMetrics(int font) const {
  const FontSpec* f = FontRec(font);
  if (!f || f->height <= 0) return kStockMetrics;
  return {f->height, f->width > 0 ? f->width : kStockMetrics.avg_width};
}

void WinSystem::SetFont(Hwnd h, int font) {
  Window* w = Rec(h);
  if (!w) return;
  w->font = font;
  Send(h, kWmSetFont, static_cast<uint64_t>(font));
}

int WinSystem::GetFont(Hwnd h) const {
  const Window* w = Rec(h);
  return w ? w->font : 0;
}

}  // namespace plat
