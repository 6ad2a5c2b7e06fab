// The player's volumes and mute as the mixer applies them, and the steps of the volume keys.
#include "platform/player_settings.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/audio.h"

namespace {

using platform::PlayerSettings;

// Adds 0.5 to every sample, counting the frames it was asked for.
class HalfLevel : public platform::AudioSource {
 public:
  void MixInto(float* out, int frames, int) override {
    framesAsked += frames;
    for (int i = 0; i < 2 * frames; ++i) out[i] += 0.5f;
  }
  int framesAsked = 0;
};

class PlayerSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ResetAudio();
    platform::ResetPlayerSettings();
    platform::AttachAudioSource(&music, platform::SoundGroup::kMusic);
    platform::AttachAudioSource(&effect);  // effects are the default group
  }
  void TearDown() override {
    platform::ResetAudio();
    platform::ResetPlayerSettings();
  }
  // The first and the last sample of a render longer than the mixer's scratch slice.
  std::pair<float, float> Render(const PlayerSettings& settings) {
    platform::ApplyPlayerSettings(settings);
    std::vector<float> out(2 * 1500);
    platform::RenderAudio(out.data(), 1500);
    return {out.front(), out.back()};
  }
  HalfLevel music;
  HalfLevel effect;
};

TEST_F(PlayerSettingsTest, VolumesScaleEachGroupAndMuteSilencesWithoutStoppingTheSources) {
  struct Case {
    int master, musicVolume, effects;
    bool muted;
    float expected;  // 0.5 * music gain + 0.5 * effects gain, gain = (master * part)^2
  };
  const Case cases[] = {
      {100, 100, 100, false, 0.976f},  // a full-scale sum, bent by the soft limit
      {100, 0, 100, false, 0.5f},     {100, 100, 0, false, 0.5f}, {50, 100, 100, false, 0.25f},
      {100, 50, 0, false, 0.125f},    {0, 100, 100, false, 0.0f}, {100, 100, 100, true, 0.0f},
      {150, -5, 100, false, 0.5f},  // out of range: clamped to 100 and 0
  };
  for (const Case& c : cases) {
    PlayerSettings settings;
    settings.masterVolume = c.master;
    settings.musicVolume = c.musicVolume;
    settings.effectsVolume = c.effects;
    settings.muted = c.muted;
    const auto [first, last] = Render(settings);
    EXPECT_NEAR(first, c.expected, 0.02f) << c.master << " " << c.musicVolume << " " << c.effects;
    EXPECT_EQ(first, last) << "the slices of a scaled render must join seamlessly";
  }
  // Every render asked both sources for every frame, muted or not: the songs keep their time.
  EXPECT_EQ(music.framesAsked, 8 * 1500);
  EXPECT_EQ(effect.framesAsked, 8 * 1500);
  EXPECT_EQ(platform::CurrentPlayerSettings().masterVolume, 100);
  EXPECT_EQ(platform::CurrentPlayerSettings().musicVolume, 0);
}

PlayerSettings seenByListener;
int listenerCalls = 0;

TEST_F(PlayerSettingsTest, KeysStepTheVolumeByTenToggleMuteAndTellTheListener) {
  const struct {
    int volume;
    bool muted;
    int direction;
    int expectedVolume;
    bool expectedMuted;
  } steps[] = {
      {100, false, 1, 100, false}, {100, false, -1, 90, false}, {75, false, 1, 80, false},
      {75, false, -1, 70, false},  {0, false, -1, 0, false},    {0, true, 1, 10, false},
      {40, true, -1, 30, true},
  };
  for (const auto& s : steps) {
    PlayerSettings settings;
    settings.masterVolume = s.volume;
    settings.muted = s.muted;
    const PlayerSettings next = platform::SteppedVolume(settings, s.direction);
    EXPECT_EQ(next.masterVolume, s.expectedVolume) << s.volume << " " << s.direction;
    EXPECT_EQ(next.muted, s.expectedMuted) << s.volume << " " << s.direction;
  }
  EXPECT_TRUE(platform::ToggledMute(PlayerSettings{}).muted);
  EXPECT_FALSE(platform::ToggledMute(platform::ToggledMute(PlayerSettings{})).muted);

  platform::ListenToPlayerSettings([](const PlayerSettings& now) {
    seenByListener = now;
    ++listenerCalls;
  });
  platform::ApplyPlayerSettings(PlayerSettings{});  // the start-up's own choice is no change
  EXPECT_EQ(listenerCalls, 0);
  platform::ChangePlayerSettings(platform::ToggledMute(platform::CurrentPlayerSettings()));
  EXPECT_EQ(listenerCalls, 1);
  EXPECT_TRUE(seenByListener.muted);
  EXPECT_TRUE(platform::CurrentPlayerSettings().muted);
}

}  // namespace
