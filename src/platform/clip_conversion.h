// The one format change a clip goes through, done by SDL's converter in src/platform/sdl/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/clip.h"

namespace platform {

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
