#include "core/obj_table.h"

#include <cstdint>

#include "tests/support/core_fixture.h"

namespace eng::test {
namespace {

struct Desc {
  int32_t a;
  int16_t b;
  int16_t c;
};
struct Other {
  int32_t x;
  int32_t y;
  int32_t z;
};

using ObjTableTest = CoreTest;

TEST_F(ObjTableTest, SetBeyondTheEndGrowsWithZeroElements) {
  Desc d{7, 8, 9};
  ASSERT_NE(ObjTableSet<Desc>(kObjArrays, 3, d), nullptr);
  EXPECT_EQ(ObjTableInfo(kObjArrays, 0), 4);
  EXPECT_EQ(ObjTableInfo(kObjArrays, 1), sizeof(Desc));
  for (uint16_t i = 0; i < 3; ++i) {
    Desc* z = ObjTableGet<Desc>(kObjArrays, i);
    ASSERT_NE(z, nullptr);
    EXPECT_EQ(z->a, 0);
    EXPECT_EQ(z->b, 0);
  }
  EXPECT_EQ(ObjTableGet<Desc>(kObjArrays, 3)->c, 9);
  EXPECT_EQ(ObjTableGet<Desc>(kObjArrays, 4), nullptr);
}

TEST_F(ObjTableTest, AnotherRecordTypeIsRefused) {
  ObjTableSet<Desc>(kObjArrays, 0, Desc{1, 2, 3});
  EXPECT_EQ(ObjTableSet<Other>(kObjArrays, 0, Other{4, 5, 6}), nullptr);
  EXPECT_EQ(ObjTableSet<Other>(kObjArrays, 5, Other{4, 5, 6}), nullptr);
  EXPECT_EQ(ObjTableInfo(kObjArrays, 0), 1);
  EXPECT_EQ(ObjTableGet<Desc>(kObjArrays, 0)->a, 1);
  EXPECT_EQ(ObjTableGet<Other>(kObjArrays, 0), nullptr);
}

TEST_F(ObjTableTest, DeletingTheOnlyElementFreesTheTable) {
  ObjTableSet<Desc>(kObjProcedures, 0, Desc{1, 2, 3});
  ASSERT_EQ(ObjTableDelete(kObjProcedures, 0), kOk);
  EXPECT_EQ(ObjTableInfo(kObjProcedures, 0), 0);
  EXPECT_EQ(ObjTableInfo(kObjProcedures, 1), 0);
  ASSERT_NE(ObjTableSet<Other>(kObjProcedures, 0, Other{4, 5, 6}), nullptr);
  EXPECT_EQ(ObjTableInfo(kObjProcedures, 1), sizeof(Other));
}

TEST_F(ObjTableTest, DeleteMovesLaterElementsDown) {
  for (int16_t i = 0; i < 3; ++i) ObjTableSet<Desc>(kObjScreens, i, Desc{i, 0, 0});
  ASSERT_EQ(ObjTableDelete(kObjScreens, 1), kOk);
  EXPECT_EQ(ObjTableInfo(kObjScreens, 0), 2);
  EXPECT_EQ(ObjTableGet<Desc>(kObjScreens, 0)->a, 0);
  EXPECT_EQ(ObjTableGet<Desc>(kObjScreens, 1)->a, 2);
}

TEST_F(ObjTableTest, AnElementGivenBackAndTakenAgainIsZero) {
  // The table shrinks and grows by one, as a variable declared and cut at
  // every call makes it: the element taken again holds zero, not the old value.
  for (int16_t i = 0; i < 3; ++i) ObjTableSet<Desc>(kObjScreens, i, Desc{i + 10, 1, 2});
  ASSERT_EQ(ObjTableDelete(kObjScreens, 2), kOk);
  ASSERT_EQ(ObjTableDelete(kObjScreens, 1), kOk);
  ASSERT_NE(ObjTableSet<Desc>(kObjScreens, 2, Desc{30, 3, 4}), nullptr);
  EXPECT_EQ(ObjTableInfo(kObjScreens, 0), 3);
  const Desc* back = ObjTableGet<Desc>(kObjScreens, 1);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->a, 0);
  EXPECT_EQ(back->b, 0);
  EXPECT_EQ(ObjTableGet<Desc>(kObjScreens, 0)->a, 10);
  EXPECT_EQ(ObjTableGet<Desc>(kObjScreens, 2)->a, 30);
}

TEST_F(ObjTableTest, MissingTableOrIndexGives176) {
  EXPECT_EQ(ObjTableDelete(kObjScreenWins, 0), kStStructMem);
  ObjTableSet<Desc>(kObjScreenWins, 0, Desc{});
  EXPECT_EQ(ObjTableDelete(kObjScreenWins, 1), kStStructMem);
  EXPECT_EQ(ObjTableDelete(kObjTables, 0), kStStructMem);
}

TEST_F(ObjTableTest, TableBytesStayWithin64K) {
  // Element size 8: index 8191 would need 65,536 bytes.
  EXPECT_EQ(ObjTableSet<int64_t>(kObjNumVars, 8191, 5), nullptr);
  EXPECT_EQ(ObjTableInfo(kObjNumVars, 0), 0);
  EXPECT_NE(ObjTableSet<int64_t>(kObjNumVars, 8190, 5), nullptr);
  EXPECT_EQ(ObjTableInfo(kObjNumVars, 0), 8191);
}

TEST_F(ObjTableTest, NothingWorksWithoutTheRoot) {
  ObjTableSet<int16_t>(kObjIntVars, 0, 1);
  ObjTableFreeAll();
  EXPECT_EQ(ObjTableGet<int16_t>(kObjIntVars, 0), nullptr);
  EXPECT_EQ(ObjTableSet<int16_t>(kObjIntVars, 0, 1), nullptr);
  EXPECT_EQ(ObjTableInfo(kObjIntVars, 0), 0);
}

}  // namespace
}  // namespace eng::test
