// The command line: what the player asks of this one run.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

struct Options {
  std::optional<bool> fullScreen;  // -w / -f; unset keeps the stored choice
  std::string dataDir;             // --data-dir; empty: the per-user data folder
  std::string soundfont;           // --soundfont; empty: the system's own
  bool noSound = false;            // --nosound: no effects and no music
  bool noMusic = false;            // --nomusic
  std::optional<int> volume;       // --volume, 0..100
  std::optional<int> musicVolume;
  std::optional<int> effectsVolume;
};

// The exit status that asks the game to run rather than end.
constexpr int kRunTheGame = -1;

// Reads argv into *options. Prints the usage or the version on `out` (status 0), a bad command
// line as one line on `err` (status 2); kRunTheGame when the game should start.
int ParseOptions(int argc, char** argv, Options* options, std::FILE* out, std::FILE* err);
