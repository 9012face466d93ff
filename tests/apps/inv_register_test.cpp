// The invoicing functions take their application slots in a fixed order,
// and a full table leaves the rest of a registration step out.
#include <gtest/gtest.h>

#include <string>

#include "tests/apps/inv_fixture.h"

namespace eng::test {
namespace {

Status Nothing(FnArgs&) { return kOk; }

class InvRegisterTest : public ExpTest {};

TEST_F(InvRegisterTest, FunctionsTakeTheSlotsInOrder) {
  ASSERT_EQ(truvesca::InvRegisterFunctions(), kOk);
  ASSERT_EQ(truvesca::TxtnRegister(), kOk);
  ASSERT_EQ(truvesca::IbanRegister(), kOk);
  uint16_t n = kFnFirstApp;
  for (const char* name : {"VATv", "VAT$", "AUTONUM", "DocSer$", "FN$TXTN", "Iban$", "Mod"})
    EXPECT_EQ(ExpBuiltinIndex(StrFromC(name)), n++) << name;
}

TEST_F(InvRegisterTest, AFullTableLeavesTheLaterFunctionsOfAStepOut) {
  for (int i = 0; i < kFnAppSlots - 1; ++i)
    ASSERT_EQ(FnRegister(StrOf("APP" + std::to_string(i)), &Nothing), kOk);
  EXPECT_EQ(truvesca::InvRegisterFunctions(), kStDataOutBound);
  EXPECT_EQ(ExpBuiltinIndex(StrOf("VATv")), kFnFirstApp + kFnAppSlots - 1);
  for (const char* name : {"VAT$", "AUTONUM", "DocSer$"}) EXPECT_EQ(ExpBuiltinIndex(StrFromC(name)), 0) << name;
  EXPECT_EQ(truvesca::TxtnRegister(), kStDataOutBound);
  EXPECT_EQ(truvesca::IbanRegister(), kStDataOutBound);
  EXPECT_EQ(ExpBuiltinIndex(StrOf("Mod")), 0);
}

}  // namespace
}  // namespace eng::test
