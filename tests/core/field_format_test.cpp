#include "core/field_format.h"

#include <climits>
#include <cstring>
#include <string>

#include "core/clock.h"
#include "core/dec_value.h"
#include "core/dyn_strings.h"
#include "core/scratch_arena.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "tests/support/core_fixture.h"

namespace eng::test {
namespace {

const std::string kSpanish =
    std::string(",.'0123456789,-D',' NS','  ,NO,SI'") + '\0' +
    "'Enero,Febrero,Marzo,Abril,Mayo,Junio,Julio,Agosto,Septiembre,Octubre,Noviembre,Diciembre',"
    "'[D] de [M] de [Y]'";

class FieldFormatTest : public CoreTest {
 protected:
  void Spanish() {
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kLocaleText, StrOf(kSpanish)), kOk);
    FmtSetLocale();
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kLanguage, StrOf("ES")), kOk);
  }
};

TEST_F(FieldFormatTest, LocaleDefaultsUntilSetThenFollowsTheStore) {
  EXPECT_EQ(FmtCurrentLocale().point, '.');
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kLocaleText, StrOf(kSpanish)), kOk);
  EXPECT_EQ(FmtCurrentLocale().point, '.');  // not yet pointed at the store
  FmtSetLocale();
  const FmtLocale& es = FmtCurrentLocale();
  EXPECT_EQ(es.point, ',');
  EXPECT_EQ(es.separator, '.');
  EXPECT_EQ(es.number_chars, "0123456789,-D");
  EXPECT_EQ(es.logical_letters, " NS");
  EXPECT_EQ(es.logical_words[0], "  ");
  EXPECT_EQ(es.logical_words[2], "SI");
  // A changed text is picked up; a malformed one falls back to the default.
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kLocaleText, StrOf("x")), kOk);
  EXPECT_EQ(FmtCurrentLocale().point, '.');
  EXPECT_EQ(FmtCurrentLocale().logical_words[2], "YES");
}

TEST_F(FieldFormatTest, NumberMasksInSpanish) {
  Spanish();
  struct Case { const char* mask; const char* value; const char* want; };
  const Case cases[] = {
      {"#,###.##", "1234.5", "1.234,50"},
      {"#,###.##", "5", "    5,00"},
      {"#,###.##", "0.5", "    0,50"},
      {"#,###.##", ".5", "    0,50"},
      {"#,###.##", "-5", "   -5,00"},
      {"#,###.##", "-.5", "   -0,50"},
      {"#,###.##", "", "        "},
      {"#,##0.00", "", "    0,00"},
      {"#,###.##", "12345.678", "12345,68"},   // separator given up for a digit
      {"#,###.##", "123456.7", "123456,7"},    // then a decimal
      {"#,###.##", "123456789", "********"},   // never wrong digits
      {"##.#", "123.45", " 123"},
      {"##.#", "99.96", " 100"},              // the rounding carry gives up the decimal
      {"##", "12345", "**"},
      {"#", "-5", "*"},
      {"Total: ##,###.## EUR", "1234.567", "Total:  1.234,57 EUR"},
      {"0000", "42", "0042"},
      {"######", "12D3", " 12000"},              // "D" and a count move the point
      {"###.##", "1.5D2", "150,00"},
      {"#,###.##", "-0.004", "    0,00"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(S(FmtApplyMask(StrOf(c.mask), StrOf(c.value))), c.want) << c.mask << " " << c.value;
}

TEST_F(FieldFormatTest, PlainNumberMaskIgnoresLocale) {
  Spanish();
  EXPECT_EQ(S(FmtNumberMask(StrOf("#,###.##"), StrOf("1234.5"), true)), "1,234.50");
  EXPECT_EQ(S(FmtApplyMaskMode(StrOf("#,###.##"), StrOf("1234.5"), 1)), "1,234.50");
}

TEST_F(FieldFormatTest, CharacterMasks) {
  struct Case { const char* mask; const char* value; int mode; const char* want; };
  const Case cases[] = {
      {"\\\\-\\\\", "1234", 255, "12-34"},
      {"?\?-?\?", "1234", 255, "12-4 "},       // same-position places
      {"\\?-\\?", "1234", 255, "12-34"},     // "?" taken in order when "\" comes first
      {"\\  \\", "abcdef", 255, "abcd"},     // backslash, blanks, backslash: four places
      {"(\\\\\\)", "ab", 255, "(ab )"},
      {"?\\", "abc", 255, "ab"},          // "\" skips the character "?" took by position
      {"\\??", "abc", 255, "abc"},
      {"no places", "123", 255, "no places"},
      {"##-##", "12a4", 255, "##-##"},        // digit places with a text: the mask itself
      {"##-\\\\", "12ab", 255, "##-12"},      // first "#" with "\": "#" is copied
  };
  for (const Case& c : cases)
    EXPECT_EQ(S(FmtApplyMaskMode(StrOf(c.mask), StrOf(c.value), c.mode)), c.want) << c.mask;
}

TEST_F(FieldFormatTest, MasksFromTypesAndShortForms) {
  struct Case { const char* mask; const char* want; };
  const Case cases[] = {
      {"#####,.2", "#,###.##"}, {"##,.2", "##.##"},   {"N5", "#####"},
      {"25", "##.##"},          {"A3", "\\\\\\"},    {"#########,.0", "####,###,###"},
      {"###0,.2", "###0.00"},   {",.2", ",.2"},       {"?\?-?\?", "?\?-?\?"},
      {"#,###.##", "#,###.##"}, {"n4", "####"},       {"Xyz", "Xyz"},
  };
  for (const Case& c : cases) EXPECT_EQ(S(FmtMaskFromType(StrOf(c.mask))), c.want) << c.mask;
  EXPECT_EQ(S(FmtDefaultMask('2', 10, true)), "#######.##");
  EXPECT_EQ(S(FmtDefaultMask('D', 4, true)), "\\\\\\\\");
  EXPECT_EQ(S(FmtDefaultMask('3', 3, true)), "###");
}

TEST_F(FieldFormatTest, ShortMaskDecimalsFromDigitGroups) {
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kDigitGroups, StrOf("2,0,3")), kOk);
  EXPECT_EQ(S(FmtNormNumMask(StrOf("#####,.1"))), "####,###");  // item 2: 0 decimals
  EXPECT_EQ(S(FmtNormNumMask(StrOf("#######,.2"))), "##,###.###");  // item 3: 3 decimals
}

