// The one format change a clip goes through, from its wave format to the mixer's: the host's own
// converter where it has one, the portable resampler (machine/clip_resampling.h) where not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// How sample bytes are laid out, as a wave file's format chunk describes them.
struct WaveFormat {
  uint16_t formatTag = 0;         // 1 integer PCM, 3 floating point
  uint16_t channels = 0;          // interleaved in each frame
  uint32_t samplesPerSecond = 0;  // frames per second
  uint16_t blockAlign = 0;        // bytes per frame
  uint16_t bitsPerSample = 0;     // 8 (unsigned), 16 or 32 (signed), or 32 (float)
};

// Wave format tags every converter reads.
constexpr uint16_t kWaveFormatPcm = 1;
constexpr uint16_t kWaveFormatFloat = 3;
// Bounds every clip is held to before conversion. Effects are fractions of a second long; these
// keep a damaged or hostile format from asking a converter for gigabytes.
constexpr uint32_t kHighestClipRate = 384000;
constexpr size_t kLargestClipBytes = 16u << 20;

// Converts samples in `format` to interleaved stereo float at `rate` into *out; false when the
// format is not one we can convert or memory runs out.
bool ConvertToMixerFormat(const WaveFormat& format, const uint8_t* samples, size_t byteCount,
                          int rate, std::vector<float>* out);

}  // namespace platform
