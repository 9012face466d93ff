// Pay dates: due dates of a series of payments and their move onto pay days,
// the PayDate$ procedure function in expressions, its registration by both
// programs, and the payment schedule's default computing loop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "apps/paydates/pay_date.h"
#include "apps/paydates/pay_date_fn.h"
#include "apps/paydates/pay_schedule_parms.h"
#include "apps/pelmora/pelmora_head.h"
#include "apps/truvesca/truvesca_head.h"
#include "core/fn_builtins.h"
#include "core/runtime.h"
#include "core/str_items.h"
#include "tests/support/exp_fixture.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

using paydates::PayDateCompute;
using paydates::PayDateSnap;

std::string Text(StrPair p) { return p.ok() ? p.str() : "<status " + std::to_string(p.len) + ">"; }
const std::string kBad = "<status 163>";

class PayDatesTest : public ExpTest {
 protected:
  void SetUp() override {
    ExpTest::SetUp();
    ASSERT_EQ(FnInstallValueBuiltins(), kOk);
  }
};

TEST_F(PayDatesTest, DueDateOfTheNthPayment) {
  struct Case {
    const char* date;
    int16_t offset, day_step, month_step, n;
    const char* pay_days;
    std::string want;
  };
  const Case cases[] = {
      // An offset that is a multiple of 30 is whole months, unless there is a day step.
      {"20240115", 30, 0, 0, 1, "", "20240215"},
      {"20240115", 30, 5, 0, 1, "", "20240214"},
      {"20230115", 60, 0, 0, 1, "", "20230315"},
      {"20230115", 60, 7, 0, 1, "", "20230316"},
      {"20240115", 45, 0, 0, 1, "", "20240229"},
      // Steps count from the first payment; n = 0 ignores everything.
      {"20240115", 0, 0, 1, 3, "", "20240315"},
      {"20240115", 90, 0, 1, 0, "5", "20240115"},
      {"20240115", 0, 7, 1, 3, "", "20240129"},  // the day step wins
      {"20240115", 0, 0, 0, 9, "", "20240115"},  // no step: every payment on the date
      // Month steps keep the day where the month has it, else its last day.
      {"20240131", 0, 0, 1, 1, "", "20240131"},
      {"20240131", 0, 0, 1, 2, "", "20240229"},
      {"20240131", 0, 0, 1, 3, "", "20240331"},
      {"20240131", 0, 0, 1, 4, "", "20240430"},
      {"20230131", 0, 0, 1, 2, "", "20230228"},
      {"20240229", 0, 0, 12, 2, "", "20250228"},
      {"20240229", 0, 0, 12, 5, "", "20280229"},
      {"21000131", 0, 0, 1, 2, "", "21000229"},  // the engine's calendar: every fourth year
      {"20241231", 0, 1, 0, 2, "", "20250101"},
      {"20241115", 0, 0, 3, 2, "", "20250215"},
      // Negative numbers count backwards: -30 is one month back.
      {"20240315", -30, 0, 0, 1, "", "20240215"},
      {"20240315", -1, 0, 0, 1, "", "20240314"},
      {"20240331", 0, 0, -1, 2, "", "20240229"},
      // Step products beyond a 16-bit count are still days or months to add.
      {"20240101", 0, 400, 0, 26, "", "20510519"},
      {"20240101", 0, 400, 0, 27, "", "20520622"},
      {"20240101", 0, 0, 3000, 3, "", "25240101"},
      // Then the pay days.
      {"20240115", 0, 0, 1, 1, "5,20", "20240120"},
      {"20240115", 0, 0, 1, 2, "5,20", "20240220"},
      {"20240121", 0, 0, 1, 1, "5,20", "20240205"},
      // Bad input: 163, never a day count taken for a date.
      {"", 0, 0, 0, 1, "", kBad},
      {"20240230", 0, 0, 0, 1, "", kBad},
      {"2024011", 0, 0, 0, 1, "", kBad},
      {"2024-1-15", 0, 0, 0, 1, "", kBad},
      {"20240115", 0, 0, 1, -1, "", kBad},
      {"99991201", 0, 31, 0, 2, "", kBad},
      {"00010115", 0, 0, -13, 2, "", kBad},
      {"99991231", 0, 0, 0, 1, "5", kBad},
      // n = 0 gives back whatever it was given.
      {"", 30, 0, 0, 0, "", ""},
      {"2024-1-15", 0, 0, 0, 0, "", "2024-1-15"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.date) + " " + std::to_string(c.offset) + " " + std::to_string(c.day_step) +
                 " " + std::to_string(c.month_step) + " " + std::to_string(c.n) + " '" + c.pay_days + "'");
    ScratchScope scope;
    EXPECT_EQ(Text(PayDateCompute(StrOf(c.date), c.offset, c.day_step, c.month_step, c.n, StrOf(c.pay_days))),
              c.want);
  }
}

