#include "chord_chart.h"

#include "song_source.h"

namespace songs {

bool ReadChordSymbol(const std::string& symbol, ChordSpan& chord) {
  chord.symbol = symbol;
  std::string name = symbol.substr(0, symbol.find('@'));
  std::string bass;
  if (auto slash = name.find('/'); slash != std::string::npos) {
    bass = name.substr(slash + 1);
    name = name.substr(0, slash);
  }
  size_t rootLength = name.size() > 1 && (name[1] == '#' || name[1] == 'b') ? 2 : 1;
  int root = ParsePitch(name.substr(0, rootLength) + "4");
  if (root < 0) return false;
  std::string quality = name.substr(rootLength);
  chord.root = root % 12;
  chord.bass = chord.root;
  if (!bass.empty()) {
    int pitch = ParsePitch(bass + "4");
    if (pitch < 0) return false;
    chord.bass = pitch % 12;
  }
  auto has = [&](const char* text) { return quality.find(text) != std::string::npos; };
  bool major = quality.rfind("maj", 0) == 0;
  chord.third = 4;
  if (!major && (quality.rfind("m", 0) == 0 || quality.rfind("dim", 0) == 0)) chord.third = 3;
  if (has("sus")) chord.third = 5;
  chord.fifth = 7;
  if (has("dim") || has("m7b5")) chord.fifth = 6;
  if (has("aug") || has("#5")) chord.fifth = 8;
  return true;
}

int BassRoot(int pitchClass) {
  int pitch = 36 + pitchClass;
  return pitch > 46 ? pitch - 12 : pitch;
}

}  // namespace songs
