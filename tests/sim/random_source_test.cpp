#include "game/random_source.h"

#include <gtest/gtest.h>

#include <set>

namespace {

class RandomSourceTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetRandom(); }
};

TEST_F(RandomSourceTest, FirstValueAfterResetIsUnmixedAndTheSecondIsMixedWithEntryZero) {
  EXPECT_EQ(NextRandom(), RandomTable[0]);
  EXPECT_EQ(NextRandom(), RandomTable[1] ^ RandomTable[0]);
}

TEST_F(RandomSourceTest, WrapsAfter512Reads) {
  int last = 0;
  for (int i = 0; i < 512; ++i) last = NextRandom();
  EXPECT_EQ(last, RandomTable[511] ^ RandomTable[0]);
  EXPECT_EQ(randomState.randomIndex, 0);
  EXPECT_EQ(NextRandom(), RandomTable[0]);
}

TEST_F(RandomSourceTest, TheEntryUnderTheStirIndexIsReturnedUnmixed) {
  for (int i = 0; i < 5; ++i) StirRandom();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(NextRandom(), RandomTable[i] ^ RandomTable[5]);
  EXPECT_EQ(NextRandom(), RandomTable[5]);
  EXPECT_EQ(NextRandom(), RandomTable[6] ^ RandomTable[5]);
}

TEST_F(RandomSourceTest, StirringLeavesTheReadIndexAndComesRoundAfter512) {
  NextRandom();
  for (int i = 0; i < 511; ++i) StirRandom();
  EXPECT_EQ(randomState.stirIndex, 511);
  EXPECT_EQ(randomState.randomIndex, 1);
  StirRandom();
  EXPECT_EQ(randomState.stirIndex, 0);
  ResetRandom();
  EXPECT_EQ(randomState.randomIndex, 0);
  EXPECT_EQ(randomState.stirIndex, 0);
}

TEST(RandomTableTest, StartsWithTheFixedEightAndHoldsSixteenBitValues) {
  const int32_t first[8] = {46238, 34958, 37979, 18976, 19788, 50773, 918, 49854};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(RandomTable[i], first[i]) << i;
  std::set<int32_t> distinct;
  for (int32_t v : RandomTable) {
    EXPECT_GE(v, 0);
    EXPECT_LE(v, 65535);
    distinct.insert(v);
  }
  EXPECT_GT(distinct.size(), 500u);
}

// Every caller masks the low bits (3, 7, 63): each lane and look must come up about equally.
TEST(RandomTableTest, LowBitsAreEvenlySpread) {
  int bins8[8] = {};
  int bins64[64] = {};
  for (int32_t v : RandomTable) {
    ++bins8[v & 7];
    ++bins64[v & 63];
  }
  for (int count : bins8) {
    EXPECT_GE(count, 40);
    EXPECT_LE(count, 90);
  }
  for (int count : bins64) {
    EXPECT_GE(count, 1);
    EXPECT_LE(count, 20);
  }
}

}  // namespace
