// The application's hand-over points and the start-up state the core keeps
// for the whole run:
//   - the action callback (AppActionCallback), installed by the application
//     before the start and kept for the whole run;
//   - the character grid's size and margins, set before the start and kept
//     here until the window layer takes them;
//   - the services of the higher layers that start-up and recovery call
//     (AppStartServices): each is installed by its layer and is empty until
//     then; an empty service is skipped (a void step) or answers 0;
//   - the session state file's remembered time stamp (ms since local
//     midnight of this program's own last write; 0 before the first write)
//     and the file itself, held open under an exclusive lock while this
//     program's session is open (none before the start and after the end).
#pragma once

#include <cstdint>
#include <memory>

#include "core/block_file.h"
#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

// Phase numbers: start flags x 16 + 1 (registrations), start flags x 16 + 2
// (loading), 3 (shut-down). An application tests the low four bits.
using AppPhaseCallback = Status (*)(uint16_t phase);
// A parsed command: the verb number in the high 16 bits and the parse status
// in the low 16 bits, and the rest of the command.
using AppActionCallback = Status (*)(uint32_t verb_and_status, StrPair rest);

// What start-up and recovery need from the window and progress layers.
struct AppStartServices {
  void (*init_instance)(void* instance) = nullptr;           // WinInitInstance
  void (*grid_size)(uint16_t columns, uint16_t rows) = nullptr;  // WinGridSetSize
  void (*grid_margins)(uint16_t left, uint16_t top, uint16_t right, uint16_t bottom) = nullptr;
  Status (*font_cfg_load)() = nullptr;                        // display font settings
  StrPair (*field_provider)(StrPair name, uint16_t mode, StrPair value) = nullptr;  // hook 0
  void (*progress_step)(int64_t count, StrPair text) = nullptr;  // progress window step
  void (*progress_close)() = nullptr;                           // progress window close
};

struct AppGrid {
  uint16_t columns = 80;
  uint16_t rows = 24;
  uint16_t margins[4] = {0, 0, 0, 0};
};

struct AppState {
  AppActionCallback action = nullptr;
  AppGrid grid;
  AppStartServices services;
  uint32_t session_stamp = 0;
  std::unique_ptr<BlockFile> session_lock;
};

// Stores the action callback; may be called before anything is set up.
void AppSetActionCallback(AppActionCallback callback);
AppActionCallback AppGetActionCallback();
// Keeps the grid's size and margins and passes them on to the window layer
// when it has installed its grid operations.
void AppSetScreenSize(uint16_t columns, uint16_t rows, uint16_t left, uint16_t top, uint16_t right,
                      uint16_t bottom);
const AppGrid& AppGetGrid();
// Installs the higher layers' services (all of them at once).
void AppSetStartServices(const AppStartServices& services);
const AppStartServices& AppGetStartServices();

}  // namespace eng
