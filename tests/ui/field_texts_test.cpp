// Texts made from fields and the window's buffer stack.
#include "core/dyn_strings.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "tests/ui/screen_fixture.h"
#include "ui/field_texts.h"

namespace eng::test {
namespace {

class FieldTextsTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    Def("T.PAN", 1, {FieldLine(2, 5, 0, 0, 4, 'A'), FieldLine(3, 5, 0, 0, 4, 'A'), FieldLine(4, 5, 0, 0, 4, 'A')});
    Def("T.PPN", 1, {"FD$:=\"A,B,C\"", "IK$(1):=\"'K'+'1',A1$\"", "UPDFIELDS$:=\",,B\""});
    ASSERT_EQ(Open("T,1,80,20"), kOk);
    ASSERT_EQ(ScreenFieldStore(118, 1, StrOf("AA")), kOk);
    ASSERT_EQ(ScreenFieldStore(118, 3, StrOf("CC")), kOk);
  }
};

TEST_F(FieldTextsTest, NamesPacksKeysAndJoins) {
  EXPECT_EQ(ScreenFieldNames({3, 1}).str(), "C,A");
  EXPECT_EQ(ScreenFieldsPack({1, 2, 3}).str(), "AA      CC  ");
  ASSERT_EQ(VarAssign(StrOf("A1$"), StrOf("x")), kOk);
  EXPECT_EQ(ScreenIndexKeyText(1).str(), "K1x");
  EXPECT_EQ(ScreenJoinFilledTerms(StrOf("A,B,C"), 15).str(), "A&C") << "field 2 is blank";
  EXPECT_EQ(ScreenJoinFilledTerms(StrOf("A,B,C,D"), 5).str(), "A\xF7" "C\xF7" "D");
}

TEST_F(FieldTextsTest, PageRecalcOnlyAfterPaging) {
  SysVarSet(kVarLastKey, 9);
  EXPECT_EQ(ScreenPageRecalc(3), kStUndefinedWarning);
  SysVarSet(kVarLastKey, 29);
  EXPECT_EQ(ScreenPageRecalc(3), kOk);
  EXPECT_EQ(SysVarBits(kVarScrStat) & 64, 0) << "cleared afterwards";
  EXPECT_EQ(ScreenPageRecalc(2), kStUndefinedWarning) << "no dependants";
}

TEST_F(FieldTextsTest, BufferStack) {
  EXPECT_EQ(ScreenBufStack(0), kOk);
  EXPECT_EQ(ScreenBufStack(2 | 8), kOk);
  EXPECT_EQ(ScreenBufStack(2 | 16), kOk);
  ASSERT_EQ(ScreenFieldStore(118, 1, StrOf("ZZ")), kOk);
  EXPECT_EQ(ScreenBufStack(3 | 16), 2) << "the count left";
  EXPECT_EQ(ScreenBufStack(3 | 8), 1);
  EXPECT_EQ(ScreenFieldRaw(1).str(), "AA  ") << "the current record came back";
  EXPECT_EQ(ScreenBufStack(2 | 8), kOk);
  EXPECT_EQ(ScreenBufStack(1), kOk);
  EXPECT_EQ(DynStrCount(sl::kPendingAccept), 0) << "popped down to and including the marker";
  EXPECT_EQ(ScreenBufStack(2 | 24), kOk) << "a window without a data file has an empty file area";
  EXPECT_EQ(ScreenBufStack(3 | 8), 0);
  EXPECT_EQ(ScreenBufStack(3 | 8), kStDataOutBound) << "nothing to pop";
}

}  // namespace
}  // namespace eng::test

namespace eng::test {
namespace {

TEST_F(FieldTextsTest, CopiesSavesAndRememberedValues) {
  ASSERT_EQ(ScreenCopyFields(0, 1, -1, -1, kWinCurrent, kWinSaved), kOk);
  EXPECT_EQ(ScreenFieldValue(0x200, 1).str(), "AA  ");
  ASSERT_EQ(ScreenFieldStore(118, 1, StrOf("QQ")), kOk);
  ASSERT_EQ(ScreenCopyFields(0x10, 1, 1, -1, kWinCurrent, kWinSaved), kOk) << "back from the saved record";
  EXPECT_EQ(ScreenFieldRaw(1).str(), "AA  ");
  EXPECT_EQ(ScreenCopyFields(0, 1, 1, 7, kWinCurrent, kWinSaved), kStDataOutBound);

  ASSERT_EQ(ScreenSaveRecord(StrOf("SCRBACK=KEEP$"), true), kOk);
  EXPECT_EQ(ExpEvalStr(StrOf("KEEP$")).str(), "AA      CC  ");
  ASSERT_EQ(VarAssign(StrOf("KEEP$"), StrOf("XY")), kOk);
  ASSERT_EQ(ScreenSaveRecord(StrOf("SCRBACK=KEEP$"), false), kOk);
  EXPECT_EQ(ScreenFieldValue(0x200, 1).str(), "XY  ");
  EXPECT_EQ(ScreenSaveRecord(StrOf("OTHER=KEEP$"), true), kOk);

  ASSERT_EQ(DynStrSet(sl::kWork, 7, StrOf("a,'b'")), kOk);
  ASSERT_EQ(DynStrSet(sl::kWork, 6, StrOf("K1")), kOk);
  AcceptLastKeySet(StrOf("K1"));
  EXPECT_EQ(AcceptLastValue(2).str(), "b");
  AcceptLastKeySet(StrOf("K2"));
  EXPECT_EQ(AcceptLastValue(1).str(), "") << "another form forgets the values";
}

}  // namespace
}  // namespace eng::test
