#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "machine/audio.h"
#include "machine/clip.h"
#include "wave_format.h"

namespace {

using platform::WaveFormat;

// Adds a fixed level to every sample and remembers how it was called.
class LevelSource : public platform::AudioSource {
 public:
  explicit LevelSource(float level) : level_(level) {}
  void MixInto(float* out, int frames, int rate) override {
    ++calls;
    lastRate = rate;
    for (int i = 0; i < 2 * frames; ++i) out[i] += level_;
  }
  int calls = 0;
  int lastRate = 0;

 private:
  float level_;
};

class AudioMixerTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::ResetAudio(); }
  void TearDown() override { platform::ResetAudio(); }

  std::vector<float> Render(int frames) {
    std::vector<float> out(2 * static_cast<size_t>(frames), 123.0f);
    platform::RenderAudio(out.data(), frames);
    return out;
  }
};

TEST_F(AudioMixerTest, SourcesAreSummedOnceEachLimitedAndForgottenWhenDetached) {
  LevelSource a(0.25f), b(0.5f), loud(0.75f);
  EXPECT_EQ(Render(4), std::vector<float>(8, 0.0f));  // cleared even with nothing attached
  platform::AttachAudioSource(&a);
  platform::AttachAudioSource(&a);  // a second attach of the same source changes nothing
  platform::AttachAudioSource(&b);
  EXPECT_EQ(Render(3), std::vector<float>(6, 0.75f));
  EXPECT_EQ(a.lastRate, 44100);
  platform::AttachAudioSource(&loud);
  // Past full scale the sum is bent just under it, never cut flat or wrapped; a host that adds
  // more to the sum itself gets it unbent.
  for (float v : Render(2)) {
    EXPECT_GT(v, 0.99f);
    EXPECT_LE(v, 1.0f);
  }
  std::vector<float> unbent(4);
  platform::RenderAudioUnlimited(unbent.data(), 2);
  EXPECT_EQ(unbent, std::vector<float>(4, 1.5f));
  platform::DetachAudioSource(&a);
  platform::DetachAudioSource(&b);
  LevelSource quieter(0.2f);  // 0.95 in all: a little over the knee, pulled in a little
  platform::AttachAudioSource(&quieter);
  for (float v : Render(2)) {
    EXPECT_GT(v, 0.9f);
    EXPECT_LT(v, 0.95f);
  }
  platform::DetachAudioSource(&quieter);
  platform::DetachAudioSource(&loud);
  platform::AttachAudioSource(&b);
  const int callsBefore = a.calls;
  EXPECT_EQ(Render(2), std::vector<float>(4, 0.5f));
  EXPECT_EQ(a.calls, callsBefore);
  platform::RenderAudio(nullptr, 16);  // harmless
}

TEST_F(AudioMixerTest, OutputLessDeviceOpensAtTheDefaultRateAndCloses) {
  EXPECT_EQ(platform::CurrentAudioDevice(), nullptr);
  EXPECT_EQ(platform::AudioRate(), 44100);
  platform::OpenAudioDeviceWithoutOutput();
  EXPECT_NE(platform::CurrentAudioDevice(), nullptr);
  EXPECT_TRUE(platform::OpenAudioDevice());  // already open: nothing more to do
  platform::CloseAudioDevice();
  EXPECT_EQ(platform::CurrentAudioDevice(), nullptr);
  platform::CloseAudioDevice();
}

