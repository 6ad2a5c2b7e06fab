// The sound bank: each effect is a RIFF WAVE resource, walked here chunk by chunk, whose samples
// become one clip on the audio device. Playing an effect restarts its clip.
#include "sound/sound_bank.h"

#include <cstring>
#include <new>

#include "machine/resources.h"

SoundBank soundBank{};

namespace {

constexpr size_t kRiffHeaderBytes = 12;   // "RIFF", size, form type
constexpr size_t kChunkHeaderBytes = 8;   // identifier, size
constexpr uint32_t kShortestFormat = 14;  // tag, channels, rate, bytes per second, block align
constexpr uint32_t kFormatWithBits = 16;  // ... then bits per sample

uint16_t Read16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t Read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

bool IsTag(const uint8_t* p, const char* tag) {
  return std::memcmp(p, tag, 4) == 0;
}

bool InBank(int index) {
  return soundBank.clips != nullptr && index >= 0 && index < soundBank.effectCount;
}

// The format chunk as the platform wants it. A 14-byte chunk has no bits-per-sample field; the
// block alignment tells it for PCM, so such a file still plays instead of reading past its chunk.
platform::WaveFormat FormatFrom(const uint8_t* chunk, uint32_t size) {
  platform::WaveFormat format;
  format.formatTag = Read16(chunk);
  format.channels = Read16(chunk + 2);
  format.samplesPerSecond = Read32(chunk + 4);
  format.blockAlign = Read16(chunk + 12);
  if (size >= kFormatWithBits) {
    format.bitsPerSample = Read16(chunk + 14);
  } else if (format.channels != 0) {
    format.bitsPerSample = static_cast<uint16_t>(format.blockAlign / format.channels * 8);
  }
  return format;
}

}  // namespace

void ResetSoundBank() {
  CloseSoundBank();
  soundBank = SoundBank{};
}

void OpenSoundBank(WindowHandle, const char* const* names, int count) {
  // Opening twice must not leak what the first open holds.
  CloseSoundBank();
  soundBank.effectCount = count;
  soundBank.audioDevice = nullptr;
  soundBank.clips = nullptr;
  soundBank.effectNames = names;
  if (count < 0 || (names == nullptr && count > 0)) return;

  // Without memory for the table the bank simply stays closed.
  soundBank.clips = new (std::nothrow) platform::Clip* [static_cast<size_t>(count)] {};
  if (soundBank.clips == nullptr) return;

  // The shell opened the device before us; with none there is nothing to play through.
  soundBank.audioDevice = platform::CurrentAudioDevice();
  if (soundBank.audioDevice == nullptr) {
    CloseSoundBank();
    return;
  }

  // Either every effect is available or none is.
  for (int i = 0; i < count; ++i) {
    if (!LoadEffect(i, names[i])) {
      CloseSoundBank();
      return;
    }
  }
}

bool LoadEffect(int index, const char* name) {
  if (soundBank.audioDevice == nullptr || !InBank(index)) return false;
  platform::ResourceBytes resource;
  if (!platform::FindResource(name, platform::ResourceType::kWave, &resource)) return false;
  const uint8_t* bytes = resource.data;
  const size_t size = resource.size;
  if (bytes == nullptr || size < kRiffHeaderBytes) return false;
  if (!IsTag(bytes, "RIFF") || !IsTag(bytes + 8, "WAVE")) return false;
  const uint64_t formEnd = 8 + static_cast<uint64_t>(Read32(bytes + 4));

  const uint8_t* format = nullptr;
  uint32_t formatSize = 0;
  const uint8_t* samples = nullptr;
  uint32_t sampleBytes = 0;
  uint64_t at = kRiffHeaderBytes;
  while (at < formEnd) {
    // A chunk that reaches past the end of the resource, header or data, ends the walk as a
    // failed load: its size cannot be trusted, and reading on would leave the resource.
    if (at + kChunkHeaderBytes > size) return false;
    const uint8_t* chunk = bytes + at;
    const uint32_t chunkSize = Read32(chunk + 4);
    const uint64_t dataAt = at + kChunkHeaderBytes;
    if (chunkSize > size - dataAt) return false;
    if (IsTag(chunk, "fmt ")) {
      if (chunkSize < kShortestFormat) return false;
      format = bytes + dataAt;
      formatSize = chunkSize;
      if (samples != nullptr) break;
    } else if (IsTag(chunk, "data")) {
      samples = bytes + dataAt;
      sampleBytes = chunkSize;
      if (format != nullptr) break;
    }
    at = dataAt + chunkSize + (chunkSize & 1u);  // odd chunks carry one pad byte
  }
  if (format == nullptr || samples == nullptr) return false;

  platform::Clip*& clip = soundBank.clips[index];
  platform::DestroyClip(clip);
  clip = platform::CreateClip(FormatFrom(format, formatSize), samples, sampleBytes);
  return clip != nullptr;
}

void PlayEffect(int index) {
  // The index is checked, though the game only ever passes 0 or 1: a stray one must not read
  // outside the table.
  if (soundBank.audioDevice == nullptr || !InBank(index)) return;
  platform::PlayClip(soundBank.clips[index]);
}

void CloseSoundBank() {
  // The table is freed even when no device was found, so that path does not leak it.
  if (soundBank.clips != nullptr) {
    for (int i = 0; i < soundBank.effectCount; ++i) {
      platform::DestroyClip(soundBank.clips[i]);
      soundBank.clips[i] = nullptr;
    }
    delete[] soundBank.clips;
    soundBank.clips = nullptr;
  }
  soundBank.audioDevice = nullptr;
}
