#include "state/game_state.h"

namespace {
constexpr GameState kStartState{kModeBoot, kPhaseSetUp, 0, 0, 3000, 0, kMusicNone, 0};
}  // namespace

GameState game = kStartState;

void ResetGameState() {
  game = kStartState;
}
