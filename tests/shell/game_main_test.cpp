// The entry: start-up and teardown in order, the failure paths, the exit code.
#include "shell/game_main.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes.h"
#include "game/game_flow.h"
#include "machine/message_queue.h"
#include "shell/frame_loop.h"
#include "state/input_state.h"

namespace {

using platform::MessageKind;

class GameMainTest : public ::testing::Test {
 protected:
  void SetUp() override { fake::Reset(); }
  void TearDown() override { fake::Reset(); }

  fake::Clock clock;
  fake::Messages messages{&clock};
};

const std::vector<std::string> kStartUp = {"CreateGameWindow SKYPOP FRENZY",
                                           "OpenAudioDevice",
                                           "OpenMusic",
                                           "OpenSoundBank",
                                           "CaptureJoystick",
                                           "ShowWindow",
                                           "OpenDisplay char 512x512",
                                           "HidePointer",
                                           "LoadScores",
                                           "ResetRandom"};
const std::vector<std::string> kTearDown = {"DestroyWindow",  "KeepTypedName", "SaveScoresAtClose",
                                            "CloseDisplay",   "CloseMusic",    "CloseSoundBank",
                                            "ReleaseJoystick"};
const std::vector<std::string> kShutDown = {"CloseAudioDevice", "ShutDownPlatform"};

std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST_F(GameMainTest, EscapeRunsStartUpLoopAndTeardownInOrderAndExitsWithZero) {
  clock.now = 70000;
  input.keyRaw = 0xFF;  // whatever was left over must not reach the first tick
  input.keyPrev = 0xFF;
  game.gameMode = kModePlaying;
  messages.script = {fake::Activate(true), fake::KeyDown(platform::kKeyEscape)};

  EXPECT_EQ(GameMain(clock, messages), 0);
  EXPECT_EQ(fake::record.calls, Joined({kStartUp, kTearDown, kShutDown}));
  EXPECT_EQ(fake::record.songNames, (std::vector<std::string>{"BOSA", "PARIS"}));
  EXPECT_EQ(fake::record.effectNames, (std::vector<std::string>{"BANN", "HYUU"}));
  EXPECT_EQ(game.gameMode, kModeBoot);
  EXPECT_EQ(input.keyRaw, 0u);
  EXPECT_EQ(input.keyPrev, 0u);
  EXPECT_DOUBLE_EQ(frameLoop.nextTick, 70016.6);  // no tick was due before the quit
  EXPECT_TRUE(fake::record.ticks.empty());
}

TEST_F(GameMainTest, GameTicksAndDrawsUntilClosed) {
  clock.now = 1000;
  // Half a second of nothing, then the close: the fake queue only offers it once the loop has
  // slept its way through the script's gap.
  struct Closer final : platform::MessageSource {
    fake::Clock* clock;
    bool PeekMessage(platform::Message* out) override {
      if (platform::TakePostedMessage(out)) return true;
      if (clock->now < 1500) return false;
      *out = fake::Simple(MessageKind::kClose);
      return true;
    }
    void WaitMessage(uint32_t timeoutMs) override { clock->now += timeoutMs; }
  } closer;
  closer.clock = &clock;
  EXPECT_EQ(GameMain(clock, closer), 0);
  EXPECT_NEAR(static_cast<double>(fake::record.ticks.size()), 500 / kTickLength, 1.0);
  EXPECT_EQ(fake::record.frames, static_cast<int>(fake::record.ticks.size()));
}

TEST_F(GameMainTest, DisplayFailureTearsDownWithoutLoadingScoresOrRunningTheLoop) {
  fake::record.openDisplayResult = 0;
  messages.script = {fake::Activate(true)};
  EXPECT_EQ(GameMain(clock, messages), 1);
  // Start-up as far as the display, its own clean-up, then the ordinary teardown.
  const std::vector<std::string> upToDisplay(kStartUp.begin(),
                                             kStartUp.begin() + 7);  // ends at OpenDisplay
  ASSERT_EQ(upToDisplay.back(), "OpenDisplay char 512x512");
  const std::vector<std::string> expected =
      Joined({upToDisplay, {"CloseDisplay"}, kTearDown, kShutDown});
  EXPECT_EQ(fake::record.calls, expected);
  EXPECT_EQ(messages.peeks, 0);  // the loop never ran
  EXPECT_EQ(input.appActive, 0u);
}

TEST_F(GameMainTest, WindowFailureEndsWithOneAndOpensNothing) {
  fake::record.windowFails = true;
  EXPECT_EQ(GameMain(clock, messages), 1);
  const std::vector<std::string> expected = {"CreateGameWindow", "CloseAudioDevice",
                                             "ShutDownPlatform"};
  EXPECT_EQ(fake::record.calls, expected);
}

TEST_F(GameMainTest, NoSoundLeavesOutTheDeviceAndNoMusicLeavesOutTheMusic) {
  const struct {
    SoundChoice choice;
    std::vector<std::string> leftOut;
  } cases[] = {
      {{true, false}, {"OpenMusic"}},
      {{false, false}, {"OpenAudioDevice", "OpenMusic"}},
  };
  for (const auto& c : cases) {
    fake::Reset();
    messages.script = {fake::Activate(true), fake::KeyDown(platform::kKeyEscape)};
    EXPECT_EQ(GameMain(clock, messages, c.choice), 0);
    std::vector<std::string> startUp;
    for (const std::string& call : kStartUp) {
      if (std::find(c.leftOut.begin(), c.leftOut.end(), call) == c.leftOut.end()) {
        startUp.push_back(call);
      }
    }
    EXPECT_EQ(fake::record.calls, Joined({startUp, kTearDown, kShutDown}));
  }
}

}  // namespace