TEST_F(FieldFormatTest, PadFieldByType) {
  struct Case { char type; const char* value; int32_t width; const char* want; };
  const Case cases[] = {
      {'A', "abc", 5, "abc  "},   {'A', "abcdef", 4, "abcd"},  {'P', "pw", 3, "pw "},
      {'D', "20240305", 6, "240305"}, {'D', "20240305", 8, "20240305"},
      {'N', " 42 ", 5, "   42"},  {'N', "123.456", 5, "123.5"}, {'2', "99.996", 5, "100.0"},
      {'2', "999.96", 5, " 1000"}, {'L', "1", 1, "1"},        {'T', "xyz", 2, "  "},
      {'A', "abc", -1, "abc"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(S(FmtPadField(c.type, StrOf(c.value), c.width)), c.want) << c.type << " " << c.value;
  StrPair fail = FmtPadField('N', StrOf("123.456"), 2);
  EXPECT_FALSE(fail.ok());
  EXPECT_EQ(StrError(fail), kStDataOutBound);
}

TEST_F(FieldFormatTest, FieldByTypeGivesExactWidthOrRefuses) {
  Spanish();  // stored numbers never take the locale's point
  EXPECT_EQ(S(FmtFieldByType('2', StrOf("1234.5"), 10)), "   1234.50");
  EXPECT_EQ(S(FmtFieldByType('2', StrOf("-0.5"), 6)), " -0.50");
  EXPECT_EQ(S(FmtFieldByType('2', StrOf("123.456"), 5)), "123.5");
  EXPECT_EQ(S(FmtFieldByType('2', StrOf(""), 5)), "     ");
  EXPECT_EQ(S(FmtFieldByType('A', StrOf("ab"), 4)), "ab  ");
  EXPECT_EQ(S(FmtFieldByType('N', StrOf("17"), 4)), "  17");
  EXPECT_EQ(StrError(FmtFieldByType('2', StrOf("123456"), 5)), kStDataOutBound);
  EXPECT_EQ(StrError(FmtFieldByType('N', StrOf("123456"), 5)), kStDataOutBound);
}

// Writing a number straight into a field gives the bytes formatting its
// text gives, wherever it applies; where it does not, the text is formatted.
TEST_F(FieldFormatTest, FieldNumberWritesWhatItsTextFormatsTo) {
  Spanish();  // stored numbers never take the locale's point
  const int64_t values[] = {1,     -1,       7,        99,        100,      -100,        1050,  -1050, 123456,
                            -9999, 12345678, 99999999, 100000000, -9999999, 1000000000, 12340, 5,     INT64_MAX,
                            INT64_MIN, 0};
  int written = 0;
  for (int precis : {0, 1, 2, 3, 4}) {
    for (char type : {'1', '2', '3', 'N', 'A'}) {
      for (int width : {2, 4, 6, 8, 14, 30}) {
        for (int64_t v : values) {
          char out[32];
          std::memset(out, '#', sizeof out);
          if (!FmtFieldNumber(type, v, precis, width, out)) {
            EXPECT_EQ(out[0], '#') << v;  // untouched
            continue;
          }
          ++written;
          ScratchScope scope;
          StrPair text = DecFormat(v, precis);
          EXPECT_EQ(std::string(out, size_t(width)), S(FmtFieldByType(type, text, width)))
              << v << " precis " << precis << " type " << type << " width " << width;
        }
      }
    }
  }
  EXPECT_GT(written, 0);
  char out[16];
  EXPECT_TRUE(FmtFieldNumber('2', 123456, 2, 14, out));
  EXPECT_EQ(std::string(out, 14), "       1234.56");
  EXPECT_TRUE(FmtFieldNumber('2', -5, 0, 6, out));
  EXPECT_EQ(std::string(out, 6), " -5.00");
  EXPECT_FALSE(FmtFieldNumber('2', 12345, 3, 14, out));  // 12.345 is rounded by the text's formatting
  EXPECT_FALSE(FmtFieldNumber('2', 50, 2, 14, out));     // 0.50: no integer digit
  EXPECT_FALSE(FmtFieldNumber('2', 0, 2, 14, out));      // 0 is stored as its empty text
  EXPECT_FALSE(FmtFieldNumber('2', 100000, 2, 6, out));  // 1000 does not fit "##.##"
}

TEST_F(FieldFormatTest, NumberTextFromTyping) {
  struct Case { const char* typed; const char* want; };
  const Case plain[] = {
      {"  0012.50 ", "12.50"}, {"-007", "-7"}, {"0.5", "0.5"}, {"000", "0"},
      {"12-3", "12"},          {"1,234", "1"}, {"12D3", "12D3"}, {"123456789012345678901234", "12345678901234567890"},
  };
  for (const Case& c : plain) EXPECT_EQ(S(FmtNumberText(StrOf(c.typed))), c.want) << c.typed;
  Spanish();
  EXPECT_EQ(S(FmtNumberText(StrOf("12,5"))), "12.5");
  EXPECT_EQ(S(FmtNumberText(StrOf("00,5"))), "0.5");
}

TEST_F(FieldFormatTest, CompatDatesOnlyWithTheirBit) {
  EXPECT_EQ(S(CompatDate6Read(StrOf("C40305"))), "C40305");
  SysVarSet(kVarCompat, kCompatDate6);
  EXPECT_EQ(S(CompatDate6Read(StrOf("C40305"))), "20240305");
  EXPECT_EQ(S(CompatDate6Read(StrOf("940305"))), "19940305");
  EXPECT_EQ(S(CompatDate6Read(StrOf("C4 3 5"))), "20240305");
  EXPECT_EQ(S(CompatDate6Read(StrOf("      "))), "        ");
  EXPECT_EQ(S(CompatDate6Read(StrOf("20240305"))), "20240305");
  // Stored and read back, every date of both centuries comes back unchanged.
  for (const char* d : {"19940305", "20240305", "20091231", "19000101", "20991010"}) {
    StrPair stored = CompatDate6Store(StrOf(d));
    ASSERT_EQ(stored.len, 6) << d;
    EXPECT_EQ(S(CompatDate6Read(StrOf(stored.str()))), d) << stored.str();
  }
  EXPECT_EQ(S(CompatDate6Store(StrOf("20240305"))), "C4 3 5");
  EXPECT_EQ(S(CompatDate6Store(StrOf("C4 3 5"))), "C4 3 5");  // coding twice changes nothing
  EXPECT_EQ(S(CompatDate6Store(StrOf("240305"))), "C4 3 5");  // no century: taken as 20xx
  // Formatting a 6-character F field by type codes it from the whole date.
  EXPECT_EQ(S(FmtFieldByType('F', StrOf("19940305"), 6)), "94 3 5");
  EXPECT_EQ(S(FmtFieldByType('F', StrOf("20240305"), 6)), "C4 3 5");
  EXPECT_EQ(S(FmtFieldByType('F', StrOf("20240305"), 8)), "20240305");
  SysVarSet(kVarCompat, 0);
  EXPECT_EQ(S(FmtFieldByType('F', StrOf("20240305"), 6)), "240305");
}

TEST_F(FieldFormatTest, CompatFieldTextDecodesOldNumbers) {
  EXPECT_EQ(S(CompatFieldText('N', StrOf("D32"))), "D32");
  SysVarSet(kVarCompat, kCompatDate6);
  EXPECT_EQ(S(CompatFieldText('N', StrOf("D32"))), "42");
  EXPECT_EQ(S(CompatFieldText('N', StrOf("  D0"))), "10");
  EXPECT_EQ(S(CompatFieldText('N', StrOf("  32"))), "  32");
  EXPECT_EQ(S(CompatFieldText('F', StrOf("B91231"))), "20191231");
  EXPECT_EQ(S(CompatFieldText('A', StrOf("B91231"))), "B91231");
}

TEST_F(FieldFormatTest, OtherCompatConversions) {
  CompatRange r = CompatRangeToLength(5, 9);
  EXPECT_EQ(r.length, 9);
  EXPECT_EQ(S(CompatShortName(StrOf("C:\\DATA\\PLDICCIONARIO.DAT"))), "C:\\DATA\\PLDICCIONARIO.DAT");
  EXPECT_EQ(CompatKeyMap(1, 2, 30), 30);
  SysVarSet(kVarCompat, kCompatRange | kCompatShortName | kCompatKeyMap | kCompatMenuParms);
  r = CompatRangeToLength(5, 9);
  EXPECT_EQ(r.start, 5);
  EXPECT_EQ(r.length, 5);
  EXPECT_EQ(CompatRangeToLength(9, 5).length, 0);
  EXPECT_EQ(S(CompatShortName(StrOf("C:\\DATA\\PLDICCIONARIO.DAT"))), "C:\\DATA\\PLDICCIO.DAT");
  EXPECT_EQ(S(CompatShortName(StrOf("data/a.b/longfilename"))), "data/a.b/longfile");
  EXPECT_EQ(CompatKeyMap(1, 2, 30), 30);  // nothing installed
  CompatInstallKeyMap([](uint16_t, uint16_t field, uint16_t) -> uint16_t { return field * 10; });
  EXPECT_EQ(CompatKeyMap(1, 2, 30), 20);
  CompatInstallParmReader([](std::string_view name) -> std::string {
    if (name == "MODULO$") return "PL";
    if (name == "SUBMENU$") return "M2";
    if (name == "MODULOS$") return "PL,TV";
    return "";
  });
  EXPECT_EQ(S(CompatMenuParms(2, StrOf(""))), "PL,M2");
  EXPECT_EQ(S(CompatMenuParms(3, StrOf(""))), "PL,TV");
  EXPECT_EQ(S(CompatMenuParms(2, StrOf("given"))), "given");
}

TEST_F(FieldFormatTest, StoredToDisplayByType) {
  Spanish();
  ClockSetFixedLocal(LocalTime{2024, 3, 5, 9, 7, 0, 0});
  struct Case { char type; const char* stored; int32_t width; const char* want; };
  const Case cases[] = {
      {'L', "1", 2, "SI"},  {'L', "0", 2, "NO"},  {'L', " ", 2, "  "},  {'L', "x", 3, "NO "},
      {'2', "    1234.5", 10, "   1234,50"},
      {'2', "   1234567.5", 12, "  1234567,50"},
      {'2', "  123456", 5, "*****"},           // overflow shows stars, never wrong digits
      {'N', "   42", 5, "   42"},
      {'D', "20240131", 8, "31-01-24"},
      {'D', "20240131", 10, "31-01-2024"},
      {'D', "20240131", 6, "      "},
      {'D', "        ", 8, "05-03-24"},          // an empty date shows today
      {'F', "        ", 8, "        "},          // but an empty F field stays blank
      {'A', "abc", 5, "abc  "},
      {'A', "abc", 3, "abc"},
      {'T', "abc", -1, "abc"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(S(FmtFieldToText(c.type, StrOf(c.stored), c.width)), c.want) << c.type << " " << c.stored;
  SysVarSet(kVarAuxStat, 64);
  EXPECT_EQ(S(FmtFieldToText('D', StrOf("        "), 10)), "          ");
  ClockReset();
}

TEST_F(FieldFormatTest, EnteredToStoredByType) {
  Spanish();
  ClockSetFixedLocal(LocalTime{2024, 3, 5, 9, 7, 0, 0});
  struct Case { char type; const char* entered; int32_t width; const char* want; };
  const Case cases[] = {
      {'L', "si", 1, "1"},   {'L', "No", 1, "0"},   {'L', "x", 1, " "},    {'L', "", 1, " "},
      {'L', "yes", 1, " "},                          // Spanish letters: "Y" is not yes
      {'C', "12 3", 5, "12030"},                     // the padding blanks become "0" too
      {'C', "ab", 3, "   "},
      {'B', "1a2 b3", 6, "12 3  "},
      {'2', "1234,5", 10, "   1234.50"},
      {'2', "-0,5", 6, " -0.50"},
      {'2', "12D3", 9, " 12000.00"},
      {'N', "007", 4, "   7"},
      {'N', "12,6", 4, "  13"},
      {'D', "5/3/24", 8, "20240305"},
      {'D', "050324", 8, "20240305"},
      {'D', "31/2/24", 8, "        "},             // an invalid date is stored blank
      {'D', "5/3/24", 6, "240305"},
      {'A', "abcdef", 4, "abcd"},
      {'A', "ab", -1, "ab"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(S(FmtFieldFromText(c.type, StrOf(c.entered), c.width)), c.want) << c.type << " " << c.entered;
  EXPECT_EQ(StrError(FmtFieldFromText('2', StrOf("123456"), 5)), kStDataOutBound);
  SysVarSet(kVarCompat, kCompatDate6);
  EXPECT_EQ(S(FmtFieldFromText('F', StrOf("5/3/24"), 6)), "C4 3 5");
  EXPECT_EQ(S(FmtFieldToText('F', StrOf("C4 3 5"), 10)), "05-03-2024");
  ClockReset();
}

TEST_F(FieldFormatTest, DefaultLocaleAndEnglishDates) {
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kLanguage, StrOf("EN")), kOk);
  EXPECT_EQ(S(FmtFieldFromText('D', StrOf("5/3/24"), 8)), "20240503");
  EXPECT_EQ(S(FmtFieldToText('D', StrOf("20240503"), 10)), "05-03-2024");
  EXPECT_EQ(S(FmtFieldFromText('L', StrOf("y"), 1)), "1");
  EXPECT_EQ(S(FmtFieldToText('L', StrOf("1"), 3)), "YES");
  EXPECT_EQ(S(FmtFieldToText('2', StrOf("   1234567.5"), 12)), "  1234567.50");
  EXPECT_EQ(S(FmtApplyMask(StrOf("##,###,###.##"), StrOf("-1234567.5"))), "-1,234,567.50");
}

TEST_F(FieldFormatTest, StoredValuesSurviveDisplayAndEntry) {
  Spanish();
  struct Case { char type; const char* stored; int32_t width; };
  const Case cases[] = {
      {'2', "   1234.50", 10}, {'2', "     -0.05", 10}, {'4', " 3.1416", 7}, {'N', "  -17", 5},
      {'L', "1", 1},         {'L', "0", 1},          {'L', " ", 1},        {'C', "00120", 5},
      {'A', "\xD1" "and\xFA  ", 7},
  };
  for (const Case& c : cases) {
    StrPair shown = FmtFieldToText(c.type, StrOf(c.stored), c.width);
    ASSERT_TRUE(shown.ok());
    std::string text = shown.str();
    EXPECT_EQ(S(FmtFieldFromText(c.type, StrOf(text), c.width)), c.stored) << c.type << " [" << text << "]";
  }
}

}  // namespace
}  // namespace eng::test
