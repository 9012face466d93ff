// Building the dictionary by hand: order rules, limits, and going back to
// an earlier extent (the structure scopes of procedures).
#include <gtest/gtest.h>

#include <vector>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/sys_vars.h"
#include "tests/support/data_fixture.h"

namespace eng::test {
namespace {

DictKeyRanges Parts(std::initializer_list<DictKeyPart> parts) {
  DictKeyRanges r;
  size_t i = 0;
  for (DictKeyPart p : parts) r.part[i++] = p;
  return r;
}

class DictDefineTest : public CoreTest {};

TEST_F(DictDefineTest, FieldsGoToTheLastFileAndStackTheirOffsets) {
  EXPECT_EQ(DictDefineField(StrOf("X"), 3, 'A'), kStFileOutBound);
  ASSERT_EQ(DictDefineFile(1, StrOf("One"), StrOf("")), kOk);
  ASSERT_EQ(DictDefineField(StrOf("A  "), 3, 'A'), kOk);
  ASSERT_EQ(DictDefineFile(2, StrOf("Two"), StrOf("")), kOk);
  ASSERT_EQ(DictDefineField(StrOf("B"), 4, 'N'), kOk);
  ASSERT_EQ(DictDefineField(StrOf("C"), 5, '2'), kOk);
  EXPECT_EQ(DictFieldCount(1), 1);
  EXPECT_EQ(DictFieldCount(2), 2);
  EXPECT_EQ(DictField(2, 2).offset, 4);
  EXPECT_EQ(DictField(2, 2).field, 2);
  EXPECT_EQ(DictField(2, 2).file, 2);
  EXPECT_EQ(DictFieldName(1, 1).str(), "A");
  EXPECT_EQ(DictFileName(2).str(), "two");
}

TEST_F(DictDefineTest, KeysGivenOutOfFileOrderStayWithTheirFiles) {
  for (int f = 1; f <= 3; ++f) {
    ASSERT_EQ(DictDefineFile(uint8_t(f), StrOf("F" + std::to_string(f)), StrOf("")), kOk);
    ASSERT_EQ(DictDefineField(StrOf("K"), uint16_t(f * 2), 'A'), kOk);
  }
  ASSERT_EQ(DictDefineKey(3, 1, Parts({{0, 6}})), kOk);  // files 1 and 2 get automatic keys
  ASSERT_EQ(DictDefineKey(1, 1, Parts({{1, 1}})), kOk);  // a second key of file 1
  EXPECT_EQ(DictKeyCount(1), 2);
  EXPECT_EQ(DictKeyParts(1, 2).parts.part[0].offset, 1);
  EXPECT_EQ(DictKeyParts(2, 1).parts.part[0].length, 4);
  EXPECT_EQ(DictKeyParts(3, 1).parts.part[0].length, 6);
  EXPECT_EQ(DictDefineKey(4, 1, Parts({{0, 1}})), kStDataError);
  EXPECT_EQ(DictDefineKey(0, 1, Parts({{0, 1}})), kStDataError);
}

class DictScopeTest : public DataFixtureTest {};

std::vector<uint16_t> g_resets;
void RecordReset(uint16_t file) { g_resets.push_back(file); }

TEST_F(DictScopeTest, ScopeRestoreTakesBackEverythingDefinedSince) {
  SysVarSet(kVarCurFil, 2);
  DictExtent before = DictExtentNow();
  uint16_t names_before = DynStrCount(dl::kFieldNames);
  ASSERT_EQ(DictScopePush(), kOk);
  ASSERT_EQ(DictDefineFile(0, StrOf("TMP"), StrOf("")), kOk);
  ASSERT_EQ(DictDefineField(StrOf("K"), 4, 'A'), kOk);
  ASSERT_EQ(DictDefineField(StrOf("V"), 9, '2'), kOk);
  ASSERT_EQ(DictDefineKey(5, 1, Parts({{0, 4}})), kOk);
  ASSERT_EQ(DictDefineRelation(5, StrOf("1R1K1=K{}")), kOk);
  DictSelectFile(5);
  ASSERT_EQ(DictFileCount(), 5);

  g_resets.clear();
  DictSetFileResetHook(RecordReset);
  ASSERT_EQ(DictScopeRestore(), kOk);
  DictSetFileResetHook(nullptr);
  EXPECT_EQ(g_resets, std::vector<uint16_t>{5});

  DictExtent after = DictExtentNow();
  EXPECT_EQ(after.files, before.files);
  EXPECT_EQ(after.fields, before.fields);
  EXPECT_EQ(after.keys, before.keys);
  EXPECT_EQ(SysVarGet(kVarCurFil), 2);
  EXPECT_EQ(DynStrCount(dl::kFieldNames), names_before);
  EXPECT_EQ(ObjTableInfo(kObjFieldDescs, 0), before.fields);
  EXPECT_EQ(ObjTableInfo(kObjKeyParts, 0), before.keys);
  EXPECT_EQ(DictFileByName(StrOf("tmp")), 0);
  EXPECT_EQ(S(DictFileNames()), "clientes,movs,totales,params");

  // The same number defined again starts clean.
  ASSERT_EQ(DictDefineFile(0, StrOf("OTHER"), StrOf("")), kOk);
  EXPECT_EQ(DictFieldCount(5), 0);
  EXPECT_EQ(DictRelationText(5).str(), "");
  EXPECT_EQ(DictKeyCount(5), 0);
}

TEST_F(DictScopeTest, FieldsAndKeysAddedToKeptFilesGoToo) {
  DictExtent before = DictExtentNow();
  ASSERT_EQ(DictScopePush(), kOk);
  ASSERT_EQ(DictDefineField(StrOf("EXTRA"), 5, 'A'), kOk);  // to params, the last file
  ASSERT_EQ(DictDefineKey(fx::kParams, 1, Parts({{8, 4}})), kOk);
  ASSERT_EQ(DictScopeRestore(), kOk);
  EXPECT_EQ(DictFieldCount(fx::kParams), 2);
  EXPECT_EQ(DictRecordLength(fx::kParams), 48);
  EXPECT_EQ(DictKeyCount(fx::kParams), 1);
  EXPECT_EQ(DictExtentNow().fields, before.fields);
  EXPECT_EQ(DictExtentNow().keys, before.keys);
}

TEST_F(DictScopeTest, SevenScopesNestAndTheEighthIsRefused) {
  for (int i = 0; i < 7; ++i) {
    ASSERT_EQ(DictScopePush(), kOk);
    ASSERT_EQ(DictDefineFile(0, StrOf("S" + std::to_string(i)), StrOf("")), kOk);
  }
  EXPECT_EQ(DictScopePush(), kStDataOutBound);
  EXPECT_EQ(DictFileCount(), 11);
  for (int i = 6; i >= 0; --i) {
    ASSERT_EQ(DictScopeRestore(), kOk);
    EXPECT_EQ(DictFileCount(), 4 + i);
  }
  // With no scope left nothing is removed.
  EXPECT_EQ(DictScopeRestore(), kStInternal);
  EXPECT_EQ(ErrIncidentText().str(), "RESTORE");
  EXPECT_EQ(DictFileCount(), 4);
}

TEST_F(DictScopeTest, ResetHookSeesEveryNewFile) {
  g_resets.clear();
  DictSetFileResetHook(RecordReset);
  ASSERT_EQ(DictDefineFile(0, StrOf("A"), StrOf("")), kOk);
  ASSERT_EQ(DictDefineFile(0, StrOf("B"), StrOf("")), kOk);
  DictSetFileResetHook(nullptr);
  EXPECT_EQ(g_resets, (std::vector<uint16_t>{5, 6}));
}

}  // namespace
}  // namespace eng::test
