// What the browser tests and the benchmark read of the game, exported only from the test build
// of the site (site-test/): the game's mode, phase and score, and when the next tick is due (it
// moves exactly when a pass has ticked); where a balloon is, for the benchmarks that pop them on
// real time; and a ranked game's end without playing one.
#include <cstring>

#include "game/balloons.h"
#include "scores/high_scores.h"
#include "shell/frame_loop.h"
#include "state/game_state.h"

extern "C" {
int SkypopGameMode() {
  return game.gameMode;
}
int SkypopPlayPhase() {
  return game.playPhase;
}
int SkypopScore() {
  return game.score;
}
int SkypopGamePaused() {
  return game.gamePaused;
}
double SkypopNextTick() {
  return frameLoop.nextTick;
}
// Where a click pops the balloon in `slot` (x | y << 16, picture pixels), or -1 when none floats
// there. Balloon positions are in 64ths of a pixel, offset by 272 pixels on both axes.
int SkypopBalloonSpot(int slot) {
  if (slot < 0 || slot >= kBalloonSlots || balloons[slot].active != 1) return -1;
  const int x = balloons[slot].x / 64 - 272;
  const int y = balloons[slot].y / 64 - 272;
  if (x < 0 || x >= 640 || y < 0 || y >= 480) return -1;
  return x | (y << 16);
}
// Ranks `score` as a game's end does and saves it as the name entry does, the name ten of
// `letter`; returns the rank (0: not ranked).
int SkypopRankScore(int score, int letter) {
  game.score = score;
  const int rank = RankScore();
  if (rank == 0) return 0;
  std::memset(highScores[rank - 1].name, letter, 10);
  SaveScores();
  return rank;
}
}
