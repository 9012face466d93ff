// The window statements' part of the window layer's runtime context: the
// stack of WINOPEN windows and the window levels.
#pragma once

#include <array>
#include <cstdint>

#include "core/exec_state.h"
#include "platform/win_types.h"

namespace eng {

inline constexpr uint16_t kWinCmdStackSize = 24;
inline constexpr uint16_t kWinLevels = 8;

struct WinLevel {
  uint16_t level = 0;
  uint16_t origin_row = 0, origin_column = 0;
  uint16_t cursor_row = 0, cursor_column = 0;
  uint16_t columns = 0, rows = 0;
  uint16_t color1 = 0, color2 = 0;
  uint16_t first_entry = 0;  // elements of list 32 when the level was opened
};

struct WinLevelState {
  std::array<plat::Hwnd, kWinCmdStackSize> windows{};
  uint16_t count = 0;
  std::array<WinLevel, kWinLevels> levels{};
  uint16_t current = 0;
  // The screen slot's extension that was installed before the window
  // statements: codes they do not serve go on to it.
  ExecHandler next_extension = nullptr;
};

}  // namespace eng
