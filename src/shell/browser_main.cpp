// SKYPOP FRENZY in a web page: the same start-up and the same loop pass as the desktop, but the
// page calls the pass from its animation frames, since a page may not loop on its own.
#include <cstdio>

#include "game/game_flow.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/page.h"
#include "scores/high_scores.h"
#include "shell/frame_loop.h"
#include "shell/game_main.h"

namespace {

// The score file lives in the page's persistent folder; the path outlives main.
char scorePath[256];
WindowHandle gameWindow = nullptr;

bool Pass() {
  int exitCode = 0;
  if (RunFramePass(gameWindow, platform::SystemClock(), platform::WindowMessages(), &exitCode)) {
    return true;
  }
  CloseGame();
  gameWindow = nullptr;
  return false;
}

}  // namespace

// What the page's test hooks read: the game's mode, phase and score, and when the next tick is
// due (it moves exactly when a pass has ticked).
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

int main() {
  std::snprintf(scorePath, sizeof scorePath, "%s/KIPO.INI", platform::PersistentFolder());
  SetScoreFiles(scorePath, nullptr);
  gameWindow = OpenGame(platform::SystemClock());
  if (gameWindow == nullptr) {
    CloseGame();
    return 0;
  }
  platform::RunOnPageFrames(Pass);
  return 0;
}
