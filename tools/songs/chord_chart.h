// Chord symbols as the chord charts write them ("Fmaj9", "Bbm6", "D7b9@lo", "G/B"): what a
// bass needs to know of each chord, and where the bass plays it.
#pragma once

#include <string>

namespace songs {

// One chord of the chord chart, placed in time (written ticks).
struct ChordSpan {
  int start = 0;
  int end = 0;
  std::string symbol;  // also the name of its voicing; '@' tells voicings of one chord apart
  int root = 0;        // pitch class
  int bass = 0;        // pitch class the bass calls "1" (the slash note when there is one)
  int third = 4;       // semitones above the root (5 for a suspended fourth)
  int fifth = 7;
  int line = 0;
};

// Reads root, slash bass, third and fifth of a symbol; false when it has no root or a bad bass.
bool ReadChordSymbol(const std::string& symbol, ChordSpan& chord);

// The bass root sits between B1 and Bb2, so the fifth below stays above the instrument's E1.
int BassRoot(int pitchClass);

}  // namespace songs
