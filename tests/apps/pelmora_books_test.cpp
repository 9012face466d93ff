// The accounting books of pelmora over the demo year: the range split of
// balances, balances by account, group and period, the functions that walk
// the journal, the regeneration of the period accumulations, the year-end
// close and its undoing, the renumbering of entries and the balance check
// of an entry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "apps/pelmora/ac_dates.h"
#include "apps/pelmora/ac_process.h"
#include "apps/pelmora/ac_recovery.h"
#include "core/err_register.h"
#include "core/hooks.h"
#include "core/dyn_strings.h"
#include "core/string_lists.h"
#include "data/dict_query.h"
#include "tests/apps/pelmora_books_fixture.h"

namespace eng::test {
namespace {

using namespace eng::pelmora;

DateYmd D(const char* text) { return AcDateOf(StrFromC(text)); }

TEST(AcDatesTest, AccumulateCountsByMode) {
  struct Case {
    DecValue debit, credit;
    int mode;
    DecValue added;
  };
  for (const Case& c : {Case{100, 40, 1, 60}, Case{100, 40, 2, -60}, Case{100, 40, 3, 60}, Case{100, 40, 4, 0},
                        Case{100, 40, 5, 100}, Case{100, 40, 6, 40}, Case{40, 100, 3, 0}, Case{40, 100, 4, 60}}) {
    DecValue total = 5;
    EXPECT_EQ(AcAccumulate(c.debit, c.credit, kOk, c.mode, &total), kOk);
    EXPECT_EQ(total, 5 + c.added) << "mode " << c.mode;
  }
  DecValue total = 0;
  EXPECT_EQ(AcAccumulate(1, 2, kOk, 7, &total), kStDataError);
  EXPECT_EQ(AcAccumulate(1, 2, kOk, 0, &total), kStDataError);
  EXPECT_EQ(AcAccumulate(1, 2, 140, 1, &total), 140);
  EXPECT_EQ(total, 0);
}

TEST(AcDatesTest, MonthEdges) {
  struct Case {
    const char* date;
    int kind;
    const char* edge;
  };
  for (const Case& c : {Case{"20240310", 0, "20240401"}, Case{"20240301", 0, "20240301"},
                        Case{"20241215", 0, "20250101"}, Case{"20240320", 1, "20240229"},
                        Case{"20240331", 1, "20240331"}, Case{"20240115", 1, "20231231"},
                        Case{"20240229", 2, "20240201"}, Case{"20240210", 3, "20240229"}})
    EXPECT_EQ(AcMonthEdge(D(c.date), c.kind), D(c.edge)) << c.date << " kind " << c.kind;
}

TEST(AcDatesTest, RangeSplitCountsEachDayOnce) {
  struct Case {
    const char* from;
    const char* to;
    AcRangeParts want;
  };
  const Case cases[] = {
      {"20240301", "20240531", {{}, {true, D("20240301"), D("20240531")}, {}}},
      {"20240310", "20240520",
       {{true, D("20240310"), D("20240331")}, {true, D("20240401"), D("20240430")},
        {true, D("20240501"), D("20240520")}}},
      {"20240301", "20240320", {{}, {}, {true, D("20240301"), D("20240320")}}},
      {"20240310", "20240331", {{true, D("20240310"), D("20240331")}, {}, {}}},
      // Both ends inside one month: the days come once, from the leading part.
      {"20240305", "20240320", {{true, D("20240305"), D("20240320")}, {}, {}}},
  };
  for (const Case& c : cases) {
    AcRangeParts p = AcRangeSplit(D(c.from), D(c.to));
    SCOPED_TRACE(std::string(c.from) + "-" + c.to);
    for (auto [got, want] : {std::pair{p.leading, c.want.leading}, std::pair{p.months, c.want.months},
                             std::pair{p.trailing, c.want.trailing}}) {
      EXPECT_EQ(got.on, want.on);
      if (want.on) {
        EXPECT_EQ(got.from, want.from);
        EXPECT_EQ(got.to, want.to);
      }
    }
  }
  // The year before a range that ends on 29 February ends on 28 February.
  AcDayRange back = AcYearBack(D("20240201"), D("20240229"));
  EXPECT_EQ(back.from, D("20230201"));
  EXPECT_EQ(back.to, D("20230228"));
}

TEST_F(PelmoraBooksTest, PostingFillsTheAccountAndGroupMonths) {
  // Period records hold the account's and its group's month.
  AcBalance march = AcPeriodBalance(books_, "43000001", D("20240301"), D("20240331"), kDiaryAll);
  EXPECT_EQ(march.debit, 6700);
  EXPECT_EQ(march.credit, 0);
  AcBalance group = AcPeriodBalance(books_, "430", D("20240101"), D("20241231"), kDiaryAll);
  EXPECT_EQ(group.debit, 10700);
  EXPECT_EQ(group.credit, 4300);
  AcBalance two = AcPeriodBalance(books_, "43", D("20240101"), D("20241231"), kDiaryAll);
  EXPECT_EQ(two.debit, 10700) << "a two-character group sums its three-character groups";
}

TEST_F(PelmoraBooksTest, BalancesByAccountAndPeriodEqualHandSums) {
  ASSERT_EQ(Run("FAPE$='20240101'"), kOk);
  struct Case {
    const char* call;
    DecValue cents;
  };
  const Case cases[] = {
      // 10 March to 20 May: 60 of March from the journal, April from the
      // accumulations (a credit of 40), 40 of 20 May from the journal.
      {"AcGetBalance('43000001';'20240520';'';1;'20240310')", 6000},
      {"AcGetBalance('43000001';'20240520';'';2;'20240310')", -6000},
      {"AcGetBalance('43000001';'20240520';'';3;'20240310')", 6000},
      {"AcGetBalance('43000001';'20240520';'';4;'20240310')", 0},
      {"AcGetBalance('43000001';'20240520';'';5;'20240310')", 10000},
      {"AcGetBalance('43000001';'20240520';'';6;'20240310')", 4000},
      // Both ends in March: the days count once.
      {"AcGetBalance('43000001';'20240320';'';1;'20240305')", 6700},
      // From the start of the fiscal year.
      {"AcGetBalance('43000001';'20241231')", 6400},
      {"AcGetBalance('57200001';'20241231')", 102300},
      {"AcGetBalance('70000000';'20241231';'';2)", 10700},
      // A group code counts its accounts' journal days as well.
      {"AcGetBalance('43';'20240520';'';1;'20240310')", 6000},
      // Whole months only.
      {"AcGetBalance('43000001';'20240531';'';1;'20240301')", 6400},
  };
  for (const Case& c : cases) EXPECT_EQ(Num(c.call), c.cents) << c.call;
  EXPECT_EQ(Num("_#(1)"), 10700) << "debit of the last call";
  EXPECT_EQ(Num("_#(2)"), 4300);
  // A to-date that is not a date is refused before the year start is sought.
  ScratchScope scope;
  EXPECT_EQ(StrError(ExpEvalStr(StrOf("AcGetBalance('43000001')"))), kStDataError);
}

TEST_F(PelmoraBooksTest, JournalAndPeriodWalks) {
  // The five lines of group 43 between March and May, then none left.
  ASSERT_EQ(Num("AcGetEntry('20240301';'';'20240531';'';'43')"), 0);
  std::vector<std::string> seen{Text("FECHA{9}") + ":" + Text("IMPORTE{9}")};
  while (Num("AcGetEntry()") == 0) seen.push_back(Text("FECHA{9}") + ":" + Text("IMPORTE{9}"));
  EXPECT_EQ(seen, (std::vector<std::string>{"20240305:7", "20240310:60", "20240415:40", "20240520:40",
                                            "20240525:3"}));
  EXPECT_EQ(Num("AcGetEntry()"), 200);
  // An account without lines.
  EXPECT_EQ(Num("AcGetEntry('20240101';'';'20241231';'';'62900000')"), 200);
  EXPECT_EQ(Num("AcGetEntry()"), 200);
  // Month groups of the period accumulations: the account's and nothing else.
  ASSERT_EQ(Num("AcGetPerAcum('20240101';'20241231';'43000001')"), 0);
  std::vector<std::string> months{Text("FECHA{10}") + ":" + Text("D_VDOS{10}") + "/" + Text("H_VDOS{10}")};
  while (Num("AcGetPerAcum()") == 0)
    months.push_back(Text("FECHA{10}") + ":" + Text("D_VDOS{10}") + "/" + Text("H_VDOS{10}"));
  EXPECT_EQ(months, (std::vector<std::string>{"20240301:67/", "20240401:/40", "20240501:40/3"}));
  ScratchScope scope;
  EXPECT_EQ(StrError(ExpEvalStr(StrOf("AcGetPerAcum('20240101';'20241231';'')"))), kStDataError);
}

TEST_F(PelmoraBooksTest, NextAccountPassesGroupRecords) {
  EXPECT_EQ(Text("AcGetAccount$('00000000';'20240101';'20241231';2)"), "10000000");
  EXPECT_EQ(Text("AcGetAccount$('10000000';'20240101';'20241231';2)"), "43000001")
      << "the group record 430 is passed over";
  EXPECT_EQ(Text("AcGetAccount$('43000001';'20240101';'20241231';3)"), "43000001");
  EXPECT_EQ(Text("AcGetAccount$('70000000';'20240101';'20241231';2)"), "");
  // Only the days of the range count: nothing moved 43000001 in February.
  EXPECT_EQ(Text("AcGetAccount$('10000000';'20240201';'20240229';2)"), "");
}

TEST_F(PelmoraBooksTest, RegenerationRebuildsThePeriodFile) {
  std::vector<std::string> posted = Records(books_.period);
  ASSERT_FALSE(posted.empty());
  // Spoil a month and regenerate the year: the same records come back.
  ASSERT_EQ(DataFileLocate(books_.period, 1, StrOf("43000001"), 2), kOk);
  ASSERT_EQ(AcSetFieldAmount(books_.period, books_.p_debit, 123456), kOk);
  ASSERT_EQ(DataFileUpdateRecord(books_.period), kOk);
  ASSERT_NE(Records(books_.period), posted);
  uint32_t steps = 0;
  ASSERT_EQ(AcRegenBalances(books_, D("20240101"), D("20241231"), [&](uint32_t n) {
              steps = n;
              return kOk;
            }),
            kOk);
  EXPECT_EQ(Records(books_.period), posted);
  EXPECT_GT(steps, 14u) << "every journal line reported its step";
  // The chart holds the year's totals.
  ASSERT_EQ(DataFileLocate(books_.chart, 1, StrOf("57200001"), 0), kOk);
  EXPECT_EQ(AcFieldAmount(books_.chart, books_.c_debit), 104300);
  EXPECT_EQ(AcFieldAmount(books_.chart, books_.c_credit), 2000);
  // A cancel stops it with the cancel's status.
  EXPECT_EQ(AcRegenBalances(books_, D("20240101"), D("20241231"), [](uint32_t) { return Status{122}; }), 122);
}

// The period records whose totals are not both zero.
std::vector<std::string> NonZero(const AcBooks& b, std::vector<std::string> records) {
  uint16_t d = DictFieldOffset(b.period, b.p_debit), h = DictFieldOffset(b.period, b.p_credit);
  uint16_t dl = DictFieldLength(b.period, b.p_debit), hl = DictFieldLength(b.period, b.p_credit);
  std::erase_if(records, [&](const std::string& r) {
    return r.substr(d, dl).find_first_not_of(" 0.") == std::string::npos &&
           r.substr(h, hl).find_first_not_of(" 0.") == std::string::npos;
  });
  return records;
}

// The lines of a day as "entry/line debit credit amount text".
std::vector<std::string> DayLines(const AcBooks& b, const char* date) {
  std::vector<std::string> out;
  AcWalk(b.journal, 1, date, date, [&]() -> Status {
    out.push_back(AcFieldText(b.journal, b.j_entry) + "/" + AcFieldText(b.journal, b.j_line) + " " +
                  AcFieldText(b.journal, b.j_debit) + " " + AcFieldText(b.journal, b.j_credit) + " " +
                  std::to_string(AcFieldAmount(b.journal, b.j_amount)));
    return kOk;
  });
  return out;
}

TEST_F(PelmoraBooksTest, CloseWritesClosingAndOpeningEntriesAndUndoGivesTheBooksBack) {
  for (const char* set : {"FAPE$='20240101'", "_FINI$='20241231'", "_FFIN$='20250101'", "_PEGA=1", "_CIER=1",
                          "_APER=1"})
    ASSERT_EQ(Run(set), kOk) << set;
  std::vector<std::string> journal = Records(books_.journal);
  std::vector<std::string> period = NonZero(books_, Records(books_.period));
  ASSERT_EQ(AcCloseYear(books_, nullptr), kOk) << Text("_CPTG$");
  // Regularisation (entry 8): 60000000 and 70000000 to the result account;
  // closing (entry 9): every balance cancelled; opening on the next day.
  EXPECT_EQ(DayLines(books_, "20241231"),
            (std::vector<std::string>{"8/1  60000000 2000", "8/2 12900000  2000", "8/3 70000000  10700",
                                      "8/4  12900000 10700",
                                      "9/1 10000000  100000", "9/2 12900000  8700", "9/3  43000001 6400",
                                      "9/4  57200001 102300"}));
  EXPECT_EQ(DayLines(books_, "20250101"),
            (std::vector<std::string>{"1/1  10000000 100000", "1/2  12900000 8700", "1/3 43000001  6400",
                                      "1/4 57200001  102300"}));
  EXPECT_EQ(Text("FAPE$"), "20250101");
  for (auto [date, entry] : {std::pair{"20241231", 8}, std::pair{"20241231", 9}, std::pair{"20250101", 1}})
    EXPECT_EQ(AcEntryCheck(books_, AcEntryPrefix(books_, D(date), entry)), kOk) << date << " " << entry;
  // The new year's totals and its opening balances.
  ASSERT_EQ(DataFileLocate(books_.chart, 1, StrOf("57200001"), 0), kOk);
  EXPECT_EQ(AcFieldAmount(books_.chart, books_.c_debit), 102300);
  EXPECT_EQ(Num("AcGetBalance('43000001';'20250131')"), 6400);
  EXPECT_EQ(Num("AcGetBalance('43000001';'20240315')"), 6700) << "a 2024 date still starts in 2024";
  EXPECT_EQ(Num("AcGetBalance('12900000';'20250131';'';2)"), 8700);

  ASSERT_EQ(AcUncloseYear(books_, D("20241231"), nullptr), kOk);
  EXPECT_EQ(Records(books_.journal), journal);
  EXPECT_EQ(NonZero(books_, Records(books_.period)), period) << "months emptied by the undo hold zeros";
  EXPECT_EQ(Text("FAPE$"), "20240101");
}

TEST_F(PelmoraBooksTest, RenumberingKeepsEveryEntrysLinesTogether) {
  std::vector<std::string> before;
  for (const DemoEntry& e : kDemoYear) {
    std::vector<std::string> day = DayLines(books_, e.date);
    before.insert(before.end(), day.begin(), day.end());
  }
  // From 20 on, then back to 1: numbers follow the key order.
  ASSERT_EQ(AcRenumberEntries(books_, D("20240101"), D("20241231"), 20, nullptr), kOk);
  int n = 20;
  for (const DemoEntry& e : kDemoYear) {
    std::string num = std::to_string(n++);
    EXPECT_EQ(DayLines(books_, e.date),
              (std::vector<std::string>{num + "/1 " + e.debit + "  " + std::to_string(e.amount),
                                        num + "/2  " + e.credit + " " + std::to_string(e.amount)}))
        << e.date;
  }
  ASSERT_EQ(AcRenumberEntries(books_, D("20240101"), D("20241231"), 1, nullptr), kOk);
  std::vector<std::string> after;
  for (const DemoEntry& e : kDemoYear) {
    std::vector<std::string> day = DayLines(books_, e.date);
    after.insert(after.end(), day.begin(), day.end());
  }
  EXPECT_EQ(after, before);
  // Two entries on one day numbered 5 and 3 become 1 and 2, lines kept.
  AcLine l{D("20240601"), 5, 1, "60000000", "", 100, "x", ""};
  ASSERT_EQ(AcPostLine(books_, l), kOk);
  l = {D("20240601"), 5, 2, "", "57200001", 100, "x", ""};
  ASSERT_EQ(AcPostLine(books_, l), kOk);
  l = {D("20240601"), 3, 1, "60000000", "", 200, "y", ""};
  ASSERT_EQ(AcPostLine(books_, l), kOk);
  l = {D("20240601"), 3, 2, "", "57200001", 200, "y", ""};
  ASSERT_EQ(AcPostLine(books_, l), kOk);
  ASSERT_EQ(AcRenumberEntries(books_, D("20240601"), D("20240601"), 1, nullptr), kOk);
  EXPECT_EQ(DayLines(books_, "20240601"),
            (std::vector<std::string>{"1/1 60000000  200", "1/2  57200001 200", "2/1 60000000  100",
                                      "2/2  57200001 100"}));
}

TEST_F(PelmoraBooksTest, AnUnbalancedEntryIsRefused) {
  EXPECT_EQ(AcEntryCheck(books_, AcEntryPrefix(books_, D("20240102"), 1)), kOk);
  AcLine l{D("20240701"), 8, 1, "60000000", "", 5000, "", ""};
  ASSERT_EQ(AcPostLine(books_, l), kOk);
  l = {D("20240701"), 8, 2, "", "57200001", 4999, "", ""};
  ASSERT_EQ(AcPostLine(books_, l), kOk);
  std::string prefix = AcEntryPrefix(books_, D("20240701"), 8);
  EXPECT_EQ(AcEntryImbalance(books_, prefix), 1);
  EXPECT_EQ(AcEntryCheck(books_, prefix), kStBadData);
  EXPECT_EQ(AcLastEntry(books_, D("20240701")), 8);
  EXPECT_EQ(AcLastEntry(books_, D("20240630")), 7);
  EXPECT_EQ(AcLastEntry(books_, D("20240101")), 0);
}

// A day is checked entry by entry: two entries that are off by the same
// amount either way do not make up for each other; an entry of three lines
// that balances passes.
TEST_F(PelmoraBooksTest, EachEntryOfADayMustBalanceOnItsOwn) {
  const AcLine lines[] = {{D("20240701"), 1, 1, "60000000", "", 5000, "", ""},
                          {D("20240701"), 1, 2, "", "57200001", 3000, "", ""},
                          {D("20240701"), 1, 3, "", "57200001", 2000, "", ""},
                          {D("20240701"), 2, 1, "60000000", "", 10000, "", ""},
                          {D("20240701"), 2, 2, "", "57200001", 8000, "", ""},
                          {D("20240701"), 3, 1, "60000000", "", 6000, "", ""},
                          {D("20240701"), 3, 2, "", "57200001", 8000, "", ""}};
  for (const AcLine& l : lines) ASSERT_EQ(AcPostLine(books_, l), kOk);
  EXPECT_EQ(AcEntryCheck(books_, AcEntryPrefix(books_, D("20240701"), 1)), kOk) << "three lines";
  EXPECT_EQ(AcEntryImbalance(books_, "20240701"), 0) << "the day as a whole balances";
  EXPECT_EQ(AcEntryCheck(books_, "20240701"), kStBadData);
  EXPECT_EQ(ErrIncidentText().str(), "Asiento descuadrado: 20") << "the first entry that does not balance";
}

}  // namespace
}  // namespace eng::test