TEST_F(PayDatesTest, PayDaysMoveADateForwardNeverBack) {
  struct Case {
    const char* pay_days;
    const char* date;
    std::string want;
  };
  const Case cases[] = {
      {"5,20", "20240121", "20240205"},
      {"5,20", "20240120", "20240120"},
      {"5,20", "20240103", "20240105"},
      {"20,5", "20240106", "20240120"},  // any order
      {"15", "20241220", "20250115"},    // into the next year
      // The largest pay day beyond the month's end means its last day.
      {"31", "20230210", "20230228"},
      {"31", "20240210", "20240229"},
      {"5,31", "20230203", "20230228"},
      {"31", "20240430", "20240430"},
      {"30", "20240229", "20240229"},
      // The next month's pay day, limited to that month.
      {"30", "20240131", "20240229"},
      {"30", "20230131", "20230228"},
      {"28", "20240229", "20240328"},
      {"31", "20240131", "20240131"},
      // Items are trimmed and unquoted; no item between 1 and 31, no move.
      {" '5' , \"20\" ", "20240106", "20240120"},
      {"0,40", "20240117", "20240117"},
      {"0,40", "20230210", "20230210"},
      {"-5", "20240117", "20240117"},
      {"0,-3,10", "20240117", "20240210"},
      {"", "20240117", "20240117"},
      // A text that is no date is left as it is.
      {"5", "2024011", "2024011"},
      {"5", "99991231", kBad},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("'") + c.pay_days + "' " + c.date);
    ScratchScope scope;
    EXPECT_EQ(Text(PayDateSnap(StrOf(c.date), StrOf(c.pay_days))), c.want);
  }
}

TEST_F(PayDatesTest, PayDateFunctionInExpressions) {
  ASSERT_EQ(paydates::PayDateRegister(), kOk);
  struct Case {
    const char* expression;
    Status status;
    std::string want;
  };
  const Case cases[] = {
      {"PayDate$('20240115';30;0;0;1)", 1, "20240215"},
      {"PayDate$('20240115';30;5;0;1)", 1, "20240214"},
      {"PayDate$('20240115';0;0;1;3)", 1, "20240315"},
      {"PayDate$('20230203';0;0;0;1;'5,31')", 1, "20230228"},
      {"PayDate$('20240315';-30;0;0;1)", 1, "20240215"},
      {"PayDate$('2024'+'0115';;;1;1+2)", 1, "20240315"},  // omitted numbers are 0
      {"PayDate$('20240115';0;0;1;2;)", 1, "20240215"},   // omitted pay days: none
      // Argument count and types.
      {"PayDate$('20240115';30;0;0)", kStSyntax, ""},
      {"PayDate$('20240115';30;0;0;1;'5';1)", kStSyntax, ""},
      {"PayDate$('20240115';'30';0;0;1)", kStSyntax, ""},
      {"PayDate$(20240115;30;0;0;1)", kStSyntax, ""},
      {"PayDate$('20240115';30;0;0;1;5)", kStSyntax, ""},
      // A date that is none.
      {"PayDate$('20241315';0;0;0;1)", kStDataError, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expression);
    EvalResult r = Eval(c.expression);
    EXPECT_EQ(r.status, c.status);
    if (c.status == 1) {
      EXPECT_EQ(r.text, c.want);
    }
  }
}

