// A SoundFont 2 file as the soundfont generator sees it: the INFO items, and the presets,
// instruments and samples as trees (zones holding their own generators and modulators, samples
// holding their own points). The file's flat index tables (bags, generator and modulator
// indices, sample offsets) exist only while reading and writing, so cutting a font down never
// has to patch an index by hand.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace soundfont {

using Bytes = std::vector<uint8_t>;
using Name = std::array<char, 20>;  // as stored: zero-padded, not always zero-terminated

// Generator operators the cut looks at.
inline constexpr uint16_t kGenInstrument = 41;
inline constexpr uint16_t kGenKeyRange = 43;
inline constexpr uint16_t kGenVelRange = 44;
inline constexpr uint16_t kGenSampleId = 53;

// Sample types: bit 0x8000 marks a sample kept in a synthesizer's ROM, not in the file.
inline constexpr uint16_t kSampleMono = 1;
inline constexpr uint16_t kSampleRom = 0x8000;
inline constexpr uint16_t kSampleLinkBits = 2 | 4 | 8;  // right, left, linked

// SoundFont 2 asks for at least this many zero points after every sample.
inline constexpr size_t kSampleGuardPoints = 46;

struct Generator {
  uint16_t oper = 0;
  uint16_t amount = 0;  // a signed or unsigned word, or a low/high byte range, by operator
  bool operator==(const Generator&) const = default;
};

struct Modulator {
  uint16_t source = 0;
  uint16_t destination = 0;
  int16_t amount = 0;
  uint16_t amountSource = 0;
  uint16_t transform = 0;
  bool operator==(const Modulator&) const = default;
};

struct Zone {
  std::vector<Generator> generators;
  std::vector<Modulator> modulators;
  bool operator==(const Zone&) const = default;
};

struct Preset {
  Name name{};
  uint16_t program = 0;
  uint16_t bank = 0;
  uint32_t library = 0;
  uint32_t genre = 0;
  uint32_t morphology = 0;
  std::vector<Zone> zones;
  bool operator==(const Preset&) const = default;
};

struct Instrument {
  Name name{};
  std::vector<Zone> zones;
  bool operator==(const Instrument&) const = default;
};

struct Sample {
  Name name{};
  std::vector<int16_t> points;  // from the sample's start up to (not including) its end
  std::vector<uint8_t> low;     // the sm24 low bytes of the same points, when the font has them
  int64_t loopStart = 0;        // relative to the sample's first point
  int64_t loopEnd = 0;
  uint32_t rate = 0;
  uint8_t rootKey = 60;  // the key the sample sounds at its own rate
  int8_t pitchCorrection = 0;
  uint16_t link = 0;  // index of the other sample of a stereo or linked pair
  uint16_t type = kSampleMono;
  bool operator==(const Sample&) const = default;
};

struct InfoItem {
  std::string tag;  // four characters
  Bytes data;
  bool operator==(const InfoItem&) const = default;
};

struct SoundFont {
  std::vector<InfoItem> info;
  bool has24Bit = false;  // an sm24 chunk goes with the points
  std::vector<Preset> presets;
  std::vector<Instrument> instruments;
  std::vector<Sample> samples;
  bool operator==(const SoundFont&) const = default;
};

// An INFO text item: the text, a terminating zero, and a pad byte to an even length.
InfoItem InfoText(const std::string& tag, const std::string& text);

// The printable part of a stored name.
std::string NameText(const Name& name);

bool ReadSoundFont(const Bytes& bytes, SoundFont& font, std::string& error);
Bytes WriteSoundFont(const SoundFont& font);

}  // namespace soundfont
