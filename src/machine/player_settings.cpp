// The player's settings on every machine: the volumes become the mixer's two gains.
#include "machine/player_settings.h"

#include <algorithm>

#include "machine/audio_mixer.h"

namespace platform {
namespace {

PlayerSettings current;
PlayerSettingsListener listener = nullptr;

// Loudness follows the square of the slider, so that each 10 % step sounds about as large as the
// next instead of the top half of the range changing next to nothing.
float Gain(int master, int part) {
  const float level = static_cast<float>(master) * static_cast<float>(part) / 10000.0f;
  return level * level;
}

}  // namespace

void ApplyPlayerSettings(const PlayerSettings& settings) {
  current = settings;
  current.masterVolume = std::clamp(current.masterVolume, 0, 100);
  current.musicVolume = std::clamp(current.musicVolume, 0, 100);
  current.effectsVolume = std::clamp(current.effectsVolume, 0, 100);
  // Muting only silences the output: the sources keep running, so the songs keep their time.
  if (current.muted) {
    SetMixerGains(0.0f, 0.0f);
  } else {
    SetMixerGains(Gain(current.masterVolume, current.musicVolume),
                  Gain(current.masterVolume, current.effectsVolume));
  }
}

PlayerSettings CurrentPlayerSettings() {
  return current;
}

void ListenToPlayerSettings(PlayerSettingsListener newListener) {
  listener = newListener;
}

void ChangePlayerSettings(const PlayerSettings& settings) {
  ApplyPlayerSettings(settings);
  if (listener != nullptr) listener(current);
}

PlayerSettings ToggledMute(PlayerSettings settings) {
  settings.muted = !settings.muted;
  return settings;
}

PlayerSettings SteppedVolume(PlayerSettings settings, int direction) {
  // A step lands on the next multiple of ten, so a volume of 75 goes to 80 or 70.
  const int volume = settings.masterVolume;
  const int next = direction > 0 ? (volume / kVolumeStep + 1) * kVolumeStep
                                 : ((volume + kVolumeStep - 1) / kVolumeStep - 1) * kVolumeStep;
  settings.masterVolume = std::clamp(next, 0, 100);
  // Turning the volume up is a wish to hear the game: it lifts the mute as well.
  if (direction > 0) settings.muted = false;
  return settings;
}

void ResetPlayerSettings() {
  listener = nullptr;
  ApplyPlayerSettings(PlayerSettings{});
}

}  // namespace platform
