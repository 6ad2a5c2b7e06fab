// The player's folders on Linux and other POSIX desktops: the XDG base directories, from the
// environment as it stands when the game starts.
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "host/user_files.h"

namespace platform {

namespace {

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

// $VARIABLE/skypop, or ~/fallbackUnderHome when the variable is unset, empty or not an absolute
// path (which the XDG rules say to ignore); with "." and ".." taken out and slashes single, by
// the letters alone: the folders are made one by one along the path, and a walk through "a/.."
// would leave a stray "a" behind.
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

}  // namespace

std::string UserDataFolder() {
  return BaseFolder("XDG_DATA_HOME", ".local/share/skypop");
}

std::string UserConfigFolder() {
  return BaseFolder("XDG_CONFIG_HOME", ".config/skypop");
}

}  // namespace platform
