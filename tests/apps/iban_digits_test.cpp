// Iban$ and Mod: control digits of Spanish bank-account codes and IBAN check
// digits.
#include <gtest/gtest.h>

#include <string>

#include "tests/apps/inv_fixture.h"

namespace eng::test {
namespace {

using truvesca::IbanControlDigit;
using truvesca::IbanWeight;

class IbanTest : public InvFnTest {
 protected:
  static std::string Iban(const std::string& args) {
    EvalResult r = Eval("Iban$(" + args + ")");
    EXPECT_EQ(r.status, 1) << args;
    return r.text;
  }
};

TEST_F(IbanTest, ControlDigitsWeighPositionsByPowersOfTwoModuloEleven) {
  const int weights[] = {1, 2, 4, 8, 5, 10, 9, 7, 3, 6};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(IbanWeight(i), weights[i]) << i;
  struct Case {
    const char* digits;
    int control;
  };
  const Case cases[] = {
      {"0012345678", 0},  // weighted sum 231, remainder 0
      {"0000000040", 1},  // sum 12, remainder 1
      {"0000000001", 5},  // sum 6: 11 - 6
      {"1234567890", 6},  // sum 280, remainder 5
      {"21000418", 4},    // bank and branch, padded to ten
      {"0200051332", 5},
  };
  for (const Case& c : cases) EXPECT_EQ(IbanControlDigit(c.digits), c.control) << c.digits;
}

TEST_F(IbanTest, CodesAreCheckedAndCompleted) {
  struct Case {
    const char* args;
    const char* answer;
  };
  const Case cases[] = {
      {"'ES';'2100';'0418';'';'0200051332'", "ES91,2100,0418,45,0200051332"},
      {"'ES';'2100';'0418';'45';'0200051332'", "ES91,2100,0418,45,0200051332"},
      {"'ES91';'2100';'0418';'45';'0200051332'", "ES91,2100,0418,45,0200051332"},
      {"'es';'2100';'0418';'';'0200051332'", "ES91,2100,0418,45,0200051332"},
      {"'ES';'2100';'0813';'';'0123456789'", "ES79,2100,0813,61,0123456789"},
      {"'';'0000';'0000';'';'0012345678'", "ES98,0000,0000,00,0012345678"},  // the language's country
      {"'';'0';'0';'';'12345678'", "ES98,0000,0000,00,0012345678"},          // parts padded with zeros
      // Not valid: the empty answer.
      {"'ES';'2100';'0418';'46';'0200051332'", ""},    // wrong control digits
      {"'ES';'2100';'0418';'5';'0200051332'", ""},
      {"'ES92';'2100';'0418';'45';'0200051332'", ""},  // wrong check digits
      {"'ES910';'2100';'0418';'45';'0200051332'", ""},  // an IBAN prefix too long
      {"'ES9';'2100';'0418';'45';'0200051332'", ""},
      {"'E';'2100';'0418';'45';'0200051332'", ""},
      {"'E1';'2100';'0418';'45';'0200051332'", ""},     // no country
      {"'ES';'2100';'0418';'';'02000A1332'", ""},       // a letter in the account
      {"'ES';'21OO';'0418';'';'0200051332'", ""},
      {"'ES';'2100';'0418';'';'10200051332'", ""},      // eleven account digits
      {"'ES';'21000';'0418';'';'0200051332'", ""},
      {"'ES';'2100';'0418';'';''", ""},                 // no account
      {"'';'0000';'0000';'';''", ""},
      {"'ES';'';'0418';'';'0200051332'", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Iban(c.args), c.answer) << c.args;
}

TEST_F(IbanTest, EveryCompletedCodeIsAValidIban) {
  for (const char* args : {"'ES';'2100';'0418';'';'0200051332'", "'';'0049';'1500';'';'2710151321'",
                           "'DE';'1';'2';'';'3'", "'FR';'9999';'9999';'';'9999999999'"}) {
    std::string code = Iban(args);
    ASSERT_FALSE(code.empty()) << args;
    ASSERT_EQ(Run("C$='" + code + "'"), kOk);
    // The IBAN read from the account digits with the prefix at the end leaves 1.
    EXPECT_EQ(Eval("Mod(FN$PARM(C$;2;44)+FN$PARM(C$;3;44)+FN$PARM(C$;4;44)+FN$PARM(C$;5;44)+FN$PARM(C$;1;44))").text,
              "1")
        << code;
    // The completed code given back is answered the same.
    EXPECT_EQ(Eval("Iban$(FN$PARM(C$;1;44);FN$PARM(C$;2;44);FN$PARM(C$;3;44);FN$PARM(C$;4;44);FN$PARM(C$;5;44))").text,
              code);
  }
}

TEST_F(IbanTest, ModCountsLettersAsInIbansForAnyDivisor) {
  struct Case {
    const char* call;
    const char* answer;
  };
  const Case cases[] = {
      {"Mod('A')", "10"},
      {"Mod('Z')", "35"},
      {"Mod('ab')", "41"},  // 1011
      {"Mod('100')", "3"},
      {"Mod('100';7)", "2"},
      {"Mod('123456789012';100000000)", "56789012"},
      {"Mod('99999999999999999999';89999999999999999)", "10000000000001110"},
  };
  for (const Case& c : cases) EXPECT_EQ(Eval(c.call).text, c.answer) << c.call;
  EvalResult empty = Eval("Mod('')");
  EXPECT_EQ(empty.status, kOk);
  EXPECT_EQ(empty.num, 0) << "no digits, nothing left";
  // A divisor near the top of 64 bits (whole numbers without decimals).
  SysVarSet(kVarPrecis, 0);
  EXPECT_EQ(Eval("Mod('99999999999999999999';9000000000000000000)").text, "999999999999999999");
  SysVarSet(kVarPrecis, 2);
  ExpectRefused({
      {"Mod('5';0)", kStDataError},
      {"Mod('5';-97)", kStDataError},
      {"Mod('ES91 2100')", kStDataError},
      {"Mod(100)", kStIncompatibleTypes},
      {"Mod('100';'7')", kStIncompatibleTypes},
      {"Mod()", kStSyntax},
  });
}

TEST_F(IbanTest, IbanTakesExactlyFiveTexts) {
  ExpectRefused({
      {"Iban$('ES';'2100';'0418';'')", kStSyntax},
      {"Iban$('ES';'2100';'0418';'';'0200051332';'')", kStSyntax},
      {"Iban$('ES';2100;'0418';'';'0200051332')", kStIncompatibleTypes},
  });
}

}  // namespace
}  // namespace eng::test
