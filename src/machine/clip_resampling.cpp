// Load-time conversion of a clip to the mixer's format: decode each frame to float, then resample
// with a windowed sinc. Effects are short and converted once, so the filter can be generous; what
// matters is that a 22,050 Hz pop sounds the same at 44,100 or 48,000 Hz, without the metallic
// images a linear interpolator leaves above the old Nyquist frequency.
#include "machine/clip_resampling.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <numeric>

#include "host/clip_conversion.h"

namespace platform {
namespace {

// Zero crossings of the sinc on each side of a sample: enough for a steep cut-off, and cheap
// at load time (a pop is a fifth of a second).
constexpr int kZeroCrossings = 16;
constexpr double kPi = 3.14159265358979323846;

// One sample at `at` as a float in -1..1, the scaling SDL uses for the same formats.
float DecodeSample(const WaveFormat& format, const uint8_t* at) {
  switch (format.bitsPerSample) {
    case 8:
      return (static_cast<float>(at[0]) - 128.0f) / 128.0f;
    case 16:
      return static_cast<float>(static_cast<int16_t>(at[0] | at[1] << 8)) / 32768.0f;
    default: {
      uint32_t bits = static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
                      static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
      if (format.formatTag == kWaveFormatFloat) {
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return std::isfinite(value) ? value : 0.0f;
      }
      return static_cast<float>(static_cast<int32_t>(bits) / 2147483648.0);
    }
  }
}

bool Readable(const WaveFormat& format) {
  const bool pcm =
      format.formatTag == kWaveFormatPcm &&
      (format.bitsPerSample == 8 || format.bitsPerSample == 16 || format.bitsPerSample == 32);
  const bool real = format.formatTag == kWaveFormatFloat && format.bitsPerSample == 32;
  return (pcm || real) && (format.channels == 1 || format.channels == 2) &&
         format.samplesPerSecond != 0 && format.samplesPerSecond <= kHighestClipRate &&
         format.blockAlign == format.channels * format.bitsPerSample / 8;
}

// The filter's weight for an input sample `distance` input frames away, with the cut-off at
// `cutoff` times the input's Nyquist frequency (below 1 when the rate goes down).
double Weight(double distance, double cutoff) {
  const double reach = kZeroCrossings / cutoff;
  if (std::fabs(distance) >= reach) return 0.0;
  const double x = kPi * cutoff * distance;
  const double sinc = distance == 0.0 ? 1.0 : std::sin(x) / x;
  const double w = kPi * distance / reach;  // Blackman window over -reach..reach
  return cutoff * sinc * (0.42 + 0.5 * std::cos(w) + 0.08 * std::cos(2.0 * w));
}

}  // namespace

bool ResampleToMixerFormat(const WaveFormat& format, const uint8_t* samples, size_t byteCount,
                           int rate, std::vector<float>* out) {
  if (!Readable(format) || rate <= 0 || static_cast<uint32_t>(rate) > kHighestClipRate)
    return false;
  if (byteCount > kLargestClipBytes || (samples == nullptr && byteCount != 0)) return false;
  out->clear();
  // A torn last frame is dropped rather than read past.
  const size_t inFrames = byteCount / format.blockAlign;
  const uint64_t from = format.samplesPerSecond;
  const uint64_t to = static_cast<uint64_t>(rate);
  const size_t outFrames = static_cast<size_t>(inFrames * to / from);
  const size_t bytesPerSample = format.bitsPerSample / 8u;
  std::vector<float> decoded;
  try {
    decoded.resize(2 * inFrames);
    out->resize(2 * outFrames);
  } catch (const std::bad_alloc&) {
    out->clear();
    return false;
  }
  for (size_t i = 0; i < inFrames; ++i) {
    const uint8_t* frame = samples + i * format.blockAlign;
    const float left = DecodeSample(format, frame);
    decoded[2 * i] = left;
    decoded[2 * i + 1] = format.channels == 2 ? DecodeSample(format, frame + bytesPerSample) : left;
  }
  if (from == to) {
    *out = std::move(decoded);
    return true;
  }
  const double cutoff = std::min(1.0, static_cast<double>(to) / static_cast<double>(from));
  const double reach = kZeroCrossings / cutoff;
  const auto last = static_cast<int64_t>(inFrames) - 1;
  // Output frame j falls `rest / to` of a frame past input frame `whole`, and `rest` takes only
  // to / gcd(from, to) values (320 from 22,050 to 48,000 Hz). Where they repeat within the clip,
  // each one's weights are worked out once: the sines and cosines are nearly all of the work, and
  // the browser converts its effects while the page is starting. The weights a frame uses are
  // those of the input frames `lowest` to `lowest + taps - 1` from `whole` (zero beyond reach).
  const uint64_t step = std::gcd(from, to);
  const uint64_t phases = to / step;
  const auto lowest = static_cast<int64_t>(std::ceil(-reach));
  const auto taps = static_cast<size_t>(std::floor(1.0 + reach) - static_cast<double>(lowest)) + 1;
  std::vector<double> weights;
  if (phases < outFrames) {
    try {
      weights.resize(phases * taps);
    } catch (const std::bad_alloc&) {
      weights.clear();  // worked out frame by frame instead
    }
    for (size_t p = 0; p < weights.size() / taps; ++p) {
      const double fraction = static_cast<double>(p * step) / static_cast<double>(to);
      for (size_t k = 0; k < taps; ++k) {
        weights[p * taps + k] =
            Weight(fraction - static_cast<double>(lowest + static_cast<int64_t>(k)), cutoff);
      }
    }
  }
  for (size_t j = 0; j < outFrames; ++j) {
    // Where output frame j falls among the input frames, from exact integers so that long clips
    // do not drift.
    const uint64_t scaled = j * from;
    const auto whole = static_cast<int64_t>(scaled / to);
    double left = 0.0, right = 0.0;
    if (!weights.empty()) {
      const double* weight = &weights[(scaled % to) / step * taps];
      const int64_t base = whole + lowest;
      const int64_t end = std::min<int64_t>(last, base + static_cast<int64_t>(taps) - 1);
      for (int64_t i = std::max<int64_t>(0, base); i <= end; ++i) {
        left += weight[i - base] * decoded[2 * static_cast<size_t>(i)];
        right += weight[i - base] * decoded[2 * static_cast<size_t>(i) + 1];
      }
    } else {
      const double at = static_cast<double>(whole) + static_cast<double>(scaled % to) / to;
      const int64_t first = std::max<int64_t>(0, static_cast<int64_t>(std::ceil(at - reach)));
      const int64_t end = std::min<int64_t>(last, static_cast<int64_t>(std::floor(at + reach)));
      for (int64_t i = first; i <= end; ++i) {
        const double weight = Weight(at - static_cast<double>(i), cutoff);
        left += weight * decoded[2 * static_cast<size_t>(i)];
        right += weight * decoded[2 * static_cast<size_t>(i) + 1];
      }
    }
    (*out)[2 * j] = static_cast<float>(left);
    (*out)[2 * j + 1] = static_cast<float>(right);
  }
  return true;
}

}  // namespace platform
