#include "song_render.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>

#include "hosts/sdl/fluid_tuning.h"
#include "song_stream.h"

namespace {

constexpr int kRate = 44100;
constexpr int kChunkFrames = 256;  // the game's synthesizer renders in slices of this size
constexpr int kTailFrames = 2 * kRate;

void Render(fluid_synth_t* synth, int64_t frames, std::vector<float>& out) {
  while (frames > 0) {
    const int n = static_cast<int>(std::min<int64_t>(frames, kChunkFrames));
    const size_t at = out.size();
    out.resize(at + 2 * static_cast<size_t>(n));
    fluid_synth_write_float(synth, n, out.data() + at, 0, 2, out.data() + at, 1, 2);
    frames -= n;
  }
}

}  // namespace

std::vector<float> RenderSong(const std::string& soundfont, const std::string& song) {
  std::ifstream in(song, std::ios::binary);
  const std::vector<uint8_t> mids{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
  int division = 0;
  std::vector<songs::StreamEvent> events;
  std::string error;
  if (!songs::ReadMids(mids, division, events, error)) return {};

  fluid_settings_t* settings = platform::NewGameFluidSettings(kRate);
  fluid_synth_t* synth = new_fluid_synth(settings);
  std::vector<float> out;
  if (fluid_synth_sfload(synth, soundfont.c_str(), 1) != FLUID_FAILED) {
    // Ticks to samples as the game's sequencer counts them: whole samples, the remainder
    // carried to the next event.
    uint64_t tempo = 500000, fraction = 0;
    uint32_t lastTick = 0;
    for (const songs::StreamEvent& e : events) {
      const uint64_t numerator = (e.tick - lastTick) * tempo * kRate + fraction;
      const uint64_t denominator = uint64_t{1000000} * static_cast<uint64_t>(division);
      lastTick = e.tick;
      fraction = numerator % denominator;
      Render(synth, static_cast<int64_t>(numerator / denominator), out);
      if ((e.word >> 24) == 1)
        tempo = e.word & 0xFFFFFF;
      else if ((e.word >> 24) == 0)
        platform::PlayShortMessage(synth, e.word & 0xFFFFFF);
    }
    platform::ReleaseAllNotes(synth);  // the game's all-notes-off at the end
    Render(synth, kTailFrames, out);
  }
  delete_fluid_synth(synth);
  delete_fluid_settings(settings);
  return out;
}

float Peak(const std::vector<float>& samples) {
  float peak = 0;
  for (float s : samples) peak = std::max(peak, std::fabs(s));
  return peak;
}
