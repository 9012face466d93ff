// The window stack: every top-level window the engine creates, 32 at most,
// with a z-order (bottom first; the last entry is the top, the window the
// user works in). A slot holds the window, its value (the number of the
// screen window record it shows, -1 for none) and its show state (0, or 4
// for a window shown maximised). The count is 0xFFFF until the first use,
// which frees every slot.
//
// WinStackPush: a window already on the stack moves to the top and takes the
// new value; otherwise the first free slot takes it; with 32 windows nothing
// happens and the result is null.
// WinStackPop: removes the window's own slot and z-order entry (a window that
// is not on the stack changes nothing), then activates the new top; true
// when the stack became empty.
#pragma once

#include <array>
#include <cstdint>

#include "platform/win_types.h"

namespace eng {

inline constexpr uint16_t kWinStackSize = 32;
inline constexpr uint16_t kShowMaximised = 4;

struct WinStackSlot {
  plat::Hwnd window = plat::kNoWindow;
  uint16_t value = 0xFFFF;
  uint16_t show = 0;
};

struct WinStack {
  uint16_t count = 0xFFFF;
  std::array<uint16_t, kWinStackSize> z{};
  std::array<WinStackSlot, kWinStackSize> slots{};
};

plat::Hwnd WinStackPush(plat::Hwnd window, int value);
bool WinStackPop(plat::Hwnd window);
plat::Hwnd WinTop();
// The window's value, or -1 (0xFFFF) when it is not on the stack.
int WinStackValue(plat::Hwnd window);
// Sets the value of a window on the stack; false when it is not there.
bool WinStackSetValue(plat::Hwnd window, int value);
uint16_t WinStackCount();
// The windows bottom to top.
std::array<plat::Hwnd, kWinStackSize> WinStackOrder(uint16_t& count);
// 1: the top's show state becomes 0; 2: the top is shown normally; -1: shown
// maximised when its show state is 4, else shown, and activated; any other
// value becomes the top's show state. Nothing with an empty stack.
void WinShowTop(int command);
// Every window record value above n drops by one (a record was deleted).
void WinStackValuesShift(uint16_t deleted);

}  // namespace eng
