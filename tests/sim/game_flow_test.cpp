#include "game/game_flow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>

#include "fake_sound.h"
#include "game/balloons.h"
#include "game/bursts.h"
#include "game/random_source.h"
#include "game_driver.h"
#include "scores/high_scores.h"
#include "state/input_state.h"
#include "temp_dir.h"

namespace {

using fake_sound::Call;

class GameFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    game_driver::StartGame();
    game_driver::RunTicks(3);  // boot and two title ticks
  }

  // Runs ticks until the predicate holds after one; returns how many ran, or -1.
  static int RunUntil(const std::function<bool()>& done, int limit = 5000) {
    for (int n = 1; n <= limit; ++n) {
      game_driver::RunTick();
      if (done()) return n;
    }
    return -1;
  }

  static bool In(int32_t phase) { return game.gameMode == kModePlaying && game.playPhase == phase; }

  // From the title to the first wave tick.
  static void StartWave() {
    game_driver::Click(300, 300);
    ASSERT_GE(RunUntil([] { return In(kPhaseWave); }), 0);
  }

  // Plays out the wave without a pop, then sets the score it ended with.
  static void FinishWave(int32_t finalScore) {
    ASSERT_GE(RunUntil([] { return In(kPhaseTally); }), 0);
    game.score = finalScore;
  }

  TempWorkingDir dir_;
};

TEST_F(GameFlowTest, BootWaitsForTheFirstActiveTickAndDrawsOneValue) {
  game_driver::StartGame();
  input.appActive = 0;
  game_driver::RunTicks(5);
  EXPECT_EQ(game.gameMode, kModeBoot);
  EXPECT_EQ(fake_sound::state.playingReads, 0);
  input.appActive = 1;
  game_driver::RunTick();
  EXPECT_EQ(game.gameMode, kModeTitle);
  EXPECT_EQ(game.phaseTimer, 0);
  EXPECT_EQ(randomState.randomIndex, 1);
  EXPECT_EQ(fake_sound::state.playingReads, 1);
}

TEST_F(GameFlowTest, TitleLaunchesEvery64TicksStirsAndCyclesItsTimer) {
  game_driver::StartGame();
  game_driver::RunTick();  // boot
  game_driver::RunTicks(129);
  EXPECT_EQ(launchCount, 3);  // title timer 0, 64 and 128
  EXPECT_EQ(randomState.stirIndex, 129);
  EXPECT_EQ(RunUntil([] { return game.phaseTimer == 1025; }), 1025 - 129);
  game_driver::RunTick();
  EXPECT_EQ(game.phaseTimer, 1);
  EXPECT_EQ(bursts[0].active, 0);
}

TEST_F(GameFlowTest, FirstWaveTickIs124TicksAfterTheStartingClick) {
  const int clickTick = game_driver::NextTick();
  game_driver::Click(300, 300);
  EXPECT_EQ(game.playPhase, kPhaseStart);
  EXPECT_EQ(game.phaseTimer, 0);
  EXPECT_EQ(RunUntil([] { return In(kPhaseWave); }), 122);
  EXPECT_EQ(game.phaseTimer, 0);
  EXPECT_EQ(game_driver::NextTick() - clickTick, 124);
  EXPECT_EQ(launchCount, 0);  // title launches are forgotten; the wave starts at row 0
  EXPECT_EQ(game.score, 0);
}

TEST_F(GameFlowTest, WaveEndsOnlyWhen120WereLaunchedAndNoneIsInside) {
  StartWave();
  ASSERT_GE(RunUntil([] { return launchCount == 120; }), 0);
  // The last balloons still rise, hover and leave: the wave waits for them.
  const int lastLaunchTick = game_driver::NextTick() - 1;
  EXPECT_TRUE(In(kPhaseWave));
  ASSERT_GE(RunUntil([] { return In(kPhaseTally); }), 0);
  EXPECT_GT(game_driver::NextTick() - 1 - lastLaunchTick, 100);
  for (const Balloon& b : balloons) EXPECT_EQ(b.active, 0);
  EXPECT_EQ(game.phaseTimer, 0);
}

