// Reports in a fresh runtime: the value and record built-ins, the statement
// handlers and the output layer installed; templates written as bytes (the
// role markers are control characters); golden files compared byte for byte
// (UPDATE_GOLDEN=1 in the environment rewrites them).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/dyn_strings.h"
#include "core/exec_handlers.h"
#include "core/fn_builtins.h"
#include "core/string_lists.h"
#include "data/field_ref.h"
#include "data/fn_records.h"
#include "output/device_statements.h"
#include "output/report_runner.h"
#include "tests/output/output_fixture.h"

namespace eng::test {

// Role markers of template lines.
inline const std::string kFix = "\x17", kRel = "\x18", kBody = "\x19", kCont = "\x19\x19";

class ReportTest : public OutputTest {
 protected:
  void SetUp() override {
    OutputTest::SetUp();
    ASSERT_EQ(FnInstallValueBuiltins(), kOk);
    ASSERT_EQ(DataInstallRecordBuiltins(), kOk);
    DataInstallFieldAccess();
    ExecRegisterHandlers();
    OutputInstall();
    DynStrSet(sl::kWork, sl::kAcceptCondition, StrPair{});
  }
  void TearDown() override {
    Out().config.device_asker = nullptr;
    OutputSetLimitsAsker(nullptr);
    OutputTest::TearDown();
  }

  static void PutLines(const std::string& name, const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\n";
    Put(name, text);
  }

  static std::filesystem::path GoldenDir() { return std::filesystem::path(__FILE__).parent_path() / "golden"; }

  // Compares the bytes with the golden file (CR LF kept as written).
  static void ExpectGolden(const std::string& bytes, const std::string& golden) {
    std::filesystem::path path = GoldenDir() / golden;
    if (const char* u = std::getenv("UPDATE_GOLDEN"); u && *u == '1') {
      std::ofstream(path, std::ios::binary) << bytes;
      return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << "missing golden file " << path;
    std::stringstream want;
    want << in.rdbuf();
    EXPECT_EQ(bytes, want.str()) << "golden " << golden;
  }
};

}  // namespace eng::test
