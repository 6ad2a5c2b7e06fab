// The game's own effects played through the bank and the mixer, with no sound device.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "machine/audio.h"
#include "machine/clip.h"
#include "machine/resources.h"
#include "sound/sound_bank.h"

namespace {

constexpr const char* kNames[] = {"BANN", "HYUU"};

class SoundBankPlaybackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ResourceBytes found;
    if (!platform::FindResource("BANN", platform::ResourceType::kWave, &found) ||
        !platform::FindResource("HYUU", platform::ResourceType::kWave, &found)) {
      GTEST_SKIP() << "the effects are not embedded in this build";
    }
    platform::OpenAudioDeviceWithoutOutput();
    OpenSoundBank(nullptr, kNames, 2);
  }
  void TearDown() override {
    ResetSoundBank();
    platform::ResetAudio();
  }

  static std::vector<float> Render(int frames) {
    std::vector<float> out(2 * static_cast<size_t>(frames));
    platform::RenderAudio(out.data(), frames);
    return out;
  }
  static float Peak(const std::vector<float>& x) {
    float peak = 0.0f;
    for (float v : x) peak = std::max(peak, std::fabs(v));
    return peak;
  }
  // Lets whatever sounds run out, so the next render starts from silence.
  static void RunOut() { Render(9000); }
};

TEST_F(SoundBankPlaybackTest, BothEffectsLoadAsTwoHundredMillisecondsAtTheMixerRate) {
  ASSERT_NE(soundBank.audioDevice, nullptr);
  EXPECT_EQ(soundBank.effectCount, 2);
  EXPECT_EQ(soundBank.effectNames, kNames);
  EXPECT_EQ(platform::ClipFrames(soundBank.clips[0]), platform::AudioRate() / 5);
  EXPECT_EQ(platform::ClipFrames(soundBank.clips[1]), platform::AudioRate() / 5);
}

TEST_F(SoundBankPlaybackTest, PlayingAgainWhileSoundingRestartsInsteadOfDoubling) {
  PlayEffect(0);
  const std::vector<float> cleanStart = Render(4096);
  EXPECT_GT(Peak(cleanStart), 0.5f);
  RunOut();
  EXPECT_EQ(Peak(Render(512)), 0.0f);  // played once: silent afterwards

  PlayEffect(0);
  Render(300);
  PlayEffect(0);
  PlayEffect(0);  // twice within one tick still means one start
  EXPECT_EQ(Render(4096), cleanStart);
}

TEST_F(SoundBankPlaybackTest, TwoDifferentEffectsMix) {
  PlayEffect(0);
  const std::vector<float> pop = Render(4096);
  RunOut();
  PlayEffect(1);
  const std::vector<float> whistle = Render(4096);
  RunOut();
  EXPECT_GT(Peak(whistle), 0.05f);

  PlayEffect(1);
  PlayEffect(0);
  const std::vector<float> both = Render(4096);
  int limited = 0;
  for (size_t i = 0; i < both.size(); ++i) {
    const float sum = pop[i] + whistle[i];
    if (std::fabs(sum) <= 0.9f) {
      ASSERT_FLOAT_EQ(both[i], sum) << "at " << i;
    } else {  // the loudest peaks of the two together are bent under full scale
      ++limited;
      ASSERT_LT(std::fabs(both[i]), 1.0f) << "at " << i;
      ASSERT_LE(std::fabs(both[i]), std::fabs(sum)) << "at " << i;
      ASSERT_GT(both[i] * sum, 0.0f) << "at " << i;
    }
  }
  EXPECT_LT(limited, 40);
}

TEST_F(SoundBankPlaybackTest, ClosedBankRendersSilence) {
  PlayEffect(0);
  CloseSoundBank();  // cuts off what was sounding too: the clips are gone
  EXPECT_EQ(Peak(Render(1024)), 0.0f);
  PlayEffect(0);
  PlayEffect(1);
  EXPECT_EQ(Peak(Render(1024)), 0.0f);
  EXPECT_EQ(soundBank.clips, nullptr);
}

TEST_F(SoundBankPlaybackTest, OutOfRangeEffectsAndReopeningAreHarmless) {
  PlayEffect(2);
  PlayEffect(-1);
  EXPECT_EQ(Peak(Render(256)), 0.0f);
  OpenSoundBank(nullptr, kNames, 2);  // opening again replaces the clips instead of leaking them
  ASSERT_NE(soundBank.audioDevice, nullptr);
  PlayEffect(1);
  EXPECT_GT(Peak(Render(2048)), 0.05f);
}

}  // namespace