namespace eng::test {
namespace {

using namespace eng::pelmora;

TEST_F(PelmoraBooksTest, AProcessThatStopsHalfWayLeavesTheBooksAsTheyWere) {
  std::vector<std::string> journal = Records(books_.journal);
  std::vector<std::string> period = Records(books_.period);
  // A process that posts a line and then fails: the snapshot comes back.
  Status s = AcBooksRun(books_, "test", [&]() -> Status {
    AcLine l{AcDateOf(StrOf("20240601")), 8, 1, "60000000", "", 100, "", ""};
    if (Status p = AcPostLine(books_, l)) return p;
    return kStDataError;
  });
  ASSERT_EQ(s, kStDataError) << S(DynStrGet(sl::kWork, sl::kIncident));
  EXPECT_EQ(Records(books_.journal), journal);
  EXPECT_EQ(Records(books_.period), period);
  EXPECT_FALSE(AcBooksMarked());
  // A process that completes keeps its work and leaves no mark.
  ASSERT_EQ(AcBooksRun(books_, "test", [&]() { return AcRenumberEntries(books_, AcDateOf(StrOf("20240101")),
                                                                         AcDateOf(StrOf("20241231")), 5, nullptr); }),
            kOk);
  EXPECT_FALSE(AcBooksMarked());
  EXPECT_EQ(AcLastEntry(books_, AcDateOf(StrOf("20241231"))), 11);
}

}  // namespace
}  // namespace eng::test

