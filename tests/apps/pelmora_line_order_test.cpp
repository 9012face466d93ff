// Line numbers of journal entries on the demo books: runs renumbered for an
// inserted or deleted line (and the grid rows that show them), a saved line
// numbered from the grid row above it, duplicated keys repaired in place
// (nested duplicates first; a failure half-way loses no record), the
// refusals while the line order is unset, AcFitEntry's words and columns,
// and AcGetEntryNum's base for a new date.
#include <algorithm>

#include "apps/pelmora/ac_line_order.h"
#include "apps/pelmora/ac_text.h"
#include "core/err_register.h"
#include "core/sys_vars.h"
#include "platform/headless_driver.h"
#include "tests/apps/pelmora_books_fixture.h"
#include "ui/font_cfg.h"
#include "ui/fonts.h"
#include "ui/list_level.h"
#include "ui/ui_state.h"
#include "ui/win_create.h"
#include "ui/win_stack.h"

namespace eng::test {
namespace {

using namespace pelmora;

DateYmd D(const char* t) { return AcDateOf(StrFromC(t)); }

// The grid column that shows the line number: FECHA, ASIENTO, N_LINE, CONCEPTO.
constexpr uint16_t kLineColumn = 3;

class PelmoraLineOrderTest : public PelmoraBooksTest {
 protected:
  void SetUp() override {
    PelmoraBooksTest::SetUp();
    UiSetWinSystem(&driver_.ws());
    Ui().base_grid = {80, 24, 0, 0, 0, 0};
    FontRegister(24, 12, 400, StrOf("Lucida Console"));
    root_ = WinCreateKind(0, 0, StrOf("Pelmora"), 0, 80, 24, {});
    SysVarSet(kVarCurFil, static_cast<int16_t>(books_.journal));
  }
  void TearDown() override {
    while (ListLevelCurrent() != kListNone) ListLevelClose(-1);
    UiSetWinSystem(nullptr);
    PelmoraBooksTest::TearDown();
  }

  // Posts lines of entry 8 on 20240601 with the given line numbers and texts.
  void PostRun(const std::vector<std::pair<int32_t, std::string>>& lines) {
    for (const auto& [line, text] : lines) {
      AcLine l{D("20240601"), 8, line, "57200001", "", 100, text, ""};
      ASSERT_EQ(AcPostLine(books_, l), kOk);
    }
  }
  std::string Key(int32_t line) {
    return AcEntryPrefix(books_, D("20240601"), 8) + std::string(3 - std::to_string(line).size(), ' ') +
           std::to_string(line);
  }
  // The run's (line, text) pairs in key order.
  std::vector<std::pair<int32_t, std::string>> RunLines() {
    std::vector<std::pair<int32_t, std::string>> out;
    std::string prefix = AcEntryPrefix(books_, D("20240601"), 8);
    uint16_t text = DictFindField(books_.journal, StrOf("CONCEPTO"));
    AcWalk(books_.journal, 1, prefix, prefix, [&]() -> Status {
      out.emplace_back(std::atoi(AcFieldText(books_.journal, books_.j_line).c_str()),
                       AcFieldText(books_.journal, text));
      return kOk;
    });
    return out;
  }
  Status Locate(int32_t line) {
    ScratchScope scope;
    DataFileSetKeyNumber(books_.journal, 1);
    return DataFileLocate(books_.journal, 1, StrOf(Key(line)), 0);
  }
  // A grid of the journal's key columns and its text, rows as given.
  LinsBuf& Grid(const std::vector<std::vector<std::string>>& rows, uint16_t current) {
    uint16_t level = ListLevelOpen(StrOf("Asiento"), StrOf(""),
                                   StrOf("FECHA{9},ASIENTO{9},N_LINE{9},CONCEPTO{9}"), 8, 20, kLinsAlone, {});
    EXPECT_EQ(level, 0);
    LinsBuf& g = ListLevelGet(level)->lines;
    for (size_t r = 0; r < rows.size(); ++r)
      for (size_t c = 0; c < rows[r].size(); ++c)
        EXPECT_EQ(LinsSetField(g, static_cast<int>(r + 1), static_cast<uint16_t>(c + 1), rows[r][c]), kOk);
    LinsSetCurrent(g, current);
    return g;
  }
  std::string Shown(const LinsBuf& g, int row) { return AcTrim(LinsGetField(g, row, kLineColumn)); }

