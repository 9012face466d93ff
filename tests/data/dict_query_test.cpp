// Questions to the dictionary, asked of the shared fixture.
#include <gtest/gtest.h>

#include "core/err_register.h"
#include "core/sys_vars.h"
#include "data/dict_layout.h"
#include "tests/support/data_fixture.h"

namespace eng::test {
namespace {

class DictQueryTest : public DataFixtureTest {};

TEST_F(DictQueryTest, FixtureLayout) {
  ASSERT_EQ(DictFileCount(), fx::kFileCount);
  EXPECT_EQ(S(DictFileNames()), "clientes,movs,totales,params");
  EXPECT_EQ(DictRecordLength(fx::kClientes), 60);
  EXPECT_EQ(DictRecordLength(fx::kMovs), 31);
  EXPECT_EQ(DictRecordLength(fx::kTotales), 22);
  EXPECT_EQ(DictRecordLength(fx::kParams), 48);
  EXPECT_EQ(DictKeyCount(fx::kClientes), 2);
  EXPECT_EQ(DictKeyCount(fx::kMovs), 2);
  EXPECT_EQ(DictKeyCount(fx::kTotales), 1);
  EXPECT_EQ(DictKeyCount(fx::kParams), 1);  // automatic
  EXPECT_EQ(DictKeyParts(fx::kParams, 1).parts.part[0].length, 8);
  EXPECT_EQ(DictKeyParts(fx::kMovs, 2).count, 3);
  EXPECT_EQ(DictKeyLength(fx::kMovs, 2, 0), 21);
  EXPECT_EQ(DictKeyLength(fx::kMovs, 2, 2), 18);
  EXPECT_EQ(DictFieldIndex(fx::kMovs, 2), 4);
  EXPECT_EQ(DictKeyIndex(fx::kTotales, 1), 4);
  EXPECT_EQ(DictFieldType(fx::kMovs, 4), '2');
  EXPECT_EQ(DictFieldOffset(fx::kMovs, 4), 21);
}

TEST_F(DictQueryTest, FileNumbersResolveToTheCurrentFile) {
  SysVarSet(kVarCurFil, 2);
  EXPECT_EQ(DictFileNumber(3), 3);
  EXPECT_EQ(DictFileNumber(0), 2);
  EXPECT_EQ(DictFileNumber(5), 2);
  EXPECT_EQ(DictKeyCount(255), 2);
  EXPECT_EQ(DictSelectFile(9), 2);  // not a file: unchanged
  EXPECT_EQ(DictSelectFile(4), 4);
  EXPECT_EQ(SysVarGet(kVarCurFil), 4);
  // Undefined numbers read the zero descriptor.
  DictFileDesc z = DictFileDescOf(7);
  EXPECT_EQ(z.number, 0);
  EXPECT_EQ(z.record_length, 0);
  EXPECT_EQ(DictField(fx::kTotales, 3).length, 0);  // no third field: not the next file's first
  EXPECT_EQ(DictField(fx::kTotales, 0).length, 0);
}

TEST_F(DictQueryTest, FileByName) {
  SysVarSet(kVarCurFil, 3);
  EXPECT_EQ(DictFileByName(StrOf("")), 3);
  EXPECT_EQ(DictFileByName(StrOf("movs")), 2);
  EXPECT_EQ(DictFileByName(StrOf("MOVS")), 2);
  EXPECT_EQ(DictFileByName(StrOf("nofile")), 0);
  EXPECT_EQ(DictFileByName(StrOf("4")), 4);
  EXPECT_EQ(DictFileByName(StrOf("12")), 12);  // a number, checked by the caller
  EXPECT_EQ(DictFileOfLastName(StrOf("clientes,totales")), 3);
}

TEST_F(DictQueryTest, FieldsByNameAreExact) {
  EXPECT_EQ(DictFindField(fx::kMovs, StrOf("DATE")), 3);
  EXPECT_EQ(DictFindField(fx::kMovs, StrOf("date")), kNotFound);
  EXPECT_EQ(DictFindField(fx::kTotales, StrOf("DATE")), kNotFound);
  EXPECT_EQ(DictLineField(fx::kMovs), 2);
  EXPECT_EQ(DictLineField(fx::kClientes), kNotFound);
}

TEST_F(DictQueryTest, CheckFieldAndKey) {
  EXPECT_EQ(DictCheckField(fx::kMovs, 4), kOk);
  EXPECT_EQ(DictCheckField(fx::kMovs, kDictAnyField), kOk);
  EXPECT_EQ(ErrIncidentText().str(), "");
  EXPECT_EQ(DictCheckField(fx::kTotales, 9), kStDataOutBound);
  EXPECT_EQ(ErrIncidentText().str(), "(File:3, Field:9)");
  EXPECT_EQ(DictCheckField(fx::kTotales, 0), kStDataOutBound);
  EXPECT_EQ(DictCheckField(7, kDictAnyField), kStDataOutBound);

  ErrIncident(kOk, StrPair{}, false);
  EXPECT_EQ(DictCheckKey(fx::kClientes, 2), kOk);
  EXPECT_EQ(DictCheckKey(fx::kClientes, 3), kStDataOutBound);
  EXPECT_EQ(DictCheckKey(fx::kClientes, 0), kStDataOutBound);
  EXPECT_EQ(DictCheckKey(0, 1), kStDataOutBound);
  EXPECT_EQ(ErrIncidentText().str(), "");
  EXPECT_EQ(DictKeyParts(fx::kClientes, 3).count, 0);
}

TEST_F(DictQueryTest, KeyFields) {
  DictKeyFieldList k = DictKeyFields(fx::kClientes, 2);
  ASSERT_EQ(k.status, kOk);
  ASSERT_EQ(k.count, 2);
  EXPECT_EQ(k.field[0], 3);  // CITY
  EXPECT_EQ(k.field[1], 1);  // CODE
  k = DictKeyFields(fx::kMovs, 2);
  ASSERT_EQ(k.count, 3);
  EXPECT_EQ(k.field[0], 3);
  EXPECT_EQ(k.field[2], 2);
  EXPECT_EQ(DictKeyFields(fx::kMovs, 3).status, kStDataOutBound);

  EXPECT_EQ(DictKeyByField(fx::kClientes, 3), 2);
  EXPECT_EQ(DictKeyByField(fx::kClientes, 1), 1);
  EXPECT_EQ(DictKeyByField(fx::kClientes, 2), 0);
  EXPECT_EQ(DictDateKey(fx::kMovs), 2);
  EXPECT_EQ(DictDateKey(fx::kClientes), kNotFound);
  EXPECT_EQ(DictFieldAtOffset(fx::kMovs, 12), 2);
  EXPECT_EQ(DictFieldAtOffset(fx::kMovs, 31), 0);
}

TEST_F(DictQueryTest, KeyStartingBeyondTheLastFieldAndKeyWithoutParts) {
  DictKeyRanges beyond;
  beyond.part[0] = {48, 2};
  ASSERT_EQ(DictDefineKey(fx::kParams, 1, beyond), kOk);
  EXPECT_EQ(DictKeyFields(fx::kParams, 2).status, kStInternal);
  ASSERT_EQ(DictDefineKey(fx::kParams, 0, DictKeyRanges{}), kOk);
  DictKeyFieldList k = DictKeyFields(fx::kParams, 3);
  EXPECT_EQ(k.status, kOk);
  EXPECT_EQ(k.count, 1);
  EXPECT_EQ(k.field[0], 1);
}

TEST_F(DictQueryTest, Texts) {
  EXPECT_EQ(S(DictFileRefSuffix(0)), "{}");
  EXPECT_EQ(S(DictFileRefSuffix(12)), "{12}");
  EXPECT_EQ(S(DictFieldQualName(fx::kMovs, 4)), "AMT{2}");
  EXPECT_EQ(S(DictFieldQualName(0, 4)), "{}");
  EXPECT_EQ(S(DictFileFieldText(3, 9)), "3;9");
  EXPECT_EQ(S(DictRelationTag(3, 1)), "3R1K");
  EXPECT_EQ(S(DictSystemFileName(StrOf("PL"), 3)), "PLRELUP.DAT");
  EXPECT_EQ(S(DictSystemFileName(StrOf("KV"), 5)), "KVMENU.PPN");
}

TEST_F(DictQueryTest, TypeWidths) {
  struct Case {
    char type;
    uint16_t length, width;
  };
  for (Case c : {Case{'2', 10, 13}, Case{'8', 10, 19}, Case{'1', 5, 7}, Case{'9', 10, 10}, Case{'N', 10, 10},
                 Case{'A', 4, 4}, Case{'D', 8, 8}}) {
    EXPECT_EQ(DictTypeWidth(c.type, c.length), c.width) << c.type;
  }
}

TEST_F(DictQueryTest, RelationsOfTheFixture) {
  EXPECT_EQ(DictRelationKey(fx::kMovs, 3, 1), 1);
  EXPECT_EQ(S(DictRelationExpr(fx::kMovs, 3, 1)), "CODE{}");
  EXPECT_EQ(DictRelationKey(fx::kClientes, 2, 1), 1);
  EXPECT_EQ(DictRelationKey(fx::kTotales, 2, 1), 0);
  EXPECT_EQ(S(DictRelationExpr(fx::kTotales, 2, 1)), "");
}

TEST_F(DictQueryTest, RelationTagsMatchOnlyAtAnItemStart) {
  ASSERT_EQ(DictDefineRelation(fx::kTotales, StrOf("13R1K4=X{}")), kOk);
  ASSERT_EQ(DictDefineRelation(fx::kTotales, StrOf("3R1K2=CODE{}")), kOk);
  ASSERT_EQ(DictDefineRelation(fx::kTotales, StrOf("4R1K1='A{}&&B{}'")), kOk);
  EXPECT_EQ(DictRelationText(fx::kTotales).str(), "13R1K4=X{}:3R1K2=CODE{}:4R1K1='A{}&&B{}'");
  EXPECT_EQ(DictRelationKey(fx::kTotales, 3, 1), 2);
  EXPECT_EQ(S(DictRelationExpr(fx::kTotales, 3, 1)), "CODE{}");
  EXPECT_EQ(DictRelationKey(fx::kTotales, 13, 1), 4);
  EXPECT_EQ(S(DictRelationExpr(fx::kTotales, 13, 1)), "X{}");
  EXPECT_EQ(S(DictRelationExpr(fx::kTotales, 4, 1)), "A{}&&B{}");
  EXPECT_EQ(DictDefineRelation(5, StrOf("x")), kStBadFileNumber);
  EXPECT_EQ(DictDefineRelation(0, StrOf("x")), kStBadFileNumber);
}

}  // namespace
}  // namespace eng::test

namespace eng::test {
namespace {

TEST_F(DictQueryTest, LayoutForTheRecordFile) {
  DataFileLayout l = DictFileLayout(fx::kMovs);
  EXPECT_EQ(l.record_length, 31);
  ASSERT_EQ(l.keys.size(), 2u);
  EXPECT_EQ(l.keys[1].count, 3);
  EXPECT_EQ(l.keys[1].parts[0].offset, 13);
  EXPECT_EQ(l.keys[1].parts[2].length, 3);
  EXPECT_EQ(l.keys[1].Length(), 21u);
  EXPECT_TRUE(l.Valid());
  for (uint16_t f = 1; f <= fx::kFileCount; ++f) EXPECT_TRUE(DictFileLayout(f).Valid()) << f;
  EXPECT_EQ(DictFileLayout(9).record_length, 0);
  EXPECT_TRUE(DictFileLayout(9).keys.empty());
}

}  // namespace
}  // namespace eng::test
