// What DrawFrame asks the primitives for, in order, for each mode and phase.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/balloons.h"
#include "game/bursts.h"
#include "game/frame.h"
#include "game/game_flow.h"
#include "game_reset.h"
#include "recording_drawing.h"
#include "scores/high_scores.h"
#include "scores/name_entry.h"
#include "state/input_state.h"

namespace {

using testing_support::DrawCall;
using testing_support::DrawCalls;
using testing_support::Field;
using testing_support::Screen;
using testing_support::Text;

class FrameCallsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::ResetGameWideState();
    // Start from empty pools whatever the pools' own reset does.
    for (Balloon& b : balloons) b = Balloon{};
    for (Burst& b : bursts) b = Burst{};
    NameEntryStep(0);
    DrawCalls().clear();
    input.appActive = 1;
  }

  static std::vector<DrawCall> Compose() {
    DrawCalls().clear();
    DrawFrame(nullptr);
    return DrawCalls();
  }

  static std::vector<DrawCall> ScoreColumn() {
    char hi[16];
    char now[16];
    FormatNumber(game.hiScore, hi, 8);
    FormatNumber(game.score, now, 8);
    return {Text(31, 1, "HI-SCORE", 1), Text(31, 2, hi, 0), Text(31, 4, "SCORE", 1),
            Text(31, 5, now, 0)};
  }

  static std::vector<DrawCall> CrossHair(int x, int y) {
    return {Screen(x, y, 1), Screen(x - 5, y - 5, 2), Screen(x + 5, y - 5, 3),
            Screen(x - 5, y + 5, 4), Screen(x + 5, y + 5, 5)};
  }

  static bool Contains(const std::vector<DrawCall>& calls, const DrawCall& call) {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
  }

  // The calls a frame makes beyond those of `base`, which it otherwise matches.
  static std::vector<DrawCall> Inserted(const std::vector<DrawCall>& base,
                                        const std::vector<DrawCall>& with) {
    size_t i = 0;
    while (i < base.size() && base[i] == with[i]) ++i;
    const size_t extra = with.size() - base.size();
    return {with.begin() + static_cast<ptrdiff_t>(i),
            with.begin() + static_cast<ptrdiff_t>(i + extra)};
  }

  static void Play(int phase) {
    game.gameMode = kModePlaying;
    game.playPhase = phase;
  }
};

TEST_F(FrameCallsTest, NothingAtAllWhileTheGameIsNotTheActiveApplication) {
  input.appActive = 0;
  Play(kPhaseWave);
  balloons[0].active = 1;
  EXPECT_TRUE(Compose().empty());
}

TEST_F(FrameCallsTest, WaveFrameDrawsStarsBalloonsDotsScoreAndCrossHairInThatOrder) {
  Play(kPhaseWave);
  game.score = 180;
  input.mouseX = 100;
  input.mouseY = 200;
  auto burst = [](int slot, int kind, int age) {
    bursts[slot] = Burst{1, 20000 + slot, 30000 + slot, 0, 0, 0, kind, age};
  };
  burst(0, 1, 3);   // white star turning backwards
  burst(1, 1, 11);  // yellow star forwards, frame 3
  burst(2, 0, 17);  // grey dot, third size
  burst(4, 1, 0);   // white star, frame 0
  burst(5, 0, 0);   // red dot, full size
  burst(6, 1, 5);   // yellow star backwards
  balloons[3] = Balloon{1, 25000, 26000, 0, 0, 0, 0, 0, 32, 9};
  balloons[7] = Balloon{1, 27000, 28000, 0, 0, 0, 0, 0, 96, 63};

  std::vector<DrawCall> expected = {
      DrawCall{"fill", 11, 0, 0, 0, 0, {}},
      DrawCall{"rect", 0, 0, 480, 480, 0, {}},
      Field(20000, 30000, 124),
      Field(20001, 30001, 115),
      Field(20004, 30004, 127),
      Field(20006, 30006, 114),
      Field(25000, 26000, 34),
      Field(27000, 28000, 111),
      Field(20002, 30002, 138),
      Field(20005, 30005, 132),
  };
  for (const DrawCall& c : ScoreColumn()) expected.push_back(c);
  for (const DrawCall& c : CrossHair(100, 200)) expected.push_back(c);
  expected.push_back(DrawCall{"flip", 0, 0, 0, 0, 0, {}});
  EXPECT_EQ(Compose(), expected);
}

