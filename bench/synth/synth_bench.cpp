// What one second of music costs the audio thread at the song's busiest: the stream and
// FluidSynth (rendered directly), and the whole mixer pass (which includes them once the mixer
// carries the stream). Plays BOSA when it is embedded, else a deliberately crowded stand-in.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "host/synth.h"
#include "machine/audio.h"
#include "machine/midi_stream.h"
#include "machine/resources.h"
#include "sound/music_player.h"

namespace {

constexpr int kDeviceFrames = 1024;  // what one device callback asks for
const char* const kNames[] = {"BOSA"};

void PutWord(std::vector<uint8_t>& out, uint32_t word) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(word >> (8 * i)));
}

// A crowded song of 12 full blocks at 80 beats a minute: every sixteenth a three-note chord on
// four instruments and a drum, each note held for a quarter.
std::vector<uint8_t> CrowdedSong() {
  std::vector<uint8_t> events;
  auto event = [&](uint32_t delta, uint32_t stream, uint32_t word) {
    PutWord(events, delta);
    PutWord(events, stream);
    PutWord(events, word);
  };
  event(0, 0xFFFFFFFF, 0x01000000 | 750000);
  const int programs[4][2] = {{1, 53}, {2, 32}, {3, 1}, {7, 25}};
  for (const auto& p : programs) event(0, 0, 0xC0u | p[0] | p[1] << 8);
  const int chord[3] = {60, 64, 67};
  uint32_t pending = 0;
  for (int step = 0; events.size() + 12 * 40 < 12 * 4092; ++step) {
    for (const auto& p : programs) {
      for (int n : chord) {
        event(pending, 0, 0x900000u | 100u << 16 | static_cast<uint32_t>(n + step % 7) << 8 | p[0]);
        pending = 0;
        if (step >= 4) {
          event(0, 0, 0x800000u | static_cast<uint32_t>(n + (step - 4) % 7) << 8 | p[0]);
        }
      }
    }
    event(0, 0, 0x99u | (step % 2 ? 42u : 36u) << 8 | 110u << 16);
    pending = 24;
  }
  std::vector<uint8_t> data;
  const size_t blockBytes = 341 * 12;
  const size_t blocks = (events.size() + blockBytes - 1) / blockBytes;
  PutWord(data, static_cast<uint32_t>(blocks));
  for (size_t b = 0; b < blocks; ++b) {
    const size_t from = b * blockBytes;
    const size_t count = std::min(blockBytes, events.size() - from);
    PutWord(data, 0);
    PutWord(data, static_cast<uint32_t>(count));
    data.insert(data.end(), events.begin() + static_cast<long>(from),
                events.begin() + static_cast<long>(from + count));
  }
  std::vector<uint8_t> form = {'R', 'I', 'F', 'F', 0,   0,   0,  0, 'M', 'I',
                               'D', 'S', 'f', 'm', 't', ' ', 12, 0, 0,   0};
  PutWord(form, 96);
  PutWord(form, 4096);
  PutWord(form, 0);
  form.insert(form.end(), {'d', 'a', 't', 'a'});
  PutWord(form, static_cast<uint32_t>(data.size()));
  form.insert(form.end(), data.begin(), data.end());
  const uint32_t riff = static_cast<uint32_t>(form.size() - 8);
  for (int i = 0; i < 4; ++i)
    form[4 + static_cast<size_t>(i)] = static_cast<uint8_t>(riff >> (8 * i));
  return form;
}

struct Music {
  std::vector<uint8_t> crowded;
  std::vector<float> out = std::vector<float>(2 * kDeviceFrames);
  int rate = 0;
  int busiestSecond = 0;
  bool ready = false;
};

Music& TheMusic() {
  static Music music;
  return music;
}

// Output level of the last pass that asked for it.
struct Level {
  double peak = 0;
  double sumOfSquares = 0;
  int64_t samples = 0;
};

