// truvesca's sample dictionary, relations and update rules in a temporary
// folder, loaded in-process with the value, record and invoicing built-ins,
// truvesca's message table and its hooks, and the data files open: the
// delivery notes and their lines, the registry, the payments and the
// invoices. The rules of the note lines are loaded, as a document window
// over them loads them.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "apps/truvesca/inv_functions.h"
#include "apps/truvesca/truvesca_head.h"
#include "core/dyn_strings.h"
#include "core/exec_handlers.h"
#include "core/exp_eval.h"
#include "core/field_access.h"
#include "core/fn_builtins.h"
#include "core/hooks.h"
#include "core/scratch_arena.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "data/dict_load.h"
#include "data/field_ref.h"
#include "data/fn_records.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/relup_rules.h"
#include "tests/apps/truvesca_sample_records.h"
#include "tests/support/temp_folder.h"

namespace eng::test {

class TruvescaSampleTest : public TempFolderTest {
 protected:
  static constexpr uint16_t kClientes = 2, kAlbaranes = 4, kRegistro = 6, kVencimientos = 7, kLineas = 8,
                            kFacturas = 14;

  void SetUp() override {
    TempFolderTest::SetUp();
    namespace fs = std::filesystem;
    const fs::path apps = fs::path(SAMPLES_DIR) / "truvesca" / "sample" / "apps";
    for (const char* name : {"TRDICC.DAT", "TRREL.DAT", "TRRELUP.DAT"}) fs::copy_file(apps / name, dir_ / name);
    ASSERT_EQ(VarInitSystem(), kOk);
    DataInstallFieldAccess();
    FnInstallValueBuiltins();
    DataInstallRecordBuiltins();
    ExecRegisterHandlers();
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf(truvesca::kIdentity)), kOk);
    AppFunctionsSet(truvesca::Head().functions);
    SysVarSet(kVarPrecis, 2);
    SysVarSet(kVarDx, 2);
    ASSERT_EQ(truvesca::InvRegisterFunctions(), kOk);
    ASSERT_EQ(DictLoad(StrOf(""), StrOf("TR"), StrOf("")), kOk);
    for (uint16_t f : {kClientes, kAlbaranes, kRegistro, kVencimientos, kLineas, kFacturas}) {
      Status s = DataFileOpen(f, 0);
      ASSERT_TRUE(s == kOk || s == 2) << f << ": " << s;
    }
    ASSERT_EQ(RelUpdLoad(kLineas, StrOf("")), kOk);
    ASSERT_EQ(ExpFileNumberVars(), kOk);
  }
  void TearDown() override {
    for (uint16_t f : {kFacturas, kLineas, kVencimientos, kRegistro, kAlbaranes, kClientes}) DataFileClose(f);
    FieldAccessInstall(nullptr);
    AppFunctionsSet(AppFunctions{});
    TempFolderTest::TearDown();
  }

  // Runs statements (an assignment list) on the current records.
  static Status Run(const std::string& statements) {
    ScratchScope scope;
    return ExpExecute(StrOf(statements));
  }
  // A blank new record of the file with the statements run on it.
  static Status Fill(uint16_t file, const std::string& statements) {
    if (Status s = DataFileMove(file, 1); s != 3) return s;
    SysVarSet(kVarCurFil, int16_t(file));
    return Run(statements);
  }
  static Status Add(uint16_t file, const std::string& statements, const std::string& slots = "") {
    if (Status s = Fill(file, statements)) return s;
    ScratchScope scope;
    return DataFileWriteHooked(kWriteAdd, file, StrOf(slots), StrOf(""));
  }
  std::vector<std::string> Records(const char* name, const std::vector<size_t>& fields) {
    for (uint16_t f : {kAlbaranes, kRegistro, kVencimientos, kLineas, kFacturas}) DataFileReopen(f, kOk);
    return trsample::Records(dir_ / name, fields);
  }
};

}  // namespace eng::test
