// The invoicing procedure functions on a fresh core runtime in a temporary
// folder: the variable store and the value built-ins started, the program's
// identity (so that the counters file is "TRCOUNT.DAT") and language set,
// _PRECIS 2 and _DX 2 as the sample configuration has them, and the
// functions registered as truvesca's loading phase registers them.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "apps/truvesca/amount_words.h"
#include "apps/truvesca/doc_counters.h"
#include "apps/truvesca/iban_digits.h"
#include "apps/truvesca/inv_functions.h"
#include "core/clock.h"
#include "core/dyn_strings.h"
#include "core/exp_eval.h"
#include "core/fn_builtins.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "tests/support/exp_fixture.h"
#include "tests/support/temp_folder.h"

namespace eng::test {

class InvFnTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_EQ(VarInitSystem(), kOk);
    ASSERT_EQ(FnInstallValueBuiltins(), kOk);
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("TRVKQZ13:Norvique")), kOk);
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kLanguage, StrOf("ES")), kOk);
    SysVarSet(kVarPrecis, 2);
    SysVarSet(kVarDx, 2);
    ASSERT_EQ(truvesca::InvRegisterFunctions(), kOk);
    ASSERT_EQ(truvesca::TxtnRegister(), kOk);
    ASSERT_EQ(truvesca::IbanRegister(), kOk);
    truvesca::AutoNumReset();
  }
  void TearDown() override {
    truvesca::AutoNumReset();
    ClockReset();
    TempFolderTest::TearDown();
  }
  // Calls that must fail with their status.
  struct Refusal {
    const char* call;
    Status status;
  };
  static void ExpectRefused(std::initializer_list<Refusal> cases) {
    for (const Refusal& c : cases) EXPECT_EQ(Eval(c.call).status, c.status) << c.call;
  }
  // Runs a statement of the procedure language (an assignment).
  static Status Run(const std::string& statement) {
    ScratchScope scope;
    return ExpExecute(StrOf(statement));
  }
};

}  // namespace eng::test
