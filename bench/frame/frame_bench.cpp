// One whole frame of the busiest scene, from DrawFrame through the palette conversion of the
// flip: 32 balloons, 96 particles, the score column and the cross-hair.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "display/display.h"
#include "display/drawing.h"
#include "game/balloons.h"
#include "game/bursts.h"
#include "game/frame.h"
#include "game/game_flow.h"
#include "machine/resources.h"
#include "machine/video.h"
#include "state/input_state.h"
#include "test_bitmap.h"

namespace {

std::vector<uint8_t> fallbackSheet;

bool OpenHeadless() {
  platform::ResourceBytes found{};
  if (!platform::FindResource("char", platform::ResourceType::kBitmap, &found)) {
    // Before the game's sheet exists, a synthetic one of the same size costs the same to draw.
    fallbackSheet = testing_support::BuildSyntheticSheet();
    platform::OverrideResource("CHAR", platform::ResourceType::kBitmap, fallbackSheet.data(),
                               fallbackSheet.size());
  }
  displayContext.spriteTable = kSpriteTable.data();
  displayContext.sheetName = "char";
  displayContext.sheetWidth = 512;
  displayContext.sheetHeight = 512;
  return OpenDisplay(nullptr) == 1;
}

void BusiestScene() {
  ResetGameState();
  game.gameMode = kModePlaying;
  game.playPhase = kPhaseWave;
  game.score = 123450;
  input.appActive = 1;
  input.mouseX = 240;
  input.mouseY = 240;
  for (int i = 0; i < kBalloonSlots; ++i) {
    // Spread over the field, some cut at its edges.
    const int px = (i % 8) * 64 + 8;
    const int py = (i / 8) * 120 + 20;
    balloons[i] = Balloon{1, (px + 272) * 64, (py + 272) * 64, 0, 0, 0, 0, 0, 16 * (1 + i % 6), i};
  }
  for (int s = 0; s < kBurstSlots; ++s) {
    const int px = (s * 37) % 480;
    const int py = (s * 53) % 480;
    bursts[s] = Burst{1, (px + 272) * 64, (py + 272) * 64, 0, 0, 0, s % 3 == 0 ? 0 : 1, s};
  }
}

void BM_BusiestFrame(benchmark::State& state) {
  if (!OpenHeadless()) {
    state.SkipWithError("display did not open");
    return;
  }
  BusiestScene();
  for (auto _ : state) {
    DrawFrame(nullptr);
    benchmark::DoNotOptimize(platform::LastShownPixels());
  }
  CloseDisplay();
}
BENCHMARK(BM_BusiestFrame)->Unit(benchmark::kMicrosecond);

// The palette conversion alone, the part a window's present adds to every frame.
void BM_PaletteConversion(benchmark::State& state) {
  std::vector<uint8_t> pixels(640 * 480);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 7);
  std::vector<uint32_t> lookup(256);
  for (size_t i = 0; i < 256; ++i) lookup[i] = 0xFF000000u | static_cast<uint32_t>(i * 0x010101);
  std::vector<uint32_t> out(640 * 480);
  for (auto _ : state) {
    platform::ConvertToArgb(pixels.data(), 640, 640, 480, lookup.data(), out.data(), 640);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_PaletteConversion)->Unit(benchmark::kMicrosecond);

}  // namespace
