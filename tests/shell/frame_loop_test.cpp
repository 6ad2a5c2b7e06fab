// The frame loop's schedule, driven by a hand-set clock and a scripted queue.
#include "shell/frame_loop.h"

#include <gtest/gtest.h>

#include <cmath>

#include "fakes.h"
#include "machine/message_queue.h"
#include "shell/window_procedure.h"
#include "state/input_state.h"

namespace {

using platform::Message;
using platform::MessageKind;

class FrameLoopTest : public ::testing::Test {
 protected:
  void SetUp() override { fake::Reset(); }
  void TearDown() override { fake::Reset(); }

  // One pass; fails the test if the loop wanted to end.
  void Pass() {
    int exitCode = -1;
    ASSERT_TRUE(RunFramePass(fake::TheWindow(), clock, messages, &exitCode));
  }
  size_t Ticks() const { return fake::record.ticks.size(); }

  // Runs the loop over `seconds` of clock time with no input at all; returns the passes made.
  int RunIdle(uint64_t seconds) {
    const uint64_t end = clock.now + seconds * 1000;
    int passes = 0;
    int exitCode = 0;
    while (clock.now < end && RunFramePass(fake::TheWindow(), clock, messages, &exitCode)) {
      ++passes;
    }
    return passes;
  }

  fake::Clock clock;
  fake::Messages messages{&clock};
};

TEST_F(FrameLoopTest, FirstTickIsDueOneTickLengthAfterStart) {
  clock.now = 5000;
  StartFrameLoop(clock);
  EXPECT_DOUBLE_EQ(frameLoop.nextTick, 5016.6);
  EXPECT_EQ(frameLoop.frameDue, 0);
}

TEST_F(FrameLoopTest, ReadingEqualToNextTickWaitsButTheSameReadingAfterATickRunsAnother) {
  // 983.4 + 16.6 is exactly 1000 in double, so both the entry test and the catch-up test can be
  // met with a reading of exactly nextTick.
  ASSERT_EQ(983.4 + kTickLength, 1000.0);
  frameLoop.nextTick = 1000.0;
  clock.now = 1000;
  Pass();
  EXPECT_EQ(Ticks(), 0u);  // strict entry test: equal is not yet due
  EXPECT_EQ(fake::record.frames, 0);
  ASSERT_EQ(messages.waits.size(), 1u);
  EXPECT_EQ(messages.waits[0], 1u);  // sleeps until the clock is past nextTick, and no longer

  frameLoop.nextTick = 983.4;
  clock.readings = {984, 1000, 1000, 1000};  // entry, catch-up, catch-up, behind-check
  Pass();
  EXPECT_EQ(Ticks(), 2u);  // the catch-up test accepts equality
  EXPECT_EQ(fake::record.frames, 1);
  EXPECT_NEAR(frameLoop.nextTick, 1016.6, 1e-9);
}

TEST_F(FrameLoopTest, StallRunsThreeTicksThenRebasesAndResumesNormalRate) {
  clock.now = 1000;
  StartFrameLoop(clock);  // first tick due after 1016.6
  clock.now = 1117;       // a 100 ms stall
  Pass();
  EXPECT_EQ(Ticks(), 3u);
  EXPECT_EQ(fake::record.frames, 1);                         // one frame for the whole pass
  EXPECT_DOUBLE_EQ(frameLoop.nextTick, 1117 + kTickLength);  // backlog dropped

  Pass();  // nothing due yet: sleeps exactly until the re-based tick
  EXPECT_EQ(Ticks(), 3u);
  ASSERT_EQ(messages.waits.size(), 1u);
  EXPECT_EQ(clock.now, 1134u);
  Pass();
  EXPECT_EQ(Ticks(), 4u);  // one tick per pass again at the normal rate
}

TEST_F(FrameLoopTest, FloodOfMessagesStarvesTicksAndFrames) {
  clock.now = 1000;
  StartFrameLoop(clock);
  clock.now = 2000;
  for (int i = 0; i < 50; ++i) {
    messages.script.push_back(Message{MessageKind::kMouseMove, 0, platform::PackPosition(i, i)});
  }
  for (int i = 0; i < 50; ++i) Pass();
  EXPECT_EQ(Ticks(), 0u);
  EXPECT_EQ(fake::record.frames, 0);
  EXPECT_TRUE(messages.waits.empty());  // never sleeps while messages wait
  EXPECT_EQ(input.mouseX, 49u);
  Pass();  // the queue is empty at last
  EXPECT_EQ(Ticks(), 3u);
  EXPECT_EQ(fake::record.frames, 1);
}

TEST_F(FrameLoopTest, EveryPressCountsOnceHoweverShortAndOnlyAnUnseenReleaseWaits) {
  const Message down = fake::Simple(MessageKind::kLeftButtonDown);
  const Message up = fake::Simple(MessageKind::kLeftButtonUp);
  const Message right[] = {fake::Simple(MessageKind::kRightButtonDown),
                           fake::Simple(MessageKind::kRightButtonUp)};
  const Message keyX[] = {fake::KeyDown(platform::kKeyX), fake::KeyUp(platform::kKeyX)};
  struct Row {
    std::deque<Message> beforeTick1, beforeTick2;
    uint32_t mouse, pad;  // tick 1's edges; tick 2 sees none
    bool held;            // whether a release had to wait
  } const rows[] = {
      {{down, up}, {}, kMouseLeft, 0, true},
      {{down, up, down, up}, {}, kMouseLeft, 0, true},
      {{right[0], right[1]}, {}, kMouseRight, 0, true},
      // The key's release reaches the window before the lost focus behind it, or X stays held.
      {{keyX[0], keyX[1], fake::Activate(false)}, {}, 0, kButtonFire1, true},
      {{down}, {up}, kMouseLeft, 0, false},  // held for a tick: as it always was
      {{down, up}, {down}, kMouseLeft, 0, true},
  };
  for (const Row& row : rows) {
    fake::Reset();
    input.appActive = 1;
    clock.now = 1000;
    StartFrameLoop(clock);
    bool held = false;
    for (const std::deque<Message>& script : {row.beforeTick1, row.beforeTick2}) {
      messages.script = script;
      while (!messages.script.empty() || (frameLoop.heldBackCount > 0 && !frameLoop.holding)) {
        Pass();
        held = held || frameLoop.holding;
      }
      clock.now += 17;
      Pass();
    }
    ASSERT_EQ(Ticks(), 2u);
    EXPECT_EQ(fake::record.ticks[0].mousePressed, row.mouse);
    EXPECT_EQ(fake::record.ticks[0].padPressed, row.pad);
    EXPECT_EQ(fake::record.ticks[1].mousePressed | fake::record.ticks[1].padPressed, 0u);
    EXPECT_EQ(held, row.held);
    EXPECT_EQ(input.keyRaw, 0u);
  }
}

TEST_F(FrameLoopTest, AWaitingReleaseSleepsUntilTheTickAndNeverHoldsUpAClose) {
  fake::record.procedure = WindowProcedure;
  clock.now = 1000;
  StartFrameLoop(clock);
  messages.script = {fake::Simple(MessageKind::kLeftButtonDown),
                     fake::Simple(MessageKind::kLeftButtonUp)};
  for (int pass = 0; pass < 3; ++pass) Pass();  // the third finds nothing: it sleeps, not spins
  EXPECT_EQ(messages.waits, std::vector<uint32_t>{17});
  messages.script = {fake::Simple(MessageKind::kClose)};
  Pass();  // the close goes through at once; the quit it posts ends the loop on the next pass
  EXPECT_EQ(RunFrameLoop(fake::TheWindow(), clock, messages), 0);
  EXPECT_EQ(Ticks(), 0u);
}

TEST_F(FrameLoopTest, SecondAndThirdTickOfAPassSeeNoNewEdges) {
  clock.now = 1000;
  StartFrameLoop(clock);
  input.appActive = 1;
  messages.script = {fake::KeyDown(platform::kKeySpace)};
  Pass();
  clock.now = 1100;
  Pass();
  ASSERT_EQ(Ticks(), 3u);
  EXPECT_EQ(fake::record.ticks[0].padPressed, kButtonStart);
  EXPECT_EQ(fake::record.ticks[1].padPressed, 0u);
  EXPECT_EQ(fake::record.ticks[2].padPressed, 0u);
}

TEST_F(FrameLoopTest, KeyboardAndJoystickEdgesAreDetectedSeparately) {
  clock.now = 1000;
  StartFrameLoop(clock);
  input.appActive = 1;
  fake::record.joystickAttached = true;

  // Right arrow first, the stick pushed right a tick later: a second edge for the same bit.
  messages.script = {fake::KeyDown(platform::kKeyRight)};
  Pass();
  clock.now = 1017;
  Pass();
  fake::record.joystick = {0xFFFF, 0x7FFF, 0};
  messages.script = {fake::Simple(MessageKind::kJoyMove)};
  Pass();
  clock.now = 1034;
  Pass();
  ASSERT_EQ(Ticks(), 2u);
  EXPECT_EQ(fake::record.ticks[0].padPressed, kButtonRight);
  EXPECT_EQ(fake::record.ticks[1].padPressed, kButtonRight);

  // Both released, then both held from the same tick: one edge.
  fake::record.joystick = {0x7FFF, 0x7FFF, 0};
  messages.script = {fake::KeyUp(platform::kKeyRight), fake::Simple(MessageKind::kJoyMove)};
  Pass();
  Pass();
  clock.now = 1051;
  Pass();
  fake::record.joystick = {0xFFFF, 0x7FFF, 0};
  messages.script = {fake::KeyDown(platform::kKeyRight), fake::Simple(MessageKind::kJoyMove)};
  Pass();
  Pass();
  clock.now = 1068;
  Pass();
  clock.now = 1085;
  Pass();
  ASSERT_EQ(Ticks(), 5u);
  EXPECT_EQ(fake::record.ticks[2].padPressed, 0u);
  EXPECT_EQ(fake::record.ticks[3].padPressed, kButtonRight);
  EXPECT_EQ(fake::record.ticks[4].padPressed, 0u);
}

TEST_F(FrameLoopTest, IdleLoopSleepsInsteadOfSpinning) {
  clock.now = 1000;
  StartFrameLoop(clock);
  const int passes = RunIdle(10);
  // 10 s at 16.6 ms a tick, each tick on the first whole millisecond past its due time.
  EXPECT_NEAR(static_cast<double>(Ticks()), 10000 / kTickLength, 1.0);
  EXPECT_EQ(fake::record.frames, static_cast<int>(Ticks()));
  // Every pass either ticked or slept until the next tick: two passes a tick, not thousands.
  EXPECT_LE(passes, 2 * static_cast<int>(Ticks()) + 2);
  for (uint32_t wait : messages.waits) {
    EXPECT_GE(wait, 1u);
    EXPECT_LE(wait, 17u);
  }
}

TEST_F(FrameLoopTest, ClockFarPastTwoToTheThirtyTwoKeepsTicking) {
  // Past the point where a 32-bit millisecond count would have wrapped, several times over.
  const uint64_t start = (uint64_t{1} << 32) * 3 + 4000;
  clock.now = start;
  StartFrameLoop(clock);
  EXPECT_DOUBLE_EQ(frameLoop.nextTick, static_cast<double>(start) + kTickLength);
  RunIdle(2);
  EXPECT_NEAR(static_cast<double>(Ticks()), 2000 / kTickLength, 1.0);
  EXPECT_GT(frameLoop.nextTick, static_cast<double>(start + 1990));
}

TEST_F(FrameLoopTest, QuitMessageEndsTheLoopWithItsCode) {
  platform::PostQuitMessage(7);
  EXPECT_EQ(RunFrameLoop(fake::TheWindow(), clock, messages), 7);
  EXPECT_EQ(Ticks(), 0u);
}

}  // namespace
