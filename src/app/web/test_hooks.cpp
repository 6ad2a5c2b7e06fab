// What the browser tests and the benchmark read of the game, exported only from the test build
// of the site (site-test/): the game's mode, phase and score, and when the next tick is due (it
// moves exactly when a pass has ticked); and a ranked game's end without playing one.
#include <cstring>

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
