// Balance layouts over the demo year: line values of the current and the
// previous year in "_#(", their names in _ACUMX$, the labels and
// comparisons of AcBLabel, the post-calculation and the balance document.
#include <gtest/gtest.h>

#include <string>

#include "apps/pelmora/ac_layout.h"
#include "core/module_parms.h"
#include "tests/apps/pelmora_books_fixture.h"

namespace eng::test {
namespace {

using namespace eng::pelmora;

class PelmoraLayoutTest : public PelmoraBooksTest {};

TEST_F(PelmoraLayoutTest, LineValuesAddIntoTheirParents) {
  ASSERT_EQ(Run("_#('CLS')"), kOk);
  ASSERT_EQ(AcBalanceStore("A_B_C", 0, 1000), kOk);
  ASSERT_EQ(AcBalanceStore("A_B_C", kAcPrevYear, 300), kOk);
  EXPECT_EQ(Text("_ACUMX$"), "A_B_C,A_B,A");
  for (const char* name : {"A_B_C", "A_B", "A"}) {
    EXPECT_EQ(AcBalanceGet(name, 0), 1000) << name;
    EXPECT_EQ(AcBalanceGet(name, kAcPrevYear), 300) << name;
  }
  EXPECT_EQ(Num("_#(2)"), 1000);
  EXPECT_EQ(Num("_#(130)"), 300);
  // A zero value gives no element and no name.
  ASSERT_EQ(AcBalanceStore("Z", 0, 0), kOk);
  EXPECT_EQ(Text("_ACUMX$"), "A_B_C,A_B,A");
  EXPECT_EQ(AcBalanceGet("Z", 0), 0);
  // The post-calculation names lines by name.
  ASSERT_EQ(Run("POSTCLC1$=\"_#('D')=_#('A')+_#('A_B')\""), kOk);
  ASSERT_EQ(AcPostCalc(1), kOk);
  EXPECT_EQ(Text("_ACUMX$"), "A_B_C,A_B,A,D");
  EXPECT_EQ(Num("_#(3)"), 2000);
}

TEST_F(PelmoraLayoutTest, A129thLineIsRefusedBeforeItReachesThePreviousYear) {
  ASSERT_EQ(Run("_#('CLS')"), kOk);
  for (int i = 0; i < 128; ++i) ASSERT_EQ(AcBalanceStore("L" + std::to_string(i), 0, 100 + i), kOk) << i;
  EXPECT_EQ(AcBalanceStore("L128", 0, 5), kStInternal);
  EXPECT_EQ(AcBalanceGet("L0", 0), 100);
  EXPECT_EQ(AcBalanceGet("L127", 0), 227);
  EXPECT_EQ(Num("_#(128)"), 0) << "the previous-year value of the first line is untouched";
}

TEST_F(PelmoraLayoutTest, FullBalanceOfTheProfitAndLossLayout) {
  ASSERT_EQ(AcLayoutLoad(4), kOk);
  EXPECT_EQ(Num("AcFullBalance('20240101';'20241231';0;'BALANCE.TXT';'[')"), 100);
  EXPECT_EQ(Text("_ACUMX$"), "RESULTADO_GASTOS,RESULTADO,RESULTADO_INGRESOS");
  EXPECT_EQ(Num("_#(0)"), -2000);
  EXPECT_EQ(Num("_#(1)"), 8700);
  EXPECT_EQ(Num("_#(2)"), 10700);
  EXPECT_EQ(Num("_#(128)"), 0) << "nothing in 2023";
  EXPECT_EQ(Num("AcBLabel('RESULTADO_GASTOS')"), 100);
  EXPECT_EQ(Text("_LTEXT$"), "Gastos");
  EXPECT_EQ(Num("AcBLabel('RESULTADO_INGRESOS';'>=';'RESULTADO_GASTOS')"), 100);
  EXPECT_EQ(Num("AcBLabel('RESULTADO_INGRESOS';'<';'RESULTADO_GASTOS')"), 0);
  EXPECT_EQ(Num("AcBLabel('RESULTADO_INGRESOS';'FOO';'RESULTADO_GASTOS')"), 0);
  {
    ScratchScope scope;
    EXPECT_EQ(StrError(ExpEvalStr(StrOf("AcBLabel('A';'=';'B')"))), kStSyntax);
    EXPECT_EQ(StrError(ExpEvalStr(StrOf("AcBLabel('A';'B')"))), kStSyntax);
  }
  EXPECT_EQ(Num("AcBLabel('NADA')"), 0);
  // The document: the marked lines computed, the others kept from the old output.
  const std::string doc = (work_ / "BALANCE.TXT").string();
  EXPECT_EQ(Get(doc), "PERDIDAS Y GANANCIAS\r\nGastos     -20\r\nIngresos   107\r\nResultado  87\r\n");
  Put(doc, "PyG 2024 revisado\r\nGastos     0\r\nIngresos   0\r\nResultado  0\r\n");
  ASSERT_EQ(AcBalanceDocument(doc, "["), kOk);
  EXPECT_EQ(Get(doc), "PyG 2024 revisado\r\nGastos     -20\r\nIngresos   107\r\nResultado  87\r\n");
  // Without its template the document is left as it was.
  const std::string other = (work_ / "OTRO.TXT").string();
  Put(other, "anterior\r\n");
  EXPECT_EQ(AcBalanceDocument(other, "["), kStFileIo);
  EXPECT_EQ(Get(other), "anterior\r\n");
  ParmPop();
}

TEST_F(PelmoraLayoutTest, ThePreviousYearEndsOnTheLastDayOfFebruary) {
  // A line of 1 March 2023 is not part of February 2023.
  AcLine l{AcDateOf(StrOf("20230301")), 1, 1, "60000000", "", 500, "", ""};
  ASSERT_EQ(AcPostLine(books_, l), kOk);
  l = {AcDateOf(StrOf("20230301")), 1, 2, "", "57200001", 500, "", ""};
  ASSERT_EQ(AcPostLine(books_, l), kOk);
  ASSERT_EQ(AcLayoutLoad(4), kOk);
  EXPECT_EQ(Num("AcFullBalance('20240201';'20240229';0)"), 100);
  EXPECT_EQ(AcBalanceGet("RESULTADO_GASTOS", kAcPrevYear), 0);
  EXPECT_EQ(Num("AcFullBalance('20240301';'20240331';0)"), 100);
  EXPECT_EQ(AcBalanceGet("RESULTADO_GASTOS", kAcPrevYear), -500);
  ParmPop();
}

}  // namespace
}  // namespace eng::test
