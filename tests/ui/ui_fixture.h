// A fresh core runtime in a temporary folder with the window layer attached
// to a headless window system (80 x 25 cells of 12 x 24 pixels). A stall
// (a loop waiting with the script exhausted) is recorded, never aborts.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>

#include "core/msg_box.h"
#include "core/var_store.h"
#include "platform/compositor.h"
#include "platform/ctl_listview.h"
#include "platform/headless_driver.h"
#include "platform/win_layout.h"
#include "tests/support/temp_folder.h"
#include "ui/caption.h"
#include "ui/ctl_dialog.h"
#include "ui/font_cfg.h"
#include "ui/fonts.h"
#include "ui/geom.h"
#include "ui/screen_open.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"
#include "ui/win_create.h"
#include "ui/win_def.h"
#include "ui/win_loop.h"
#include "ui/win_stack.h"

namespace eng::test {

// Queues the script, then calls `run` (a modal loop, or a call that runs
// one); a timer on `owner` far beyond the script's own waits ends a loop the
// script left open, so that the next script goes on in the same window.
// `stall` is what the driver's stall handler recorded.
template <class Run>
inline void DriveHeadlessWith(plat::HeadlessDriver& d, const std::string& stall, plat::Hwnd owner,
                              const std::string& script, Run&& run) {
  constexpr int kEndTimer = 99;
  constexpr uint32_t kEndMs = 600000;
  d.ws().SetTimer(owner, kEndTimer, kEndMs, [](plat::WinSystem& ws, plat::Hwnd h, int id) {
    ws.KillTimer(h, id);
    ws.PostQuit(0);
  });
  d.Run(script);
  d.Run("wait " + std::to_string(kEndMs + 1) + "ms\n");
  run();
  d.ws().KillTimer(owner, kEndTimer);
  EXPECT_EQ(stall, "");
  EXPECT_TRUE(d.input().failures().empty()) << ::testing::PrintToString(d.input().failures());
}

// Runs the script in the window's loop until the window is gone or the
// script is used up.
inline void DriveHeadless(plat::HeadlessDriver& d, const std::string& stall, plat::Hwnd owner, plat::Hwnd window,
                          const std::string& script) {
  DriveHeadlessWith(d, stall, owner, script, [window] { WinModalLoop(window); });
}

class UiTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_EQ(VarInitSystem(), kOk);
    d.ws().SetStallHandler([this](plat::WinSystem&, const std::string& report) { stall = report; });
    UiRuntimeFresh();
    MsgBoxSetService(&d.msgbox());
  }
  void TearDown() override {
    UiSetWinSystem(nullptr);
    MsgBoxSetService(nullptr);
    TempFolderTest::TearDown();
  }
  // The window layer's state back to its load values, on the same window system.
  void UiRuntimeFresh() {
    Ui() = UiState{};
    UiSetWinSystem(&d.ws());
  }

  // Runs the script in the window's loop until the window is gone or the
  // script is used up; a timer on `owner` far beyond the script's own waits
  // then ends the loop, so that the next script goes on in the same window.
  void DriveWindow(plat::Hwnd owner, plat::Hwnd window, const std::string& script) {
    DriveHeadless(d, stall, owner, window, script);
  }

  // The row of the screen (the cell snapshot) that first shows the text,
  // and the column the text starts in; {-1, -1} when none does.
  std::pair<int, int> ScreenFind(const std::string& text) {
    std::istringstream rows(d.Snapshot());
    std::string row;
    for (int r = 0; std::getline(rows, row); ++r)
      if (const size_t at = row.find(text); at != std::string::npos) return {r, static_cast<int>(at)};
    return {-1, -1};
  }
  // One row of the screen, blanks kept up to its last non-blank.
  std::string ScreenRow(int r) {
    std::istringstream rows(d.Snapshot());
    std::string row;
    for (int i = 0; std::getline(rows, row); ++i)
      if (i == r) return row;
    return {};
  }
  // The headings a grid shows on its top row: each column's text cells
  // there, trimmed, joined by commas.
  std::string GridHeadingsShown(plat::Hwnd grid) {
    const plat::CellRect at = plat::WindowCells(d.ws(), grid);
    const std::string row = ScreenRow(at.row);
    std::string out;
    for (int c = 0; c < plat::LvColumnCount(d.ws(), grid); ++c) {
      const plat::LvTextCells text = plat::LvColumnTextCells(d.ws(), grid, c);
      const size_t from = static_cast<size_t>(at.col + text.first);
      std::string shown = from < row.size() ? row.substr(from, static_cast<size_t>(text.cols)) : "";
      shown.erase(shown.find_last_not_of(' ') + 1);
      shown.erase(0, shown.find_first_not_of(' '));
      out += (c ? "," : "") + shown;
    }
    return out;
  }

  plat::HeadlessDriver d;
  std::string stall;
};

}  // namespace eng::test
