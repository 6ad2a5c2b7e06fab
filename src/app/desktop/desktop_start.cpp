#include "app/desktop/desktop_start.h"

#include <csignal>

#include "app/desktop/settings.h"
#include "app/desktop/user_folders.h"
#include "host/synth.h"
#include "host/user_files.h"
#include "machine/message_box.h"
#include "machine/player_settings.h"
#include "scores/high_scores.h"

namespace {

// The settings as the file has them (what is written back), the ones last in force, whether the
// file may be replaced at all, and the changes no write has taken yet.
struct StoredSettings {
  std::string path;
  platform::PlayerSettings stored;
  platform::PlayerSettings inForce;
  bool writable = false;
  unsigned unsaved = 0;
};

// A change that could not be written during play (another game held the lock) is tried once
// more as the game ends, waiting this long for the lock.
constexpr uint32_t kCloseLockWait = 2000;

StoredSettings settingsFile;

// A write to a closed pipe (`skypop 2>&1 | head -1`, a terminal gone) must fail like any other
// write rather than end the game unsaved: SIGPIPE is ignored from before the first warning the
// start-up may print, and its previous handling comes back when the run stops.
// Windows has no SIGPIPE: a write to a closed pipe simply fails there.
#ifdef SIGPIPE
using SignalHandler = void (*)(int);
SignalHandler previousPipeHandler = SIG_DFL;
bool ignoringPipe = false;
#endif

void IgnoreBrokenPipes() {
#ifdef SIGPIPE
  const SignalHandler previous = std::signal(SIGPIPE, SIG_IGN);
  if (previous == SIG_ERR || ignoringPipe) return;
  previousPipeHandler = previous;
  ignoringPipe = true;
#endif
}

void RestoreBrokenPipes() {
#ifdef SIGPIPE
  if (ignoringPipe) std::signal(SIGPIPE, previousPipeHandler);
  ignoringPipe = false;
#endif
}

// Only what the player has just changed goes into the file: the command line's choices were for
// this run alone and must not leak into the next, and the other settings in the file may have
// been changed meanwhile by another game or by hand.
void KeepChangedSettings(const platform::PlayerSettings& now) {
  platform::PlayerSettings& stored = settingsFile.stored;
  const platform::PlayerSettings& before = settingsFile.inForce;
  unsigned changed = 0;
  if (now.fullScreen != before.fullScreen) {
    stored.fullScreen = now.fullScreen;
    changed |= kFullScreenSetting;
  }
  if (now.masterVolume != before.masterVolume) {
    stored.masterVolume = now.masterVolume;
    changed |= kVolumeSetting;
  }
  if (now.musicVolume != before.musicVolume) {
    stored.musicVolume = now.musicVolume;
    changed |= kMusicVolumeSetting;
  }
  if (now.effectsVolume != before.effectsVolume) {
    stored.effectsVolume = now.effectsVolume;
    changed |= kEffectsVolumeSetting;
  }
  if (now.muted != before.muted) {
    stored.muted = now.muted;
    changed |= kMuteSetting;
  }
  settingsFile.inForce = now;
  if (!settingsFile.writable || changed == 0) return;
  settingsFile.unsaved |= changed;
  // Never waits during play: a lock another game holds must not freeze the game.
  if (WriteSettings(settingsFile.path, stored, settingsFile.unsaved, 0)) settingsFile.unsaved = 0;
}

}  // namespace

std::string SettingsPath() {
  return platform::UserConfigFolder() + "/skypop.cfg";
}

SoundChoice StartOnDesktop(const Options& options) {
  IgnoreBrokenPipes();
  const ScoreFilePaths scores = ResolveScoreFiles(options.dataDir);
  SetScoreFiles(scores.path.c_str(),
                scores.importPath.empty() ? nullptr : scores.importPath.c_str());

  settingsFile = StoredSettings{};
  settingsFile.path = SettingsPath();
  settingsFile.writable =
      ReadSettings(settingsFile.path, &settingsFile.stored) != SettingsRead::kUnreadable;
  platform::PlayerSettings run = settingsFile.stored;
  if (options.fullScreen.has_value()) run.fullScreen = *options.fullScreen;
  if (options.volume.has_value()) run.masterVolume = *options.volume;
  if (options.musicVolume.has_value()) run.musicVolume = *options.musicVolume;
  if (options.effectsVolume.has_value()) run.effectsVolume = *options.effectsVolume;
  platform::ApplyPlayerSettings(run);
  settingsFile.inForce = platform::CurrentPlayerSettings();
  platform::ListenToPlayerSettings(KeepChangedSettings);

  platform::UseSoundfont(options.soundfont.c_str());
  SoundChoice choice;
  choice.sound = !options.noSound;
  choice.music = !options.noSound && !options.noMusic;
  return choice;
}

void StopOnDesktop() {
  platform::ListenToPlayerSettings(nullptr);
  if (settingsFile.writable && settingsFile.unsaved != 0) {
    WriteSettings(settingsFile.path, settingsFile.stored, settingsFile.unsaved, kCloseLockWait);
  }
  settingsFile.unsaved = 0;
  RestoreBrokenPipes();
}

void TellOfLostScores(bool endedBySignal) {
  const std::string why = UnsavedScoresReason();
  // Standard error has said it already; a game ended by a signal has nobody to dismiss a box.
  if (why.empty() || endedBySignal) return;
  const std::string text = "The new high score could not be saved.\n\n" + why;
  platform::MessageBox(nullptr, text.c_str(), "SKYPOP FRENZY");
}
