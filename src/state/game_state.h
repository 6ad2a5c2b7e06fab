// The game-wide values of the game flow: the two-level state (mode and phase) and what the
// scores, the name entry and the board read of it. They sit below the game, the scores and the
// shell, so that each can read them without depending on the others.
#pragma once

#include <cstdint>

enum GameMode : int32_t {
  kModeBoot = 0,
  kModeTitle = 1,
  kModePlaying = 2,
};

enum PlayPhase : int32_t {
  kPhaseSetUp = 0,
  kPhaseStart = 1,
  kPhaseWave = 3,
  kPhaseTally = 5,
  kPhaseNameEntry = 6,
  kPhaseBoard = 7,
  kPhaseGameOver = 8,
};

// musicSelection values.
constexpr int32_t kMusicNone = 0;
constexpr int32_t kMusicWave = 1;       // track 0, BOSA
constexpr int32_t kMusicNameEntry = 2;  // track 1, PARIS

struct GameState {
  int32_t gameMode;
  int32_t playPhase;
  int32_t phaseTimer;
  int32_t score;
  int32_t hiScore;
  int32_t newRank;
  int32_t musicSelection;
  uint8_t gamePaused;
};

extern GameState game;

// Puts the game state back to its program-start values (hiScore 3000, the rest 0).
void ResetGameState();
