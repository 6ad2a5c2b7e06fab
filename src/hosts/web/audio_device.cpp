// The browser's audio device: Web Audio, through audio.js. Browsers let a page make sound only
// after the player has clicked or pressed a key, so opening the device here only prepares it; the
// first click (the title's "PUSH MOUSE BUTTON") starts it. Until then nothing pulls the mixer,
// which is harmless: the game does not wait for its sounds.
#include <emscripten/emscripten.h>

#include <array>

#include "machine/audio.h"
#include "machine/audio_mixer.h"

extern "C" {
// Prepares the output at `rate` with `frames`-frame buffers read from `buffer`, bending a sum it
// makes itself under full scale from `knee` up, as the mixer does; 0 without Web Audio.
int skypop_audio_open(int rate, int frames, float* buffer, double knee);
void skypop_audio_close();
}

namespace platform {
namespace {

// The graph runs at the rate we ask for rather than the hardware's, so the effects can be
// converted and the synthesizer built before the first click creates it; 48 kHz is what most
// hardware runs at, so the browser seldom has to resample.
constexpr int kRate = 48000;
// The most one render asks of the mixer. The audio worklet is handed blocks of 256 frames
// (audio.js); the ScriptProcessor, where there is no worklet, runs on the page's main thread
// beside the frame loop with a second buffer in flight: 512 frames (10.7 ms) twice over keeps a
// pop within ~22 ms of its tick and still leaves the main thread room for a frame between two
// callbacks.
constexpr int kBufferFrames = 512;

// Where the mixer writes each render: the heap, read directly by audio.js, and never reallocated
// while the device is open.
std::array<float, 2 * kBufferFrames> output{};
bool prepared = false;  // audio.js holds the buffer and waits for the first click

}  // namespace

bool OpenAudioDevice() {
  if (CurrentAudioDevice() != nullptr) return true;
  // The mixer learns the rate before anything can be converted for it or rendered by it.
  if (skypop_audio_open(kRate, kBufferFrames, output.data(), kSoftLimitKnee) == 0) return false;
  prepared = true;
  StartMixer(kRate);
  return true;
}

void CloseAudioDevice() {
  if (prepared) {
    skypop_audio_close();  // every render runs on this thread, so none is in progress
    prepared = false;
  }
  StopMixer();
}

}  // namespace platform

// audio.js's render: fills the buffer handed over at open with the next `frames` frames, bent
// under full scale unless `limited` is 0 (the audio worklet adds the music to them first).
extern "C" EMSCRIPTEN_KEEPALIVE void skypop_audio_render(int frames, int limited) {
  if (frames <= 0 || frames > platform::kBufferFrames) return;
  if (limited != 0) {
    platform::RenderAudio(platform::output.data(), frames);
  } else {
    platform::RenderAudioUnlimited(platform::output.data(), frames);
  }
}
