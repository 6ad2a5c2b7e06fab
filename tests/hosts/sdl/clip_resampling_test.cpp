// Our own converter (used where SDL's is not there) against SDL's, which the desktop trusts.
#include "machine/clip_resampling.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "host/clip_conversion.h"
#include "wave_format.h"

namespace {

using platform::WaveFormat;

// A fifth of a second of a falling whistle in `format`. The two filters differ only close to the
// old Nyquist frequency (SDL's is shorter, with a wider transition band), so the comparison keeps
// to the band both must pass untouched.
std::vector<uint8_t> Effect(const WaveFormat& format) {
  const int frames = static_cast<int>(format.samplesPerSecond / 5);
  std::vector<uint8_t> bytes;
  double phase = 0.0;
  for (int i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / frames;
    phase += 2.0 * 3.14159265 * (3000.0 - 2500.0 * t) / format.samplesPerSecond;
    for (int c = 0; c < format.channels; ++c) {
      const double v = 0.8 * std::sin(phase + c);
      if (format.bitsPerSample == 8) {
        bytes.push_back(static_cast<uint8_t>(std::lround(128.0 + 127.0 * v)));
      } else {
        const auto s = static_cast<int16_t>(std::lround(32767.0 * v));
        bytes.push_back(static_cast<uint8_t>(s & 0xFF));
        bytes.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
      }
    }
  }
  return bytes;
}

TEST(ClipResamplingTest, MatchesSdlsConverterInLengthAndSound) {
  struct Case {
    WaveFormat format;
    int rate;
  };
  const Case cases[] = {
      {Format(1, 1, 22050, 8), 44100},  {Format(1, 1, 22050, 8), 48000},
      {Format(1, 2, 44100, 16), 48000}, {Format(1, 1, 11025, 16), 44100},
      {Format(1, 2, 48000, 16), 44100}, {Format(1, 1, 44100, 8), 44100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.format.channels << " x " << c.format.bitsPerSample << " bits at "
                 << c.format.samplesPerSecond << " to " << c.rate);
    const std::vector<uint8_t> bytes = Effect(c.format);
    std::vector<float> ours, sdls;
    ASSERT_TRUE(
        platform::ResampleToMixerFormat(c.format, bytes.data(), bytes.size(), c.rate, &ours));
    ASSERT_TRUE(
        platform::ConvertToMixerFormat(c.format, bytes.data(), bytes.size(), c.rate, &sdls));
    ASSERT_EQ(ours.size(), sdls.size());
    double signal = 0.0, error = 0.0, worst = 0.0;
    for (size_t i = 0; i < ours.size(); ++i) {
      signal += static_cast<double>(sdls[i]) * sdls[i];
      const double d = static_cast<double>(ours[i]) - sdls[i];
      error += d * d;
      worst = std::max(worst, std::fabs(d));
    }
    // A shifted, mirrored or wrongly scaled result would be off by tens of per cent.
    EXPECT_LT(std::sqrt(error / signal), 0.01);
    EXPECT_LT(worst, 0.05);
  }
}

TEST(ClipResamplingTest, RefusesWhatItCannotReadAndDropsATornFrame) {
  const uint8_t bytes[] = {128, 255, 0, 128, 64};
  std::vector<float> out{1.0f};
  for (const WaveFormat& bad :
       {Format(2, 1, 22050, 8), Format(1, 3, 22050, 8), Format(1, 1, 22050, 24),
        Format(3, 1, 22050, 16), Format(1, 1, 0, 8), Format(1, 1, 500000, 8)}) {
    EXPECT_FALSE(platform::ResampleToMixerFormat(bad, bytes, sizeof bytes, 44100, &out));
  }
  WaveFormat misaligned = Format(1, 1, 22050, 16);
  misaligned.blockAlign = 3;
  EXPECT_FALSE(platform::ResampleToMixerFormat(misaligned, bytes, sizeof bytes, 44100, &out));
  EXPECT_FALSE(platform::ResampleToMixerFormat(Format(1, 1, 22050, 8), bytes, 5, 0, &out));
  EXPECT_FALSE(platform::ResampleToMixerFormat(Format(1, 1, 22050, 8), nullptr, 5, 44100, &out));
  // One whole 16-bit stereo frame and a torn byte that is not read.
  ASSERT_TRUE(platform::ResampleToMixerFormat(Format(1, 2, 8000, 16), bytes, 5, 8000, &out));
  EXPECT_EQ(out, (std::vector<float>{-128.0f / 32768.0f, -1.0f}));
}

}  // namespace