void RenderSecondOfStream(Music& m, Level* level = nullptr) {
  for (int done = 0; done < m.rate; done += kDeviceFrames) {
    const int n = std::min(kDeviceFrames, m.rate - done);
    std::fill(m.out.begin(), m.out.end(), 0.0f);
    platform::MidiOutputSource().MixInto(m.out.data(), n, m.rate);
    if (level == nullptr) continue;
    for (int i = 0; i < 2 * n; ++i) {
      const double v = m.out[static_cast<size_t>(i)];
      level->peak = std::max(level->peak, std::abs(v));
      level->sumOfSquares += v * v;
    }
    level->samples += 2 * n;
  }
}

void RenderSecondOfMixer(Music& m) {
  for (int done = 0; done < m.rate; done += kDeviceFrames) {
    platform::RenderAudio(m.out.data(), std::min(kDeviceFrames, m.rate - done));
  }
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Starts the song over and plays it silently up to the start of second `second`.
void CueSecond(Music& m, int second) {
  StopMusic();
  PlaySong(0);
  for (int s = 0; s < second; ++s) RenderSecondOfStream(m);
}

// Sets up once: loads the song, waits for the soundfont, finds the costliest second.
bool Prepare() {
  Music& m = TheMusic();
  if (m.ready) return true;
  platform::ResourceBytes bosa;
  if (!platform::FindResource("BOSA", platform::ResourceType::kMids, &bosa)) {
    m.crowded = CrowdedSong();
    platform::OverrideResource("BOSA", platform::ResourceType::kMids, m.crowded.data(),
                               m.crowded.size());
    std::printf("BOSA is not embedded: measuring a crowded stand-in song\n");
  }
  OpenMusic(nullptr, kNames, 1);
  if (!platform::WaitForSystemSynth()) {
    std::printf("no soundfont: nothing to measure\n");
    return false;
  }
  m.rate = platform::AudioRate();
  // Two timed passes through the whole song; each second keeps its quicker time, so one
  // disturbance of the machine does not pick the wrong second.
  std::vector<double> seconds;
  Level level;
  for (int pass = 0; pass < 2; ++pass) {
    StopMusic();
    if (!PlaySong(0)) return false;
    for (size_t s = 0; MusicPlaying(); ++s) {
      const auto start = std::chrono::steady_clock::now();
      RenderSecondOfStream(m, pass == 1 ? &level : nullptr);
      const double took = Seconds(start);
      if (pass == 0) seconds.push_back(took);
      if (s < seconds.size()) seconds[s] = std::min(seconds[s], took);
    }
  }
  m.busiestSecond =
      static_cast<int>(std::max_element(seconds.begin(), seconds.end()) - seconds.begin());
  std::printf(
      "%zu seconds of music at %d Hz, busiest second %d, peak %.3f, rms %.4f\n", seconds.size(),
      m.rate, m.busiestSecond, level.peak,
      std::sqrt(level.sumOfSquares / static_cast<double>(std::max<int64_t>(level.samples, 1))));
  m.ready = true;
  return true;
}

// Times `render` over the busiest second, cued afresh (and untimed) before each pass; a fixed
// number of passes, because the cueing costs far more than a cheap render. Seconds of
// work per second of music is the share of one core.
template <typename Render>
void MeasureBusiestSecond(benchmark::State& state, Render render) {
  if (!Prepare()) {
    state.SkipWithError("no synthesizer");
    return;
  }
  Music& m = TheMusic();
  double total = 0;
  for (auto _ : state) {
    CueSecond(m, m.busiestSecond);
    const auto start = std::chrono::steady_clock::now();
    render(m);
    const double took = Seconds(start);
    state.SetIterationTime(took);
    total += took;
  }
  state.counters["core_share_pct"] = 100.0 * total / static_cast<double>(state.iterations());
}

void BM_StreamAndSynthBusiestSecond(benchmark::State& state) {
  MeasureBusiestSecond(state, [](Music& m) { RenderSecondOfStream(m); });
}
BENCHMARK(BM_StreamAndSynthBusiestSecond)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(30);

void BM_MixerBusiestSecond(benchmark::State& state) {
  MeasureBusiestSecond(state, RenderSecondOfMixer);
}
BENCHMARK(BM_MixerBusiestSecond)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(30);

}  // namespace

BENCHMARK_MAIN();
