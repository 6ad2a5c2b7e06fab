// The General-MIDI synthesizer behind the music stream. Every call comes from the audio thread
// (or from a test that renders on request).
#pragma once

#include <cstdint>

namespace platform {

class Synth {
 public:
  virtual ~Synth() = default;
  // Plays one short MIDI message: status in the low byte, then the two data bytes.
  virtual void ShortMessage(uint32_t message) = 0;
  // Releases every sounding note on every channel (sustain pedal lifted too).
  virtual void AllNotesOff() = 0;
  // Adds `frames` stereo frames of the synthesizer's output at `rate` Hz into `out`.
  virtual void Render(float* out, int frames, int rate) = 0;
};

// The host's synthesizer (on the desktop, FluidSynth with a GM soundfont), created on first use;
// the soundfont loads on a background thread and the synthesizer is silent until it is ready or
// when there is none.
Synth& SystemSynth();
// Names the soundfont the system synthesizer tries before the game's own and the system's (the
// player's --soundfont); call before the music starts. Null or empty: those two only.
void UseSoundfont(const char* path);
// Waits until the system synthesizer has finished loading; true when it can sound (tools and
// benchmarks only).
bool WaitForSystemSynth();

}  // namespace platform
