// The player's folders, from the environment as it stands when the game starts.
#include "shell/user_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace {

constexpr const char kScoreFileName[] = "KIPO.INI";

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return home;
  // A session without HOME (a service, a bare `env -i`) still has a home in the user database.
  const passwd* entry = getpwuid(getuid());
  if (entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] != '\0') {
    return entry->pw_dir;
  }
  return ".";
}

// $variable/skypop, or the fallback under the home folder; with "." and ".." taken out and
// slashes single, by the letters alone: the folders are made one by one along the path, and a walk
// through "a/.." would leave a stray "a" behind.
std::string BaseFolder(const char* variable, const char* fallbackUnderHome) {
  const char* value = std::getenv(variable);
  std::string folder;
  if (value != nullptr && value[0] == '/') {
    folder = std::string(value) + "/skypop";
  } else {
    folder = HomeFolder() + '/' + fallbackUnderHome;
  }
  return std::filesystem::path(folder).lexically_normal().string();
}

bool SameFolder(const std::string& a, const std::string& b) {
  struct stat first {};
  struct stat second {};
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace

std::string UserDataFolder() {
  return BaseFolder("XDG_DATA_HOME", ".local/share/skypop");
}

std::string UserConfigFolder() {
  return BaseFolder("XDG_CONFIG_HOME", ".config/skypop");
}

ScoreFilePaths ResolveScoreFiles(const std::string& dataDir) {
  const std::string folder = dataDir.empty() ? UserDataFolder() : dataDir;
  ScoreFilePaths paths;
  paths.path = folder;
  paths.path += '/';
  paths.path += kScoreFileName;
  if (!SameFolder(folder, ".") && access(kScoreFileName, F_OK) == 0) {
    paths.importPath = kScoreFileName;
  }
  return paths;
}
