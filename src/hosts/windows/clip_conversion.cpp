// Windows has no converter the game could use without a library: clips go through our own, which
// the desktop tests check against SDL's.
#include "host/clip_conversion.h"

#include "machine/clip_resampling.h"

namespace platform {

bool ConvertToMixerFormat(const WaveFormat& format, const uint8_t* samples, size_t byteCount,
                          int rate, std::vector<float>* out) {
  return ResampleToMixerFormat(format, samples, byteCount, rate, out);
}

}  // namespace platform
