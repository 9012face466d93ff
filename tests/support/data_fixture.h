// The shared data fixture: the dictionary of tests/fixtures/data (prefix PL,
// four files; see its README) copied into a fresh temporary folder and loaded.
// Later tests derive from DataFixtureTest, or call CopyDataFixture and
// LoadDataFixture themselves inside a TempFolderTest.
#pragma once

#include <filesystem>
#include <string>

#include "core/str_pair.h"
#include "data/dictionary.h"
#include "tests/support/temp_folder.h"

namespace eng::test {

namespace fx {
inline constexpr uint16_t kClientes = 1;
inline constexpr uint16_t kMovs = 2;
inline constexpr uint16_t kTotales = 3;
inline constexpr uint16_t kParams = 4;
inline constexpr uint16_t kFileCount = 4;
}  // namespace fx

// The folder of the fixture files in the source tree.
inline std::filesystem::path DataFixtureDir() {
  return std::filesystem::path(__FILE__).parent_path().parent_path() / "fixtures" / "data";
}

// Copies every fixture file except the README into a folder.
inline void CopyDataFixture(const std::filesystem::path& to) {
  namespace fs = std::filesystem;
  for (const auto& e : fs::directory_iterator(DataFixtureDir())) {
    if (e.path().extension() == ".md") continue;
    fs::copy_file(e.path(), to / e.path().filename(), fs::copy_options::overwrite_existing);
  }
}

// Loads the dictionary from the current folder.
inline Status LoadDataFixture() { return DictLoad(StrOf(""), StrOf("PL"), StrOf("")); }

class DataFixtureTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    CopyDataFixture(dir_);
    ASSERT_EQ(LoadDataFixture(), kOk);
  }
};

}  // namespace eng::test