TEST_F(GameFlowTest, TallyWithoutRankRaisesHiScoreAndGameOverLasts121) {
  for (HighScoreEntry& row : highScores) row.score = 90000;
  game.hiScore = 100;
  StartWave();
  FinishWave(500);
  EXPECT_EQ(RunUntil([] { return game.phaseTimer == 60; }), 60);
  EXPECT_EQ(game.hiScore, 100);
  game_driver::RunTick();
  EXPECT_EQ(game.hiScore, 500);
  EXPECT_EQ(game.newRank, 0);
  // The tally lasts 122 ticks in all; GAME OVER then starts at 1.
  EXPECT_EQ(RunUntil([] { return In(kPhaseGameOver); }), 61);
  EXPECT_EQ(game.phaseTimer, 1);
  EXPECT_EQ(RunUntil([] { return game.gameMode == kModeTitle; }), 121);
  EXPECT_EQ(game.phaseTimer, 0);
}

TEST_F(GameFlowTest, RankedGameRunsNameEntryBoardAndGameOverThenKeepsTheRank) {
  StartWave();
  FinishWave(2200);
  EXPECT_EQ(RunUntil([] { return In(kPhaseNameEntry); }), 122);
  EXPECT_EQ(game.newRank, 3);
  EXPECT_EQ(game.musicSelection, kMusicNameEntry);
  EXPECT_EQ(game.phaseTimer, 1);
  game_driver::RunTicks(30);
  EXPECT_EQ(game.phaseTimer, 31);        // counts while the entry goes on
  game_driver::PressKeys(kButtonFire1);  // selects 'A'
  game_driver::Click(200, 430);          // OK
  EXPECT_TRUE(In(kPhaseBoard));
  EXPECT_STREQ(highScores[2].name, "A         ");
  EXPECT_EQ(RunUntil([] { return In(kPhaseGameOver); }), 241);
  EXPECT_EQ(RunUntil([] { return game.gameMode == kModeTitle; }), 122);
  EXPECT_EQ(game.newRank, 3);
  // Kept through the title until the next game's tally.
  StartWave();
  EXPECT_EQ(game.newRank, 3);
  FinishWave(0);
  RunUntil([] { return game.phaseTimer == 61; });
  EXPECT_EQ(game.newRank, 0);
}

TEST_F(GameFlowTest, AFinishedNameIsSavedAtOnce) {
  StartWave();
  FinishWave(5000);
  RunUntil([] { return In(kPhaseNameEntry); });
  game_driver::Click(200, 430);
  FILE* file = std::fopen("KIPO.INI", "r");
  ASSERT_NE(file, nullptr);
  char line[64] = {};
  ASSERT_NE(std::fgets(line, sizeof(line), file), nullptr);
  std::fclose(file);
  EXPECT_STREQ(line, "5000 @@@@@@@@@@\n");
}

TEST_F(GameFlowTest, OnlyTheWavePausesAndItWaitsForStart) {
  game_driver::Click(300, 300);
  game_driver::RunTicks(10);
  input.appActive = 0;
  const int32_t startTimer = game.phaseTimer;
  game_driver::RunTicks(20);
  EXPECT_EQ(game.phaseTimer, startTimer);
  EXPECT_EQ(game.gamePaused, 0);
  EXPECT_EQ(fake_sound::Count(Call::kPauseMusic), 0);
  input.appActive = 1;
  ASSERT_GE(RunUntil([] { return game.phaseTimer == 100 && In(kPhaseWave); }), 0);

  const int blurTick = game_driver::NextTick();
  input.appActive = 0;
  game_driver::RunTicks(3);
  EXPECT_EQ(game.gamePaused, 1);
  EXPECT_EQ(fake_sound::Count(Call::kPauseMusic), 3);
  EXPECT_EQ(fake_sound::state.calls.back().tick, blurTick + 2);
  input.appActive = 1;
  const int reads = fake_sound::state.playingReads;
  Balloon before[kBalloonSlots];
  std::copy(std::begin(balloons), std::end(balloons), before);
  for (const Balloon& b : balloons) {
    if (b.active) game_driver::Click((b.x >> 6) - 272, (b.y >> 6) - 272);
  }
  game_driver::PressKeys(kButtonFire1);
  EXPECT_EQ(game.phaseTimer, 100);
  EXPECT_EQ(game.gamePaused, 1);
  EXPECT_EQ(game.score, 0);
  EXPECT_GE(fake_sound::state.playingReads, reads + 4);  // the music is still reconciled
  for (int i = 0; i < kBalloonSlots; ++i) {
    EXPECT_EQ(balloons[i].y, before[i].y);
    EXPECT_EQ(balloons[i].active, before[i].active);
  }

  const int resumeTick = game_driver::NextTick();
  game_driver::PressKeys(kButtonStart);
  EXPECT_EQ(game.gamePaused, 0);
  EXPECT_EQ(game.phaseTimer, 101);  // the resume tick itself does not move the wave
  ASSERT_GE(fake_sound::state.calls.size(), 2u);
  const auto& calls = fake_sound::state.calls;
  EXPECT_EQ(calls[calls.size() - 2].call, Call::kResumeMusic);
  EXPECT_EQ(calls.back().call, Call::kEffect);
  EXPECT_EQ(calls.back().argument, 0);
  EXPECT_EQ(calls.back().tick, resumeTick);
}

