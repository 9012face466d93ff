#include "apps/common/app_services.h"

#include <string_view>
#include <vector>

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
#include "ui/screen_open.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"
#include "ui/win_def.h"
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

  // The output layer's own dialogs: a screen record over the window on top,
  // taken away again with the grid and the current window record as they
  // were, since the dialog does not belong to the window below it.
  Status OpenScreen(plat::Hwnd h, std::string_view definition, int left, int top, int bottom) override {
    ScratchScope scope;
    OpenDialog saved{h, 0, ScreenCounterGet(kWinCount) > 0 ? ScreenWinSelect(-1) : -1, Ui().base_grid,
                     Ui().override_grid};
    const WinDefRecord r = WinDefParse(StrOf(definition));
    WinGridSetSize(r.columns, r.rows, false);
    WinGridSetMargins(left, top, bottom, -1);
    const bool pushed = WinStackPush(h, -1) != plat::kNoWindow;
    Status s = pushed ? ScreenOpen(StrOf(r.file), StrOf(r.key), r.number, r.columns, r.rows, r.data_file,
                                   StrOf(r.entry))
                      : Status{kStWindowsControl};
    if (s != kOk) {
      if (pushed) WinStackPop(h);
      Restore(saved);
      return s;
    }
    saved.record = ScreenWinSelect(-1);
    WinStackSetValue(h, saved.record);
    dialogs_.push_back(saved);
    return kOk;
  }
  void CloseScreen(plat::Hwnd h) override {
    for (size_t i = dialogs_.size(); i-- > 0;) {
      if (dialogs_[i].window != h) continue;
      const OpenDialog d = dialogs_[i];
      dialogs_.erase(dialogs_.begin() + static_cast<std::ptrdiff_t>(i));
      ScreenClose(d.record);
      WinStackPop(h);
      Restore(d);
      return;
    }
  }

 private:
  struct OpenDialog {
    plat::Hwnd window;
    int record;    // the dialog's window record
    int previous;  // the window record current before it (-1: none)
    ScreenGrid base, override_grid;
  };
  static void Restore(const OpenDialog& d) {
    if (d.previous >= 0 && d.previous < ScreenCounterGet(kWinCount)) ScreenWinSelect(d.previous);
    Ui().base_grid = d.base;
    Ui().override_grid = d.override_grid;
  }
  std::vector<OpenDialog> dialogs_;
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
