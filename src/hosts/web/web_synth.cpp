// The system synthesizer in the browser: FluidSynth compiled to WebAssembly, driven through
// synth.js. Its files load in the background after the page; until the soundfont is in, the
// synthesizer only keeps a channel memory and renders silence, as on the desktop. Where the sound
// goes through the audio worklet, FluidSynth renders there: each message and each render is only
// noted here, in the order the sequencer makes them, and the worklet plays them back at the same
// samples, at the music's gain of the render.
#include "host/synth.h"
#include "machine/audio.h"
#include "machine/audio_mixer.h"
#include "machine/synth_setup.h"

extern "C" {
void skypop_synth_start(int rate, double gain, int polyphony, double roomSize, double damping,
                        double width, double level, int voices, double chorusLevel, double speed,
                        double depth);
int skypop_synth_ready();
void skypop_synth_message(int status, int data1, int data2);
void skypop_synth_all_notes_off();
void skypop_synth_render(float* out, int frames, double gain);
}

namespace platform {
namespace {

class WebSynth final : public Synth {
 public:
  explicit WebSynth(int rate) {
    // Without Web Audio nothing would ever hear it: the soundfont is not worth fetching.
    if (CurrentAudioDevice() == nullptr) return;
    const SynthTuning& t = kSynthTuning;
    skypop_synth_start(rate, t.gain, t.polyphony, t.reverbRoomSize, t.reverbDamping, t.reverbWidth,
                       t.reverbLevel, t.chorusVoices, t.chorusLevel, t.chorusSpeed, t.chorusDepth);
  }

  void ShortMessage(uint32_t message) override {
    const int status = static_cast<int>(message & 0xFFu);
    if (status < 0x80 || status >= 0xF0) return;  // no running status, no system messages
    if (!Ready()) {
      memory_.Note(message);
      return;
    }
    skypop_synth_message(status, static_cast<int>((message >> 8) & 0x7Fu),
                         static_cast<int>((message >> 16) & 0x7Fu));
  }

  void AllNotesOff() override {
    if (Ready()) {
      skypop_synth_all_notes_off();
    } else {
      memory_.LiftPedals();
    }
  }

  // Every render counts, ready or not: the worklet keeps its music in step with the mixer's.
  void Render(float* out, int frames, int /*rate*/) override {
    if (frames <= 0) return;
    Ready();
    skypop_synth_render(out, frames, MusicGain());
  }

  // The page cannot block while the files arrive, so this only says whether they have.
  bool Loaded() { return Ready(); }

 private:
  bool Ready() {
    if (!ready_ && skypop_synth_ready() != 0) {
      ready_ = true;
      memory_.Replay(*this);
    }
    return ready_;
  }

  bool ready_ = false;
  ChannelMemory memory_;
};

WebSynth& Device() {
  static WebSynth device(AudioRate());
  return device;
}

}  // namespace

Synth& SystemSynth() {
  return Device();
}

bool WaitForSystemSynth() {
  return Device().Loaded();
}

// The page always plays the soundfont the site ships beside it; a page has no command line.
void UseSoundfont(const char*) {}

}  // namespace platform