TEST_F(FrameCallsTest, CrossHairOnlyOverTheFieldInStartAndWave) {
  Play(kPhaseWave);
  input.mouseX = 479;
  input.mouseY = 10;
  EXPECT_TRUE(Contains(Compose(), Screen(484, 5, 3)));
  input.mouseX = 480;
  auto calls = Compose();
  EXPECT_FALSE(Contains(calls, Screen(480, 10, 1)));
  EXPECT_TRUE(Contains(calls, Screen(480, 10, 0)));
  input.mouseX = 10;
  for (int phase : {kPhaseSetUp, kPhaseTally, kPhaseNameEntry, kPhaseBoard, kPhaseGameOver}) {
    Play(phase);
    EXPECT_TRUE(Contains(Compose(), Screen(10, 10, 0))) << phase;
  }
  Play(kPhaseStart);
  EXPECT_TRUE(Contains(Compose(), Screen(10, 10, 1)));
  game.gameMode = kModeTitle;
  EXPECT_TRUE(Contains(Compose(), Screen(10, 10, 0)));
}

TEST_F(FrameCallsTest, FieldContentsFollowTheModeAndPhase) {
  balloons[0] = Balloon{1, 25000, 26000, 0, 0, 0, 0, 0, 16, 0};
  bursts[1] = Burst{1, 20000, 20000, 0, 0, 0, 1, 0};
  game.gameMode = kModeTitle;
  auto calls = Compose();
  EXPECT_TRUE(Contains(calls, Field(25000, 26000, 16)));
  EXPECT_FALSE(Contains(calls, Field(20000, 20000, 112)));
  for (int phase : {kPhaseStart, kPhaseWave, kPhaseTally, kPhaseGameOver}) {
    Play(phase);
    calls = Compose();
    EXPECT_TRUE(Contains(calls, Field(25000, 26000, 16))) << phase;
    EXPECT_TRUE(Contains(calls, Field(20000, 20000, 112))) << phase;
  }
  for (int phase : {kPhaseSetUp, kPhaseNameEntry, kPhaseBoard}) {
    Play(phase);
    calls = Compose();
    EXPECT_FALSE(Contains(calls, Field(25000, 26000, 16))) << phase;
  }
  game.gameMode = kModeBoot;
  EXPECT_FALSE(Contains(Compose(), Field(25000, 26000, 16)));
}

TEST_F(FrameCallsTest, TitleBlinksItsPromptAndGivesWayToTheBoard) {
  game.gameMode = kModeTitle;
  game.phaseTimer = 0x1F;
  auto calls = Compose();
  EXPECT_TRUE(Contains(calls, Text(8, 4, "SKYPOP FRENZY ", 2)));
  EXPECT_FALSE(Contains(calls, Text(6, 23, "PUSH MOUSE BUTTON", 0)));
  EXPECT_TRUE(Contains(calls, Text(12, 27, "NORVE.", 1)));
  EXPECT_TRUE(Contains(calls, Text(7, 29, "01234567PQRSTUVW", 3)));
  game.phaseTimer = 0x20;
  EXPECT_TRUE(Contains(Compose(), Text(6, 23, "PUSH MOUSE BUTTON", 0)));
  game.phaseTimer = 512 + 0x20;
  calls = Compose();
  EXPECT_TRUE(Contains(calls, Text(10, 8, "BEST PLAYER", 0)));
  EXPECT_TRUE(Contains(calls, Text(8, 4, "SKYPOP FRENZY ", 2)));  // the board's own heading
  EXPECT_TRUE(Contains(calls, Text(6, 23, "PUSH MOUSE BUTTON", 0)));
  game.phaseTimer = 511;
  EXPECT_FALSE(Contains(Compose(), Text(10, 8, "BEST PLAYER", 0)));
}

