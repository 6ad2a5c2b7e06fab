#include "game/balloons.h"

#include <gtest/gtest.h>

#include "fake_sound.h"
#include "game/bursts.h"
#include "game/game_flow.h"
#include "game/random_source.h"
#include "game_reset.h"
#include "state/input_state.h"

namespace {

constexpr int32_t Fixed(int pixel) {
  return (pixel + 272) * 64;
}
int Pixel(int32_t v) {
  return (v >> 6) - 272;
}

class BalloonsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::ResetGameWideState();
    fake_sound::Reset();
  }

  // A balloon placed by hand in a slot.
  static Balloon& Place(int slot, int pixelX, int pixelY) {
    Balloon& b = balloons[slot];
    b = Balloon{};
    b.active = 1;
    b.x = Fixed(pixelX);
    b.y = Fixed(pixelY);
    b.vx = 32;
    b.vy = -64;
    b.phase = kHovering;
    b.hoverTicks = 100;
    return b;
  }

  static void ClickAt(int x, int y) {
    input.mouseX = static_cast<uint32_t>(x);
    input.mouseY = static_cast<uint32_t>(y);
    input.mousePressed = kMouseLeft;
    PopBalloons();
  }
};

TEST_F(BalloonsTest, LaunchTakesTheLowestFreeSlotAndDrawsThreeValues) {
  balloons[0].active = 1;
  const int r1 = NextRandom();
  const int r2 = NextRandom();
  const int r3 = NextRandom();
  ResetRandom();
  LaunchBalloon(77);
  const Balloon& b = balloons[1];
  EXPECT_EQ(b.active, 1);
  EXPECT_EQ(b.x, LaneTable[r1 & 7] - 2048);
  EXPECT_EQ(b.y, 0xC000);
  EXPECT_EQ(b.vx, 32);
  EXPECT_EQ(b.vy, -512);
  EXPECT_EQ(b.hoverLine, LaneTable[2 + (r2 & 3)]);
  const int looks[8] = {16, 32, 48, 64, 80, 96, 16, 32};
  EXPECT_EQ(b.spriteBase, looks[r3 & 7]);
  EXPECT_EQ(b.phase, kRising);
  EXPECT_EQ(b.hoverTicks, 77);
  EXPECT_EQ(b.frameCounter, 0);
  EXPECT_EQ(launchCount, 1);
  EXPECT_EQ(randomState.randomIndex, 3);
}

TEST_F(BalloonsTest, AFullPoolLosesTheLaunchButRestartsTheDelay) {
  for (Balloon& b : balloons) b.active = 1;
  launchCount = 5;
  launchDelay = 1;
  scheduleRow = 1;
  ScheduleStep();
  EXPECT_EQ(launchCount, 5);
  EXPECT_EQ(scheduleRow, 1);
  EXPECT_EQ(launchDelay, 40);
  EXPECT_EQ(randomState.randomIndex, 0);
}

TEST_F(BalloonsTest, ScheduleAfter120LaunchesDoesNothing) {
  launchCount = 120;
  launchDelay = 1;
  ScheduleStep();
  EXPECT_EQ(launchDelay, 1);
  EXPECT_EQ(balloons[0].active, 0);
}

// Launch ticks of a wave where nothing is popped: tick 10 for the first, 2638 for the 120th,
// with no launch lost to a full pool on the way.
TEST_F(BalloonsTest, WaveScheduleLaunchesOnItsTicks) {
  launchCount = 0;
  launchDelay = 10;
  scheduleRow = 7;  // left over from an earlier wave: the first launch goes back to row 0
  int launchTicks[121] = {};
  int lost = 0;
  for (int tick = 1; tick <= 3000 && launchCount < 120; ++tick) {
    const int before = launchCount;
    const bool due = launchDelay == 1;
    ScheduleStep();
    if (launchCount > before) launchTicks[launchCount] = tick;
    if (due && launchCount == before) ++lost;
    MoveBalloons();
  }
  EXPECT_EQ(lost, 0);
  EXPECT_EQ(launchTicks[1], 10);
  EXPECT_EQ(launchTicks[2], 70);
  EXPECT_EQ(launchTicks[4], 190);
  EXPECT_EQ(launchTicks[120], 2638);
  EXPECT_EQ(scheduleRow, 20);
}

TEST_F(BalloonsTest, InsideWindowBoundsAreInclusive) {
  EXPECT_EQ(MoveBalloons(), 0);
  Place(0, 0, 0).x = 0x3400;
  Place(1, 0, 0).y = 0xCC00;
  Place(2, 0, 0).x = 0x33FF;
  Place(3, 0, 0).y = 0xCC01;
  EXPECT_EQ(MoveBalloons(), 2);
  EXPECT_EQ(balloons[0].active, 1);
  EXPECT_EQ(balloons[1].active, 1);
  EXPECT_EQ(balloons[2].active, 0);
  EXPECT_EQ(balloons[3].active, 0);
}

