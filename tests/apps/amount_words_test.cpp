// FN$TXTN: amounts in Spanish words, and the pieces a print template cuts a
// long amount into.
#include <gtest/gtest.h>

#include <string>

#include "core/cp1252.h"
#include "tests/apps/inv_fixture.h"

namespace eng::test {
namespace {

class AmountWordsTest : public InvFnTest {
 protected:
  static std::string Words(const std::string& number) {
    EvalResult r = Eval("FN$TXTN(" + number + ")");
    EXPECT_EQ(r.status, 1) << number;
    return r.text;
  }
  static std::string Piece(const std::string& text, int width) {
    EvalResult r = Eval("FN$TXTN('" + text + "';" + std::to_string(width) + ")");
    EXPECT_EQ(r.status, 1);
    return r.text;
  }
};

TEST_F(AmountWordsTest, NumbersInWords) {
  struct Case {
    const char* number;
    std::string words;
  };
  const Case cases[] = {
      {"0", ""},
      {"1", "uno"},
      {"16", "dieciseis"},
      {"21", "veintiuno"},
      {"30", "treinta"},
      {"45", "cuarenta y cinco"},
      {"100", "cien"},
      {"101", "ciento uno"},
      {"115", "ciento quince"},
      {"200", "dos cientos"},
      {"500", "quinientos"},
      {"1000", "mil"},
      {"1005", "mil cinco"},
      {"1234", "mil dos cientos treinta y cuatro"},
      {"2005", "dos mil cinco"},
      {"12345", "doce mil tres cientos cuarenta y cinco"},
      {"100500", "cien mil quinientos"},
      {"21000", "veintiuno mil"},
      {"1234567", std::string(Cp1252("un millón dos cientos treinta y cuatro mil quinientos sesenta y siete").view())},
      {"12.5", "doce con cincuenta"},
      {"0.75", "setenta y cinco"},
      {"-3", "tres negativas "},
      {"-1234", "mil dos cientos treinta y cuatro negativas "},
      {"191.90", "ciento noventa y uno con noventa"},
      {"12.05", "doce con cinco"},
      {"-0.75", "setenta y cinco negativas "},
      // A group of three zeros names no thousands; millions stay.
      {"1000000", std::string(Cp1252("un millón").view())},
      {"2000000", "dos millones"},
      {"1001000", std::string(Cp1252("un millón uno mil").view())},
      {"1000000000", "mil millones"},
      {"5003000000", "cinco mil tres millones"},
      {"999999999999",
       "novecientos noventa y nueve mil novecientos noventa y nueve millones novecientos noventa y nueve mil "
       "novecientos noventa y nueve"},
  };
  for (const Case& c : cases) EXPECT_EQ(Words(c.number), c.words) << c.number;
}

TEST_F(AmountWordsTest, DecimalsArePaddedToDxButNeverCut) {
  SysVarSet(kVarDx, 0);
  EXPECT_EQ(Words("12.5"), "doce con cinco");
  SysVarSet(kVarDx, 3);
  EXPECT_EQ(Words("12.5"), "doce con quinientos");
  SysVarSet(kVarDx, 2);
  SysVarSet(kVarPrecis, 3);
  EXPECT_EQ(Words("1.125"), "uno con ciento veinticinco");
}

TEST_F(AmountWordsTest, AmountsOfThirteenDigitsHaveNoWords) {
  SysVarSet(kVarUser03, 4);
  ExpectRefused({
      {"FN$TXTN(1000000000000)", kStDataOutBound},
      {"FN$TXTN(-1000000000000)", kStDataOutBound},
      {"FN$TXTN(9999999999999.99)", kStDataOutBound},
  });
  EXPECT_EQ(SysVarGet(kVarUser03), 4) << "nothing changed";
  EXPECT_EQ(Words("999999999999.99").substr(0, 12), "novecientos ");
  EXPECT_EQ(SysVarGet(kVarUser03), 0) << "a conversion starts the pieces again";
}

TEST_F(AmountWordsTest, PiecesBreakAtTheLastBlankWithinTheWidth) {
  // Width 7: the blank right after the seventh character does not count.
  for (const char* want : {"abc", "def", "ghij", "", ""}) EXPECT_EQ(Piece("abc def ghij", 7), want);
  Eval("FN$TXTN(0)");
  for (const char* want : {"abc def", "ghij", ""}) EXPECT_EQ(Piece("abc def ghij", 8), want);
  // Width 0: the whole rest, and the position back at the start.
  SysVarSet(kVarUser03, 4);
  EXPECT_EQ(Piece("abc def ghij", 0), "def ghij");
  EXPECT_EQ(SysVarGet(kVarUser03), 0);
}

TEST_F(AmountWordsTest, AWordLongerThanTheWidthComesWhole) {
  // With a blank after it, and also as the last word of the text: a print
  // loop that stops at the first empty piece never loses the rest.
  Eval("FN$TXTN(0)");
  for (const char* want : {"novecientos", ""}) EXPECT_EQ(Piece("novecientos", 10), want);
  Eval("FN$TXTN(0)");
  for (const char* want : {"mil", "novecientos", ""}) EXPECT_EQ(Piece("mil novecientos", 5), want);
  Eval("FN$TXTN(0)");
  for (const char* want : {"tres", "negativas", ""}) EXPECT_EQ(Piece("tres negativas ", 5), want);
}

TEST_F(AmountWordsTest, TheWordsOfAnInvoiceTotalPrintLineByLine) {
  ASSERT_EQ(Run("W$=FN$TXTN(1234567.89)"), kOk);
  std::string lines;
  for (int i = 0; i < 20; ++i) {
    EvalResult r = Eval("FN$TXTN(W$;20)");
    ASSERT_EQ(r.status, 1);
    if (r.text.empty()) break;
    EXPECT_LE(r.text.size(), 20u);
    lines += r.text + "|";
  }
  constexpr auto kLines =
      Cp1252("un millón dos|cientos treinta y|cuatro mil|quinientos sesenta|y siete con ochenta|y nueve|");
  EXPECT_EQ(lines, kLines.view());
}

TEST_F(AmountWordsTest, ArgumentsOfTheWrongCountOrType) {
  ExpectRefused({
      {"FN$TXTN()", kStSyntax},
      {"FN$TXTN(1;2;3)", kStSyntax},
      {"FN$TXTN('doce')", kStIncompatibleTypes},
      {"FN$TXTN(12;5)", kStIncompatibleTypes},
      {"FN$TXTN('doce';'5')", kStIncompatibleTypes},
  });
  EvalResult empty = Eval("FN$TXTN('';5)");
  EXPECT_EQ(empty.status, 1);
  EXPECT_EQ(empty.text, "");
}

}  // namespace
}  // namespace eng::test
