// The SDL audio device behind the mixer: stereo float at the device's own rate, with a short
// buffer so an effect asked for on one tick is heard well within the next couple of ticks.
#include <SDL.h>

#include <cstdio>

#include "machine/audio.h"
#include "machine/audio_mixer.h"
#include "machine/printable.h"

namespace platform {
namespace {

constexpr int kFallbackRate = 44100;
// 512 frames is 11.6 ms at 44.1 kHz; SDL keeps about two buffers in flight, so a pop starts
// within ~23 ms of the tick that asks for it.
constexpr int kBufferFrames = 512;

SDL_AudioDeviceID device = 0;

void FillFromMixer(void*, Uint8* stream, int len) {
  // We asked for float stereo and allowed only the rate to change, so SDL hands us exactly that
  // and converts to the hardware's own format itself.
  RenderAudio(reinterpret_cast<float*>(stream), len / static_cast<int>(2 * sizeof(float)));
}

int PreferredRate() {
  SDL_AudioSpec preferred;
  SDL_zero(preferred);
  if (SDL_GetDefaultAudioInfo(nullptr, &preferred, 0) == 0 && preferred.freq > 0) {
    return preferred.freq;
  }
  return kFallbackRate;
}

}  // namespace

bool OpenAudioDevice() {
  if (CurrentAudioDevice() != nullptr) return true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "skypop: no audio device: %s; playing without sound\n",
                 Printable(SDL_GetError()).c_str());
    return false;
  }
  SDL_AudioSpec want;
  SDL_zero(want);
  want.freq = PreferredRate();
  want.format = AUDIO_F32SYS;
  want.channels = 2;
  want.samples = static_cast<Uint16>(want.freq > 48000 ? 2 * kBufferFrames : kBufferFrames);
  want.callback = FillFromMixer;
  SDL_AudioSpec have;
  SDL_zero(have);
  device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
  if (device == 0) {
    std::fprintf(stderr, "skypop: no audio device: %s; playing without sound\n",
                 Printable(SDL_GetError()).c_str());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  // The callback is still paused: the mixer learns the rate before it renders a single frame.
  StartMixer(have.freq);
  SDL_PauseAudioDevice(device, 0);
  return true;
}

void CloseAudioDevice() {
  if (device != 0) {
    SDL_CloseAudioDevice(device);  // waits for a callback in progress, then stops it for good
    device = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  StopMixer();
}

}  // namespace platform
