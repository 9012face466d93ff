#include "ui/combo_slots.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "platform/ctl_combo.h"
#include "platform/win_core.h"
#include "ui/fonts.h"
#include "ui/ui_state.h"
#include "ui/window_procs.h"

namespace eng {

namespace {

constexpr int kComboMargin = 20;
constexpr int kEditableRows = 5;

}  // namespace

plat::Hwnd ComboHandle(uint16_t slot) {
  plat::WinSystem* ws = UiWs();
  if (slot >= kComboSlots || !ws || !ws->IsWindow(Ui().combo_slots[slot])) return plat::kNoWindow;
  return Ui().combo_slots[slot];
}

uint16_t ComboCreate(plat::Hwnd parent, int y, int x, StrPair items, bool editable) {
  plat::WinSystem* ws = UiWs();
  if (!ws || !ws->IsWindow(parent)) return kComboNone;
  std::vector<std::string> texts;
  size_t longest = 0;
  {
    ScratchScope scope;
    const uint16_t n = items.ok() && !items.empty() ? StrItemCount(items, ',') : 0;
    for (uint16_t i = 1; i <= n; ++i) {
      texts.push_back(StrUnquote(StrTrim(StrItem(items, ',', i), 3)).str());
      longest = std::max(longest, texts.back().size());
    }
  }
  // A slot whose control went with its parent window is free again.
  auto& slots = Ui().combo_slots;
  auto free = std::find_if(slots.begin(), slots.end(), [ws](plat::Hwnd h) { return !ws->IsWindow(h); });
  if (free == slots.end()) return kComboNone;
  const uint16_t slot = static_cast<uint16_t>(free - slots.begin());
  const GeomSize cell = FontCellSize();
  const int width = static_cast<int>(longest) * cell.w + kComboMargin + (editable ? kComboMargin : 0);
  const int rows = editable ? kEditableRows : static_cast<int>(texts.size());
  const plat::Rect r{x, y, width, rows * cell.h};
  const uint32_t style = plat::kWsVisible | plat::kWsTabStop | (editable ? plat::kCbsDropDown : plat::kCbsSimple);
  const plat::Hwnd h = plat::CreateCombo(*ws, parent, kIdComboBase + slot, r, style);
  if (!ws->IsWindow(h)) return kComboNone;
  ScreenCtrlSubclass(h, kSubComboOrButton);
  FontApply(h, kFontModeScreen);
  *free = h;
  for (const std::string& t : texts) plat::ComboAdd(*ws, h, t);
  return slot;
}

void ComboDestroy(uint16_t slot) {
  const plat::Hwnd h = ComboHandle(slot);
  if (!h) return;
  Ui().combo_slots[slot] = plat::kNoWindow;
  if (plat::WinSystem* ws = UiWs()) ws->Destroy(h);
}

int ComboGetSel(uint16_t slot) {
  plat::WinSystem* ws = UiWs();
  const plat::Hwnd h = ComboHandle(slot);
  if (!ws || !h) return -1;
  return plat::ComboGetSel(*ws, h);
}

void ComboSetSel(uint16_t slot, int index) {
  plat::WinSystem* ws = UiWs();
  const plat::Hwnd h = ComboHandle(slot);
  if (ws && h) plat::ComboSetSel(*ws, h, index);
}

void ComboSetFocus(uint16_t slot) {
  plat::WinSystem* ws = UiWs();
  const plat::Hwnd h = ComboHandle(slot);
  if (ws && h) ws->SetFocus(h);
}

}  // namespace eng
