// A window-system fixture with a form and a temporary folder tree for the
// dialog tests (absolute paths; the current folder is left alone).
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "tests/platform/win_fixture.h"

namespace plat::test {

class DlgTest : public WinTest {
 protected:
  Hwnd top = kNoWindow, e1 = kNoWindow;
  std::filesystem::path dir;
  std::filesystem::path cwd_before;
  std::string stall_report;

  void SetUp() override {
    top = Top("form", {0, 0, 480, 264});
    e1 = Edit(top, 2001, "e1", {12, 24, 120, 24});
    ws.Show(top, ShowCmd::kShow);
    ws.SetFocus(e1);
    log.clear();
    ws.SetStallHandler([this](WinSystem&, const std::string& r) { stall_report = r; });
    std::random_device rd;
    dir = std::filesystem::temp_directory_path() / ("dlgtest-" + std::to_string(rd()) + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    cwd_before = std::filesystem::current_path();
  }
  void TearDown() override {
    EXPECT_EQ(std::filesystem::current_path(), cwd_before);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  void Put(const std::string& rel) {
    std::filesystem::path p = dir / rel;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p) << "x";
  }
  void Folder(const std::string& rel) { std::filesystem::create_directories(dir / rel); }
  std::string At(const std::string& rel) const { return (dir / rel).lexically_normal().string(); }

  // The rows of the open dialog's list box with the given id.
  std::vector<std::string> Rows(int id);
  // Runs f once while the next dialog is open (a timer inside its first wait).
  void WhileOpen(std::function<void()> f) {
    ws.SetTimer(kNoWindow, 99, 10, [f](WinSystem& s, Hwnd, int) {
      s.KillTimer(kNoWindow, 99);
      f();
    });
  }
};

}  // namespace plat::test
