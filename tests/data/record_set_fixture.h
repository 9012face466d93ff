// The shared data fixture with fields reachable from expressions, and short
// ways to add and read "clientes", "movs" and "totales" records, for the
// tests of related records, searches and selections.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/exp_eval.h"
#include "core/field_access.h"
#include "core/scratch_arena.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "data/field_ref.h"
#include "data/file_ctrl.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "tests/support/core_fixture.h"
#include "tests/support/data_fixture.h"

namespace eng::test {

class RecordSetTest : public DataFixtureTest {
 protected:
  void SetUp() override {
    DataFixtureTest::SetUp();
    ASSERT_EQ(VarInitSystem(), kOk);
    DataInstallFieldAccess();
  }
  void TearDown() override {
    for (uint16_t f = 1; f <= fx::kFileCount; ++f) DataFileClose(f);
    FieldAccessInstall(nullptr);
    DataFixtureTest::TearDown();
  }
  // Opens a file read-write; an empty file answers 2, a filled one 0.
  static void Open(uint16_t f) {
    Status st = DataFileOpen(f, 0);
    ASSERT_TRUE(st == 0 || st == 2) << st;
  }
  // A new record of file f from field values (field 1, 2, ...), added.
  static Status Add(uint16_t f, const std::vector<std::string>& values) {
    if (Status st = DataFileMove(f, 1); st != 3) return st;
    for (size_t i = 0; i < values.size(); ++i)
      if (Status st = BufSetField(f, uint16_t(i + 1), StrOf(values[i]))) return st;
    return DataFileAddRecord(f);
  }
  static Status AddMov(const std::string& code, const std::string& line, const std::string& amt,
                       const std::string& date = "20240305") {
    return Add(fx::kMovs, {code, line, date, amt});
  }
  // The value of an expression as text ("CODE{1}", "AMT{2}").
  static std::string Val(const std::string& expr) {
    ScratchScope scope;
    return S(ExpEvalStr(StrOf(expr)));
  }
  static std::string Field(uint16_t f, uint16_t field) {
    ScratchScope scope;
    std::string t = S(BufFieldText(f, field, kBufCurrent));
    t.erase(t.find_last_not_of(' ') + 1);
    t.erase(0, t.find_first_not_of(' '));
    return t;
  }
  static std::string Record(uint16_t f) { return BufRecord(f, kBufCurrent).str(); }
  // Field 1 of every record of file f in the order of key 1.
  static std::vector<std::string> Codes(uint16_t f, uint16_t field = 1) {
    std::vector<std::string> out;
    DataFileSetKeyNumber(f, 1);
    for (Status st = DataFileMove(f, 0x24); st == 0; st = DataFileMove(f, 0x10))
      out.push_back(Field(f, field));
    return out;
  }
};

}  // namespace eng::test
