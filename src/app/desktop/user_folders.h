// Where the score table lives: the per-user data folder (host/user_files.h), or the folder
// --data-dir names.
#pragma once

#include <string>

struct ScoreFilePaths {
  std::string path;        // where the table is read and saved
  std::string importPath;  // a table to start from while `path` does not exist; or empty
};

// KIPO.INI in `dataDir` (the per-user data folder when empty). A KIPO.INI in the working
// directory, where the game kept it before it had a folder of its own, is offered for import,
// unless it is that same file.
ScoreFilePaths ResolveScoreFiles(const std::string& dataDir);
