// PLACEHOLDER until the browser's audio device lands: no device, so the game runs silently with
// the mixer open and nothing pulling it.
#include "platform/audio.h"
#include "platform/audio_mixer.h"

namespace platform {

bool OpenAudioDevice() {
  OpenAudioDeviceWithoutOutput();
  return false;
}

void CloseAudioDevice() {
  StopMixer();
}

}  // namespace platform
