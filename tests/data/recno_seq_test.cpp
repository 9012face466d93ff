// The blocked key array against a flat vector: positions, insertions and
// removals across block splits and emptied blocks, and searches with block
// fences that must be dropped whenever a block's last entry changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "data/recno_seq.h"

namespace eng {
namespace {

TEST(RecNoSeqTest, MatchesAFlatVectorThroughRandomChanges) {
  std::mt19937 rng(42);
  RecNoSeq seq;
  std::vector<int32_t> flat;  // kept sorted by value, as a key array is by key
  int fills = 0;
  auto key = [](int32_t v) {
    char b[16];
    std::snprintf(b, sizeof b, "%08d", v);
    return std::string(b);
  };
  auto lower = [&](int32_t target) {
    std::string t = key(target);
    return seq.FirstWhereFenced([&](int32_t v) { return key(v) >= t; },
                                [&](const std::string& fence) { return fence >= t; },
                                [&](int32_t v, std::string& fence) {
                                  ++fills;
                                  fence = key(v);
                                  return true;
                                });
  };
  for (int step = 0; step < 6000; ++step) {
    bool grow = flat.size() < 300 || rng() % 3 != 0;
    if (grow) {
      int32_t v = int32_t(rng() % 5000);
      uint32_t at = lower(v);
      ASSERT_EQ(at, uint32_t(std::lower_bound(flat.begin(), flat.end(), v) - flat.begin())) << step;
      seq.insert(at, v);
      flat.insert(flat.begin() + at, v);
    } else {
      uint32_t at = uint32_t(rng() % flat.size());
      seq.erase(at);
      flat.erase(flat.begin() + at);
    }
    ASSERT_EQ(seq.size(), flat.size());
    if (step % 500 == 0) {
      for (uint32_t i = 0; i < flat.size(); ++i) ASSERT_EQ(seq.at(i), flat[i]) << step << " " << i;
    }
  }
  // Empty every block from the front, then from the back.
  while (!flat.empty()) {
    seq.erase(0);
    flat.erase(flat.begin());
    if (!flat.empty()) {
      int32_t v = flat[flat.size() / 2];
      ASSERT_EQ(lower(v), uint32_t(std::lower_bound(flat.begin(), flat.end(), v) - flat.begin()));
    }
  }
  EXPECT_EQ(lower(1), 0u);
  std::vector<int32_t> many(3000);
  for (int32_t i = 0; i < 3000; ++i) many[size_t(i)] = i * 2;
  seq.assign(many.data(), 3000);
  EXPECT_EQ(lower(1001), 501u);
  EXPECT_EQ(lower(6000), 3000u);
  EXPECT_EQ(seq.Find(400), 200u);
  EXPECT_EQ(seq.Find(401), 3000u);
  std::string bytes;
  seq.AppendTo(bytes);
  ASSERT_EQ(bytes.size(), 12000u);
  EXPECT_EQ(bytes.substr(4, 4), std::string("\x02\0\0\0", 4));
  EXPECT_GT(fills, 0);
}

}  // namespace
}  // namespace eng
