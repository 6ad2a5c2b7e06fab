// The settings file: the player's window choice and volumes as plain `key = value` lines.
#pragma once

#include <cstdint>
#include <string>

#include "machine/player_settings.h"

enum class SettingsRead {
  kLoaded,      // the file was read (lines that made no sense were warned about and skipped)
  kMissing,     // no file yet: the defaults, no word
  kUnreadable,  // the file is there but cannot be read: the defaults, and it must not be replaced
};

// Reads `path` into *settings (the defaults first); prints one warning line on stderr for an
// unreadable file or for lines that make no sense.
SettingsRead ReadSettings(const std::string& path, platform::PlayerSettings* settings);
// The settings one write touches, a bit each.
enum SettingBits : unsigned {
  kFullScreenSetting = 1u,
  kVolumeSetting = 2u,
  kMusicVolumeSetting = 4u,
  kEffectsVolumeSetting = 8u,
  kMuteSetting = 16u,
  kEverySetting = 31u,
};

// Writes the settings `which` names into `path`, over the file as it is now: read afresh under
// its folder's lock (waited for at most `lockWaitMilliseconds`; 0 tries it once), each setting's
// line (the last one, which a read believes) takes the new value or is added at the end, and
// every other line stays as it was, so that another game's change or a hand edit made meanwhile
// is kept. A missing file is written whole, creating its folder. A new file beside the old one
// replaces it only once complete; a link stays a link, and only a link the player may follow
// (see machine/user_file.h) is written through. False (with one line on stderr) when it could
// not be written.
bool WriteSettings(const std::string& path, const platform::PlayerSettings& settings,
                   unsigned which = kEverySetting, uint32_t lockWaitMilliseconds = 0);
