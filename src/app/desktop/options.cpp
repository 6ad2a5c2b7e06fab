// The command line, read with getopt_long so the usual GNU forms work: -w, --window,
// --volume 50, --volume=50, options in any order, "--" to end them.
#include "app/desktop/options.h"

#include <getopt.h>

#include <cstdlib>
#include <cstring>

#include "host/user_files.h"
#include "machine/printable.h"

namespace {

enum LongOnly : int {
  kDataDir = 256,
  kSoundfont,
  kNoSound,
  kNoMusic,
  kVolume,
  kMusicVolume,
  kEffectsVolume,
};

constexpr option kLongOptions[] = {
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'v'},
    {"window", no_argument, nullptr, 'w'},
    {"fullscreen", no_argument, nullptr, 'f'},
    {"data-dir", required_argument, nullptr, kDataDir},
    {"soundfont", required_argument, nullptr, kSoundfont},
    {"nosound", no_argument, nullptr, kNoSound},
    {"nomusic", no_argument, nullptr, kNoMusic},
    {"volume", required_argument, nullptr, kVolume},
    {"music-volume", required_argument, nullptr, kMusicVolume},
    {"effects-volume", required_argument, nullptr, kEffectsVolume},
    {nullptr, 0, nullptr, 0},
};

constexpr const char kUsage[] =
    "Usage: skypop [OPTION]...\n"
    "Pop the balloons rising through the sky with a mouse-steered cross-hair.\n"
    "\n"
    "  -w, --window            play in a window\n"
    "  -f, --fullscreen        play full screen\n"
    "      --data-dir DIR      keep the high-score file KIPO.INI in DIR\n"
    "                          (default %s)\n"
    "      --soundfont FILE    play the music with this General-MIDI soundfont\n"
    "      --nosound           no sound effects and no music\n"
    "      --nomusic           no music\n"
    "      --volume N          master volume, 0 to 100\n"
    "      --music-volume N    music volume, 0 to 100\n"
    "      --effects-volume N  sound effects volume, 0 to 100\n"
    "  -h, --help              show this help and exit\n"
    "  -v, --version           show the version and exit\n"
    "\n"
    "Keys: M mutes and unmutes, - and = turn the volume down and up, F11 or Alt+Enter\n"
    "switches between full screen and a window, Escape quits.\n"
    "\n"
    "The choice of window and the volumes are kept in\n"
    "  %s/skypop.cfg;\n"
    "options given here hold for this run only.\n";

bool LongOptionNamed(const char* name) {
  for (const option& known : kLongOptions) {
    if (known.name != nullptr && std::strcmp(known.name, name) == 0) return true;
  }
  return false;
}

// The long options an abbreviation could stand for, as "'--nosound' or '--nomusic'"; empty unless
// there are two or more (getopt takes a unique abbreviation as the option itself).
std::string Candidates(const char* abbreviation) {
  std::string names;
  int count = 0;
  const size_t length = std::strlen(abbreviation);
  if (length == 0) return names;
  for (const option& known : kLongOptions) {
    if (known.name == nullptr || std::strncmp(known.name, abbreviation, length) != 0) continue;
    names += names.empty() ? "'--" : "' or '--";
    names += known.name;
    ++count;
  }
  return count > 1 ? names + "'" : "";
}

// The option as the player wrote it, for the error line.
const char* Spelled(int index, const char* fallback) {
  return index >= 0 ? kLongOptions[index].name : fallback;
}

int Refuse(std::FILE* err, const std::string& what) {
  std::fprintf(err, "skypop: %s (try 'skypop --help')\n", what.c_str());
  return 2;
}

// What was wrong with the option getopt stopped at: a long option is named as written (before
// any "=value"), a short one by its letter.
std::string Complaint(const char* written, bool missingValue) {
  std::string name = "-?";
  bool givenAValue = false;
  std::string candidates;
  if (std::strncmp(written, "--", 2) == 0) {
    const char* equals = std::strchr(written, '=');
    name.assign(written,
                equals != nullptr ? static_cast<size_t>(equals - written) : std::strlen(written));
    givenAValue = equals != nullptr && LongOptionNamed(name.c_str() + 2);
    candidates = Candidates(name.c_str() + 2);
  } else {
    name[1] = static_cast<char>(optopt);
  }
  // Built by appending: g++ 12 at -O3 warns falsely (-Wrestrict) on "literal" + a temporary.
  std::string message =
      missingValue || givenAValue || !candidates.empty() ? "option '" : "unknown option '";
  message += platform::Printable(name);
  message += '\'';
  if (missingValue) return message + " needs a value";
  if (givenAValue) return message + " takes no value";
  if (!candidates.empty()) return message + " is ambiguous: " + candidates;
  return message;
}

// Plain decimal digits only: no sign, no blanks, no "0x".
bool ReadVolume(const char* text, std::optional<int>* out) {
  const size_t digits = std::strspn(text, "0123456789");
  if (digits == 0 || text[digits] != '\0' || digits > 9) return false;
  const int value = std::atoi(text);
  if (value > 100) return false;
  *out = value;
  return true;
}

}  // namespace

int ParseOptions(int argc, char** argv, Options* options, std::FILE* out, std::FILE* err) {
  *options = Options{};
  optind = 0;  // glibc starts afresh, so the command line can be read more than once (tests)
  opterr = 0;  // the messages are ours, on one line each
  for (;;) {
    int index = -1;
    const int c = getopt_long(argc, argv, ":hvwf", kLongOptions, &index);
    if (c == -1) break;
    std::optional<int>* volume = nullptr;
    switch (c) {
      case 'h':
        // The folders as this machine has them: the player sees where the files really are.
        std::fprintf(out, kUsage, platform::Printable(platform::UserDataFolder()).c_str(),
                     platform::Printable(platform::UserConfigFolder()).c_str());
        return 0;
      case 'v':
        std::fputs("skypop " SKYPOP_VERSION "\n", out);
        return 0;
      case 'w':
        options->fullScreen = false;
        break;
      case 'f':
        options->fullScreen = true;
        break;
      case kDataDir:
        options->dataDir = optarg;
        if (options->dataDir.empty()) return Refuse(err, "--data-dir needs a folder");
        break;
      case kSoundfont:
        options->soundfont = optarg;
        if (options->soundfont.empty()) return Refuse(err, "--soundfont needs a file");
        break;
      case kNoSound:
        options->noSound = true;
        break;
      case kNoMusic:
        options->noMusic = true;
        break;
      case kVolume:
        volume = &options->volume;
        break;
      case kMusicVolume:
        volume = &options->musicVolume;
        break;
      case kEffectsVolume:
        volume = &options->effectsVolume;
        break;
      case ':':
        return Refuse(err, Complaint(argv[optind - 1], true));
      default:
        return Refuse(err, Complaint(argv[optind - 1], false));
    }
    if (volume != nullptr && !ReadVolume(optarg, volume)) {
      return Refuse(err, std::string("--") + Spelled(index, "volume") +
                             " wants a number from 0 to 100, not '" + platform::Printable(optarg) +
                             "'");
    }
  }
  if (optind < argc) {
    return Refuse(err, "unexpected argument '" + platform::Printable(argv[optind]) + "'");
  }
  return kRunTheGame;
}
