// skypop.cfg: a comment, then one `key = value` per line. Read leniently (blank lines, comments,
// spaces and unknown keys are fine; a bad value keeps that setting's default), written whole.
#include "shell/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char kHeader[] =
    "# SKYPOP FRENZY settings. The game rewrites this file when you change a setting with its\n"
    "# keys (M, - and =, F11 or Alt+Enter); volumes run from 0 to 100.\n";

bool ReadYesNo(const char* text, bool* out) {
  if (std::strcmp(text, "yes") == 0 || std::strcmp(text, "true") == 0 ||
      std::strcmp(text, "1") == 0) {
    *out = true;
  } else if (std::strcmp(text, "no") == 0 || std::strcmp(text, "false") == 0 ||
             std::strcmp(text, "0") == 0) {
    *out = false;
  } else {
    return false;
  }
  return true;
}

bool ReadPercent(const char* text, int* out) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < 0 || value > 100) return false;
  *out = static_cast<int>(value);
  return true;
}

// Trims blanks on both ends, in place.
char* Trimmed(char* text) {
  while (*text == ' ' || *text == '\t') ++text;
  char* end = text + std::strlen(text);
  while (end > text && (end[-1] == ' ' || end[-1] == '\t' || end[-1] == '\n' || end[-1] == '\r')) {
    --end;
  }
  *end = '\0';
  return text;
}

// One line into *settings; false when it makes no sense.
bool ReadLine(char* line, platform::PlayerSettings* settings) {
  char* text = Trimmed(line);
  if (text[0] == '\0' || text[0] == '#') return true;
  char* equals = std::strchr(text, '=');
  if (equals == nullptr) return false;
  *equals = '\0';
  const char* key = Trimmed(text);
  const char* value = Trimmed(equals + 1);
  if (std::strcmp(key, "fullscreen") == 0) return ReadYesNo(value, &settings->fullScreen);
  if (std::strcmp(key, "mute") == 0) return ReadYesNo(value, &settings->muted);
  if (std::strcmp(key, "volume") == 0) return ReadPercent(value, &settings->masterVolume);
  if (std::strcmp(key, "music-volume") == 0) return ReadPercent(value, &settings->musicVolume);
  if (std::strcmp(key, "effects-volume") == 0) return ReadPercent(value, &settings->effectsVolume);
  return false;
}

// Creates each missing folder on the way to `folder` (private to the player, as XDG asks).
bool MakeFolders(const std::string& folder) {
  for (size_t at = 1; at <= folder.size(); ++at) {
    if (at < folder.size() && folder[at] != '/') continue;
    const std::string part = folder.substr(0, at);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

}  // namespace

SettingsRead ReadSettings(const std::string& path, platform::PlayerSettings* settings) {
  *settings = platform::PlayerSettings{};
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) {
    if (errno == ENOENT) return SettingsRead::kMissing;
    std::fprintf(stderr, "skypop: cannot read %s (%s); using the default settings\n", path.c_str(),
                 std::strerror(errno));
    return SettingsRead::kUnreadable;
  }
  char line[256];
  int number = 0;
  int firstBad = 0;
  while (std::fgets(line, sizeof line, file) != nullptr) {
    ++number;
    if (!ReadLine(line, settings) && firstBad == 0) firstBad = number;
  }
  const bool failed = std::ferror(file) != 0;
  const int readError = errno;
  std::fclose(file);
  if (failed) {
    // A folder by that name, or an I/O error half-way: nothing in it can be trusted.
    *settings = platform::PlayerSettings{};
    std::fprintf(stderr, "skypop: cannot read %s (%s); using the default settings\n", path.c_str(),
                 std::strerror(readError));
    return SettingsRead::kUnreadable;
  }
  if (firstBad != 0) {
    std::fprintf(stderr, "skypop: %s:%d makes no sense; that setting keeps its default\n",
                 path.c_str(), firstBad);
  }
  return SettingsRead::kLoaded;
}

bool WriteSettings(const std::string& path, const platform::PlayerSettings& settings) {
  // A settings file that is a link (into a dotfiles repository, say) stays one: write its target.
  std::string target = path;
  char resolved[PATH_MAX];
  struct stat link {};
  if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode) &&
      realpath(path.c_str(), resolved) != nullptr) {
    target = resolved;
  }
  const size_t slash = target.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(target.substr(0, slash))) {
    std::fprintf(stderr, "skypop: cannot create the folder of %s (%s)\n", target.c_str(),
                 std::strerror(errno));
    return false;
  }
  const std::string temporary = target + ".new";
  std::FILE* file = std::fopen(temporary.c_str(), "w");
  bool written = file != nullptr;
  if (written) {
    std::fputs(kHeader, file);
    std::fprintf(file,
                 "fullscreen = %s\nvolume = %d\nmusic-volume = %d\neffects-volume = %d\n"
                 "mute = %s\n",
                 settings.fullScreen ? "yes" : "no", settings.masterVolume, settings.musicVolume,
                 settings.effectsVolume, settings.muted ? "yes" : "no");
    written = std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    written = std::fclose(file) == 0 && written;
  }
  if (written && std::rename(temporary.c_str(), target.c_str()) == 0) return true;
  std::fprintf(stderr, "skypop: cannot write %s (%s)\n", target.c_str(), std::strerror(errno));
  std::remove(temporary.c_str());
  return false;
}
