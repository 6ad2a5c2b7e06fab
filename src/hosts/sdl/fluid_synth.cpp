// The system synthesizer: FluidSynth with the player's soundfont (--soundfont), else the game's
// own (skypop.sf2, installed with the game), else as a last resort the system's General-MIDI
// soundfont. A background thread builds a complete synthesizer (settings, synth, soundfont) without
// touching anything the audio thread uses, then hands it over through one atomic pointer. Until
// then the audio thread keeps a channel memory and replays it when it takes the synthesizer over.
#include <fluidsynth.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <thread>

#include "host/program_folder.h"
#include "host/synth.h"
#include "hosts/sdl/fluid_tuning.h"
#include "machine/audio.h"
#include "machine/printable.h"
#include "machine/synth_setup.h"

namespace platform {
namespace {

constexpr int kChunkFrames = 256;

// Where the distributions put their GM soundfont, after the one FluidSynth itself names.
constexpr const char* kWellKnownSoundfonts[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf3/default-GM.sf3",
    "/usr/share/soundfonts/FluidR3_GM.sf2",
    "/usr/share/soundfonts/default.sf2",
};

// Only files that are there are offered to FluidSynth, which would otherwise print an error for
// every well-known place that this machine does not use.
bool TryLoad(fluid_synth_t* synth, const char* path) {
  return access(path, R_OK) == 0 && fluid_is_soundfont(path) &&
         fluid_synth_sfload(synth, path, 1) != FLUID_FAILED;
}

uint32_t LittleEndian32(const unsigned char* bytes) {
  return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

// The preset data's nine tables, in the order they must come, each with the size of its records.
struct PresetTable {
  char id[5];
  uint32_t recordSize;
};
constexpr PresetTable kPresetTables[] = {{"phdr", 38}, {"pbag", 4},  {"pmod", 10},
                                         {"pgen", 4},  {"inst", 22}, {"ibag", 4},
                                         {"imod", 10}, {"igen", 4},  {"shdr", 46}};

// What is wrong with the tables of the pdta list that runs from `at` to `end`; empty when nothing.
std::string PresetTablesFault(std::FILE* file, long long at, long long end) {
  for (const PresetTable& table : kPresetTables) {
    unsigned char chunk[8];
    if (end - at < 8 || std::fseek(file, static_cast<long>(at), SEEK_SET) != 0 ||
        std::fread(chunk, 1, sizeof chunk, file) != sizeof chunk ||
        std::memcmp(chunk, table.id, 4) != 0) {
      return std::string("its preset data lacks the ") + table.id + " table";
    }
    const uint32_t size = LittleEndian32(chunk + 4);
    if (size % table.recordSize != 0 || end - at - 8 < size) {
      return std::string("its ") + table.id + " table is broken";
    }
    at += 8 + size;
  }
  return "";
}

// What is wrong with the outline of the open soundfont file: a RIFF 'sfbk' form exactly as long
// as the file, made of whole chunks among which are the INFO, sdta and pdta lists, the last with
// its tables in order. Empty when nothing is.
std::string OutlineFault(std::FILE* file) {
  unsigned char form[12];
  if (std::fread(form, 1, sizeof form, file) != sizeof form) {
    return std::ferror(file) ? std::strerror(errno) : "it is too short to be a soundfont";
  }
  if (std::memcmp(form, "RIFF", 4) != 0 || std::memcmp(form + 8, "sfbk", 4) != 0) {
    return "it is not a soundfont (no RIFF sfbk header)";
  }
  if (std::fseek(file, 0, SEEK_END) != 0) return std::strerror(errno);
  const long long size = std::ftell(file);
  const long long end = 8LL + LittleEndian32(form + 4);
  if (size != end) {
    return "it is " + std::to_string(size) + " bytes long where its header says " +
           std::to_string(end) + (size < end ? " (cut short)" : "");
  }
  const char* const kLists[] = {"INFO", "sdta", "pdta"};
  bool found[3] = {};
  for (long long at = 12; at < end;) {
    unsigned char chunk[12] = {};
    if (end - at < 8 || std::fseek(file, static_cast<long>(at), SEEK_SET) != 0 ||
        std::fread(chunk, 1, sizeof chunk, file) < 8) {
      return "it is cut short inside a chunk at byte " + std::to_string(at);
    }
    const long long next = at + 8 + LittleEndian32(chunk + 4) + (chunk[4] & 1u);
    if (next > end) {
      return "its '" + Printable(std::string_view(reinterpret_cast<char*>(chunk), 4)) +
             "' chunk at byte " + std::to_string(at) + " runs past the end";
    }
    const bool list = std::memcmp(chunk, "LIST", 4) == 0 && next - at >= 12;
    for (int i = 0; i < 3; ++i) found[i] |= list && std::memcmp(chunk + 8, kLists[i], 4) == 0;
    if (list && std::memcmp(chunk + 8, "pdta", 4) == 0) {
      std::string fault = PresetTablesFault(file, at + 12, next);
      if (!fault.empty()) return fault;
    }
    at = next;
  }
  for (int i = 0; i < 3; ++i) {
    if (!found[i]) return std::string("it has no ") + kLists[i] + " list";
  }
  return "";
}

// Why FluidSynth would refuse the soundfont at `path`, found before it sees the file: each of its
// loaders (the soundfont one, then the DLS one) would print its own complaint, several lines for
// one bad file. Empty when the file looks whole.
std::string SoundfontFault(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return std::strerror(errno);
  const std::string fault = OutlineFault(file);
  std::fclose(file);
  return fault;
}

// FluidSynth's own complaints while the soundfonts load: the first is kept as the reason for the
// game's one line, none is printed.
char fluidComplaint[200] = "";

void KeepComplaint(int, const char* message, void*) {
  if (fluidComplaint[0] == '\0') {
    std::snprintf(fluidComplaint, sizeof fluidComplaint, "%s", message);
  }
}

constexpr int kQuietLevels[] = {FLUID_PANIC, FLUID_ERR, FLUID_WARN};

// The player's own soundfont, tried first.
std::string playerSoundfont;

// Loads the soundfont at `path`, or says in one line why it cannot and that the game goes on to
// try `next`.
bool LoadNamedSoundfont(fluid_synth_t* synth, const std::string& path, const char* next) {
  std::string fault = SoundfontFault(path.c_str());
  fluidComplaint[0] = '\0';
  if (fault.empty() && fluid_synth_sfload(synth, path.c_str(), 1) != FLUID_FAILED) return true;
  if (fault.empty()) fault = fluidComplaint[0] != '\0' ? fluidComplaint : "FluidSynth refused it";
  std::fprintf(stderr, "skypop: cannot use soundfont %s: %s; trying %s\n", Printable(path).c_str(),
               Printable(fault).c_str(), next);
  return false;
}

// The game's own soundfont, so that the songs sound the same on every machine: the first of the
// places it is put that has it. Beside the program where it was built; in the data folder where
// it was installed (SKYPOP_DATA_FROM_PROGRAM, from the program's folder). Empty when neither has.
std::string GameSoundfont() {
  std::string folder = ProgramFolder();
  if (folder.empty()) return "";
  folder += '/';
  for (const char* under : {"", SKYPOP_DATA_FROM_PROGRAM "/"}) {
    std::string path = folder;
    path.append(under).append("skypop.sf2");
    if (access(path.c_str(), F_OK) == 0) return path;
  }
  return "";
}

bool LoadSoundfont(fluid_settings_t* settings, fluid_synth_t* synth) {
  fluid_log_function_t previous[std::size(kQuietLevels)];
  for (size_t i = 0; i < std::size(kQuietLevels); ++i) {
    previous[i] = fluid_set_log_function(kQuietLevels[i], KeepComplaint, nullptr);
  }
  char* named = nullptr;
  bool loaded =
      !playerSoundfont.empty() && LoadNamedSoundfont(synth, playerSoundfont, "the game's own");
  if (!loaded) {
    const std::string game = GameSoundfont();
    loaded = !game.empty() && LoadNamedSoundfont(synth, game, "the system's own");
  }
  if (!loaded && fluid_settings_dupstr(settings, "synth.default-soundfont", &named) == FLUID_OK &&
      named != nullptr) {
    loaded = TryLoad(synth, named);
    fluid_free(named);
  }
  for (const char* path : kWellKnownSoundfonts) {
    if (loaded) break;
    loaded = TryLoad(synth, path);
  }
  for (size_t i = 0; i < std::size(kQuietLevels); ++i) {
    fluid_set_log_function(kQuietLevels[i], previous[i], nullptr);
  }
  return loaded;
}

class FluidSynthDevice final : public Synth {
 public:
  explicit FluidSynthDevice(int rate) : loader_([this, rate] { Load(rate); }) {}
  ~FluidSynthDevice() override {
    WaitUntilLoaded();
    if (fluid_synth_t* synth = loaded_.load(std::memory_order_acquire)) delete_fluid_synth(synth);
    if (settings_ != nullptr) delete_fluid_settings(settings_);
  }

  void ShortMessage(uint32_t message) override {
    const uint32_t status = message & 0xF0u;
    if (status < 0x80 || status == 0xF0) return;  // no running status, no system messages
    fluid_synth_t* synth = Ready();
    if (synth == nullptr) {
      memory_.Note(message);
      return;
    }
    PlayShortMessage(synth, message);
  }

  void AllNotesOff() override {
    fluid_synth_t* synth = Ready();
    if (synth == nullptr) {
      memory_.LiftPedals();
      return;
    }
    ReleaseAllNotes(synth);
  }

  void Render(float* out, int frames, int /*rate*/) override {
    fluid_synth_t* synth = Ready();
    if (synth == nullptr) return;
    while (frames > 0) {
      const int n = frames < kChunkFrames ? frames : kChunkFrames;
      fluid_synth_write_float(synth, n, scratch_.data(), 0, 2, scratch_.data(), 1, 2);
      for (int i = 0; i < 2 * n; ++i) out[i] += scratch_[static_cast<size_t>(i)];
      out += 2 * n;
      frames -= n;
    }
  }

  bool WaitUntilLoaded() {
    if (loader_.joinable()) loader_.join();
    return loaded_.load(std::memory_order_acquire) != nullptr;
  }

 private:
  // The background thread: everything here is its own until the final store.
  void Load(int rate) {
    fluid_settings_t* settings = NewGameFluidSettings(rate);
    if (settings == nullptr) return;
    settings_ = settings;
    fluid_synth_t* synth = new_fluid_synth(settings);
    if (synth == nullptr) return;
    if (!LoadSoundfont(settings, synth)) {
      std::fprintf(stderr,
                   "skypop: no General-MIDI soundfont found: skypop.sf2 is neither beside the "
                   "game nor in its data folder; name one with --soundfont FILE; playing without "
                   "music\n");
      delete_fluid_synth(synth);
      return;  // no soundfont: the music stays silent and the game runs on
    }
    loaded_.store(synth, std::memory_order_release);
  }

  // The audio thread's view: the synthesizer once it has been handed over, else null.
  fluid_synth_t* Ready() {
    if (synth_ == nullptr) {
      synth_ = loaded_.load(std::memory_order_acquire);
      if (synth_ != nullptr) memory_.Replay(*this);
    }
    return synth_;
  }

  std::atomic<fluid_synth_t*> loaded_{nullptr};
  fluid_settings_t* settings_ = nullptr;  // the loader's until it has finished
  fluid_synth_t* synth_ = nullptr;        // the audio thread's
  ChannelMemory memory_;                  // the audio thread's
  std::array<float, 2 * kChunkFrames> scratch_{};
  std::thread loader_;  // last, so that it starts once everything above is in place
};

FluidSynthDevice& Device() {
  static FluidSynthDevice device(AudioRate());
  return device;
}

}  // namespace

void UseSoundfont(const char* path) {
  playerSoundfont = path != nullptr ? path : "";
}

Synth& SystemSynth() {
  return Device();
}

bool WaitForSystemSynth() {
  return Device().WaitUntilLoaded();
}

}  // namespace platform