namespace eng::test {
namespace {

TEST_F(PelmoraBooksTest, AccountCodesFromALevelMask) {
  for (uint16_t f : {3, 6}) {
    Status s = DataFileOpen(f, 0);
    ASSERT_TRUE(s == kOk || s == 2) << s;
    ASSERT_EQ(DataFileMove(f, 1), 3);
  }
  for (const char* set : {"CUENTA.1{3}='430.....'", "PREFIJO.1{3}=''", "CUENTA.2{3}='572.....'",
                          "PREFIJO.2{3}='57'", "CUENTA.3{3}=''", "CODIGO{6}='1'"})
    ASSERT_EQ(Run(set), kOk) << set;
  EXPECT_EQ(Text("AcGetPAccount$(1)"), "43000001");
  EXPECT_EQ(Text("AcGetPAccount$(0)"), "43000001") << "level 0 is level 1";
  ASSERT_EQ(Run("CODIGO{6}='1234567'"), kOk);
  EXPECT_EQ(Text("AcGetPAccount$(1)"), "43034567") << "the value is cut from the right to the run";
  EXPECT_EQ(Text("AcGetPAccount$(2;'57200001')"), "57234567");
  EXPECT_EQ(Text("AcGetPAccount$(2;'43000001')"), "") << "not the level's prefix";
  EXPECT_EQ(Text("AcGetPAccount$(3)"), "") << "no mask";
}

}  // namespace
}  // namespace eng::test

