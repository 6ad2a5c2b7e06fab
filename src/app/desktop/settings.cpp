// skypop.cfg: a comment, then one `key = value` per line. Read leniently (blank lines, comments,
// spaces and unknown keys are fine; a bad value keeps that setting's default); a change is
// written into the file as it is at that moment, line by line.
#include "app/desktop/settings.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>

#include "machine/printable.h"
#include "machine/user_file.h"

namespace {

// A settings file is a few dozen bytes; anything past this is not ours.
constexpr size_t kReadLimit = 4096;
// A write keeps every line it does not change, so it reads the whole file, up to here.
constexpr size_t kRewriteLimit = 64 * 1024;

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

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

// The key of a `key = value` line (blanks around it trimmed), empty for a blank line or a
// comment; false when the line is neither.
bool LineKey(std::string_view line, std::string_view* key) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!line.empty() && blank(line.front())) line.remove_prefix(1);
  while (!line.empty() && blank(line.back())) line.remove_suffix(1);
  *key = {};
  if (line.empty() || line[0] == '#') return true;
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  *key = line.substr(0, equals);
  while (!key->empty() && blank(key->back())) key->remove_suffix(1);
  return !key->empty();
}

// Every line blank, a comment, or `key = value` with a key shaped as the game writes its keys
// (lower-case letters, digits, dashes): only such a file is one a link may lead the game to.
bool ReadsAsSettings(const std::string& text) {
  std::string_view rest = text;
  if (rest.substr(0, 3) == kByteOrderMark) rest.remove_prefix(3);
  while (!rest.empty()) {
    const size_t end = std::min(rest.find('\n'), rest.size());
    std::string_view key;
    if (!LineKey(rest.substr(0, end), &key)) return false;
    for (const char c : key) {
      if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-')) return false;
    }
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  return true;
}

constexpr platform::UserFileKind kSettingsFile = {"a settings file", ReadsAsSettings};

struct SettingLine {
  unsigned bit;
  const char* key;
};
constexpr SettingLine kSettingLines[] = {
    {kFullScreenSetting, "fullscreen"},
    {kVolumeSetting, "volume"},
    {kMusicVolumeSetting, "music-volume"},
    {kEffectsVolumeSetting, "effects-volume"},
    {kMuteSetting, "mute"},
};

std::string SettingValue(unsigned bit, const platform::PlayerSettings& settings) {
  switch (bit) {
    case kFullScreenSetting:
      return settings.fullScreen ? "yes" : "no";
    case kVolumeSetting:
      return std::to_string(settings.masterVolume);
    case kMusicVolumeSetting:
      return std::to_string(settings.musicVolume);
    case kEffectsVolumeSetting:
      return std::to_string(settings.effectsVolume);
    default:
      return settings.muted ? "yes" : "no";
  }
}

// The whole file, for a first write.
std::string WholeFile(const platform::PlayerSettings& settings) {
  std::string text = kHeader;
  for (const SettingLine& line : kSettingLines) {
    text += std::string(line.key) + " = " + SettingValue(line.bit, settings) + "\n";
  }
  return text;
}

// `text` with the settings `which` names set: the last line of each key gets the new value (its
// line ending kept), a key without a line gets one at the end; nothing else changes.
std::string EditedFile(const std::string& text, const platform::PlayerSettings& settings,
                       unsigned which) {
  constexpr size_t kNone = std::string::npos;
  size_t lastLine[std::size(kSettingLines)];
  std::fill(std::begin(lastLine), std::end(lastLine), kNone);
  const size_t first = text.rfind(kByteOrderMark, 0) == 0 ? 3 : 0;
  for (size_t start = first; start < text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    std::string_view key;
    if (LineKey(std::string_view(text).substr(start, end - start), &key)) {
      for (size_t i = 0; i < std::size(kSettingLines); ++i) {
        if (key == kSettingLines[i].key) lastLine[i] = start;
      }
    }
    start = end + 1;
  }
  const auto setting = [&settings](const SettingLine& line) {
    return std::string(line.key) + " = " + SettingValue(line.bit, settings);
  };
  std::string edited(text, 0, first);
  for (size_t start = first; start < text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    size_t content = end;
    if (content > start && text[content - 1] == '\r') --content;
    size_t changed = kNone;
    for (size_t i = 0; i < std::size(kSettingLines); ++i) {
      if ((which & kSettingLines[i].bit) != 0 && lastLine[i] == start) changed = i;
    }
    if (changed == kNone) {
      edited.append(text, start, content - start);
    } else {
      edited += setting(kSettingLines[changed]);
    }
    edited.append(text, content, std::min(end + 1, text.size()) - content);
    start = end + 1;
  }
  for (size_t i = 0; i < std::size(kSettingLines); ++i) {
    if ((which & kSettingLines[i].bit) == 0 || lastLine[i] != kNone) continue;
    if (!edited.empty() && edited.back() != '\n') edited += '\n';
    edited += setting(kSettingLines[i]) + "\n";
  }
  return edited;
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
  platform::UserFile file(path.c_str(), kSettingsFile);
  std::string text;
  bool truncated = false;
  switch (file.Read(&text, kReadLimit, &truncated)) {
    case platform::UserFileRead::kMissing:
      return SettingsRead::kMissing;  // nothing chosen yet: no reason to say anything
    case platform::UserFileRead::kUnreadable:
      std::fprintf(
          stderr,
          "skypop: %s: %s; using the default settings, and changes hold for this run only\n",
          platform::Printable(path).c_str(), platform::Printable(file.problem()).c_str());
      return SettingsRead::kUnreadable;
    case platform::UserFileRead::kRead:
      break;
  }
  // Editors that save "UTF-8 with BOM" put one before the first key.
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

bool WriteSettings(const std::string& path, const platform::PlayerSettings& settings,
                   unsigned which, uint32_t lockWaitMilliseconds) {
  platform::UserFile file(path.c_str(), kSettingsFile);
  std::string text;
  bool truncated = false;
  std::string problem;
  if (!file.Lock(lockWaitMilliseconds)) {
    problem = file.problem();
  } else {
    switch (file.Read(&text, kRewriteLimit, &truncated)) {
      case platform::UserFileRead::kUnreadable:
        problem = file.problem();
        break;
      case platform::UserFileRead::kMissing:
        text = WholeFile(settings);
        break;
      case platform::UserFileRead::kRead:
        if (truncated) {
          problem = "it is too long to be a settings file, so it is left as it is";
        } else {
          text = EditedFile(text, settings, which);
        }
        break;
    }
    if (problem.empty() && !file.Replace(text)) problem = file.problem();
  }
  if (!problem.empty()) {
    std::fprintf(stderr, "skypop: %s: %s; %s\n", platform::Printable(path).c_str(),
                 platform::Printable(problem).c_str(),
                 lockWaitMilliseconds == 0 ? "the game tries again when it ends"
                                           : "the setting holds for this run only");
    return false;
  }
  if (file.replacedInPlace()) {
    std::fprintf(stderr,
                 "skypop: %s: its folder takes no new files, so it was rewritten in place\n",
                 platform::Printable(path).c_str());
  }
  return true;
}
