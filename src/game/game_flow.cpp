// One tick of game logic: the two-level state machine of mode (boot, title, playing) and play
// phase, the pause on losing focus, and the music the current state wants.
#include "game/game_flow.h"

#include "game/balloons.h"
#include "game/bursts.h"
#include "game/random_source.h"
#include "scores/high_scores.h"
#include "scores/name_entry.h"
#include "sound/music_player.h"
#include "sound/sound_bank.h"
#include "state/input_state.h"

namespace {
constexpr int32_t kTitleLaunchMask = 63;  // a decorative balloon every 64 title ticks
constexpr int kTitleHoverTicks = 48;
constexpr int32_t kTitleCycle = 1024;
constexpr int32_t kShortPhaseEnd = 120;  // START, tally and GAME OVER
constexpr int32_t kBoardEnd = 240;
constexpr int32_t kRankingTick = 60;
constexpr int32_t kWaveLaunches = 120;
constexpr int32_t kFirstLaunchDelay = 10;

void EnterPhase(int32_t phase, int32_t timer) {
  game.playPhase = phase;
  game.phaseTimer = timer;
}

void StepBoot() {
  NextRandom();  // only advances the source
  ClearBalloons();
  game.gameMode = kModeTitle;
  game.playPhase = kPhaseSetUp;
  game.score = 0;
  game.gamePaused = 0;
  game.musicSelection = kMusicNone;
}

void StepTitle() {
  if ((game.phaseTimer & kTitleLaunchMask) == 0) LaunchBalloon(kTitleHoverTicks);
  MoveBalloons();
  if (input.mousePressed & kMouseLeft) {
    // The rest of the title tick still runs.
    game.gameMode = kModePlaying;
    game.playPhase = kPhaseSetUp;
  }
  game.phaseTimer = game.phaseTimer > kTitleCycle ? 1 : game.phaseTimer + 1;
  StirRandom();
}

void Rank() {
  if (game.hiScore < game.score) game.hiScore = game.score;
  game.newRank = RankScore();
  if (game.newRank != 0) {
    game.musicSelection = kMusicNone;
    StopMusic();  // the wave's music stops at once, not at the end of the tick
  }
}

void StepStart() {
  if (game.phaseTimer == 0) {
    StopMusic();
    game.musicSelection = kMusicNone;
  }
  MoveBalloons();
  MoveBursts();
  if (game.phaseTimer > kShortPhaseEnd) {
    EnterPhase(kPhaseWave, 0);
    game.musicSelection = kMusicWave;
  } else {
    ++game.phaseTimer;
  }
}

void StepWave() {
  PopBalloons();
  ScheduleStep();
  const int inside = MoveBalloons();
  MoveBursts();
  // Hovering or leaving balloons keep the wave going after the last launch.
  if (inside == 0 && launchCount >= kWaveLaunches) {
    EnterPhase(kPhaseTally, 0);
  } else {
    ++game.phaseTimer;
  }
}

void StepTally() {
  MoveBalloons();
  MoveBursts();
  if (game.phaseTimer == kRankingTick) Rank();
  if (game.phaseTimer <= kShortPhaseEnd) {
    ++game.phaseTimer;
  } else if (game.newRank == 0) {
    EnterPhase(kPhaseGameOver, 1);
  } else {
    EnterPhase(kPhaseNameEntry, 1);
    NameEntryStep(0);
    game.musicSelection = kMusicNameEntry;
  }
}

void StepNameEntry() {
  if (NameEntryStep(1)) {
    EnterPhase(kPhaseBoard, 0);
  } else {
    ++game.phaseTimer;
  }
}

void StepBoard() {
  if (game.phaseTimer > kBoardEnd) {
    EnterPhase(kPhaseGameOver, 0);
  } else {
    ++game.phaseTimer;
  }
}

void StepGameOver() {
  if (game.phaseTimer <= kShortPhaseEnd) {
    ++game.phaseTimer;
    return;
  }
  game.gameMode = kModeTitle;
  game.phaseTimer = 0;
  game.musicSelection = kMusicNone;
  ClearBalloons();
  ClearBursts();
}

void StepPlaying() {
  if (game.gamePaused == 1) {
    if (input.padPressed & kButtonStart) {
      ResumeMusic();
      PlayEffect(0);
      game.gamePaused = 0;
    }
    return;  // nothing moves while paused, not even the timer
  }
  switch (game.playPhase) {
    case kPhaseSetUp:
      ClearBalloons();
      ClearBursts();
      game.score = 0;
      launchCount = 0;
      launchDelay = kFirstLaunchDelay;
      EnterPhase(kPhaseStart, 0);
      break;
    case kPhaseStart:
      StepStart();
      break;
    case kPhaseWave:
      StepWave();
      break;
    case kPhaseTally:
      StepTally();
      break;
    case kPhaseNameEntry:
      StepNameEntry();
      break;
    case kPhaseBoard:
      StepBoard();
      break;
    case kPhaseGameOver:
      StepGameOver();
      break;
    default:
      break;  // phases 2 and 4 are never entered
  }
}

// A song that played to its end reads as not playing, so a selection that stands restarts it
// here on the next active tick: the music loops for as long as it stays selected.
void ReconcileMusic() {
  const bool playing = MusicPlaying();
  if (playing && game.musicSelection == kMusicNone) {
    StopMusic();
  } else if (!playing && game.musicSelection != kMusicNone) {
    PlaySong(game.musicSelection - 1);
  }
}
}  // namespace

void StepGame(WindowHandle) {
  if (input.appActive == 0) {
    // Only a running wave notices losing focus; everything else simply stands still.
    if (game.gameMode == kModePlaying && game.playPhase == kPhaseWave) {
      PauseMusic();
      game.gamePaused = 1;
    }
    return;
  }
  switch (game.gameMode) {
    case kModeBoot:
      StepBoot();
      break;
    case kModeTitle:
      StepTitle();
      break;
    case kModePlaying:
      StepPlaying();
      break;
    default:
      break;
  }
  ReconcileMusic();
}
