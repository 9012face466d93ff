#include "ui/ui_install.h"

#include "core/app_run.h"
#include "core/app_state.h"
#include "core/app_verbs.h"
#include "core/msg_box.h"
#include "core/runtime.h"
#include "ui/accept_win.h"
#include "ui/hook_win.h"
#include "ui/font_cfg.h"
#include "ui/field_values.h"
#include "ui/geom.h"
#include "ui/main_window.h"
#include "ui/screen_open.h"
#include "ui/ui_state.h"
#include "ui/win_levels.h"
#include "ui/win_loop.h"
#include "ui/win_stack.h"

namespace eng {

void UiInstallServices(plat::WinSystem* ws) {
  UiSetWinSystem(ws);
  AppStartServices start = AppGetStartServices();
  start.grid_size = [](uint16_t columns, uint16_t rows) { WinGridSetSize(columns, rows, true); };
  start.grid_margins = [](uint16_t left, uint16_t top, uint16_t, uint16_t bottom) {
    WinGridSetMargins(left, top, bottom, -1);
  };
  start.font_cfg_load = &FontCfgLoad;
  start.field_provider = &ScreenFieldProvider;
  AppSetStartServices(start);
  // The program may have set its grid before the layer was there.
  const AppGrid& grid = AppGetGrid();
  WinGridSetSize(grid.columns, grid.rows, true);
  WinGridSetMargins(grid.margins[0], grid.margins[1], grid.margins[3], -1);

  AppRunServices run = Core().run.services;
  run.window_open = [] { return WinTop() != plat::kNoWindow; };
  run.modal_loop = []() -> Status {
    WinModalLoop(plat::kNoWindow);
    return kOk;
  };
  run.screen_close = [](int32_t which) { return ScreenClose(which); };
  AppRunServicesSet(run);
  MainWindowInstall();

  AppVerbServiceSet(kVerbFontSet, [](StrPair) { return FontCfgChoose(); });

  MsgBoxHooks hooks = Core().msgbox.hooks;
  hooks.top_window = []() -> uint64_t { return WinTop(); };
  hooks.engine_window_open = [] { return WinTop() != plat::kNoWindow; };
  hooks.drop_pending_messages = [] {
    if (plat::WinSystem* w = UiWs()) w->DiscardPending();
  };
  MsgBoxSetHooks(hooks);
  AcceptInstall();
  MantHookWinInstall();
  WinStatementsInstall();
}

}  // namespace eng