  plat::HeadlessDriver driver_;
  plat::Hwnd root_ = plat::kNoWindow;
};

TEST_F(PelmoraLineOrderTest, FitMakesRoomForAnInsertedLineAndClosesTheGapOfADeletedOne) {
  PostRun({{1, "a"}, {2, "b"}, {3, "c"}, {4, "d"}, {5, "e"}});
  ASSERT_EQ(NavsOrderSetField(kLineColumn), kOk);
  EXPECT_EQ(NavsOrderGet().prefix_len, 14);
  EXPECT_EQ(NavsOrderGet().prefix_parts, 2);
  EXPECT_EQ(NavsOrderGet().line_field, books_.j_line);

  // A line inserted at row 3: the old lines 3-5 show in rows 4-6.
  LinsBuf& g = Grid({{"20240601", "8", "1"}, {"20240601", "8", "2"}, {}, {"20240601", "8", "3"},
                     {"20240601", "8", "4"}, {"20240601", "8", "5"}},
                    3);
  uint32_t count = 0;
  ASSERT_EQ(NavsOrderFit(1, 0, Key(3), &count), kOk);
  EXPECT_EQ(count, 3u);
  using Lines = std::vector<std::pair<int32_t, std::string>>;
  EXPECT_EQ(RunLines(), (Lines{{1, "a"}, {2, "b"}, {4, "c"}, {5, "d"}, {6, "e"}}));
  EXPECT_EQ(Shown(g, 4), "4");
  EXPECT_EQ(Shown(g, 5), "5");
  EXPECT_EQ(Shown(g, 6), "6");
  EXPECT_EQ(Shown(g, 3), "") << "the new line's row is left for its own number";

  // Line 4 ("c") deleted: the lines after it close the gap.
  ASSERT_EQ(Locate(4), kOk);
  ASSERT_EQ(AcDeleteLine(books_), kOk);
  ASSERT_EQ(NavsOrderFit(-1, -1, Key(4), &count), kOk);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(RunLines(), (Lines{{1, "a"}, {2, "b"}, {4, "d"}, {5, "e"}})) << "base 4: the old 5 and 6 become 4 and 5";

  // From a key past the run nothing is renumbered.
  ASSERT_EQ(NavsOrderFit(1, -1, Key(9), &count), kOk);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(NavsOrderFit(2, -1, Key(1), &count), kStDataError);
}

TEST_F(PelmoraLineOrderTest, ASavedNewLineIsNumberedFromTheRowAboveIt) {
  PostRun({{1, "a"}, {2, "b"}});
  ASSERT_EQ(NavsOrderSetField(kLineColumn), kOk);
  struct Case {
    const char* what;
    std::vector<std::string> above;
    int32_t expected;
  };
  const Case cases[] = {
      {"the row above holds line 2 of the same entry", {"20240601", "8", "2"}, 3},
      {"the row above belongs to another entry", {"20240525", "7", "2"}, 1},
      {"there is no row above", {}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::vector<std::string>> rows;
    if (!c.above.empty()) rows.push_back(c.above);
    rows.push_back({"20240601", "8", ""});
    LinsBuf& g = Grid(rows, static_cast<uint16_t>(rows.size()));
    // A new record: blank saved copy, line 0.
    ASSERT_EQ(DataFileMove(books_.journal, 1), 3);
    ASSERT_EQ(AcSetFieldText(books_.journal, books_.j_date, "20240601"), kOk);
    ASSERT_EQ(AcSetFieldText(books_.journal, books_.j_entry, "8"), kOk);
    int32_t line = -1;
    ASSERT_EQ(NavsOrderNumSve(0, &line), kOk);
    EXPECT_EQ(line, 0);
    EXPECT_EQ(AcFieldText(books_.journal, books_.j_line), std::to_string(c.expected));
    EXPECT_EQ(Shown(g, g.current), std::to_string(c.expected));
    ListLevelClose(-1);
  }
  // An existing record without a line number is refused.
  ASSERT_EQ(Locate(2), kOk);
  ASSERT_EQ(AcSetFieldText(books_.journal, books_.j_line, "0"), kOk);
  EXPECT_EQ(NavsOrderNumSve(-1, nullptr), kStInternal);
  EXPECT_EQ(ErrIncidentText().view(), "_navsOrderNumSve");
}

TEST_F(PelmoraLineOrderTest, UniqueRenumbersDuplicatesInPlaceAfterMakingRoom) {
  using Lines = std::vector<std::pair<int32_t, std::string>>;
  struct Case {
    const char* what;
    Lines run;
    int32_t at;  // the duplicated line the current record holds
    Lines expected;
  };
  const Case cases[] = {
      {"three records share line 2",
       {{1, "a"}, {2, "A"}, {2, "B"}, {2, "C"}, {3, "x"}, {4, "y"}},
       2,
       {{1, "a"}, {2, "C"}, {3, "B"}, {4, "A"}, {5, "x"}, {6, "y"}}},
      {"a duplicate behind the duplicates is repaired first",
       {{1, "a"}, {2, "A"}, {2, "B"}, {3, "P"}, {3, "Q"}, {4, "z"}},
       2,
       {{1, "a"}, {2, "B"}, {3, "A"}, {4, "Q"}, {5, "P"}, {6, "z"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PostRun(c.run);
    ASSERT_EQ(NavsOrderSetField(kLineColumn), kOk);
    ASSERT_EQ(Locate(c.at), kOk);
    EXPECT_EQ(NavsOrderUnique(books_.journal), kOk);
    EXPECT_EQ(AcFieldText(books_.journal, books_.j_line), std::to_string(c.at)) << "located again";
    EXPECT_EQ(RunLines(), c.expected);
    // Take the run away for the next case.
    for (size_t i = 0; i < c.expected.size(); ++i) {
      ASSERT_EQ(Locate(c.expected[i].first), kOk);
      ASSERT_EQ(AcDeleteLine(books_), kOk);
    }
    ASSERT_TRUE(RunLines().empty());
  }
  // Without duplicates nothing changes.
  PostRun({{1, "a"}, {2, "b"}});
  ASSERT_EQ(Locate(1), kOk);
  EXPECT_EQ(NavsOrderUnique(books_.journal), kOk);
  EXPECT_EQ(RunLines(), (Lines{{1, "a"}, {2, "b"}}));
}

TEST_F(PelmoraLineOrderTest, AFailedRepairLosesNoRecord) {
  // The line field holds three digits: the highest new number does not fit.
  PostRun({{1, "a"}, {998, "A"}, {998, "B"}, {998, "C"}});
  ASSERT_EQ(NavsOrderSetField(kLineColumn), kOk);
  ASSERT_EQ(Locate(998), kOk);
  EXPECT_GE(NavsOrderUnique(books_.journal), kStFirstError);
  auto run = RunLines();
  ASSERT_EQ(run.size(), 4u) << "every record is still in the file";
  std::vector<std::string> texts;
  for (const auto& [line, text] : run) texts.push_back(text);
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(texts, (std::vector<std::string>{"A", "B", "C", "a"}));
}

TEST_F(PelmoraLineOrderTest, NothingIsRenumberedWhileTheLineOrderIsUnset) {
  PostRun({{1, "a"}, {2, "A"}, {2, "B"}});
  ASSERT_EQ(Locate(2), kOk);
  std::vector<std::string> before = Records(books_.journal);
  EXPECT_EQ(NavsOrderUnique(books_.journal), kStDataError);
  EXPECT_EQ(NavsOrderFit(1, -1, Key(1), nullptr), kStDataError);
  EXPECT_EQ(Records(books_.journal), before);
}

TEST_F(PelmoraLineOrderTest, FitEntrySetsTheColumnAndRefusesOtherWords) {
  PostRun({{1, "a"}, {2, "b"}, {3, "c"}});
  Grid({{"20240601", "8", "1"}, {"20240601", "8", "2"}, {"20240601", "8", "3"}}, 2);
  EXPECT_EQ(Text("AcFitEntry('5')"), "<147>") << "four columns";
  EXPECT_EQ(NavsOrderGet().order_column, 0) << "the state stays unset";
  EXPECT_EQ(Text("AcFitEntry('FOO')"), "<147>");
  EXPECT_EQ(Text("AcFitEntry(3)"), "<147>") << "a number is not a text";
  EXPECT_EQ(Text("AcFitEntry('3';'4')"), "<147>");
  EXPECT_EQ(Num("AcFitEntry('3')"), 0);
  EXPECT_EQ(NavsOrderGet().order_column, kLineColumn);
  // INS from the current record (line 2), no window: lines 2 and 3 move on.
  ASSERT_EQ(Locate(2), kOk);
  EXPECT_EQ(Num("AcFitEntry('ins')"), DecFromInt(2));
  using Lines = std::vector<std::pair<int32_t, std::string>>;
  EXPECT_EQ(RunLines(), (Lines{{1, "a"}, {3, "b"}, {4, "c"}}));
  // DEL without a window closes the gap from the current record's key.
  ASSERT_EQ(Locate(1), kOk);
  ASSERT_EQ(AcDeleteLine(books_), kOk);
  ASSERT_EQ(BufSetKeyFields(books_.journal, 1, StrOf(Key(1))), kOk);
  EXPECT_EQ(Num("AcFitEntry('DEL')"), DecFromInt(2));
  EXPECT_EQ(RunLines(), (Lines{{1, "b"}, {2, "c"}}));
}

TEST_F(PelmoraLineOrderTest, FindKeyGivesTheNeighboursAndPutsTheBufferBack) {
  ASSERT_EQ(NavsOrderSetField(kLineColumn), kOk);
  ASSERT_LE(DataFileLocate(books_.journal, 1, StrOf(AcEntryPrefix(books_, D("20240415"), 5)), 2), 1);
  std::string held = BufRecord(books_.journal, kBufBoth).str();
  std::string after = NavsOrderFindKey(StrOf(AcEntryPrefix(books_, D("20240415"), 5) + "  1"), 0).str();
  EXPECT_EQ(after, AcEntryPrefix(books_, D("20240415"), 5) + "  2");
  std::string before = NavsOrderFindKey(StrOf("20240601"), 4).str();
  EXPECT_EQ(before, AcEntryPrefix(books_, D("20240525"), 7) + "  2");
  EXPECT_EQ(NavsOrderFindKey(StrOf("20240101"), 4).str(), "") << "nothing before the first key";
  EXPECT_EQ(NavsOrderFindKey(StrOf("20250101"), 0).str(), "") << "nothing after the last key";
  EXPECT_EQ(BufRecord(books_.journal, kBufBoth).str(), held);
  EXPECT_EQ(NavsOrderLineNo(before), 2);
}

TEST_F(PelmoraLineOrderTest, EntryNumberOfANewDateFollowsTheLastEntryBeforeIt) {
  struct Case {
    const char* dsc1;
    DecValue expected;
  };
  // Entry 7 of 20240525 is the last one before 20240601.
  for (const Case& c : {Case{"0", DecFromInt(8)}, Case{"5", DecFromInt(7)}}) {
    SCOPED_TRACE(c.dsc1);
    ASSERT_EQ(Run(std::string("DSC1#=") + c.dsc1 + ";_LDAT$='20240301';_LENT#=3"), kOk);
    EXPECT_EQ(Num("AcGetEntryNum('20240601')"), c.expected);
    EXPECT_EQ(Num("_LENT#"), c.expected);
    EXPECT_EQ(Text("_LDAT$"), "20240601");
  }
  EXPECT_EQ(Text("AcGetEntryNum()"), "<147>");
  EXPECT_EQ(Text("AcGetEntryNum('20240601';1;0;4)"), "<147>");
}

}  // namespace
}  // namespace eng::test