TEST_F(FrameCallsTest, PhaseTextsAndPauseComeBeforeTheScoreColumn) {
  Play(kPhaseStart);
  game.gamePaused = 1;
  auto calls = Compose();
  ASSERT_GE(calls.size(), 6u);
  EXPECT_EQ(calls[2], Text(12, 18, "PAUSE", 1));
  EXPECT_EQ(calls[3], Text(8, 20, "PUSH SPACE KEY", 0));  // how to resume, under it
  EXPECT_EQ(calls[4], Text(11, 12, "START !", 1));
  EXPECT_EQ(calls[5], Text(31, 1, "HI-SCORE", 1));
  Play(kPhaseGameOver);
  game.gamePaused = 0;
  EXPECT_TRUE(Contains(Compose(), Text(10, 12, "GAME OVER", 1)));
  Play(kPhaseBoard);
  calls = Compose();
  EXPECT_TRUE(Contains(calls, Text(10, 8, "BEST PLAYER", 0)));
  EXPECT_FALSE(Contains(calls, Text(3, 21, "A B C D E F G H I J K L M", 1)));
}

TEST_F(FrameCallsTest, SelectionBoxFollowsTheMouseZonesOfTheNameEntry) {
  Play(kPhaseNameEntry);
  input.mouseX = 600;
  input.mouseY = 10;
  const auto base = Compose();
  EXPECT_TRUE(Contains(base, Text(3, 21, "A B C D E F G H I J K L M", 1)));
  auto boxAt = [&](int x, int y) {
    input.mouseX = static_cast<uint32_t>(x);
    input.mouseY = static_cast<uint32_t>(y);
    auto with = Compose();
    // The pointer moved with the mouse; compare everything before it.
    with.pop_back();
    with.pop_back();
    auto trimmed = base;
    trimmed.pop_back();
    trimmed.pop_back();
    return Inserted(trimmed, with);
  };
  const std::vector<DrawCall> firstSymbol = {Text(2, 20, " = ", 3), Text(2, 21, "< >", 3),
                                             Text(2, 22, " ]", 3)};
  EXPECT_EQ(boxAt(40, 328), firstSymbol);
  EXPECT_EQ(boxAt(71, 359), firstSymbol);
  EXPECT_EQ(boxAt(455, 423), (std::vector<DrawCall>{Text(26, 24, " = ", 3), Text(26, 25, "< >", 3),
                                                    Text(26, 26, " ]", 3)}));
  EXPECT_TRUE(boxAt(456, 400).empty());
  EXPECT_TRUE(boxAt(39, 400).empty());
  EXPECT_TRUE(boxAt(100, 327).empty());
  const std::vector<DrawCall> back = {Text(17, 26, "====", 3), Text(16, 27, "<    >", 3),
                                      Text(17, 28, "]]]]", 3)};
  EXPECT_EQ(boxAt(264, 424), back);
  EXPECT_EQ(boxAt(343, 455), back);
  const std::vector<DrawCall> ok = {Text(12, 26, "==", 3), Text(11, 27, "<  >", 3),
                                    Text(12, 28, "]]", 3)};
  EXPECT_EQ(boxAt(184, 424), ok);
  EXPECT_EQ(boxAt(231, 455), ok);
  EXPECT_TRUE(boxAt(232, 440).empty());
  EXPECT_TRUE(boxAt(263, 440).empty());
  EXPECT_TRUE(boxAt(200, 456).empty());
}

}  // namespace
