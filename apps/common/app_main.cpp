// The entry sequence both programs share (apps/common/app_head.h).
#include "apps/common/app_head.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "apps/common/app_usage.h"
#include "core/app_run.h"
#include "core/cmd_line.h"
#include "core/app_state.h"
#include "core/folders.h"
#include "core/hooks.h"
#include "core/msg_box.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "data/app_start.h"
#include "data/session_state.h"
#include "platform/ctl_msgbox.h"
#include "platform/msgbox_headless.h"
#include "platform/term_frontend.h"
#include "platform/win_core.h"
#include "apps/common/app_services.h"
#include "ui/popup_install.h"
#include "ui/ui_install.h"

namespace eng::apphead {

namespace {

int ExitCode(Status s) { return s > 255 ? 255 : static_cast<int>(s); }

// The name the program was started under, without its folder.
std::string ProgramName(int argc, const char* const* argv) {
  std::string_view name = argc > 0 && argv[0] ? std::string_view(argv[0]) : std::string_view();
  size_t slash = name.rfind('/');
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  return std::string(name);
}

// The window system on the terminal, when the program runs in one: the
// window layer and the on-screen message box are installed on it, so that
// every question (the recovery question included) is asked of the user.
// The terminal is given back as it was when the session ends.
class TermSession {
 public:
  bool Start() {
    if (!isatty(STDIN_FILENO)) return false;
    std::string error;
    if (!term_.Open(error)) return false;
    ws_ = std::make_unique<plat::WinSystem>(&term_);
    term_.Attach(ws_.get());
    // A terminal that goes away ends every loop; the run then ends normally.
    ws_->SetStallHandler([this](plat::WinSystem&, const std::string& report) { report_ = report; });
    box_ = std::make_unique<plat::WinMsgBox>(*ws_);
    MsgBoxSetService(box_.get());
    UiInstallServices(ws_.get());
    UiInstallPopupServices(ws_.get());
    AppInstallWindowServices(ws_.get());
    return true;
  }
  ~TermSession() {
    if (!ws_) return;
    term_.Close();
    if (!report_.empty()) std::fwrite(report_.data(), 1, report_.size(), stderr);
  }

 private:
  plat::TermFrontEnd term_;
  std::unique_ptr<plat::WinSystem> ws_;
  std::unique_ptr<plat::WinMsgBox> box_;
  std::string report_;
};

}  // namespace

int AppHeadMain(const AppHeadDesc& head, int argc, const char* const* argv) {
  const std::string program = ProgramName(argc, argv);
  if (CmdHelpAsked(argc, argv)) {
    const std::string usage = AppUsageText(program, std::string_view(head.identity).substr(0, 2));
    std::fwrite(usage.data(), 1, usage.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 255;
  }
  MemSetLimits(kArenaKb, 0xFFFF);
  AppSetActionCallback(head.action);
  AppSetScreenSize(kGridColumns, kGridRows, 0, 0, 0, 0);
  // The display font (kFontFace, kFontHeight, kFontWidth, kFontWeight) is
  // the window layer's; the grid's 12 x 24 cell is its default.
  //
  // Without a terminal every box is written to standard error and answered
  // with its safe default; the window layer puts its on-screen box in place
  // when it runs on a terminal.
  static plat::HeadlessMsgBox batch(plat::HeadlessMsgBox::Mode::kBatch, stderr, program);
  MsgBoxSetService(&batch);
  AppInstallScriptServices();
  TermSession terminal;
  terminal.Start();
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
  // The shut-down reports errors only; a run that stopped on a smaller
  // status (a procedure stopped at a statement, a cancel) did not end
  // normally either, and its exit code says so.
  Status end = AppShutdown(head.phase, run);
  return ExitCode(end ? end : run);
}

}  // namespace eng::apphead
