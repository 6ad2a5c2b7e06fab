// SKYPOP FRENZY in a web page: the same start-up and the same loop pass as the desktop, but the
// page calls the pass from its animation frames, since a page may not loop on its own.
#include <cstdio>

#include "app/web/score_storage.h"
#include "host/clock.h"
#include "host/messages.h"
#include "host/page.h"
#include "scores/high_scores.h"
#include "shell/frame_loop.h"
#include "shell/game_main.h"
#include "state/game_state.h"

namespace {

// The score file lives in the page's persistent folder; the path outlives main.
char scorePath[256];
WindowHandle gameWindow = nullptr;
bool resumeShown = false;

// A paused wave waits for Start, and a phone has neither a Space key nor a gamepad: while the
// wave waits, the page shows a button that sends it.
void OfferResume() {
  const bool paused =
      game.gameMode == kModePlaying && game.playPhase == kPhaseWave && game.gamePaused != 0;
  if (paused == resumeShown) return;
  resumeShown = paused;
  platform::ShowResume(paused);
}

bool Pass() {
  int exitCode = 0;
  if (RunFramePass(gameWindow, platform::SystemClock(), platform::WindowMessages(), &exitCode)) {
    OfferResume();
    KeepScoresStored(false);
    return true;
  }
  CloseGame();  // saves the table, as at any end
  gameWindow = nullptr;
  KeepScoresStored(true);
  return false;
}

}  // namespace

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
