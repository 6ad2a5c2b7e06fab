// Cuts a soundfont down to what songs use: the presets their channels select, the preset and
// instrument zones whose key and velocity ranges take in the notes they play (plus each preset's
// and instrument's global zone), and the samples those zones play, with a sample's stereo or
// linked partner. Generators, modulators and loop points stay as they were; instrument and sample
// numbers are renumbered.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "sf2_file.h"
#include "song_notes.h"

namespace soundfont {

// Whether a preset or instrument zone lets a key and velocity through, as FluidSynth reads its
// ranges: a key range only as the zone's first generator, a velocity range only first or right
// after the key range.
bool ZoneTakes(const Zone& zone, int key, int velocity);

// Whether the font has a preset at (bank, program).
bool HasPreset(const SoundFont& font, int bank, int program);

struct CutOptions {
  // A sample left out on purpose, with every zone that plays it (by name or by its number in the
  // full font); empty for none. Only for showing that a missing sample is heard.
  std::string dropSample;
};

// What was kept, in the cut's order: each name with how much of it ("3 of 8 zones").
struct Kept {
  std::string name;
  std::string detail;
};
struct CutReport {
  std::vector<Kept> presets;  // named "bank:program name"
  std::vector<Kept> instruments;
  std::vector<Kept> samples;
};

// The cut font has no INFO items: the caller says where it came from.
bool CutSoundFont(const SoundFont& full, const SongUse& use, const CutOptions& options,
                  SoundFont& cut, CutReport& report, std::string& error);

}  // namespace soundfont