// The music over a ranked game: silence at START, BOSA from the tick that leaves START, a stop
// at tally tick 60, PARIS from the tick that leaves the tally, silence on the way back to title.
TEST_F(GameFlowTest, MusicChangesAtTheFlowsTicks) {
  game_driver::Click(300, 300);
  fake_sound::state.playing = true;  // something left playing from before
  fake_sound::state.track = 1;
  const int startTick = game_driver::NextTick();  // the first START tick
  game_driver::RunTick();
  ASSERT_EQ(fake_sound::CallsOnTick(startTick), "stop");
  RunUntil([] { return In(kPhaseWave); });
  const int waveSelected = game_driver::NextTick() - 1;
  EXPECT_EQ(waveSelected - startTick, 121);
  EXPECT_EQ(fake_sound::CallsOnTick(waveSelected), "song0");

  // A song that ends while it is selected starts again on the next active tick.
  game_driver::RunTicks(50);
  fake_sound::EndSong();
  game_driver::RunTick();
  EXPECT_EQ(fake_sound::CallsOnTick(game_driver::NextTick() - 1), "song0");
  // Ending while the game is inactive: restarted on the first active tick.
  input.appActive = 0;
  game_driver::RunTick();
  fake_sound::EndSong();
  game_driver::RunTicks(5);
  EXPECT_EQ(fake_sound::Count(Call::kPlaySong), 2);
  input.appActive = 1;
  game_driver::RunTick();
  EXPECT_EQ(fake_sound::Count(Call::kPlaySong), 3);
  game_driver::PressKeys(kButtonStart);

  FinishWave(4000);
  RunUntil([] { return game.phaseTimer == 61; });
  EXPECT_EQ(fake_sound::CallsOnTick(game_driver::NextTick() - 1), "stop");
  EXPECT_EQ(game.musicSelection, kMusicNone);
  RunUntil([] { return In(kPhaseNameEntry); });
  EXPECT_EQ(fake_sound::CallsOnTick(game_driver::NextTick() - 1), "song1");
  game_driver::Click(200, 430);
  RunUntil([] { return game.gameMode == kModeTitle; });
  EXPECT_EQ(fake_sound::CallsOnTick(game_driver::NextTick() - 1), "stop");
  EXPECT_FALSE(fake_sound::state.playing);
}

TEST_F(GameFlowTest, AFailingSongIsAskedForAgainEveryActiveTick) {
  fake_sound::state.songsFail = true;
  StartWave();
  const int before = fake_sound::Count(Call::kPlaySong, 0);
  game_driver::RunTicks(4);
  EXPECT_EQ(fake_sound::Count(Call::kPlaySong, 0), before + 4);
}

TEST_F(GameFlowTest, UnusedPhasesOnlyReconcileTheMusic) {
  game.gameMode = kModePlaying;
  game.playPhase = 4;
  game.phaseTimer = 9;
  game.musicSelection = kMusicWave;
  game_driver::RunTicks(2);
  EXPECT_EQ(game.playPhase, 4);
  EXPECT_EQ(game.phaseTimer, 9);
  EXPECT_EQ(fake_sound::Count(Call::kPlaySong, 0), 1);
}

}  // namespace