// The computing loop of a payment schedule with the built-in texts: SET$,
// then per line the WR_EXP$ items (column 1, column 2) and EOT_EXP$ until it
// is true. Each line is "date amount".
std::vector<std::string> DefaultSchedule(const std::string& total, int payments) {
  EXPECT_EQ(ExpExecute(StrOf("IDATE$='20240131',VCD=0,VCM=1,VNE=" + std::to_string(payments) +
                             ",IMP#=" + total)),
            kOk);
  std::vector<std::string> lines;
  EXPECT_EQ(ExpExecute(StrFromC(paydates::kDefaultSet)), kOk);
  StrPair write = StrFromC(paydates::kDefaultWrite);
  for (int guard = 0; guard < 40; ++guard) {
    EvalResult date = Eval(StrItem(write, ',', 1).str());
    EvalResult amount = Eval(StrItem(write, ',', 2).str());
    EXPECT_EQ(date.status, 1);
    lines.push_back(date.text + " " + amount.text);
    if (ExpEvalCond(StrFromC(paydates::kDefaultEnd)) != 0) break;
  }
  return lines;
}

TEST_F(PayDatesTest, DefaultScheduleSplitsTheTotalAndTheLastPaymentTakesTheRemainder) {
  ASSERT_EQ(paydates::PayDateRegister(), kOk);
  EXPECT_EQ(DefaultSchedule("100.00", 4),
            (std::vector<std::string>{"20240131 25", "20240229 25", "20240331 25", "20240430 25"}));
  EXPECT_EQ(DefaultSchedule("100.01", 4),
            (std::vector<std::string>{"20240131 25", "20240229 25", "20240331 25", "20240430 25.01"}));
  EXPECT_EQ(DefaultSchedule("100", 3),
            (std::vector<std::string>{"20240131 33.33", "20240229 33.33", "20240331 33.34"}));
  EXPECT_EQ(DefaultSchedule("10", 1), (std::vector<std::string>{"20240131 10"}));
  // More than 36 payments sends the questions back.
  ASSERT_EQ(ExpExecute(StrOf("VNE=36")), kOk);
  EXPECT_EQ(ExpEvalCond(StrFromC(paydates::kDefaultAlarm)), 0);
  ASSERT_EQ(ExpExecute(StrOf("VNE=37")), kOk);
  EXPECT_EQ(ExpEvalCond(StrFromC(paydates::kDefaultAlarm)), 1);
}

class PayDateRegistrationTest : public TempFolderTest {};

TEST_F(PayDateRegistrationTest, BothProgramsRegisterPayDateInTheirLoadingPhase) {
  for (AppPhaseCallback phase : {&pelmora::AcPhaseCallback, &truvesca::InvPhaseCallback}) {
    CoreRuntimeReset();
    MemSetLimits(kArenaProgramKb, 0xFFFF);
    ASSERT_EQ(DynStrInit(), kOk);
    ASSERT_EQ(ObjTableInit(), kOk);
    ASSERT_EQ(VarInitSystem(), kOk);
    EXPECT_GE(Eval("PayDate$('20240115';30;0;0;1)").status, kStFirstError) << "not registered yet";
    phase(0x22);
    EXPECT_EQ(Eval("PayDate$('20240115';30;0;0;1)").text, "20240215");
  }
}

TEST_F(PayDateRegistrationTest, RegistrationFailsWhenTheSlotsAreFull) {
  ASSERT_EQ(VarInitSystem(), kOk);
  for (int i = 0; i < kFnAppSlots; ++i)
    ASSERT_EQ(FnRegister(StrOf("APP" + std::to_string(i) + "$"), &paydates::PayDateFn), kOk);
  EXPECT_EQ(paydates::PayDateRegister(), kStDataOutBound);
}

}  // namespace
}  // namespace eng::test
