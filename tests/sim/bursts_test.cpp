#include "game/bursts.h"

#include <gtest/gtest.h>

#include <cmath>

#include "game/random_source.h"

namespace {

class BurstsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetBursts();
    ResetRandom();
  }
  static int Live() {
    int n = 0;
    for (const Burst& b : bursts) n += b.active;
    return n;
  }
};

TEST_F(BurstsTest, OnePopFillsTwentyOneDotsThenSevenStars) {
  SpawnBurst(0, 1000, 2000, 20);
  SpawnBurst(1, 1000, 2000, 6);
  for (int i = 0; i < kBurstSlots; ++i) {
    const Burst& b = bursts[i];
    if (i <= 20) {
      EXPECT_EQ(b.kind, 0) << i;
      EXPECT_EQ(b.gravity, 0) << i;
    } else if (i <= 27) {
      EXPECT_EQ(b.kind, 1) << i;
      EXPECT_EQ(b.gravity, 8) << i;
    }
    EXPECT_EQ(b.active, i <= 27 ? 1 : 0) << i;
  }
  EXPECT_EQ(bursts[27].x, 1000);
  EXPECT_EQ(bursts[27].y, 2000);
  EXPECT_EQ(bursts[27].age, 0);
  EXPECT_EQ(randomState.randomIndex, 56);  // two values per particle
}

TEST_F(BurstsTest, ANearlyFullPoolTakesWhatIsFree) {
  for (Burst& b : bursts) b.active = 1;
  for (int slot : {3, 40, 41, 77, 95}) bursts[slot].active = 0;
  SpawnBurst(0, 0, 0, 20);
  SpawnBurst(1, 0, 0, 6);
  EXPECT_EQ(Live(), kBurstSlots);
  EXPECT_EQ(bursts[95].kind, 0);
  EXPECT_EQ(randomState.randomIndex, 10);
  ResetBursts();
  SpawnBurst(1, 0, 0, 0);
  EXPECT_EQ(Live(), 1);
}

TEST_F(BurstsTest, DotsMoveThirtyOneTimesAndStarsNinetySix) {
  SpawnBurst(0, 20000, 20000, 0);
  SpawnBurst(1, 20000, 20000, 0);
  const Burst dot = bursts[0];
  for (int i = 0; i < 31; ++i) MoveBursts();
  EXPECT_EQ(bursts[0].active, 1);
  EXPECT_EQ(bursts[0].x, dot.x + 31 * dot.vx);
  MoveBursts();
  EXPECT_EQ(bursts[0].active, 0);
  for (int i = 32; i < 96; ++i) MoveBursts();
  EXPECT_EQ(bursts[1].active, 1);
  EXPECT_EQ(bursts[1].age, 96);
  MoveBursts();
  EXPECT_EQ(bursts[1].active, 0);
}

TEST_F(BurstsTest, StarsFallAndMoveWithTheVelocityFromBeforeGravity) {
  SpawnBurst(1, 20000, 30000, 0);
  Burst& star = bursts[0];
  star.vx = BurstVectorX(0, 4);
  star.vy = BurstVectorY(0, 4);
  EXPECT_EQ(star.vx, 0);
  EXPECT_EQ(star.vy, -409);
  MoveBursts();
  EXPECT_EQ(star.y, 30000 - 409);
  EXPECT_EQ(star.vy, -401);
  for (int i = 1; i < 64; ++i) MoveBursts();
  EXPECT_EQ(star.vy, 103);
}

TEST_F(BurstsTest, VectorsAreDoubleProductsTruncatedTowardZero) {
  EXPECT_EQ(BurstVectorX(62, 7), -140);
  EXPECT_EQ(BurstVectorX(63, 8), -80);
  EXPECT_EQ(BurstVectorY(16, 10), 1);
  EXPECT_EQ(BurstVectorY(1, 3), -305);  // -305.7 toward zero
}

// Dot velocities are a quarter of the product rounded toward minus infinity, not toward zero.
TEST_F(BurstsTest, DotVelocitiesAreFlooredQuarters) {
  SpawnBurst(0, 0, 0, 20);
  ResetRandom();
  int roundedDown = 0;
  for (int i = 0; i <= 20; ++i) {
    const int d = NextRandom() & 63;
    const int f = (NextRandom() & 7) + 1;
    const int px = BurstVectorX(d, f);
    const int py = BurstVectorY(d, f);
    EXPECT_EQ(bursts[i].vx, static_cast<int>(std::floor(px / 4.0))) << i;
    EXPECT_EQ(bursts[i].vy, static_cast<int>(std::floor(py / 4.0))) << i;
    if ((px < 0 && px % 4 != 0) || (py < 0 && py % 4 != 0)) ++roundedDown;
  }
  EXPECT_GT(roundedDown, 0);  // the sample really exercised the negative case
}

TEST(DirectionTableTest, EntriesLieWithinOneUnitOfTheCircle) {
  for (int i = 0; i < 64; ++i) {
    const double angle = i * 5.625 * M_PI / 180.0;
    EXPECT_NEAR(DirectionTable[i].x, 1024 * std::sin(angle), 1.0 + 1e-9) << i;
    EXPECT_NEAR(DirectionTable[i].y, -1024 * std::cos(angle), 1.0 + 1e-9) << i;
  }
}

}  // namespace
