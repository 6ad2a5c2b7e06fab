// The player's folders, from the environment as it stands when the game starts.
#include "shell/user_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

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

std::string BaseFolder(const char* variable, const char* fallbackUnderHome) {
  const char* value = std::getenv(variable);
  if (value != nullptr && value[0] == '/') return std::string(value) + "/skypop";
  std::string folder = HomeFolder();
  folder += '/';
  folder += fallbackUnderHome;
  return folder;
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
