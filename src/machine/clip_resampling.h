// Our own clip converter, for machines without SDL's (the browser): the same job as
// ConvertToMixerFormat, in plain C++, so its arithmetic can be checked against SDL's on the
// desktop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "machine/clip.h"

namespace platform {

// Converts integer PCM (8-bit unsigned, 16- or 32-bit signed) or 32-bit float samples, mono or
// stereo, to interleaved stereo float at `rate` into *out, resampling with a windowed-sinc
// filter. False when the format is not one we read or memory runs out.
bool ResampleToMixerFormat(const WaveFormat& format, const uint8_t* samples, size_t byteCount,
                           int rate, std::vector<float>* out);

}  // namespace platform
