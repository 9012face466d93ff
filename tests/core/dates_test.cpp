#include "core/dates.h"

#include "core/clock.h"
#include "tests/support/core_fixture.h"

namespace eng::test {
namespace {

using DatesTest = CoreTest;

TEST_F(DatesTest, LeapDayEveryFourthYearCenturiesIncluded) {
  EXPECT_EQ(DateDaysInMonth(2024, 2), 29);
  EXPECT_EQ(DateDaysInMonth(2023, 2), 28);
  EXPECT_EQ(DateDaysInMonth(1900, 2), 29);
  EXPECT_EQ(DateDaysInMonth(2100, 2), 29);
  EXPECT_EQ(DateDaysInMonth(2024, 4), 30);
  EXPECT_EQ(DateDaysInMonth(2024, 0), 31);
  EXPECT_EQ(DateDaysInMonth(2024, 13), 31);
  EXPECT_EQ(DateDaysInMonthOf(StrOf("21000205")), 29);
}

TEST_F(DatesTest, AddDaysMonthsYears) {
  struct Case { const char* date; int32_t n; int kind; int32_t want; };
  const Case cases[] = {
      {"20240131", 1, kDateMonth, 20240229}, {"20230131", 1, kDateMonth, 20230228},
      {"20231231", 2, kDateMonth, 20240229}, {"20240331", -1, kDateMonth, 20240229},
      {"20240115", -13, kDateMonth, 20221215}, {"20240115", 24, kDateMonth, 20260115},
      {"21000301", -1, kDateDay, 21000229},  {"20240301", -1, kDateDay, 20240229},
      {"20241231", 1, kDateDay, 20250101},   {"20240101", -1, kDateDay, 20231231},
      {"20240101", 10000, kDateDay, 20510519}, {"20240101", -10000, kDateDay, 19960815},
      {"20240229", 1, kDateYear, 20250301},  {"20240229", 4, kDateYear, 20280229},
      {"20240229", -3, kDateYear, 20210301},
      // An invalid day is normalised through the months.
      {"20240431", 0, kDateDay, 20240501},   {"20241305", 0, kDateDay, 20250105},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DateAdd(StrOf(c.date), c.n, c.kind), c.want) << c.date << " " << c.n << " " << c.kind;
}

TEST_F(DatesTest, DifferencesAreTrueCalendarDays) {
  struct Case { const char* first; int32_t second; int kind; int32_t want; };
  const Case cases[] = {
      {"20240315", 20240301, kDateDay, 14},   {"20240301", 20240215, kDateDay, 15},
      {"20230101", 20220101, kDateDay, 365},  {"20250101", 20240101, kDateDay, 366},
      {"20240215", 20230301, kDateDay, 351},  {"20240101", 20250101, kDateDay, -366},
      {"21000301", 21000228, kDateDay, 2},    {"20240315", 20221101, kDateMonth, 16},
      {"20240315", 20221101, kDateYear, 2},   {"20240315", 20221101, 8, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DateAdd(StrOf(c.first), c.second, c.kind), c.want) << c.first << " - " << c.second;
  // A difference taken and added back gives the first date again.
  int32_t d = DateAdd(StrOf("20240215"), 19990806, kDateDay);
  EXPECT_EQ(DateAdd(StrOf("19990806"), d, kDateDay), 20240215);
}

TEST_F(DatesTest, ShiftAddsAnyCountAndNeverTakesADifference) {
  struct Case { DateYmd date; int64_t n; int kind; DateYmd want; };
  const Case cases[] = {
      // Counts that DateAdd would read as a second date are added here.
      {20240101, 10400, kDateDay, 20520622},  {20240101, 20240101, kDateDay, 0},
      {20240101, -10400, kDateDay, 19950712}, {20240131, 1, kDateMonth, 20240229},
      {20240131, 12001, kDateMonth, 30240229}, {20240229, -1, kDateYear, 20230301},
      {20240115, 0, kDateDay, 20240115},
      // Results outside the years 0-9999 are no date.
      {99991231, 1, kDateDay, 0}, {101, -1, kDateDay, 0}, {20240115, 100000, kDateYear, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(DateShift(c.date, c.n, c.kind), c.want) << c.date << " " << c.n;
}

TEST_F(DatesTest, SplitPartsAndText) {
  EXPECT_EQ(DateSplit(StrOf("20240305")), DateMake(2024, 3, 5));
  EXPECT_EQ(DatePart(StrOf("20240305"), kDateDay), 5);
  EXPECT_EQ(DatePart(StrOf("20240305"), kDateMonth), 3);
  EXPECT_EQ(DatePart(StrOf("20240305"), kDateYear), 2024);
  EXPECT_EQ(DatePart(StrOf("20240305"), kDateWhole), 20240305);
  EXPECT_EQ(DateCompose(5, 3, 2024), 20240305);
  EXPECT_EQ(S(DateText(20240305)), "20240305");
  EXPECT_EQ(S(DateText(3050105)), "03050105");
  EXPECT_EQ(S(DateText(20240230)), "");
  EXPECT_EQ(S(DateText(20241301)), "");
  EXPECT_EQ(S(DateText(100000101)), "");
  EXPECT_EQ(S(DateText(-20240101)), "");
  char buf[8];
  EXPECT_EQ(DateFormat8(20240230, buf), kStDataError);
  EXPECT_EQ(DateFormat8(20000229, buf), kOk);
}

TEST_F(DatesTest, SetPartDoesNotNormalise) {
  EXPECT_EQ(S(DateSetPart(StrOf("20240305"), 31, kDateDay)), "20240331");
  EXPECT_EQ(S(DateSetPart(StrOf("20240305"), 31, kDateDay | kDateMonth)), "");
  EXPECT_EQ(S(DateSetPart(StrOf("20240331"), 4, kDateMonth)), "");
  EXPECT_EQ(S(DateSetPart(StrOf("20240305"), 1999, kDateYear)), "19990305");
  EXPECT_EQ(S(DateSetPart(StrOf("20240105"), 128, kDateDay)), "");
}

TEST_F(DatesTest, NormalisationSteps) {
  DateParts p = DateMake(2024, 0, 5);
  DateStepMonth(p, kStepMonthUp);
  EXPECT_EQ(p, DateMake(2023, 12, 5));
  p = DateMake(2024, 14, 5);
  DateStepMonth(p, kStepMonthDown);
  EXPECT_EQ(p, DateMake(2025, 2, 5));
  p = DateMake(2024, 3, 0);
  DateStepMonth(p, kStepBorrow);
  EXPECT_EQ(p, DateMake(2024, 2, 29));
  p = DateMake(2024, 12, 33);
  DateStepMonth(p, kStepCarry);
  EXPECT_EQ(p, DateMake(2025, 1, 2));
}

TEST_F(DatesTest, TodayFromTheInjectedClock) {
  ClockSetFixedLocal(LocalTime{2024, 3, 5, 9, 7, 0, 0});
  EXPECT_EQ(DateToday(), 20240305);
  EXPECT_EQ(DateFromTime(-1), 0);
  EXPECT_EQ(DateFromTime(0), 19700101);          // TZ=UTC in the test environment
  EXPECT_EQ(DateFromTime(1709629620), 20240305);
}

}  // namespace
}  // namespace eng::test
