// A song resource of any bytes: the MIDS walk must refuse what it cannot hold, and a song that
// loads is played through the real stream and sequencer into a synth that only checks what it
// is sent, with pauses and a stop on the way, as the game does.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "host/synth.h"
#include "machine/midi_stream.h"
#include "machine/resources.h"
#include "sound/music_player.h"

namespace {

constexpr const char* kNames[] = {"FUZZ"};
constexpr int kRate = 44100;
constexpr int kSliceFrames = 1024;
constexpr int kMostSlices = 400;  // about nine seconds of music; slow songs are cut off there

// A short message is three bytes at most (the synthesizer itself ignores a missing status);
// renders come in whole slices at the stream's rate.
class CheckingSynth final : public platform::Synth {
 public:
  void ShortMessage(uint32_t message) override {
    if ((message & 0xFF000000u) != 0) std::abort();
  }
  void AllNotesOff() override {}
  void Render(float*, int frames, int rate) override {
    if (frames < 0 || rate != kRate) std::abort();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CheckingSynth synth;
  static std::vector<float> out(2 * kSliceFrames);
  platform::UseMidiSynth(&synth);
  platform::OverrideResource("FUZZ", platform::ResourceType::kMids, data, size);
  OpenMusic(nullptr, kNames, 1);
  if (PlaySong(0)) {
    for (int slice = 0; slice < kMostSlices && MusicPlaying(); ++slice) {
      if (slice == 3) PauseMusic();
      if (slice == 5) ResumeMusic();
      platform::MidiOutputSource().MixInto(out.data(), kSliceFrames, kRate);
    }
    StopMusic();
    // Once stopped, a song plays again from its first block.
    if (PlaySong(0)) platform::MidiOutputSource().MixInto(out.data(), kSliceFrames, kRate);
  }
  ResetMusicPlayer();
  platform::ClearResourceOverrides();
  platform::ResetMidiOutput();
  return 0;
}
