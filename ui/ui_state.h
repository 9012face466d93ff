// The window layer's runtime context: the character grids, the font table,
// the window stack, the blocks of the loaded screens and open screen windows,
// and the window system the layer speaks to. It hangs on the core runtime
// (CoreRuntime::ui_layer), so a fresh core runtime starts a fresh window
// layer. Ui() creates it on first use.
//
// The window system is installed by the program (or a test) and stays owned
// by it; without one, every window operation fails softly (null handles).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/status.h"
#include "core/str_pair.h"
#include "platform/win_core.h"
#include "ui/accept_state.h"
#include "ui/fonts.h"
#include "ui/grid_slots.h"
#include "ui/geom.h"
#include "ui/list_level_state.h"
#include "ui/progress_win.h"
#include "ui/scanner_state.h"
#include "ui/screen_records.h"
#include "ui/win_levels_state.h"
#include "ui/win_stack.h"

namespace eng {

// The chooser the font verb asks: (title, comma list of choices) -> the
// 1-based choice, 0 when nothing was chosen. Installed by the layer that
// builds the chooser popup; without one the plain list chooser is used.
using UiChooser = std::function<uint16_t(StrPair title, StrPair choices)>;

// Ends the accept window with an action code (installed by accept windows).
using UiAcceptExit = std::function<Status(uint16_t code)>;

struct UiState {
  plat::WinSystem* ws = nullptr;  // not owned
  ScreenGrid base_grid{80, 25, 0, 0, 0, 0};
  ScreenGrid override_grid{0, 0, 0, 0, 0, 0};
  FontTable fonts;
  WinStack stack;
  uint16_t counters[4] = {0, 0, 0, 0};  // ScreenCounters
  std::map<uint32_t, ScreenBlock> screen_blocks;
  std::map<uint32_t, std::string> win_blocks;
  uint32_t next_block = 1;
  void* instance = nullptr;
  UiChooser chooser;
  UiAcceptExit accept_exit;
  AcceptState accept;
  WinLevelState levels;
  ScanState scan;
  // Statuses shown in an error box during the dispatch in progress, so that
  // one failure is shown once; depth of nested dispatches.
  std::vector<Status> shown;
  int dispatch_depth = 0;
  // The keyboard-wedge scan being received by whichever edit has the focus.
  bool wedge_scanning = false;
  std::string wedge;
  // The progress window and the banner popup (one of each for the program).
  ProgState progress;
  plat::Hwnd banner = plat::kNoWindow;
  // The logo image of the main window, loaded once for the run.
  std::string logo;
  // The field option menu's services (ui/menu_field_options.h): the accept
  // form and the maintenance windows' verb runner.
  Status (*field_accept)(StrPair argument, std::string* last) = nullptr;
  Status (*field_run_verb)(int field, StrPair command) = nullptr;
  // The combo boxes by slot (ui/combo_slots.h); kNoWindow when free.
  std::array<plat::Hwnd, 80> combo_slots{};
  // The document-type selector's last choice, kept across windows.
  int selector_choice = 0;
  // The line grids and the list levels that show lines in them.
  GridSlots grids{};
  ListLevels lists;
  // The application's renumbering of a run of lines (ui/nav_win.h).
  Status (*nav_order_unique)(uint16_t file) = nullptr;
};

UiState& Ui();
// The installed window system, or null.
plat::WinSystem* UiWs();
void UiSetWinSystem(plat::WinSystem* ws);
void UiSetChooser(UiChooser chooser);

}  // namespace eng
