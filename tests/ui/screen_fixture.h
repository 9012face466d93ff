// Screens on the shared data dictionary (tests/fixtures/data: file 1
// CLIENTES with CODE 10, NAME 30, CITY 20): helpers that write "PPN" and
// "PAN" definitions and open them in windows.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/data_fixture.h"
#include "tests/ui/ui_fixture.h"
#include "ui/window_procs.h"

namespace eng::test {

// A field line: kind 1, row, column, file, field, display length, type.
inline std::string FieldLine(int row, int col, int file, int field, int len, char type) {
  char b[32];
  std::snprintf(b, sizeof b, "1%02d%02d%02d%02d%02d%c", row % 100, col % 100, file % 100, field % 100, len % 100, type);
  return b;
}
inline std::string LabelLine(int row, int col, const std::string& text) {
  char b[16];
  std::snprintf(b, sizeof b, "0%02d%02d", row % 100, col % 100);
  return b + text;
}

class ScreenTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    CopyDataFixture(dir_);
    ASSERT_EQ(LoadDataFixture(), kOk);
    Ui().base_grid = {80, 24, 0, 0, 0, 0};
  }

 public:
  // Writes definition n of a definition file: each line keyed "NN ".
  static void Def(const std::string& file, int n, const std::vector<std::string>& lines) {
    std::string text = Has(file) ? Get(file) : std::string();
    char key[4];
    std::snprintf(key, sizeof key, "%02d ", n);
    for (const std::string& l : lines) text += key + l + "\r\n";
    Put(file, text);
  }

 protected:
  // Opens the window-definition line's screen in a new window of the kind.
  Status Open(const std::string& line, int kind = 2) {
    WinDefRecord r = WinDefParse(StrOf(line));
    plat::Hwnd h = WinCreateKind(kind, 0, StrOf("T"), 0, r.columns ? r.columns : -1, r.rows ? r.rows : -1, {});
    if (!h) return kStLowFailure;
    Status s = ScreenOpen(StrOf(r.file), StrOf(r.key), r.number, r.columns, r.rows, r.data_file, StrOf(r.entry));
    ScreenWinFirstFocus(h);  // records the window's record, as its first focus does
    return s;
  }
  std::string Name(int n) { return ScreenDefSpan(ScreenFieldGet(n).name).str(); }
};

}  // namespace eng::test
