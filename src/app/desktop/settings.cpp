// skypop.cfg: a comment, then one `key = value` per line. Read leniently (blank lines, comments,
// spaces and unknown keys are fine; a bad value keeps that setting's default), written whole.
#include "app/desktop/settings.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "machine/printable.h"
#include "machine/user_file.h"

namespace {

// A settings file is a few dozen bytes; anything past this is not ours.
constexpr size_t kReadLimit = 4096;

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

}  // namespace

SettingsRead ReadSettings(const std::string& path, platform::PlayerSettings* settings) {
  *settings = platform::PlayerSettings{};
  platform::UserFile file(path.c_str());
  std::string text;
  bool truncated = false;
  switch (file.Read(&text, kReadLimit, &truncated)) {
    case platform::UserFileRead::kMissing:
      return SettingsRead::kMissing;  // nothing chosen yet: no reason to say anything
    case platform::UserFileRead::kUnreadable:
      std::fprintf(stderr, "skypop: %s: %s; using the default settings\n",
                   platform::Printable(path).c_str(), platform::Printable(file.problem()).c_str());
      return SettingsRead::kUnreadable;
    case platform::UserFileRead::kRead:
      break;
  }
  // Editors that save "UTF-8 with BOM" put one before the first key.
  constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
  const size_t first = text.rfind(kByteOrderMark, 0) == 0 ? sizeof kByteOrderMark - 1 : 0;
  // Every line that makes no sense is named (the first few, then how many more), in one line.
  constexpr int kNamedAtMost = 10;
  std::string bad;
  int badCount = 0;
  const auto note = [&bad, &badCount](int number) {
    if (++badCount <= kNamedAtMost) bad += (badCount > 1 ? ", " : "") + std::to_string(number);
  };
  int number = 0;
  for (size_t start = first; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    ++number;
    // A file cut off at the read limit ends in part of a line: that line is bad, and unread.
    if ((truncated && end == text.size()) || !ReadLine(line.data(), settings)) note(number);
    start = end + 1;
  }
  // Cut off right after a whole line: the first line past the limit is the bad one.
  if (truncated && (text.empty() || text.back() == '\n')) note(number + 1);
  if (badCount > kNamedAtMost) bad += " and " + std::to_string(badCount - kNamedAtMost) + " more";
  if (badCount > 0) {
    std::fprintf(
        stderr, "skypop: %s: line%s %s make%s no sense; %s\n", platform::Printable(path).c_str(),
        badCount > 1 ? "s" : "", bad.c_str(), badCount > 1 ? "" : "s",
        badCount > 1 ? "those settings keep their defaults" : "that setting keeps its default");
  }
  return SettingsRead::kLoaded;
}

bool WriteSettings(const std::string& path, const platform::PlayerSettings& settings) {
  char body[256];
  std::snprintf(body, sizeof body,
                "fullscreen = %s\nvolume = %d\nmusic-volume = %d\neffects-volume = %d\nmute = %s\n",
                settings.fullScreen ? "yes" : "no", settings.masterVolume, settings.musicVolume,
                settings.effectsVolume, settings.muted ? "yes" : "no");
  // Locked, so that two games changing their settings at once write one after the other.
  platform::UserFile file(path.c_str());
  std::string text = kHeader;
  text += body;
  if (file.Lock() && file.Replace(text)) return true;
  std::fprintf(stderr, "skypop: %s: %s; the setting holds for this run only\n", path.c_str(),
               file.problem().c_str());
  return false;
}
