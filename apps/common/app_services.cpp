#include "apps/common/app_services.h"

#include "core/help.h"
#include "output/child_programs.h"
#include "output/report_viewer.h"
#include "ui/win_loop.h"
#include "ui/win_stack.h"

namespace eng {

namespace {

// The report viewer's windows as engine windows: pushed on the window stack
// over the window on top, taken off when destroyed (the last one leaving
// ends the run, as for every engine window), run by the modal loop.
class StackViewerHost : public ViewerWindowHost {
 public:
  plat::Hwnd TopWindow() override { return WinTop(); }
  void Push(plat::Hwnd h) override { WinStackPush(h, -1); }
  void Remove(plat::Hwnd h) override { WinStackDestroyed(h); }
  void ModalLoop(plat::Hwnd h) override { WinModalLoop(h); }
};

StackViewerHost g_viewer_host;

Status ViewHelpFile(StrPair file, uint16_t viewer) { return ChildViewFile(viewer, file.view()); }

}  // namespace

void AppInstallWindowServices(plat::WinSystem* ws) {
  ReportWinSetWindows(ws, ws ? &g_viewer_host : nullptr);
  HelpSetViewer(&ViewHelpFile);
}

}  // namespace eng
