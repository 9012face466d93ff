// A fresh core runtime for each test: the arena at the programs' 512 KB, the
// string store and the object tables started, torn down afterwards.
#pragma once

#include <gtest/gtest.h>

#include "core/dyn_strings.h"
#include "core/obj_table.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"

namespace eng::test {

class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoreRuntimeReset();
    MemSetLimits(kArenaProgramKb, 0xFFFF);
    ASSERT_EQ(DynStrInit(), kOk);
    ASSERT_EQ(ObjTableInit(), kOk);
  }
  void TearDown() override { CoreRuntimeReset(); }
};

inline std::string S(StrPair p) { return p.ok() ? p.str() : std::string("<fail ") + std::to_string(p.len) + ">"; }

}  // namespace eng::test
