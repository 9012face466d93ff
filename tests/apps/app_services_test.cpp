// The services that join the window and output layers: the report viewer
// runs as an engine window on the window stack, over the window on top.
#include "apps/common/app_services.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "output/device.h"
#include "output/report_viewer.h"
#include "platform/headless_driver.h"
#include "tests/ui/ui_fixture.h"

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

}  // namespace
}  // namespace eng::test
