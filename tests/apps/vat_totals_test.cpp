// VAT$ and VATv: an invoice's taxable amounts summed by rate in a packed
// table held by a text variable.
#include <gtest/gtest.h>

#include <string>

#include "tests/apps/inv_fixture.h"

namespace eng::test {
namespace {

class VatTotalsTest : public InvFnTest {
 protected:
  // A number as text, zero as "0".
  static std::string Num(const std::string& expression) {
    EvalResult r = Eval(expression);
    EXPECT_EQ(r.status, 0) << expression;
    return r.num == 0 ? "0" : r.text;
  }
  // "rate:total" of every entry of T$.
  static std::string Entries() {
    std::string out;
    int64_t count = Eval("VATv(T$;0)").num / 100;
    for (int64_t n = 1; n <= count; ++n) {
      std::string i = std::to_string(n);
      out += Num("VATv(T$;" + i + ")") + ":" + Num("VATv(T$;" + i + ";1)") + " ";
    }
    return out;
  }
  static std::string TableBytes() {
    ScratchScope scope;
    EXPECT_EQ(VarRead(StrOf("T$")), 1);
    return ScratchTop().str();
  }
};

TEST_F(VatTotalsTest, AmountsAddUpByRateInTheOrderRatesFirstAppear) {
  ASSERT_EQ(Run("T$=VAT$('';21;100)"), kOk);
  EXPECT_EQ(Entries(), "21:100 ");
  ASSERT_EQ(Run("T$=VAT$(T$;21;50)"), kOk);
  EXPECT_EQ(Entries(), "21:150 ");
  ASSERT_EQ(Run("T$=VAT$(T$;4;10)"), kOk);
  EXPECT_EQ(Entries(), "21:150 4:10 ");
  // The demo invoice's VAT: 150 at 21 and 10 at 4.
  EXPECT_EQ(Eval("VATv(T$;1)*VATv(T$;1;1)/100+VATv(T$;2)*VATv(T$;2;1)/100").text, "31.9");
  ASSERT_EQ(Run("T$=VAT$(T$;4;-10.5)"), kOk);
  EXPECT_EQ(Entries(), "21:150 4:-.5 ");
}

TEST_F(VatTotalsTest, TheTableKeepsItsBytesThroughTextVariables) {
  ASSERT_EQ(Run("T$=VAT$(VAT$(VAT$('';21;100);10;0.01);4;10)"), kOk);
  ASSERT_EQ(Run("U$=T$"), kOk);
  ASSERT_EQ(Run("T$=U$"), kOk);
  std::string bytes = TableBytes();
  ASSERT_EQ(bytes.size(), 48u);
  // Rate 21 at two decimals is 2100: little-endian, zeros included.
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x34\x08\0\0\0\0\0\0", 8));
  EXPECT_EQ(bytes.substr(24, 8), std::string("\x01\0\0\0\0\0\0\0", 8));
  EXPECT_EQ(Entries(), "21:100 10:.01 4:10 ");
}

TEST_F(VatTotalsTest, ARateListSetsUpEntriesWithNothingInThem) {
  ASSERT_EQ(Run("T$=VAT$('';'21,10,4')"), kOk);
  EXPECT_EQ(Eval("VATv(T$;0)").text, "3");
  EXPECT_EQ(Entries(), "21:0 10:0 4:0 ");
  EXPECT_EQ(Num("VATv(T$;5)"), "0");
  EXPECT_EQ(Num("VATv(T$;-1)"), "0") << "nothing before the first entry";
  EXPECT_EQ(Eval("VATv(T$)").text, "3");
  // A fractional rate of the list is the same rate as the number added later.
  ASSERT_EQ(Run("T$=VAT$('';'21,5.2,1.4')"), kOk);
  ASSERT_EQ(Run("T$=VAT$(T$;5.2;10)"), kOk);
  EXPECT_EQ(Entries(), "21:0 5.2:10 1.4:0 ");
  // With a table already there the list is no rate: the amount goes to rate 0.
  ASSERT_EQ(Run("T$=VAT$(T$;'21,10';7)"), kOk);
  EXPECT_EQ(Entries(), "21:0 5.2:10 1.4:0 0:7 ");
  EXPECT_EQ(Eval("VAT$('';'')").text, "");
}

TEST_F(VatTotalsTest, AnAmountOfZeroChangesNothing) {
  ASSERT_EQ(Run("T$=VAT$('';21;100)"), kOk);
  std::string before = TableBytes();
  ASSERT_EQ(Run("T$=VAT$(T$;7;0)"), kOk);
  ASSERT_EQ(Run("T$=VAT$(T$;7)"), kOk);
  EXPECT_EQ(TableBytes(), before);
}

TEST_F(VatTotalsTest, WrongArgumentsAndTextsThatAreNoTable) {
  ASSERT_EQ(Run("T$=VAT$('';21;100)"), kOk);
  ExpectRefused({
      {"VATv(T$;1;2)", kStSyntax},
      {"VATv(T$;1;-1)", kStSyntax},
      {"VATv(T$;'1')", kStSyntax},
      {"VAT$(T$;21;'5')", kStSyntax},
      {"VAT$(5;21;5)", kStSyntax},
      {"VAT$()", kStSyntax},
      {"VAT$(T$;1;2;3)", kStSyntax},
      {"VATv(T$;1;1;1)", kStSyntax},
      // A text whose length is no multiple of an entry is not a VAT table.
      {"VAT$('abc';21;5)", kStDataError},
      {"VATv(T$+'x';1)", kStDataError},
  });
}

}  // namespace
}  // namespace eng::test
