// The entry sequence both programs share (apps/common/app_head.h).
#include "apps/common/app_head.h"
#include "core/app_run.h"
#include "core/app_state.h"
#include "core/folders.h"
#include "core/hooks.h"
#include "core/msg_box.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "data/app_start.h"
#include "data/session_state.h"
#include "platform/msgbox_headless.h"

namespace eng::apphead {

namespace {

int ExitCode(Status s) { return s > 255 ? 255 : static_cast<int>(s); }

}  // namespace

int AppHeadMain(const AppHeadDesc& head, int argc, const char* const* argv) {
  MemSetLimits(kArenaKb, 0xFFFF);
  AppSetActionCallback(head.action);
  AppSetScreenSize(kGridColumns, kGridRows, 0, 0, 0, 0);
  // The display font (kFontFace, kFontHeight, kFontWidth, kFontWeight) is
  // the window layer's; the grid's 12 x 24 cell is its default.
  //
  // Without a terminal every box is written to standard error and answered
  // with its safe default; the window layer puts its on-screen box in place
  // when it runs on a terminal.
  static plat::HeadlessMsgBox batch(plat::HeadlessMsgBox::Mode::kBatch);
  MsgBoxSetService(&batch);
  AppFunctionsSet(head.functions);

  Status s = AppStartArgv(nullptr, argc, argv, StrFromC(head.identity), StrFromC(head.title), kStartFlags,
                          head.phase);
  if (s) return ExitCode(s);
  Status run = kOk;
  {
    ScratchScope scope;
    StrPair menu = AppStartMenuName(StrFromC(head.menu));
    run = AppRunMenu(menu);
  }
  SessionStateCheck(0);
  return ExitCode(AppShutdown(head.phase, run));
}

}  // namespace eng::apphead