namespace eng::test {
namespace {

TEST_F(PelmoraBooksTest, ImportAddsTheJournalRecordThroughTheRules) {
  // Mode 0: the journal's current record, posted into the accumulations.
  ASSERT_EQ(DataFileMove(books_.journal, 1), 3);
  for (const char* set : {"FECHA{9}='20240610'", "ASIENTO{9}=8", "N_LINE{9}=1", "CTA_DEBE{9}='60000000'",
                          "IMPORTE{9}=12.5"})
    ASSERT_EQ(Run(set), kOk) << set;
  EXPECT_EQ(Num("Import(0)"), 0);
  EXPECT_EQ(AcPeriodBalance(books_, "60000000", AcDateOf(StrOf("20240601")), AcDateOf(StrOf("20240630")),
                            kDiaryAll)
                .debit,
            1250);
  // Mode 2 whose ALARM$ does not hold writes nothing.
  std::vector<std::string> journal = Records(books_.journal);
  {
    ScratchScope scope;
    ASSERT_EQ(DynStrPush(sl::kModuleParms, StrOf("ALARM$:=\"1==2\":WR_EXP$:=\"1\":EOT_EXP$:=\"1\"")), kOk);
    StrPair r = ExpEvalStr(StrOf("Import(2)"));
    EXPECT_EQ(r.ok() ? Status{kOk} : StrError(r), kStBadData);
    DynStrPop(sl::kModuleParms);
  }
  EXPECT_EQ(Records(books_.journal), journal);
}

}  // namespace
}  // namespace eng::test

