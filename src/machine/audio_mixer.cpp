// The mixer: sums every attached source into the output, on whichever thread asks (the device
// callback in the game, the test itself in the tests). Plain C++, no SDL.
//
// One mutex guards the source list. The audio thread holds it while it renders; the game thread
// holds it only for the few assignments of an attach or detach, so the callback never waits on
// game work, and a detached source is never touched again once DetachAudioSource returns.
#include "machine/audio_mixer.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <mutex>

#include "machine/audio.h"

namespace platform {

// The token a sound user holds while a device is open. There is one device, so one token.
struct AudioDevice {
  int unused;
};

namespace {

constexpr int kMaxSources = 16;
constexpr int kRateWithoutDevice = 44100;

std::mutex mixerLock;
std::array<AudioSource*, kMaxSources> sources{};
std::array<SoundGroup, kMaxSources> groups{};
int sourceCount = 0;

// A source below full level renders here first, a slice at a time, and is added scaled.
constexpr int kScratchFrames = 512;
std::array<float, 2 * kScratchFrames> scratch{};

std::atomic<float> musicGain{1.0f};
std::atomic<float> effectsGain{1.0f};

std::atomic<int> mixerRate{kRateWithoutDevice};
std::atomic<bool> deviceOpen{false};
AudioDevice theDevice{};

// A pop over a whistle, or over the music, can sum past full scale. Up to the knee the sum passes
// untouched; above it the peak is bent smoothly towards full scale instead of being cut flat,
// which would crackle, or wrapping around in an integer device format.
constexpr float kKnee = kSoftLimitKnee;

float SoftLimit(float v) {
  const float size = std::fabs(v);
  if (size <= kKnee) return v;
  return std::copysign(kKnee + (1.0f - kKnee) * std::tanh((size - kKnee) / (1.0f - kKnee)), v);
}

void MixScaled(AudioSource* source, float gain, float* out, int frames, int rate) {
  if (gain == 1.0f) {
    source->MixInto(out, frames, rate);
    return;
  }
  for (int done = 0; done < frames; done += kScratchFrames) {
    const int n = std::min(kScratchFrames, frames - done);
    std::fill(scratch.begin(), scratch.begin() + 2 * n, 0.0f);
    source->MixInto(scratch.data(), n, rate);
    float* to = out + 2 * done;
    for (int i = 0; i < 2 * n; ++i) to[i] += gain * scratch[static_cast<size_t>(i)];
  }
}

}  // namespace

void SetMixerGains(float music, float effects) {
  musicGain.store(std::clamp(music, 0.0f, 1.0f));
  effectsGain.store(std::clamp(effects, 0.0f, 1.0f));
}

float MusicGain() {
  return musicGain.load();
}

void StartMixer(int rate) {
  mixerRate.store(rate > 0 ? rate : kRateWithoutDevice);
  deviceOpen.store(true);
}

void StopMixer() {
  deviceOpen.store(false);
  mixerRate.store(kRateWithoutDevice);
}

void OpenAudioDeviceWithoutOutput() {
  if (deviceOpen.load()) return;
  StartMixer(kRateWithoutDevice);
}

AudioDevice* CurrentAudioDevice() {
  return deviceOpen.load() ? &theDevice : nullptr;
}

int AudioRate() {
  return mixerRate.load();
}

void AttachAudioSource(AudioSource* source, SoundGroup group) {
  if (source == nullptr) return;
  std::lock_guard<std::mutex> hold(mixerLock);
  const auto end = sources.begin() + sourceCount;
  if (sourceCount == kMaxSources || std::find(sources.begin(), end, source) != end) return;
  groups[static_cast<size_t>(sourceCount)] = group;
  sources[static_cast<size_t>(sourceCount++)] = source;
}

void DetachAudioSource(AudioSource* source) {
  std::lock_guard<std::mutex> hold(mixerLock);
  for (int i = 0; i < sourceCount; ++i) {
    if (sources[static_cast<size_t>(i)] != source) continue;
    // Keep the order of the others: sources are summed, but a stable order keeps runs repeatable.
    for (int j = i + 1; j < sourceCount; ++j) {
      sources[static_cast<size_t>(j - 1)] = sources[static_cast<size_t>(j)];
      groups[static_cast<size_t>(j - 1)] = groups[static_cast<size_t>(j)];
    }
    sources[static_cast<size_t>(--sourceCount)] = nullptr;
    return;
  }
}

void RenderAudioUnlimited(float* out, int frames) {
  if (out == nullptr || frames <= 0) return;
  std::fill(out, out + 2 * frames, 0.0f);
  std::lock_guard<std::mutex> hold(mixerLock);
  const int rate = mixerRate.load(std::memory_order_relaxed);
  const float music = musicGain.load(std::memory_order_relaxed);
  const float effects = effectsGain.load(std::memory_order_relaxed);
  for (int i = 0; i < sourceCount; ++i) {
    const auto at = static_cast<size_t>(i);
    MixScaled(sources[at], groups[at] == SoundGroup::kMusic ? music : effects, out, frames, rate);
  }
}

void RenderAudio(float* out, int frames) {
  if (out == nullptr || frames <= 0) return;
  RenderAudioUnlimited(out, frames);
  for (int i = 0; i < 2 * frames; ++i) out[i] = SoftLimit(out[i]);
}

void ResetAudio() {
  CloseAudioDevice();
  std::lock_guard<std::mutex> hold(mixerLock);
  sources.fill(nullptr);
  sourceCount = 0;
  SetMixerGains(1.0f, 1.0f);
}

}  // namespace platform
