// What every General-MIDI synthesizer behind the music stream shares, whichever machine it runs
// on: how it is tuned, and what each channel was told while the synthesizer was still loading.
#pragma once

#include <array>
#include <cstdint>

#include "host/synth.h"

namespace platform {

// The music sits under the effects (full-scale samples): with this gain a crowded GM arrangement
// peaks near 0.2 and averages about -27 dBFS. FluidSynth's own default, 0.2, is far quieter.
// A small room, mostly dry, and a light chorus.
struct SynthTuning {
  double gain = 0.7;
  int polyphony = 256;
  double reverbRoomSize = 0.4;
  double reverbDamping = 0.4;
  double reverbWidth = 0.7;
  double reverbLevel = 0.35;
  int chorusVoices = 3;
  double chorusLevel = 0.6;
  double chorusSpeed = 0.3;
  double chorusDepth = 4.0;
};
inline constexpr SynthTuning kSynthTuning{};

// The soundfont loads in the background and the stream may start a song before it is there. Until
// then the synthesizer only notes what each channel has been told (programs, controllers, bends)
// and replays that when it can sound, so a song that started early still gets its instruments.
class ChannelMemory {
 public:
  ChannelMemory();
  // Notes a channel message (status in the low byte); notes and system messages are not kept.
  void Note(uint32_t message);
  // All notes off before the synthesizer is there: a pedal noted down is now up.
  void LiftPedals();
  // Tells `synth` everything noted, channel by channel: controllers, then program, then bend.
  void Replay(Synth& synth) const;

 private:
  static constexpr int kChannels = 16;
  static constexpr int kControllers = 120;  // 120 and up are mode messages
  struct Channel {
    int program = -1;  // -1 while never set
    int pitchBend = -1;
    std::array<int8_t, kControllers> controllers;
  };
  std::array<Channel, kChannels> channels_;
};

}  // namespace platform
