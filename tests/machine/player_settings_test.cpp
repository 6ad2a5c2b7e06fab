// The player's volumes and mute as the mixer applies them, and the steps of the volume keys.
#include "machine/player_settings.h"

#include <gtest/gtest.h>

#include <vector>

#include "machine/audio.h"

namespace {

using platform::PlayerSettings;

// Adds 0.5 to every sample, counting the frames it was asked for.
struct HalfLevel : platform::AudioSource {
  void MixInto(float* out, int frames, int) override {
    framesAsked += frames;
    for (int i = 0; i < 2 * frames; ++i) out[i] += 0.5f;
  }
  int framesAsked = 0;
};

TEST(PlayerSettingsTest, VolumesScaleEachGroupAndMuteSilencesWithoutStoppingTheSources) {
  platform::ResetAudio();
  HalfLevel music, effect;
  platform::AttachAudioSource(&music, platform::SoundGroup::kMusic);
  platform::AttachAudioSource(&effect);  // effects are the default group
  const struct {
    PlayerSettings settings;
    float expected;  // 0.5 * music gain + 0.5 * effects gain, gain = (master * part)^2
  } cases[] = {
      {{true, 100, 100, 100, false}, 0.976f},  // a full-scale sum, bent by the soft limit
      {{true, 100, 0, 100, false}, 0.5f},     {{true, 50, 100, 100, false}, 0.25f},
      {{true, 100, 50, 0, false}, 0.125f},    {{true, 100, 100, 100, true}, 0.0f},
      {{true, 150, -5, 100, false}, 0.5f},  // out of range: clamped to 100 and 0
  };
  // Longer than the mixer's scratch slice, so the slices must join seamlessly.
  std::vector<float> out(2 * 1500);
  for (const auto& c : cases) {
    platform::ApplyPlayerSettings(c.settings);
    platform::RenderAudio(out.data(), 1500);
    EXPECT_NEAR(out.front(), c.expected, 0.002f) << c.settings.masterVolume;
    EXPECT_EQ(out.front(), out.back());
  }
  // Every source was asked for every frame, muted or not: the songs keep their time.
  EXPECT_EQ(music.framesAsked, 6 * 1500);
  EXPECT_EQ(effect.framesAsked, 6 * 1500);
  platform::ResetAudio();
  platform::ResetPlayerSettings();
}

TEST(PlayerSettingsTest, VolumeKeysStepToTheNextTenAndUpAlsoUnmutes) {
  const struct {
    int volume, direction, expected;
    bool muted, expectedMuted;
  } steps[] = {
      {100, 1, 100, false, false}, {100, -1, 90, false, false}, {75, 1, 80, false, false},
      {75, -1, 70, false, false},  {0, -1, 0, false, false},    {0, 1, 10, true, false},
      {40, -1, 30, true, true},
  };
  for (const auto& s : steps) {
    const PlayerSettings next =
        platform::SteppedVolume(PlayerSettings{true, s.volume, 100, 100, s.muted}, s.direction);
    EXPECT_EQ(next.masterVolume, s.expected) << s.volume << " " << s.direction;
    EXPECT_EQ(next.muted, s.expectedMuted) << s.volume << " " << s.direction;
  }
}

}  // namespace
