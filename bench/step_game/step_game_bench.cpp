// StepGame on the busiest wave tick there is: 32 balloons in the field, 96 particles in flight,
// a click that pops a balloon and a scheduled launch into the slot it frees. The state is put
// back before every step; BM_RestoreOnly times that alone so it can be subtracted.
#include <benchmark/benchmark.h>

#include "game/balloons.h"
#include "game/bursts.h"
#include "game/game_flow.h"
#include "game/random_source.h"
#include "state/input_state.h"

namespace {

struct Snapshot {
  Balloon balloons[kBalloonSlots];
  Burst bursts[kBurstSlots];
  GameState game;
  RandomState random;
  InputState input;
  int32_t launchCount;
  int32_t launchDelay;
  int32_t scheduleRow;
};

Snapshot busy;

constexpr int32_t Fixed(int pixel) {
  return (pixel + 272) * 64;
}

void BuildBusyTick() {
  ResetGameState();
  ResetRandom();
  ResetInputState();
  game.gameMode = kModePlaying;
  game.playPhase = kPhaseWave;
  game.phaseTimer = 1500;
  game.musicSelection = kMusicWave;
  for (int i = 0; i < kBalloonSlots; ++i) {
    Balloon& b = balloons[i];
    b = Balloon{1,
                Fixed(20 + (i % 8) * 55),
                Fixed(60 + (i / 8) * 100),
                32,
                -64,
                Fixed(200),
                kHovering,
                30,
                16,
                i};
  }
  for (int i = 0; i < kBurstSlots; ++i) {
    bursts[i] = Burst{1, Fixed(240), Fixed(240), (i % 7) - 3, -(i % 5), (i & 1) * 8, i & 1, i % 30};
  }
  launchCount = 60;
  launchDelay = 1;  // a launch falls due on this tick
  scheduleRow = 16;
  input.appActive = 1;
  input.mouseX = 20 + 3 * 55;  // the centre of a balloon in the last row
  input.mouseY = 360;
  input.mousePressed = kMouseLeft;

  std::copy(std::begin(balloons), std::end(balloons), busy.balloons);
  std::copy(std::begin(bursts), std::end(bursts), busy.bursts);
  busy.game = game;
  busy.random = randomState;
  busy.input = input;
  busy.launchCount = launchCount;
  busy.launchDelay = launchDelay;
  busy.scheduleRow = scheduleRow;
}

void Restore() {
  std::copy(std::begin(busy.balloons), std::end(busy.balloons), balloons);
  std::copy(std::begin(busy.bursts), std::end(busy.bursts), bursts);
  game = busy.game;
  randomState = busy.random;
  input = busy.input;
  launchCount = busy.launchCount;
  launchDelay = busy.launchDelay;
  scheduleRow = busy.scheduleRow;
}

void BM_StepGameBusyWave(benchmark::State& state) {
  BuildBusyTick();
  for (auto _ : state) {
    Restore();
    StepGame(nullptr);
    benchmark::DoNotOptimize(game.score);
    benchmark::ClobberMemory();
  }
  // Guard against timing the wrong tick: the click must have popped and the launch happened.
  if (game.score != 100 || launchCount != 61) state.SkipWithError("not the busy tick");
}
BENCHMARK(BM_StepGameBusyWave);

void BM_RestoreOnly(benchmark::State& state) {
  BuildBusyTick();
  for (auto _ : state) {
    Restore();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_RestoreOnly);

}  // namespace
