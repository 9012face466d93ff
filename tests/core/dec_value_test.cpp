#include "core/dec_value.h"

#include <climits>
#include <string>

#include "core/num_text.h"
#include "core/sys_vars.h"
#include "tests/support/core_fixture.h"

namespace eng::test {
namespace {

using DecValueTest = CoreTest;

TEST_F(DecValueTest, DivRoundIsHalfAwayFromZero) {
  struct Case { int64_t a, b, want; };
  const Case cases[] = {
      {1, 2, 1},   {-1, 2, -1}, {3, 4, 1},  {1, 4, 0},   {7, 2, 4},    {-7, 2, -4},
      {6, -3, -2}, {-6, 4, -2}, {5, 10, 1}, {5, 1, 5},   {9, 0, 0},
      // Odd divisors round only from half: 1.70 / 1.21 is 1.40.
      {4, 3, 1},   {5, 3, 2},   {-4, 3, -1}, {17000, 121, 140}, {-5, -3, 2},
      {INT64_MIN, -1, INT64_MIN}, {INT64_MIN, 2, INT64_MIN / 2}, {INT64_MAX, INT64_MIN, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(NumDivRound(c.a, c.b), c.want) << c.a << " / " << c.b;
}

TEST_F(DecValueTest, DivModTruncatesAndKeepsMagnitudeRemainder) {
  NumQuotRem r = NumDivMod(-7, 2);
  EXPECT_EQ(r.quot, -3);
  EXPECT_EQ(r.rem, 1u);
  r = NumDivMod(7, -2);
  EXPECT_EQ(r.quot, -3);
  EXPECT_EQ(r.rem, 1u);
  r = NumDivMod(INT64_MIN, 10);
  EXPECT_EQ(r.quot, INT64_MIN / 10);
  EXPECT_EQ(r.rem, 8u);
}

TEST_F(DecValueTest, RoundDecimals) {
  EXPECT_EQ(NumRoundDecimals(1234, 3, 2), 1230);
  EXPECT_EQ(NumRoundDecimals(1235, 3, 2), 1240);
  EXPECT_EQ(NumRoundDecimals(-1235, 3, 2), -1240);
  EXPECT_EQ(NumRoundDecimals(12, 2, 4), 1200);
  EXPECT_EQ(NumRoundDecimals(77, 2, 2), 77);
  EXPECT_EQ(NumRoundDecimals(INT64_MAX, 30, 0), 0);
}

TEST_F(DecValueTest, FormatDropsTrailingZerosAndLeadingZero) {
  struct Case { int64_t v; int n; const char* want; };
  const Case cases[] = {
      {1234, 2, "12.34"}, {1200, 2, "12"}, {1230, 2, "12.3"}, {5, 2, ".05"}, {-5, 2, "-.05"},
      {0, 2, ""},         {50, 2, ".5"},   {-150, 2, "-1.5"}, {0, 0, "0"},   {-42, 0, "-42"},
      {INT64_MIN, 2, "-92233720368547758.08"}, {INT64_MAX, 0, "9223372036854775807"},
      {1, 25, ".0000000000000000000000001"},
  };
  for (const Case& c : cases) EXPECT_EQ(S(DecFormat(c.v, c.n)), c.want) << c.v << "/" << c.n;
}

TEST_F(DecValueTest, ToTextFollowsPrecis) {
  EXPECT_EQ(S(DecToText(50)), ".5");
  EXPECT_EQ(S(DecToText(-150)), "-1.5");
  SysVarSet(kVarPrecis, 4);
  EXPECT_EQ(S(DecToText(12345)), "1.2345");
  EXPECT_EQ(DecFromInt(3), 30000);
  EXPECT_EQ(S(DecIntToText(12345)), "12345");
}

TEST_F(DecValueTest, FromText) {
  struct Case { const char* text; int64_t want; };
  const Case cases[] = {
      {"1.567", 157},   {"-1.565", -157}, {"12D2", 120000}, {"", 0},     {" 3 ", 300},
      {"\t3", 300},     {"1.005", 101},   {"-0.005", -1},   {"1.5D2", 15000}, {"12D3", 1200000},
      {".5", 50},       {"-.5", -50},     {"12abc", 1200},  {"abc", 0},  {"7.", 700},
      {"1.23456D2", 12346},
      // 19 integer digits and 2 decimals do not fit the 20-character digit form.
      {"1234567890123456789", 0},
      {"12345678901234567", 1234567890123456700},
  };
  for (const Case& c : cases) EXPECT_EQ(DecFromText(StrOf(c.text)), c.want) << c.text;
  EXPECT_EQ(DecFromText(StrFail(kStStringTooLong)), 0);
}

TEST_F(DecValueTest, FromTextAtSeveralPrecisions) {
  struct Case { int16_t precis; const char* text; int64_t want; };
  const Case cases[] = {
      {0, "12.5", 13},    {0, "-12.5", -13},  {0, "12.49", 12},   {0, "7D2", 700},
      {3, "1.2345", 1235}, {3, "-0.0005", -1}, {3, "2", 2000},    {3, ".1D1", 1000},
      {18, "1", 1000000000000000000}, {18, "0.5", 500000000000000000},
      // The largest values of the range, and one past them: refused, read as 0.
      {0, "9223372036854775807", INT64_MAX}, {0, "-9223372036854775808", INT64_MIN},
      {0, "9223372036854775808", 0},         {0, "99999999999999999999", 0},
      {2, "92233720368547758.07", INT64_MAX}, {2, "92233720368547758.08", 0},
      {18, "10", 0},  // ten with 18 decimals is past the range
  };
  for (const Case& c : cases) {
    SysVarSet(kVarPrecis, c.precis);
    EXPECT_EQ(DecFromText(StrOf(c.text)), c.want) << c.precis << " " << c.text;
  }
  // Values round-trip through their text at each precision.
  for (int16_t p : {0, 1, 2, 5, 18}) {
    SysVarSet(kVarPrecis, p);
    for (int64_t v : {int64_t{1}, int64_t{-1}, int64_t{123456789}, INT64_MAX, INT64_MIN + 1}) {
      ScratchScope scope;
      EXPECT_EQ(DecFromText(DecToText(v)), v) << p << " " << v;
    }
  }
}

// DecParseText tells a refused text from a 0: 146 for what the number
// format or the 64 bits cannot hold. Digits beyond the decimals round at
// the first of them, also at the edge of the range.
TEST_F(DecValueTest, ParseTextRefusesWhatTheRangeCannotHold) {
  struct Case { int16_t precis; const char* text; Status status; int64_t want; };
  const Case cases[] = {
      {2, "92233720368547758.07", kOk, INT64_MAX},
      {2, "92233720368547758.08", kStStringTooLong, 0},
      {2, "92233720368547758.0749", kOk, INT64_MAX},
      {2, "92233720368547758.075", kStStringTooLong, 0},
      {2, "-92233720368547758.08", kOk, INT64_MIN},
      {2, "-92233720368547758.0849", kOk, INT64_MIN},
      {2, "-92233720368547758.085", kOk, INT64_MIN},  // the sign leaves no room for a further digit
      {2, "-92233720368547758.09", kStStringTooLong, 0},
      {2, "123456789012345678901", kStStringTooLong, 0},
      {2, "1D18", kStStringTooLong, 0},
      {2, "0.00500000000000000001", kOk, 1},
      {2, "", kOk, 0},
      {2, "abc", kOk, 0},
      {0, "9223372036854775807.4", kOk, INT64_MAX},
      {0, "9223372036854775807.5", kStStringTooLong, 0},
      {18, "9.223372036854775807", kOk, INT64_MAX},
      {18, "9.223372036854775808", kStStringTooLong, 0},
  };
  for (const Case& c : cases) {
    SysVarSet(kVarPrecis, c.precis);
    DecValue v = -7;
    EXPECT_EQ(DecParseText(StrOf(c.text), &v), c.status) << c.precis << " " << c.text;
    EXPECT_EQ(v, c.want) << c.precis << " " << c.text;
    EXPECT_EQ(DecFromText(StrOf(c.text)), c.want) << c.precis << " " << c.text;
  }
  DecValue v = -7;
  EXPECT_EQ(DecParseText(StrFail(kStOutOfMemory), &v), kStOutOfMemory);
  EXPECT_EQ(v, 0);
}

TEST_F(DecValueTest, NormTextCountsFurtherDigits) {
  DecNorm d = DecNormText(StrOf("1.567"), 2);
  EXPECT_EQ(S(d.digits), "1567");
  EXPECT_EQ(d.further, 1);
  d = DecNormText(StrOf("1.5"), 2);
  EXPECT_EQ(S(d.digits), "150");
  EXPECT_EQ(d.further, 0);
  d = DecNormText(StrOf("-0.1234567890123456789"), 2);
  EXPECT_EQ(S(d.digits), "-0123456789012345678");  // the 20 characters hold no more
  EXPECT_EQ(d.further, 16);
  d = DecNormText(StrOf("123456789012345678901"), 0);
  EXPECT_EQ(StrError(d.digits), kStStringTooLong);
}

TEST_F(DecValueTest, SixteenBitTexts) {
  char buf[kNumBufSize];
  EXPECT_EQ(S(NumToRadix(-255, buf, 16)), "-FF");
  EXPECT_EQ(S(NumToRadix(0, buf, 10)), "0");
  EXPECT_EQ(S(NumToRadix(-32768, buf, 2)), "-1000000000000000");
  EXPECT_EQ(S(NumToRadix(35, buf, 36)), "Z");
  EXPECT_EQ(S(NumToTextIn(-32768, buf)), "-32768");
  char pad[16];
  EXPECT_EQ(S(NumPad(7, 3, '0', pad)), "007");
  EXPECT_EQ(S(NumPad(1234, 3, '0', pad)), "1234");
  EXPECT_EQ(S(NumPad(-5, 4, ' ', pad)), "  -5");
  EXPECT_EQ(S(NumToText(321)), "321");
  EXPECT_EQ(NumPow10(0), 1);
  EXPECT_EQ(NumPow10(4), 10000);
}

TEST_F(DecValueTest, ParseLikeTheCLibrary) {
  EXPECT_EQ(NumParse(StrOf("  -12x3")), -12);
  EXPECT_EQ(NumParse(StrOf("+7")), 7);
  EXPECT_EQ(NumParse(StrOf("x")), 0);
  EXPECT_EQ(NumParse(StrOf("99999999999999999999")), INT64_MAX);
  EXPECT_EQ(NumParse(StrOf("-9223372036854775808")), INT64_MIN);
  EXPECT_EQ(NumParse(StrOf("-99999999999999999999")), INT64_MIN);
}

TEST_F(DecValueTest, EightByteEntries) {
  StrPair e = DecStoreValue(0x0102030405060708);
  ASSERT_EQ(e.len, 8);
  EXPECT_EQ(e.at(0), 0x08);
  EXPECT_EQ(e.at(7), 0x01);
  EXPECT_EQ(NumAccValue(), 0x0102030405060708);
  DecStoreValue(-2);
  EXPECT_EQ(NumAccValue(), -2);
  ScratchText("abc");
  EXPECT_EQ(NumAccValue(), -1);
  ScratchText("");
  EXPECT_EQ(NumAccValue(), 0);

  DecStoreValue(50);
  EXPECT_EQ(DecAccToInt(), 1);
  DecStoreValue(149);
  EXPECT_EQ(DecAccToInt(), 1);
  DecStoreValue(-150);
  EXPECT_EQ(DecAccToInt(), -2);
  EXPECT_EQ(S(DecAccToText()), "-1.5");

  DecIntToValue(12);
  EXPECT_EQ(NumAccValue(), 1200);
  DecTextToValue(StrOf("2.5"));
  EXPECT_EQ(NumAccValue(), 250);
}

TEST_F(DecValueTest, FromIntegerText) {
  EXPECT_EQ(DecFromIntText(StrOf("12")), 1200);
  EXPECT_EQ(DecFromIntText(StrOf(" -7x")), -700);
  EXPECT_EQ(DecFromIntText(StrOf("12.75")), 1200);  // the integer part only
  EXPECT_EQ(DecFromIntText(StrOf("abc")), 0);
  EXPECT_EQ(DecFromIntText(StrOf("si")), 100);  // a truth word is 1
  EXPECT_EQ(DecFromIntText(StrFail(kStStringTooLong)), 0);
  SysVarSet(kVarPrecis, 0);
  EXPECT_EQ(DecFromIntText(StrOf("12")), 12);
}

TEST_F(DecValueTest, ScalingWrapsWithoutUndefinedBehaviour) {
  EXPECT_EQ(DecMulPow10(INT64_MAX, 2), static_cast<int64_t>(uint64_t(INT64_MAX) * 100u));
  EXPECT_EQ(DecDivPow10(-150, 2), -2);
  EXPECT_EQ(DecDivPow10(149, 2), 1);
  EXPECT_EQ(DecFromInt64(12), 1200);
  EXPECT_EQ(DecFromInt64(-7), -700);
  EXPECT_EQ(DecFromInt64(INT64_MAX), 0);  // too long for the number format
}

}  // namespace
}  // namespace eng::test
