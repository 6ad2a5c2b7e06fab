// What the browser tests and the benchmark read of the game, exported only from the test build
// of the site (site-test/): the game's mode, phase and score, and when the next tick is due (it
// moves exactly when a pass has ticked).
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
}
