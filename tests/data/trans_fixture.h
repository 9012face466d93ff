// Transactions over the shared data fixture: a few customers and movements,
// the transaction block set directly, runs in batch mode, and golden files
// under tests/fixtures/trans (rewritten when ENGINE_UPDATE_GOLDEN is set).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/fn_builtins.h"
#include "core/log.h"
#include "data/fn_records.h"
#include "core/sys_vars.h"
#include "data/dict_file_path.h"
#include "data/record_layer.h"
#include "data/trans_parms.h"
#include "data/trans_run.h"
#include "tests/data/record_set_fixture.h"

namespace eng::test {

inline std::filesystem::path TransGoldenDir() {
  return std::filesystem::path(__FILE__).parent_path().parent_path() / "fixtures" / "trans";
}

class TransTest : public RecordSetTest {
 protected:
  void SetUp() override {
    RecordSetTest::SetUp();
    ASSERT_EQ(FnInstallValueBuiltins(), kOk);
    ASSERT_EQ(DataInstallRecordBuiltins(), kOk);
    ASSERT_EQ(LogSetPath(StrOf("trans.log")), kOk);
  }
  // Customers: one with a Spanish letter in code page 1252.
  void AddCustomers() {
    Open(fx::kClientes);
    ASSERT_EQ(Add(fx::kClientes, {"ANA", "Ana Pe\xF1" "a", "Madrid"}), kOk);
    ASSERT_EQ(Add(fx::kClientes, {"BETO", "Alberto Ruiz", "Sevilla"}), kOk);
    ASSERT_EQ(Add(fx::kClientes, {"CARLA", "Carla Gomez", ""}), kOk);
    DataFileClose(fx::kClientes);
  }
  void AddMovements() {
    Open(fx::kMovs);
    ASSERT_EQ(AddMov("ANA", "1", "10.50", "20240105"), kOk);
    ASSERT_EQ(AddMov("ANA", "2", "-3.25", "20240210"), kOk);
    ASSERT_EQ(AddMov("BETO", "1", "0", "20240301"), kOk);
    DataFileClose(fx::kMovs);
  }
  // Runs a batch transaction over file f with parameters set beforehand.
  static Status Run(uint16_t f, const std::string& name, uint16_t mode,
                    const std::vector<std::pair<uint16_t, std::string>>& parms = {}) {
    TransParmsClear();
    TransParmSet(kTpFile, std::to_string(f));
    for (const auto& [n, v] : parms) TransParmSet(n, v);
    return TransRun(name, 0xFFFF, uint16_t(mode | kTransBatch), nullptr, nullptr);
  }
  static uint32_t Count() { return uint32_t(SysVarBits(kVarCount)) | (uint32_t(SysVarBits(kVarHCount)) << 16); }
  // Every record of file f in key 1 order, as stored.
  std::vector<std::string> Records(uint16_t f) {
    Open(f);
    std::vector<std::string> out;
    DataFileSetKeyNumber(f, 1);
    for (Status st = DataFileMove(f, 0x24); st == 0; st = DataFileMove(f, 0x10)) out.push_back(Record(f));
    DataFileClose(f);
    return out;
  }
  // Empties file f (its record file and index removed).
  static void Empty(uint16_t f) {
    DataFileClose(f);
    DataFileNames names = DictDataFileNames(f);
    std::filesystem::remove(names.records);
    std::filesystem::remove(names.index);
  }
  std::vector<std::string> LogLines() {
    std::string text = Get("trans.log");
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t e; (e = text.find("\r\n", start)) != std::string::npos; start = e + 2)
      out.push_back(text.substr(start, e - start));
    return out;
  }
  // Compares a produced file with its golden copy byte for byte.
  void ExpectGolden(const std::string& produced, const std::string& golden) {
    const std::filesystem::path path = TransGoldenDir() / golden;
    const std::string bytes = Get(produced);
    if (std::getenv("ENGINE_UPDATE_GOLDEN")) {
      std::ofstream(path, std::ios::binary) << bytes;
      return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in.good()) << "missing golden file " << path;
    const std::string want((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(bytes, want) << "output differs from " << golden;
  }
};

}  // namespace eng::test
