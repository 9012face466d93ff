// A fresh runtime in a temporary folder with the variable store started, for
// the output layer's tests; helpers for the printer-codes file.
#pragma once

#include <string>

#include "core/dyn_strings.h"
#include "core/string_lists.h"
#include "core/var_store.h"
#include "core/scratch_arena.h"
#include "output/device.h"
#include "output/output_state.h"
#include "tests/support/temp_folder.h"

namespace eng::test {

class OutputTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_EQ(VarInitSystem(), kOk);
  }

  // A codes file whose entry n has the code bytes of field k = codes(n, k),
  // width and lines as given.
  template <typename Codes>
  static std::string CodesFile(int entries, Codes codes, int width = 80, int lines = 72) {
    std::string f = "Cond on,Cond off,Wide on,Wide off,Und on,Und off,Bold on,Bold off,It on,It off,Width,Lines\r\n";
    f.resize(160, ' ');
    for (int n = 1; n <= entries; ++n) {
      std::string e(96, '\0');
      for (int k = 0; k < 10; ++k) {
        std::string c = codes(n, k);
        e.replace(static_cast<size_t>(k) * 8, c.size(), c);
      }
      e[80] = static_cast<char>(width);
      e[88] = static_cast<char>(lines);
      f += e;
    }
    return f;
  }

  // Forgets the codes table, so the next use reads the file again.
  static void ResetTable() { DynStrSet(sl::kWork, sl::kPrinterCodes, StrPair{}); }

  static void DeclareText(const std::string& name, const std::string& value) {
    ScratchScope scope;
    ASSERT_EQ(VarAssign(StrOf(name), StrOf(value)), kOk);
  }
};

}  // namespace eng::test
