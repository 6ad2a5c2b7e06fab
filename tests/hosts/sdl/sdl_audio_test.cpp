// The SDL audio device behind the mixer, under SDL's own drivers.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "machine/audio.h"
#include "machine/clip.h"

namespace {

class Silence : public platform::AudioSource {
 public:
  void MixInto(float*, int, int) override {}
};

class SdlAudioTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::ResetAudio(); }
  void TearDown() override { platform::ResetAudio(); }
};

TEST_F(SdlAudioTest, MissingDriverLeavesEverythingClosedAndHarmless) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  EXPECT_FALSE(platform::OpenAudioDevice());
  unsetenv("SDL_AUDIODRIVER");
  EXPECT_EQ(platform::CurrentAudioDevice(), nullptr);
  EXPECT_EQ(platform::AudioRate(), 44100);
  platform::PlayClip(nullptr);
  platform::StopClip(nullptr);
  platform::DestroyClip(nullptr);
  EXPECT_EQ(platform::ClipFrames(nullptr), 0);
}

TEST_F(SdlAudioTest, RealDeviceRunsTheMixerAtTheRateItOpenedWith) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  const bool opened = platform::OpenAudioDevice();
  unsetenv("SDL_AUDIODRIVER");
  ASSERT_TRUE(opened);
  EXPECT_NE(platform::CurrentAudioDevice(), nullptr);
  EXPECT_GT(platform::AudioRate(), 0);
  Silence probe;
  platform::AttachAudioSource(&probe);
  platform::DetachAudioSource(&probe);
  platform::CloseAudioDevice();
  EXPECT_EQ(platform::CurrentAudioDevice(), nullptr);
}

}  // namespace
