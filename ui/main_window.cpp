#include "ui/main_window.h"

#include "core/app_run.h"
#include "core/app_verbs.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "ui/caption.h"
#include "ui/menu_bar.h"
#include "ui/menu_logo.h"
#include "ui/screen_actions.h"
#include "ui/screen_open.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"
#include "ui/win_create.h"
#include "ui/win_def.h"
#include "ui/win_stack.h"
#include "ui/window_procs.h"

namespace eng {

namespace {

constexpr int kMainKind = 0;

StrPair CurrentScreenDefinition() {
  const int screen = ScreenCounterGet(kCurScreen);
  if (screen < 0 || !ScreenBlockOf(screen)) return StrFail(kStDataError);
  return ScreenDefText(screen);
}

// The main screen's handler: menu items, the close request and help go to
// AppMainWinAction; focus and every other action have nothing to do on the
// main window (AppMainWinAction's 163 for them would show an error box on
// every focus). AppMainWinAction shows its own failures; the dispatch is
// told so, and does not show the same failure a second time.
Status MainWinAction(uint16_t action) {
  switch (action & 0xFF) {
    case kActMenuItem:
    case kActCloseRequest:
    case kActHelp: {
      const Status status = AppMainWinAction(action);
      if (status >= kStFirstWarning && Ui().dispatch_depth > 0) Ui().shown.push_back(status);
      return status;
    }
    default:
      return kOk;
  }
}

}  // namespace

Status UiMainWindow(StrPair menu) {
  const int bar = MenuBarBuild(menu);
  plat::Hwnd window;
  {
    ScratchScope scope;
    window = WinCreateKind(kMainKind, 0, ScreenCaptionText(StrOf("")), bar, -1, -1, &ScreenMainWinProc);
  }
  if (window == plat::kNoWindow) return kMainWindowFailed;
  const WinDefRecord line = WinDefParse(menu);
  Status status = ScreenOpen(StrOf(line.file), StrOf(line.key), line.number, line.columns, line.rows,
                             line.data_file, StrOf(line.entry));
  if (status == kOk) {
    const Status logo = MenuLogoShow(WinTop());
    if (logo != kStDataError) status = logo;
  }
  if (status == kOk) ScreenActionSet(&MainWinAction, nullptr, nullptr);
  return status;
}

void MainWindowInstall() {
  AppRunServices run = Core().run.services;
  run.main_window = &UiMainWindow;
  AppRunServicesSet(run);
  AppScreenServicesSet(&CurrentScreenDefinition, &ScreenCloseOnExit);
}

}  // namespace eng
