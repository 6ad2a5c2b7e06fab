// What the mixer costs the audio thread: one 10 ms slice of output with both effects sounding,
// rendered from the real effect clips through the sound bank. The share of a core is the time
// per slice divided by the 10 ms the slice lasts.
#include <benchmark/benchmark.h>

#include <vector>

#include "machine/audio.h"
#include "machine/player_settings.h"
#include "sound/sound_bank.h"

namespace {

// state.range(0) is the master volume: at 100 the effects are added straight into the output,
// below it each passes through the mixer's scratch slice to be scaled.
void MixTenMillisecondsOfBothEffects(benchmark::State& state) {
  platform::PlayerSettings settings;
  settings.masterVolume = static_cast<int>(state.range(0));
  platform::ApplyPlayerSettings(settings);
  platform::OpenAudioDeviceWithoutOutput();
  static const char* const kNames[] = {"BANN", "HYUU"};
  OpenSoundBank(nullptr, kNames, 2);
  if (soundBank.audioDevice == nullptr) {
    state.SkipWithError("the effects did not load");
    return;
  }
  const int frames = platform::AudioRate() / 100;
  std::vector<float> out(2 * static_cast<size_t>(frames));
  int slice = 0;
  for (auto _ : state) {
    // Both effects last 200 ms: start them again every 20 slices so they always sound.
    if (slice++ % 20 == 0) {
      PlayEffect(0);
      PlayEffect(1);
    }
    platform::RenderAudio(out.data(), frames);
    benchmark::DoNotOptimize(out.data());
  }
  const double secondsOfAudio =
      static_cast<double>(state.iterations()) * frames / platform::AudioRate();
  // CPU time per 1 % of the audio rendered: the percentage of a core the mixing takes.
  state.counters["core_percent"] = benchmark::Counter(
      secondsOfAudio / 100.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  ResetSoundBank();
  platform::ResetAudio();
  platform::ResetPlayerSettings();
}
BENCHMARK(MixTenMillisecondsOfBothEffects)->Arg(100)->Arg(50)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
