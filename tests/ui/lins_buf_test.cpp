// The lines buffer as a table: padding, growing by writes, shifting lines in
// and out (full buffer, last line, out-of-range cases), conditional shifts,
// trimming, deleting by key, the position text and filling by expressions.
#include "core/sys_vars.h"
#include "tests/ui/ui_fixture.h"
#include "ui/lins_buf.h"

namespace eng::test {
namespace {

class LinsBufTest : public UiTest {
 protected:
  // Two columns, widths 4 and 3, max lines as given.
  static LinsBuf Make(uint16_t max, uint8_t mode = kLinsDocument) {
    LinsBuf b = LinsInit(2, max, mode);
    EXPECT_EQ(LinsAddColumn(b, 4, 1), kOk);
    EXPECT_EQ(LinsAddColumn(b, 3, 0), kOk);
    return b;
  }
  // Lines "A", "B", ... in column 1.
  static void Fill(LinsBuf& b, const std::string& names) {
    for (size_t i = 0; i < names.size(); ++i)
      ASSERT_EQ(LinsSetField(b, static_cast<int>(i + 1), 1, std::string(1, names[i])), kOk);
  }
  static std::string Col1(const LinsBuf& b) {
    std::string s;
    for (uint16_t l = 1; l <= b.used; ++l) {
      const std::string f = LinsGetField(b, l, 1);
      s += f[0] == ' ' ? '.' : f[0];
    }
    return s;
  }
};

TEST_F(LinsBufTest, BuildAllocatesWithTheLastColumnAndRefusesAnExtraOne) {
  LinsBuf b = LinsInit(2, 0, kLinsAlone);
  EXPECT_EQ(b.max_lines, kLinsDefaultMax);
  ASSERT_EQ(LinsAddColumn(b, 4, 1), kOk);
  EXPECT_FALSE(b.has_data);
  ASSERT_EQ(LinsAddColumn(b, 3, 0), kOk);
  EXPECT_TRUE(b.has_data);
  EXPECT_EQ(b.line_width, 7);
  EXPECT_EQ(b.offsets[1], 4);
  EXPECT_EQ(LinsAddColumn(b, 2, 0), kStDataOutBound);
  EXPECT_EQ(b.status, kStDataOutBound);
}

TEST_F(LinsBufTest, FieldsArePaddedOrCutAndWritesBeyondTheUsedLinesAppendBlankLines) {
  LinsBuf b = Make(10);
  ASSERT_EQ(LinsSetField(b, 5, 1, "ABCDEFG"), kOk);
  EXPECT_EQ(b.used, 5);
  EXPECT_EQ(SysVarGet(kVarLLst), 5);
  EXPECT_EQ(LinsGetField(b, 5, 1), "ABCD");
  EXPECT_EQ(LinsGetField(b, 3, 1), "    ");
  ASSERT_EQ(LinsSetField(b, 5, 2, "x"), kOk);
  EXPECT_EQ(LinsGetField(b, 5, 2), "x  ");
  LinsSetCurrent(b, 5);
  EXPECT_EQ(LinsCurrentText(b), "ABCDx  ");
  const uint16_t key_columns[] = {2, 1};
  EXPECT_EQ(LinsKeyText(b, 5, key_columns), "x  ABCD");
  // Out of range.
  struct Case { int line; uint16_t column; };
  for (Case c : {Case{0, 1}, Case{11, 1}, Case{1, 0}, Case{1, 3}})
    EXPECT_EQ(LinsSetField(b, c.line, c.column, "z"), kStDataOutBound) << c.line << "," << c.column;
  EXPECT_EQ(LinsGetField(b, 6, 1), "") << "beyond the used lines";
  EXPECT_EQ(LinsGetField(b, 5, 3), "");
  EXPECT_EQ(LinsGetField(b, 0, 1), "");
}

TEST_F(LinsBufTest, ShiftInsertsAndDeletesAtTheCurrentLine) {
  struct Case {
    const char* name;
    uint16_t max;
    std::string lines;
    uint16_t current;
    int k;
    Status status;
    std::string after;
  };
  const Case cases[] = {
      {"insert in the middle", 10, "ABC", 2, +1, kOk, "A.BC"},
      {"insert at the end", 10, "ABC", 4, +1, kOk, "ABC."},
      {"insert into a full buffer loses the last line", 5, "ABCDE", 2, +1, kOk, "A.BCD"},
      {"delete in the middle", 10, "ABC", 2, -1, kOk, "AC"},
      {"delete the last line", 5, "ABCDE", 5, -1, kOk, "ABCD"},
      {"k 0", 10, "ABC", 2, 0, kStDataError, "ABC"},
      {"current line 0", 10, "ABC", 0, +1, kStDataError, "ABC"},
      {"delete with no line under the cursor", 10, "ABC", 4, -1, kStDataError, "ABC"},
      {"delete from an empty buffer", 10, "", 1, -1, kStDataError, ""},
  };
  for (const Case& c : cases) {
    LinsBuf b = Make(c.max);
    Fill(b, c.lines);
    LinsSetCurrent(b, c.current);
    EXPECT_EQ(LinsShift(&b, c.k), c.status) << c.name;
    EXPECT_EQ(Col1(b), c.after) << c.name;
    if (c.status == kOk) EXPECT_EQ(SysVarGet(kVarLLst), b.used) << c.name;
  }
  EXPECT_EQ(LinsShift(nullptr, 1), kStDataError);
  LinsBuf empty = LinsInit(1, 5, kLinsAlone);
  empty.current = 1;
  EXPECT_EQ(LinsShift(&empty, 1), kStDataError) << "no data yet";
}

TEST_F(LinsBufTest, ShiftIfRunsTheConditionAndThenTheProcedure) {
  LinsBuf b = Make(10);
  Fill(b, "ABC");
  LinsSetCurrent(b, 2);
  EXPECT_EQ(LinsInsertAtCurrent(&b, StrOf("0,_USER01=7")), kOk);
  EXPECT_EQ(Col1(b), "ABC") << "a false condition moves nothing";
  EXPECT_EQ(SysVarGet(kVarUser01), 0);
  EXPECT_EQ(LinsInsertAtCurrent(&b, StrOf("1,_USER01=7")), kOk);
  EXPECT_EQ(Col1(b), "A.BC");
  EXPECT_EQ(SysVarGet(kVarUser01), 7);
  EXPECT_EQ(LinsDeleteCurrent(&b, StrOf("")), kOk);
  EXPECT_EQ(Col1(b), "ABC");
  LinsSetCurrent(b, 9);
  EXPECT_EQ(LinsDeleteCurrent(&b, StrOf("")), kOk) << "past the used lines: nothing";
  EXPECT_EQ(Col1(b), "ABC");
  LinsSetCurrent(b, 1);
  EXPECT_GE(LinsDeleteCurrent(&b, StrOf("1+,_USER01=9")), kStIncompatibleTypes) << "a condition error is returned";
  EXPECT_EQ(Col1(b), "ABC");
}

TEST_F(LinsBufTest, TrimmingAndDeletingByKey) {
  LinsBuf b = Make(10);
  Fill(b, "A  ");
  LinsTrimBlank(b);
  EXPECT_EQ(Col1(b), "A");
  EXPECT_EQ(b.current, 1);
  LinsBuf blank = Make(10);
  Fill(blank, "  ");
  LinsTrimBlank(blank);
  EXPECT_EQ(blank.used, 1) << "one line is kept";

  LinsBuf doc = Make(5, kLinsDocument);
  Fill(doc, "ABCDE");
  EXPECT_EQ(LinsTrimToMax(doc, 5, StrOf("")), kOk);
  EXPECT_EQ(LinsTrimToMax(doc, 7, StrOf("")), kStUndefinedWarning);
  LinsBuf nav = Make(5, kLinsNavigation);
  Fill(nav, "ABCDE");
  LinsSetCurrent(nav, 4);
  EXPECT_EQ(LinsTrimToMax(nav, 7, StrOf("")), kOk);
  EXPECT_EQ(Col1(nav), "CDE");
  EXPECT_EQ(nav.current, 2) << "moved up by the two deletions";

  LinsBuf keyed = Make(10);
  Fill(keyed, "ABBCB");
  LinsSetCurrent(keyed, 4);
  const uint16_t columns[] = {1};
  EXPECT_EQ(LinsDeleteByKey(keyed, "B   ", columns, StrOf("")), kOk);
  EXPECT_EQ(Col1(keyed), "AC");
  EXPECT_EQ(keyed.current, 2) << "the first deleted line, within the used lines";
}

TEST_F(LinsBufTest, PositionTextKeepsItsBlanksUpToSevenCharacters) {
  LinsBuf b = Make(300);
  b.current = 3;
  b.used = 12;
  EXPECT_EQ(LinsPosText(b), " 3 / 12");
  b.current = 100;
  b.used = 250;
  EXPECT_EQ(LinsPosText(b), "100/250");
}

TEST_F(LinsBufTest, FillWhileFillsLinesUntilTheEndCondition) {
  LinsBuf b = Make(10);
  // Three lines "X", "X", "X" with the counter in column 2.
  EXPECT_EQ(LinsFillWhile(b, 1, StrOf("1"), StrOf("'X',_LNUM,_USER01=_USER01+1"), StrOf("_USER01>=3")), kOk);
  EXPECT_EQ(Col1(b), "XXX");
  EXPECT_EQ(LinsGetField(b, 2, 2), "2  ");
  EXPECT_EQ(b.current, 1) << "back at the start";
  EXPECT_TRUE(b.flags & kLinsChanged);
  // A failing assignment ends the fill with its status.
  LinsBuf bad = Make(10);
  EXPECT_GE(LinsFillWhile(bad, 1, StrOf("1"), StrOf("'X',1+"), StrOf("0")), kStIncompatibleTypes);
  // The maximum ends a fill whose end condition never holds.
  LinsBuf small = Make(3);
  EXPECT_EQ(LinsFillWhile(small, 1, StrOf("1"), StrOf("'Y'"), StrOf("0")), kOk);
  EXPECT_EQ(Col1(small), "YYY");
}

TEST_F(LinsBufTest, ResetEmptiesTheBufferAndStopsGridInput) {
  LinsBuf b = Make(10);
  Fill(b, "AB");
  SysVarSet(kVarScrStat, kScrStatLinesLoaded | 1);
  EXPECT_EQ(LinsReset(b), kOk);
  EXPECT_EQ(b.used, 0);
  EXPECT_EQ(b.current, 0);
  EXPECT_EQ(LinsGetField(b, 1, 1), "");
  EXPECT_EQ(SysVarGet(kVarScrStat), 1);
}

}  // namespace
}  // namespace eng::test
