// What the songs ask of a soundfont: every preset a channel selects and every note as (bank,
// program, key, velocity) of the preset that plays it, with each program change resolved the way
// FluidSynth resolves it, fallbacks included, so a cut soundfont keeps exactly the presets the
// synthesizer will pick.
#pragma once

#include <compare>
#include <functional>
#include <set>
#include <utility>
#include <vector>

#include "song_stream.h"

namespace soundfont {

inline constexpr int kDrumChannel = 9;
inline constexpr int kDrumBank = 128;

struct SoundedNote {
  int bank = 0;
  int program = 0;
  int key = 0;
  int velocity = 0;
  auto operator<=>(const SoundedNote&) const = default;
};

using PresetId = std::pair<int, int>;  // bank, program

struct SongUse {
  // Every preset a channel selects, sounding or not: the synthesizer complains about a channel
  // left without one, even a channel that never plays.
  std::set<PresetId> presets;
  std::set<SoundedNote> notes;
  void Merge(SongUse other) {
    presets.merge(other.presets);
    notes.merge(other.notes);
  }
};

// Whether the soundfont has a preset at (bank, program).
using PresetExists = std::function<bool(int bank, int program)>;

// What a song's stream events use, on a synthesizer that has just loaded the soundfont (every
// channel on program 0, channel 10 on the drum bank) with its default bank-select mode.
SongUse UseOf(const std::vector<songs::StreamEvent>& events, const PresetExists& exists);

}  // namespace soundfont
