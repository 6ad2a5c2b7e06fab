// The one format change a clip goes through, done by SDL's converter in src/platform/sdl/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/clip.h"

namespace platform {

// Converts samples in `format` to interleaved stereo float at `rate` into *out; false when the
// format is not one we can convert or memory runs out.
bool ConvertToMixerFormat(const WaveFormat& format, const uint8_t* samples, size_t byteCount,
                          int rate, std::vector<float>* out);

}  // namespace platform
