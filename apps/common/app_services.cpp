#include "apps/common/app_services.h"

#include "core/help.h"
#include "core/scratch_arena.h"
#include "core/script_io.h"
#include "output/com_ports.h"
#include "output/device_dialog.h"
#include "output/report_runner.h"
#include "output/child_programs.h"
#include "output/report_viewer.h"
#include "ui/accept_win.h"
#include "ui/field_values.h"
#include "ui/movs_win.h"
#include "ui/scanner.h"
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

// A report's limits asked in an accept window over its bounds definition.
Status AskReportLimits(std::string_view title, std::string_view definition, std::string& values,
                       std::string& filter) {
  ScratchScope scope;
  return AcceptRunTexts(StrOf(title), StrOf(definition), &values, &filter);
}

// The raw text of a field of the current window (a report's limits).
std::string CurrentWindowField(int n) {
  ScratchScope scope;
  StrPair raw = ScreenFieldRaw(n);
  return raw.ok() ? raw.str() : std::string();
}

// The chosen device goes to the OUTPUT journal the same way as the forms.
void JournalDevice(std::string_view line) {
  ScratchScope scope;
  ScriptJournalLine(StrOf(line));
}

uint16_t OpenScannerPort(std::string_view spec) { return ComOpenSpec(spec, false); }

// A saved document printed on DOC$'s device and template, over DOCSETS$ up
// to the document's key; with no device named the device dialog asks.
Status PrintDocument(StrPair device, StrPair tmpl, StrPair range, StrPair key) {
  return ReportOpenAndRun(device.view(), tmpl.view(), range.view(), "", key.view(), nullptr, true);
}

}  // namespace

void AppInstallScriptServices() { OutputSetJournal(&JournalDevice); }

void AppInstallWindowServices(plat::WinSystem* ws) {
  ReportWinSetWindows(ws, ws ? &g_viewer_host : nullptr);
  HelpSetViewer(&ViewHelpFile);
  OutputSetLimitsAsker(&AskReportLimits);
  OutputSetWindowFieldReader(&CurrentWindowField);
  MovsSetPrinter(&PrintDocument);
  ScanSetPortOps({&OpenScannerPort, &ComClose, &ComReadQuiet, &ComStartPolling});
}

}  // namespace eng
