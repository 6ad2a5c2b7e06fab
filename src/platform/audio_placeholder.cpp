// Placeholder body: the real mixer and device arrive with the sound-effect work.
#include "platform/audio.h"

namespace platform {

bool OpenAudioDevice() { return false; }
void CloseAudioDevice() {}
int AudioRate() { return 44100; }
void AttachAudioSource(AudioSource*) {}
void DetachAudioSource(AudioSource*) {}
void RenderAudio(float* out, int frames) {
  for (int i = 0; i < 2 * frames; ++i) out[i] = 0.0f;
}

}  // namespace platform
