#include "core/date_text.h"

#include <string>

#include "core/clock.h"
#include "core/dyn_strings.h"
#include "core/log.h"
#include "core/msg_catalog.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

class DateTextTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ClockSetFixedLocal(LocalTime{2024, 3, 5, 9, 7, 0, 0});
    Lang("ES");
  }
  void TearDown() override {
    ClockReset();
    TempFolderTest::TearDown();
  }
  static void Lang(const char* code) { DynStrSet(sl::kSettings, sl::kLanguage, StrFromC(code)); }
  static std::string Parse(const char* typed) { return S(FmtParseDate(StrFromC(typed))); }
};

TEST_F(DateTextTest, TwoDigitYearWindow) {
  EXPECT_EQ(FmtYear4(79), 2079);
  EXPECT_EQ(FmtYear4(80), 1980);
  EXPECT_EQ(FmtYear4(0), 2000);
  EXPECT_EQ(FmtYear4(99), 1999);
  SysVarSet(kVarBYear, 1900);
  SysVarSet(kVarBkYear, 30);
  EXPECT_EQ(FmtYear4(29), 1929);
  EXPECT_EQ(FmtYear4(30), 1830);
}

TEST_F(DateTextTest, DisplayModesInSpanish) {
  struct Case { int mode; const char* want; };
  const Case cases[] = {
      {0, "20240305"}, {1, "05-03-24"}, {2, "05-03-2024"}, {3, "Mar 2024"},
      {4, "05 de Marzo de 2024"}, {5, ""}, {7, ""}, {-1, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(S(FmtDate(StrFromC("20240305"), c.mode)), c.want) << c.mode;
  EXPECT_EQ(S(FmtDate(StrFromC("19991231"), 4)), "31 de Diciembre de 1999");
  EXPECT_EQ(S(FmtDate(StrFromC("00050101"), 2)), "01-01-0005");
}

TEST_F(DateTextTest, MonthFirstOutsideSpanishFrenchItalian) {
  Lang("EN");
  EXPECT_EQ(S(FmtDate(StrFromC("20240305"), 1)), "03-05-24");
  Lang("DE");
  EXPECT_EQ(S(FmtDate(StrFromC("20240305"), 2)), "03-05-2024");
  Lang("IT");
  EXPECT_EQ(S(FmtDate(StrFromC("20240305"), 2)), "05-03-2024");
  Lang("");
  EXPECT_EQ(S(FmtDateParts(StrFromC("2024"), StrFromC("03"), StrFromC("05"))), "03-05-2024");
}

TEST_F(DateTextTest, EmptyIsTodayInvalidIsBlank) {
  EXPECT_EQ(S(FmtDate(StrPair{}, 2)), "05-03-2024");
  EXPECT_EQ(S(FmtDate(StrPair{}, 0)), "20240305");
  EXPECT_EQ(S(FmtDate(StrFromC("20240230"), 1)), "        ");
  EXPECT_EQ(S(FmtDate(StrFromC("20240230"), 2)), "          ");
  EXPECT_EQ(S(FmtDate(StrFromC("20240230"), 3)), "");
  EXPECT_EQ(S(FmtDate(StrFromC("20241301"), 0)), "");
  EXPECT_EQ(S(FmtDate(StrFromC("abc"), 4)), "");
  EXPECT_EQ(S(FmtDate(StrFromC("99999999999999999999"), 1)), "        ");
  SysVarSet(kVarAuxStat, kAuxNoToday);
  EXPECT_EQ(S(FmtDate(StrPair{}, 2)), "          ");
  EXPECT_EQ(S(FmtDateOrToday(StrPair{})), "");
  EXPECT_EQ(S(FmtDateOrToday(StrFromC("20200101"))), "20200101");
}

TEST_F(DateTextTest, MonthNamesFromTheLocaleText) {
  // Start-up keeps the number characters (message 0019) and the date part
  // (0117) NUL-separated in (0, 0).
  std::string locale = ",.'0123456789,-D'";
  locale += '\0';
  locale += "'Jan,Feb,Mar,Apr,May,Jun,Jul,Aug,Sep,Oct,Nov,Dec','[M] [D], [Y]'";
  DynStrSet(sl::kSettings, sl::kLocaleText, StrOf(locale));
  EXPECT_EQ(S(FmtDate(StrFromC("20240305"), 4)), "Mar 05, 2024");
  EXPECT_EQ(S(FmtDate(StrFromC("20241105"), 3)), "Nov 2024");
  EXPECT_EQ(S(FmtMonthName(13)), "");
}

TEST_F(DateTextTest, ParseTypedDates) {
  struct Case { const char* lang; const char* typed; const char* want; };
  const Case cases[] = {
      {"ES", "5/3/24", "20240305"},   {"EN", "5/3/24", "20240503"},
      {"ES", "050324", "20240305"},   {"EN", "050324", "20240305"},
      {"ES", "31/02/24", ""},         {"ES", "5.3.1999", "19990305"},
      {"ES", "05-03-80", "19800305"}, {"ES", "05-03-79", "20790305"},
      {"ES", " 5 / 3 / 24 ", "20240305"},
      {"ES", "0/3/24", ""},           {"ES", "5/0/24", ""},
      {"ES", "5/3", ""},              {"ES", "5/3/", ""},
      {"ES", "20240305", "20240305"}, {"ES", "20240230", ""},
      {"ES", "5", ""},                {"ES", "abcdefgh", ""},
      {"ES", "310224", ""},           {"ES", "99/99/99", ""},
      {"ES", "5/3/123456789012345", ""}, {"ES", "-5/3/24", ""},
      {"ES", "'5/3'/24", ""},
  };
  for (const Case& c : cases) {
    Lang(c.lang);
    EXPECT_EQ(Parse(c.typed), c.want) << c.lang << " " << c.typed;
  }
}

TEST_F(DateTextTest, ParseEmptyIsToday) {
  EXPECT_EQ(Parse(""), "20240305");
  EXPECT_EQ(Parse("   "), "20240305");
  SysVarSet(kVarAuxStat, kAuxNoToday);
  EXPECT_EQ(Parse(""), "        ");
}

TEST_F(DateTextTest, LogRecordsCarryTheLanguagesDate) {
  Lang("EN");
  FmtDateInstallLog();
  LogRecord(StrFromC("x"), StrFromC("r.log"));
  EXPECT_NE(Get("r.log").find(" Date:03-05-2024 - Time:09:07"), std::string::npos);
}

}  // namespace
}  // namespace eng::test