TEST_F(AudioMixerTest, ClipAtTheMixerRateKeepsItsSamplesExactly) {
  const int16_t pcm[] = {16384, -16384, 8192, 0, -24576, 0};  // three stereo frames
  platform::Clip* clip = platform::CreateClip(Format(1, 2, 44100, 16),
                                              reinterpret_cast<const uint8_t*>(pcm), sizeof pcm);
  ASSERT_NE(clip, nullptr);
  EXPECT_EQ(platform::ClipFrames(clip), 3);
  EXPECT_EQ(Render(4), std::vector<float>(8, 0.0f));  // silent until played
  platform::PlayClip(clip);
  const std::vector<float> expected = {0.5f, -0.5f, 0.25f, 0.0f, -0.75f, 0.0f, 0.0f, 0.0f};
  EXPECT_EQ(Render(4), expected);
  EXPECT_EQ(Render(4), std::vector<float>(8, 0.0f));  // played once, not looped
  platform::PlayClip(clip);
  platform::StopClip(clip);
  EXPECT_EQ(Render(4), std::vector<float>(8, 0.0f));
  platform::DestroyClip(clip);
}

TEST_F(AudioMixerTest, EightBitMonoIsResampledToTheMixerRateWithoutLosingItsTail) {
  std::vector<uint8_t> samples(4410, 128);
  samples[100] = 255;
  platform::Clip* clip = platform::CreateClip(Format(1, 1, 22050, 8), samples.data(), 4410);
  ASSERT_NE(clip, nullptr);
  EXPECT_EQ(platform::ClipFrames(clip), 8820);
  platform::PlayClip(clip);
  const std::vector<float> out = Render(8820);
  float peak = 0.0f;
  for (size_t i = 0; i < out.size(); i += 2) {
    EXPECT_EQ(out[i], out[i + 1]);  // mono spreads to both sides
    peak = std::max(peak, out[i]);
  }
  EXPECT_GT(peak, 0.5f);
  platform::DestroyClip(clip);
}

TEST_F(AudioMixerTest, UnplayableFormatsAreRefusedAndTornFramesDropped) {
  const uint8_t bytes[12] = {};
  EXPECT_EQ(platform::CreateClip(Format(2, 1, 22050, 8), bytes, 12), nullptr);   // ADPCM
  EXPECT_EQ(platform::CreateClip(Format(1, 1, 22050, 24), bytes, 12), nullptr);  // 24-bit
  EXPECT_EQ(platform::CreateClip(Format(1, 0, 22050, 8), bytes, 12), nullptr);
  EXPECT_EQ(platform::CreateClip(Format(1, 1, 0, 8), bytes, 12), nullptr);
  WaveFormat misaligned = Format(1, 2, 44100, 16);
  misaligned.blockAlign = 3;
  EXPECT_EQ(platform::CreateClip(misaligned, bytes, 12), nullptr);

  platform::Clip* torn = platform::CreateClip(Format(1, 2, 44100, 16), bytes, 10);
  EXPECT_EQ(platform::ClipFrames(torn), 2);
  platform::Clip* empty = platform::CreateClip(Format(3, 1, 44100, 32), bytes, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(platform::ClipFrames(empty), 0);
  platform::PlayClip(empty);
  EXPECT_EQ(Render(2), std::vector<float>(4, 0.0f));
  platform::DestroyClip(torn);
  platform::DestroyClip(empty);
}

// The audio thread renders without pause while the game thread plays, makes and frees clips:
// a clip freed while the mixer still used it would show up under the address sanitizer.
TEST_F(AudioMixerTest, ClipsComeAndGoSafelyWhileAnotherThreadRenders) {
  std::atomic<bool> done{false};
  std::atomic<long> rendered{0};
  std::thread audio([&] {
    std::vector<float> out(2 * 256);
    while (!done.load()) {
      platform::RenderAudio(out.data(), 256);
      rendered.fetch_add(1);
    }
  });
  std::vector<uint8_t> samples(441, 200);
  for (int i = 0; i < 300; ++i) {
    platform::Clip* clip = platform::CreateClip(Format(1, 1, 22050, 8), samples.data(), 441);
    ASSERT_NE(clip, nullptr);
    platform::PlayClip(clip);
    platform::PlayClip(clip);
    platform::DestroyClip(clip);
  }
  done.store(true);
  audio.join();
  EXPECT_GT(rendered.load(), 0);
}

}  // namespace
