// A fresh core runtime in a temporary folder made current; the previous
// current folder is restored and the temporary one removed afterwards.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "tests/support/core_fixture.h"

namespace eng::test {

class TempFolderTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    namespace fs = std::filesystem;
    old_cwd_ = fs::current_path();
    std::random_device rd;
    dir_ = fs::temp_directory_path() / ("engtest-" + std::to_string(rd()) + std::to_string(::getpid()));
    fs::create_directories(dir_);
    fs::current_path(dir_);
  }
  void TearDown() override {
    CoreTest::TearDown();  // closes the streams before the folder goes
    namespace fs = std::filesystem;
    fs::current_path(old_cwd_);
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }

  static void Put(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
  }
  static std::string Get(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static bool Has(const std::string& name) { return std::filesystem::exists(name); }

  std::filesystem::path dir_;
  std::filesystem::path old_cwd_;
};

}  // namespace eng::test
