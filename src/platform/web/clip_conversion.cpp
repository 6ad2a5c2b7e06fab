// PLACEHOLDER until the browser's clip converter lands: no clip converts, so no effect sounds.
#include "platform/clip_conversion.h"

namespace platform {

bool ConvertToMixerFormat(const WaveFormat&, const uint8_t*, size_t, int, std::vector<float>*) {
  return false;
}

}  // namespace platform
