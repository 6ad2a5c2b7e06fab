// A host with no machine behind it, for the machine's own tests: no sound device (the mixer runs
// output-less, pulled by the test), and clips converted by the portable resampler.
#include "host/audio_device.h"
#include "host/clip_conversion.h"
#include "machine/audio.h"
#include "machine/audio_mixer.h"
#include "machine/clip_resampling.h"

namespace platform {

bool OpenAudioDevice() {
  return CurrentAudioDevice() != nullptr;
}

void CloseAudioDevice() {
  StopMixer();
}

bool ConvertToMixerFormat(const WaveFormat& format, const uint8_t* samples, size_t byteCount,
                          int rate, std::vector<float>* out) {
  return ResampleToMixerFormat(format, samples, byteCount, rate, out);
}

}  // namespace platform
