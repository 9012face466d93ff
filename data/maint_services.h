// What the data files' maintenance (backup, restore, reorganisation), the
// statistics scans and the distinct-value lists ask of
// the window layer, installed by that layer at start-up. Each is optional;
// until one is installed the headless default holds:
//   progress_open (steps, title), progress_tick, progress_close: the
//     progress window (an empty title keeps the window's own caption);
//     default: nothing shown, a tick answers 0 (never cancelled);
//   choose_folder (start folder, title): the folder browser, the chosen path
//     or "" when cancelled; default: the start folder, as when the browser is
//     confirmed at once;
//   choose_file (title, chosen out): the open-file dialog, 0 with a name or
//     122 when cancelled; default: 148 (no dialog);
//   choose_table (title): the table chooser, the chosen file number or 0 when
//     cancelled; default: 148 (no chooser);
//   banner_show (text), banner_close: the banner popup of the distinct-value
//     lists; default: nothing shown.
// The progress window serves the statistics scans as well.
// Installed code, not state: it stays across runtime resets until replaced.
#pragma once

#include <cstdint>
#include <string>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

struct MaintServices {
  void (*progress_open)(uint32_t steps, StrPair title) = nullptr;
  Status (*progress_tick)() = nullptr;
  void (*progress_close)() = nullptr;
  std::string (*choose_folder)(StrPair start, StrPair title) = nullptr;
  Status (*choose_file)(StrPair title, std::string* chosen) = nullptr;
  uint16_t (*choose_table)(StrPair title) = nullptr;
  void (*banner_show)(StrPair text) = nullptr;
  void (*banner_close)() = nullptr;
};

void MaintSetServices(const MaintServices& services);
const MaintServices& MaintGetServices();

// The calls with their headless defaults.
void MaintProgressOpen(uint32_t steps, StrPair title = StrPair{});
Status MaintProgressTick();
void MaintProgressClose();

}  // namespace eng
