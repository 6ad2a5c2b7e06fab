// An effect resource of any bytes: the RIFF walk and the clip conversion must refuse what they
// cannot play, and a clip that loads must play to its end through the mixer.
#include <cstdint>
#include <vector>

#include "machine/audio.h"
#include "machine/resources.h"
#include "sound/sound_bank.h"

namespace {

constexpr const char* kNames[] = {"FUZZ"};
constexpr int kSliceFrames = 4096;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::OpenAudioDeviceWithoutOutput();
  platform::OverrideResource("FUZZ", platform::ResourceType::kWave, data, size);
  OpenSoundBank(nullptr, kNames, 1);
  if (soundBank.audioDevice != nullptr) {
    static std::vector<float> out(2 * kSliceFrames);
    PlayEffect(0);
    const int frames = platform::ClipFrames(soundBank.clips[0]);
    for (int done = 0; done <= frames; done += kSliceFrames) {
      platform::RenderAudio(out.data(), kSliceFrames);
    }
    PlayEffect(0);  // a restart half-way is the game's common case
    platform::RenderAudio(out.data(), kSliceFrames / 2);
  }
  ResetSoundBank();
  platform::ClearResourceOverrides();
  platform::ResetAudio();
  return 0;
}