TEST_F(BalloonsTest, ABalloonMovedOutIsCountedOnceMoreAndFreedNextTick) {
  Balloon& b = Place(0, 100, 0);
  b.y = 0x3400;
  EXPECT_EQ(MoveBalloons(), 1);
  EXPECT_EQ(b.active, 1);
  EXPECT_LT(b.y, 0x3400);
  EXPECT_EQ(MoveBalloons(), 0);
  EXPECT_EQ(b.active, 0);
}

// Column 0, hover line at field y 165, 40 hover ticks; the launch tick is tick 1.
TEST_F(BalloonsTest, FollowsTheHoverExample) {
  LaunchBalloon(40);
  Balloon& b = balloons[0];
  b.x = LaneTable[0] - 2048;
  b.hoverLine = LaneTable[2];
  int brakingTick = 0, hoveringTick = 0, leavingTick = 0, freedTick = 0;
  int hoverY = 0, leaveY = 0, lastX = 0;
  for (int tick = 1; tick <= 200 && freedTick == 0; ++tick) {
    const int vy = b.vy;
    const int phase = b.phase;
    MoveBalloons();
    if (b.active == 0) {
      freedTick = tick;
      break;
    }
    lastX = Pixel(b.x);
    if (brakingTick == 0 && phase == kRising && b.vy > vy) brakingTick = tick;
    if (hoveringTick == 0 && b.phase == kHovering) {
      hoveringTick = tick;
      hoverY = Pixel(b.y);
    }
    if (leavingTick == 0 && b.phase == kLeaving) {
      leavingTick = tick;
      leaveY = Pixel(b.y);
    }
  }
  EXPECT_EQ(brakingTick, 23);
  EXPECT_EQ(hoveringTick, 50);
  EXPECT_NEAR(hoverY, 190, 2);
  EXPECT_EQ(leavingTick, 90);
  EXPECT_NEAR(leaveY, 150, 2);
  EXPECT_EQ(freedTick, 143);
  EXPECT_EQ(lastX, 104);
}

TEST_F(BalloonsTest, HoversForExactlyItsHoverTicks) {
  for (int hover : {5, 1}) {
    ResetBalloons();
    Balloon& b = Place(0, 200, 300);
    b.hoverTicks = hover;
    int ticks = 0;
    while (b.phase == kHovering) {
      MoveBalloons();
      ++ticks;
    }
    EXPECT_EQ(ticks, hover);
    EXPECT_EQ(b.phase, kLeaving);
  }
}

TEST_F(BalloonsTest, PopScoresByZoneSpawnsBurstsAndPlaysThePop) {
  Place(0, 200, 200);
  ClickAt(224, 200);  // exactly 24 pixels: outside the innermost square
  EXPECT_EQ(balloons[0].active, 0);
  EXPECT_EQ(game.score, 90);
  EXPECT_EQ(fake_sound::Count(fake_sound::Call::kEffect, 0), 1);
  int particles = 0;
  for (const Burst& p : bursts) particles += p.active;
  EXPECT_EQ(particles, 28);
  EXPECT_EQ(bursts[0].x, Fixed(200));

  Place(1, 100, 100);
  ClickAt(123, 77);
  EXPECT_EQ(game.score, 190);
  Place(2, 100, 100);
  ClickAt(149, 100);  // 49 pixels: still inside 49.875
  EXPECT_EQ(game.score, 270);
  Place(3, 100, 100);
  ClickAt(150, 100);
  EXPECT_EQ(balloons[3].active, 1);
  EXPECT_EQ(game.score, 270);
}

TEST_F(BalloonsTest, SmallerZoneBeatsLowerSlotAndOneClickPopsOne) {
  Place(0, 130, 100);  // zone 1 from the click
  Place(5, 110, 100);  // zone 0
  Place(9, 110, 100);  // zone 0 too, higher slot
  ClickAt(100, 100);
  EXPECT_EQ(balloons[0].active, 1);
  EXPECT_EQ(balloons[5].active, 0);
  EXPECT_EQ(balloons[9].active, 1);
  EXPECT_EQ(game.score, 100);
}

TEST_F(BalloonsTest, AMissOrNoFreshClickChangesNothing) {
  Place(0, 100, 100);
  ClickAt(300, 300);
  input.mouseX = 100;
  input.mouseY = 100;
  input.mousePressed = kMouseRight;
  PopBalloons();
  EXPECT_EQ(balloons[0].active, 1);
  EXPECT_EQ(game.score, 0);
  EXPECT_TRUE(fake_sound::state.calls.empty());
  EXPECT_EQ(bursts[0].active, 0);
}

TEST_F(BalloonsTest, AClickInTheScoreStripStillPopsABalloonPastTheFieldEdge) {
  Place(0, 495, 240);
  ClickAt(500, 240);
  EXPECT_EQ(balloons[0].active, 0);
  EXPECT_EQ(game.score, 100);
}

}  // namespace
