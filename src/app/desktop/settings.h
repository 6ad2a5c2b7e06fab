// The settings file: the player's window choice and volumes as plain `key = value` lines.
#pragma once

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
// Writes the settings to `path`, creating its folder: a new file beside it replaces the old one
// only once complete, a link stays a link. False (with one line on stderr) when it could not be
// written.
bool WriteSettings(const std::string& path, const platform::PlayerSettings& settings);
