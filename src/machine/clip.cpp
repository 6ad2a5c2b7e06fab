// A clip is one more source of the mixer. The game thread and the audio thread share a single
// atomic command word, so PlayClip never waits for the audio thread and the callback never waits
// for the game: the game writes the latest command, the audio thread acts on it when it next
// renders. The converted samples are written once, before the clip is attached, and only read
// after that.
#include "machine/clip.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#include "host/clip_conversion.h"
#include "machine/audio.h"
#include "machine/audio_source.h"

namespace platform {
namespace {

// Effects are fractions of a second long. These bounds keep a damaged or hostile format from
// asking the converter for gigabytes (or overflowing its int lengths): a clip outside them is a
// failed load of that effect, never a crash.
constexpr uint32_t kLowestRate = 1000;
constexpr uint16_t kMostChannels = 8;
constexpr uint64_t kLargestConvertedBytes = 4u << 20;  // about 12 s of stereo float at 44.1 kHz

bool IsPlayableFormat(const WaveFormat& format) {
  const uint16_t bits = format.bitsPerSample;
  if (bits != 8 && bits != 16 && bits != 32) return false;
  if (format.channels == 0 || format.channels > kMostChannels) return false;
  if (format.samplesPerSecond < kLowestRate || format.samplesPerSecond > kHighestClipRate)
    return false;
  return format.blockAlign == format.channels * bits / 8;
}

// The size of the clip once converted to stereo float at `rate`, rounded up a frame.
uint64_t ConvertedBytes(const WaveFormat& format, size_t byteCount, int rate) {
  const uint64_t frames = byteCount / format.blockAlign;
  const uint64_t outFrames = frames * static_cast<uint64_t>(rate) / format.samplesPerSecond + 1;
  return outFrames * 2 * sizeof(float);
}

}  // namespace

class Clip final : public AudioSource {
 public:
  Clip(std::vector<float> samples, int rate)
      : samples_(std::move(samples)), frames_(static_cast<int>(samples_.size() / 2)), rate_(rate) {}

  int frames() const { return frames_; }

  // Game thread. The low bit says play (1) or stop (0); the rest counts commands, so two plays
  // in a row still read as a new command and restart the clip.
  void Command(bool play) {
    const uint32_t last = command_.load(std::memory_order_relaxed);
    command_.store(((last + 2) & ~1u) | (play ? 1u : 0u), std::memory_order_release);
  }

  // Audio thread.
  void MixInto(float* out, int frames, int rate) override {
    const uint32_t command = command_.load(std::memory_order_acquire);
    if (command != seen_) {
      seen_ = command;
      position_ = 0;
      sounding_ = (command & 1u) != 0;
    }
    if (!sounding_ || rate != rate_) return;
    const int count = std::min(frames, frames_ - position_);
    const float* from = samples_.data() + 2 * static_cast<size_t>(position_);
    for (int i = 0; i < 2 * count; ++i) out[i] += from[i];
    position_ += count;
    if (position_ >= frames_) sounding_ = false;
  }

 private:
  const std::vector<float> samples_;  // interleaved stereo at rate_
  const int frames_;
  const int rate_;
  std::atomic<uint32_t> command_{0};
  // Owned by the audio thread.
  uint32_t seen_ = 0;
  int position_ = 0;
  bool sounding_ = false;
};

Clip* CreateClip(const WaveFormat& format, const uint8_t* samples, size_t byteCount) {
  const int rate = AudioRate();
  if (rate <= 0 || !IsPlayableFormat(format)) return nullptr;
  if (ConvertedBytes(format, byteCount, rate) > kLargestConvertedBytes) return nullptr;
  std::vector<float> converted;
  if (!ConvertToMixerFormat(format, samples, byteCount, rate, &converted)) return nullptr;
  Clip* clip = new (std::nothrow) Clip(std::move(converted), rate);
  if (clip != nullptr) AttachAudioSource(clip);
  return clip;
}

void PlayClip(Clip* clip) {
  if (clip != nullptr) clip->Command(true);
}

void StopClip(Clip* clip) {
  if (clip != nullptr) clip->Command(false);
}

void DestroyClip(Clip* clip) {
  if (clip == nullptr) return;
  DetachAudioSource(clip);
  delete clip;
}

int ClipFrames(const Clip* clip) {
  return clip != nullptr ? clip->frames() : 0;
}

}  // namespace platform
