#include "song_render.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>

#include "machine/synth_setup.h"
#include "song_stream.h"

namespace {

constexpr int kRate = 44100;
constexpr int kChunkFrames = 256;  // the game's synthesizer renders in slices of this size
constexpr int kTailFrames = 2 * kRate;

// Settings exactly as the game's synthesizer sets them.
fluid_settings_t* GameSettings() {
  fluid_settings_t* settings = new_fluid_settings();
  const platform::SynthTuning& tuning = platform::kSynthTuning;
  fluid_settings_setnum(settings, "synth.sample-rate", kRate);
  fluid_settings_setnum(settings, "synth.gain", tuning.gain);
  fluid_settings_setint(settings, "synth.polyphony", tuning.polyphony);
  fluid_settings_setnum(settings, "synth.reverb.room-size", tuning.reverbRoomSize);
  fluid_settings_setnum(settings, "synth.reverb.damp", tuning.reverbDamping);
  fluid_settings_setnum(settings, "synth.reverb.width", tuning.reverbWidth);
  fluid_settings_setnum(settings, "synth.reverb.level", tuning.reverbLevel);
  fluid_settings_setint(settings, "synth.chorus.nr", tuning.chorusVoices);
  fluid_settings_setnum(settings, "synth.chorus.level", tuning.chorusLevel);
  fluid_settings_setnum(settings, "synth.chorus.speed", tuning.chorusSpeed);
  fluid_settings_setnum(settings, "synth.chorus.depth", tuning.chorusDepth);
  return settings;
}

void Play(fluid_synth_t* synth, uint32_t message) {
  const int channel = message & 0x0F, data1 = (message >> 8) & 0x7F, data2 = (message >> 16) & 0x7F;
  switch (message & 0xF0) {
    case 0x80:
      fluid_synth_noteoff(synth, channel, data1);
      break;
    case 0x90:
      fluid_synth_noteon(synth, channel, data1, data2);
      break;
    case 0xA0:
      fluid_synth_key_pressure(synth, channel, data1, data2);
      break;
    case 0xB0:
      fluid_synth_cc(synth, channel, data1, data2);
      break;
    case 0xC0:
      fluid_synth_program_change(synth, channel, data1);
      break;
    case 0xD0:
      fluid_synth_channel_pressure(synth, channel, data1);
      break;
    case 0xE0:
      fluid_synth_pitch_bend(synth, channel, data1 | data2 << 7);
      break;
    default:
      break;
  }
}

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

  fluid_settings_t* settings = GameSettings();
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
        Play(synth, e.word & 0xFFFFFF);
    }
    for (int channel = 0; channel < 16; ++channel) {  // the game's all-notes-off at the end
      fluid_synth_cc(synth, channel, 64, 0);
      fluid_synth_all_notes_off(synth, channel);
    }
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
