// Where the player's own files live: the XDG base directories, or the folder --data-dir names.
#pragma once

#include <string>

// $XDG_DATA_HOME/skypop, or ~/.local/share/skypop when the variable is unset, empty or not an
// absolute path (which the XDG rules say to ignore).
std::string UserDataFolder();
// $XDG_CONFIG_HOME/skypop, or ~/.config/skypop, on the same rules.
std::string UserConfigFolder();

struct ScoreFilePaths {
  std::string path;        // where the table is read and saved
  std::string importPath;  // an older table to start from while `path` does not exist; or empty
};

// KIPO.INI in `dataDir` (the per-user data folder when empty). A KIPO.INI in the working
// directory is offered for import (a table kept where the game was started), unless it is that
// same file.
ScoreFilePaths ResolveScoreFiles(const std::string& dataDir);