namespace eng::test {
namespace {

TEST_F(PelmoraBooksTest, YearEndHooksRunTheirProcessesFromTheAcceptedValues) {
  std::vector<std::string> period = Records(books_.period);
  // Regeneration over the accepted range rebuilds what the rules posted.
  ASSERT_EQ(DataFileLocate(books_.period, 1, StrOf("43000001"), 2), kOk);
  ASSERT_EQ(AcSetFieldAmount(books_.period, books_.p_debit, 1), kOk);
  ASSERT_EQ(DataFileUpdateRecord(books_.period), kOk);
  box_.Queue(plat::MsgAnswer::kOk);  // the end of the process is shown
  AcceptResult regen{0, StrOf("'20240101','20241231'"), StrPair{}, kOk};
  ASSERT_EQ(HookCallAccept(16, regen), std::optional<Status>(kOk));
  EXPECT_EQ(Records(books_.period), period);
  // Renumbering from 3, then a cancelled window runs nothing.
  box_.Queue(plat::MsgAnswer::kOk);
  AcceptResult renumber{0, StrOf("'20240101','20241231','3'"), StrPair{}, kOk};
  ASSERT_EQ(HookCallAccept(15, renumber), std::optional<Status>(kOk));
  EXPECT_EQ(AcLastEntry(books_, AcDateOf(StrOf("20241231"))), 9);
  AcceptResult cancelled{27, StrPair{}, StrPair{}, kStCancelled};
  EXPECT_EQ(HookCallAccept(15, cancelled), std::optional<Status>(kStCancelled));
  EXPECT_EQ(AcLastEntry(books_, AcDateOf(StrOf("20241231"))), 9);
  // The close with the window's variables, and its undo from the closing date.
  for (const char* set : {"_FINI$='20241231'", "_FFIN$='20250101'", "_PEGA=1", "_CIER=1", "_APER=1"})
    ASSERT_EQ(Run(set), kOk) << set;
  box_.Queue(plat::MsgAnswer::kOk);
  ASSERT_EQ(HookCallAccept(10, AcceptResult{}), std::optional<Status>(kOk));
  EXPECT_EQ(Text("FAPE$"), "20250101");
  box_.Queue(plat::MsgAnswer::kOk);
  ASSERT_EQ(HookCallAccept(11, AcceptResult{0, StrOf("'20241231'"), StrPair{}, kOk}), std::optional<Status>(kOk));
  EXPECT_EQ(Text("FAPE$"), "20240101");
  EXPECT_FALSE(AcBooksMarked());
}

}  // namespace
}  // namespace eng::test
