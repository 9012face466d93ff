#include "ui/win_stack.h"

#include "ui/ui_state.h"

namespace eng {

namespace {

// The stack, set up on first use.
WinStack& Stack() {
  WinStack& s = Ui().stack;
  if (s.count == 0xFFFF) {
    s.count = 0;
    s.slots.fill(WinStackSlot{});
  }
  return s;
}

// The slot of the window, or -1.
int SlotOf(const WinStack& s, plat::Hwnd window) {
  if (window == plat::kNoWindow) return -1;
  for (int i = 0; i < kWinStackSize; ++i)
    if (s.slots[i].window == window) return i;
  return -1;
}

// The z-order position of a slot, or -1.
int ZOf(const WinStack& s, int slot) {
  for (int i = 0; i < s.count; ++i)
    if (s.z[i] == slot) return i;
  return -1;
}

void ZRemove(WinStack& s, int at) {
  for (int i = at; i + 1 < s.count; ++i) s.z[i] = s.z[i + 1];
  --s.count;
}

WinStackSlot* TopSlot() {
  WinStack& s = Stack();
  return s.count ? &s.slots[s.z[s.count - 1]] : nullptr;
}

}  // namespace

plat::Hwnd WinStackPush(plat::Hwnd window, int value) {
  WinStack& s = Stack();
  int slot = SlotOf(s, window);
  if (slot >= 0) {
    ZRemove(s, ZOf(s, slot));
  } else {
    for (int i = 0; i < kWinStackSize && slot < 0; ++i)
      if (s.slots[i].window == plat::kNoWindow) slot = i;
    if (slot < 0 || s.count >= kWinStackSize) return plat::kNoWindow;
    s.slots[slot] = WinStackSlot{window, 0xFFFF, 0};
  }
  s.slots[slot].value = static_cast<uint16_t>(value);
  s.z[s.count++] = static_cast<uint16_t>(slot);
  return window;
}

bool WinStackPop(plat::Hwnd window) {
  WinStack& s = Stack();
  if (s.count == 0) return false;
  const int slot = SlotOf(s, window);
  // Only the window's own entry leaves: a window that is not on the stack
  // (one that could not be pushed) changes nothing.
  if (slot < 0) return false;
  ZRemove(s, ZOf(s, slot));
  s.slots[slot] = WinStackSlot{};
  if (s.count == 0) return true;
  if (plat::WinSystem* ws = UiWs()) {
    plat::Hwnd top = s.slots[s.z[s.count - 1]].window;
    ws->Enable(top, true);
    ws->Activate(top);
  }
  return false;
}

plat::Hwnd WinTop() {
  WinStackSlot* t = TopSlot();
  return t ? t->window : plat::kNoWindow;
}

int WinStackValue(plat::Hwnd window) {
  WinStack& s = Stack();
  const int slot = SlotOf(s, window);
  return slot < 0 ? -1 : static_cast<int16_t>(s.slots[slot].value);
}

bool WinStackSetValue(plat::Hwnd window, int value) {
  WinStack& s = Stack();
  const int slot = SlotOf(s, window);
  if (slot < 0) return false;
  s.slots[slot].value = static_cast<uint16_t>(value);
  return true;
}

uint16_t WinStackCount() { return Stack().count; }

std::array<plat::Hwnd, kWinStackSize> WinStackOrder(uint16_t& count) {
  WinStack& s = Stack();
  std::array<plat::Hwnd, kWinStackSize> out{};
  count = s.count;
  for (int i = 0; i < s.count; ++i) out[i] = s.slots[s.z[i]].window;
  return out;
}

void WinShowTop(int command) {
  WinStackSlot* t = TopSlot();
  if (!t) return;
  plat::WinSystem* ws = UiWs();
  switch (command) {
    case 1:
      t->show = 0;
      break;
    case 2:
      if (ws) ws->Show(t->window, plat::ShowCmd::kShow);
      break;
    case -1:
      if (ws) {
        ws->Show(t->window, t->show == kShowMaximised ? plat::ShowCmd::kMaximize : plat::ShowCmd::kShow);
        ws->Activate(t->window);
      }
      break;
    default:
      t->show = static_cast<uint16_t>(command);
      break;
  }
}

void WinStackValuesShift(uint16_t deleted) {
  WinStack& s = Stack();
  for (WinStackSlot& slot : s.slots) {
    if (slot.window == plat::kNoWindow || slot.value == 0xFFFF) continue;
    if (slot.value > deleted) --slot.value;
  }
}

}  // namespace eng
