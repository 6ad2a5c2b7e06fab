// What the player chooses around the game: full screen or window, the volumes and mute. The
// start-up applies the stored choice; the keys outside the game (mute, volume, full screen) change
// it while the game runs and tell the start-up, which keeps it for the next run.
#pragma once

namespace platform {

struct PlayerSettings {
  bool fullScreen = true;
  int masterVolume = 100;  // each volume 0..100
  int musicVolume = 100;
  int effectsVolume = 100;
  bool muted = false;
};

// One step of the volume keys.
constexpr int kVolumeStep = 10;

// Takes the settings (volumes clamped to 0..100): the mixer follows at once, the window mode is
// used when the window is created.
void ApplyPlayerSettings(const PlayerSettings& settings);
// The settings in force now.
PlayerSettings CurrentPlayerSettings();
// Called on the game thread after one of the player's keys changed the settings; null for none.
using PlayerSettingsListener = void (*)(const PlayerSettings& settings);
void ListenToPlayerSettings(PlayerSettingsListener listener);
// A key changed the settings: applies them and tells the listener.
void ChangePlayerSettings(const PlayerSettings& settings);
// The settings a mute key or a volume step (+1 up, -1 down) makes of `settings`.
PlayerSettings ToggledMute(PlayerSettings settings);
PlayerSettings SteppedVolume(PlayerSettings settings, int direction);
// The program-start settings, no listener (tests).
void ResetPlayerSettings();

}  // namespace platform
