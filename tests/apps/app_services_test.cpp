// The services that join the window and output layers: the report viewer
// runs as an engine window on the window stack, over the window on top.
#include "apps/common/app_services.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "core/sys_vars.h"
#include "output/device.h"
#include "output/device_dialog.h"
#include "output/report_viewer.h"
#include "platform/headless_driver.h"
#include "tests/ui/ui_fixture.h"
#include "ui/geom.h"
#include "ui/screen_open.h"
#include "ui/screen_table.h"
#include "ui/win_create.h"
#include "ui/win_stack.h"

namespace eng::test {
namespace {

class AppServicesTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ::setenv("TEMP", dir_.c_str(), 1);
    AppInstallWindowServices(&d.ws());
  }
  void TearDown() override {
    ReportWinSetWindows(nullptr, nullptr);
    ::unsetenv("TEMP");
    UiTest::TearDown();
  }
};

TEST_F(AppServicesTest, TheReportViewerIsAWindowOfTheStack) {
  plat::WinSystem& ws = d.ws();
  plat::Hwnd form = WinCreateKind(1, 0, StrOf("Ventas"), 0, 40, 10, {});
  ASSERT_NE(form, plat::kNoWindow);
  WinShowTop(-1);

  plat::Hwnd seen_top = plat::kNoWindow, seen_owner = plat::kNoWindow;
  bool form_enabled = true;
  ws.SetTimer(plat::kNoWindow, 5, 10, [&](plat::WinSystem& w, plat::Hwnd, int) {
    w.KillTimer(plat::kNoWindow, 5);
    seen_top = WinTop();
    seen_owner = w.Owner(seen_top);
    form_enabled = w.IsEnabled(form);
  });
  DeviceRecord dev = DeviceOpen("CON");
  ASSERT_EQ(dev.status, kOk);
  ASSERT_EQ(DeviceWrite(dev, "Listado\r\n"), kOk);
  d.Run(plat::Script().Wait(20).ExpectText(kViewerEditId, "Listado\r\n").Key("Esc"));
  EXPECT_EQ(DeviceEnd(dev), kOk);
  EXPECT_EQ(DeviceClose(dev), kOk);
  EXPECT_EQ(d.input().remaining(), 0u);
  EXPECT_TRUE(d.input().failures().empty());

  // While it ran, the viewer was the top of the stack, over the form.
  EXPECT_NE(seen_top, form);
  EXPECT_NE(seen_top, plat::kNoWindow);
  EXPECT_EQ(seen_owner, form);
  EXPECT_FALSE(form_enabled);
  // Afterwards the form is the top again, enabled and active, and the run goes on.
  EXPECT_EQ(WinTop(), form);
  EXPECT_EQ(WinStackCount(), 1);
  EXPECT_TRUE(ws.IsEnabled(form));
  EXPECT_EQ(ws.Active(), form);
  plat::Msg m;
  EXPECT_FALSE(ws.PeekMessage(m));
  EXPECT_EQ(stall, "");
}

// The device dialog runs as an engine window with a screen record of its
// own: while it is open it is the top window and the current window record,
// on its own grid; afterwards the form below has its record and grid back.
TEST_F(AppServicesTest, TheDeviceDialogHasAScreenRecordOfItsOwn) {
  plat::WinSystem& ws = d.ws();
  plat::Hwnd form = WinCreateKind(1, 0, StrOf("Ventas"), 0, 40, 10, {});
  ASSERT_NE(form, plat::kNoWindow);
  SysVarSet(kVarScrStat, 2);
  ASSERT_EQ(ScreenOpen(StrOf("VENTAS"), StrOf("VENTAS1"), 1, 40, 10, 0, StrOf("")), kOk);
  WinStackSetValue(form, ScreenWinSelect(-1));
  WinShowTop(-1);
  WinGridSetMargins(1, 0, 0, -1);
  const ScreenGrid form_grid = WinGridGet(), form_base = WinGridBase();
  const int form_record = ScreenWinSelect(-1);

  struct Seen {
    plat::Hwnd top = plat::kNoWindow, record_window = plat::kNoWindow;
    int windows = 0, current = -1, stack_value = -2;
    ScreenGrid grid;
  };
  std::vector<Seen> seen;
  auto look = [&](plat::WinSystem& w, plat::Hwnd, int) {
    w.KillTimer(plat::kNoWindow, 7);
    Seen s;
    s.top = WinTop();
    s.windows = ScreenCounterGet(kWinCount);
    s.current = ScreenWinSelect(-1);
    if (ScreenWin* rec = ScreenWinGet(-1)) s.record_window = rec->window;
    s.stack_value = WinStackValue(s.top);
    s.grid = WinGridGet();
    seen.push_back(s);
  };
  // Twice: chosen with Ok, then cancelled with Esc; both put everything back.
  const struct {
    const char* keys;
    Status status;
    const char* text;
  } runs[] = {{"click id=3100\n", kOk, "CON"}, {"key Esc\n", kStCancelled, ""}};
  for (const auto& run : runs) {
    ws.SetTimer(plat::kNoWindow, 7, 10, look);
    d.Run(std::string("wait 30ms\n") + run.keys);
    std::string text;
    EXPECT_EQ(ReportAskDevice(text), run.status) << run.keys;
    EXPECT_EQ(text, run.text);
    ASSERT_EQ(seen.size(), 1u) << run.keys;
    const Seen& s = seen.back();
    EXPECT_NE(s.top, form);
    EXPECT_NE(s.top, plat::kNoWindow);
    EXPECT_EQ(s.windows, 2);
    EXPECT_EQ(s.current, 1);
    EXPECT_EQ(s.record_window, s.top);
    EXPECT_EQ(s.stack_value, 1);
    EXPECT_EQ(s.grid.left, 2);
    EXPECT_EQ(s.grid.top, 1);
    EXPECT_EQ(s.grid.bottom, 2);
    EXPECT_NE(s.grid.columns, form_grid.columns);

    EXPECT_EQ(WinTop(), form);
    EXPECT_EQ(WinStackCount(), 1);
    EXPECT_EQ(ScreenCounterGet(kWinCount), 1);
    EXPECT_EQ(ScreenWinSelect(-1), form_record);
    EXPECT_EQ(WinGridGet(), form_grid);
    EXPECT_EQ(WinGridBase(), form_base);
    EXPECT_EQ(SysVarBits(kVarScrStat) & 7, 0);
    EXPECT_EQ(ws.Active(), form);
    seen.clear();
  }
  EXPECT_EQ(stall, "");
}

}  // namespace
}  // namespace eng::test
