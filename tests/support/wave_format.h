// The wave format of a plain PCM or float clip, as a clip's header would give it: the clip tests
// build many of these.
#pragma once

#include <cstdint>

#include "host/clip_conversion.h"

inline platform::WaveFormat Format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
  platform::WaveFormat f;
  f.formatTag = tag;
  f.channels = channels;
  f.samplesPerSecond = rate;
  f.bitsPerSample = bits;
  f.blockAlign = static_cast<uint16_t>(channels * bits / 8);
  return f;
}
