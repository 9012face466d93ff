#include "core/clock.h"

#include "core/sys_vars.h"
#include "tests/support/core_fixture.h"

namespace eng::test {
namespace {

using ClockTest = CoreTest;

TEST_F(ClockTest, FixedWallTimeAndVirtualMonotonicClock) {
  ClockSetFixedLocal(LocalTime{2024, 3, 5, 9, 7, 0, 0});
  EXPECT_EQ(ClockLocalNow().day, 5);
  EXPECT_EQ(ClockLocalNow().hour, 9);
  ClockSetVirtualMonotonic(1000);
  ClockSleepMs(250);
  EXPECT_EQ(ClockMonotonicMs(), 1250u);
  ClockReset();
  EXPECT_GT(ClockLocalNow().year, 2000);
}

TEST_F(ClockTest, SystemVariablesStartAtTheirDefaults) {
  EXPECT_EQ(SysVarGet(kVarTrace), 1);
  EXPECT_EQ(SysVarGet(kVarPrecis), 2);
  EXPECT_EQ(SysVarGet(kVarBYear), 2000);
  EXPECT_EQ(SysVarGet(kVarUpStat), 1);
  EXPECT_EQ(SysVarGet(kVarLb), 128);
  EXPECT_EQ(std::string(kSysVarTable[kVarUser03].name), "_USER03");
  SysVarSet(kVarAuxStat, -1);
  EXPECT_EQ(SysVarBits(kVarAuxStat), 0xFFFF);
  EXPECT_TRUE(SysVarHas(kVarAuxStat, 64));
}

}  // namespace
}  // namespace eng::test
