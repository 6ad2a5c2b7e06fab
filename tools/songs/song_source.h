// The readable note source of a song: the band, the chord voicings, the rhythm and drum
// patterns, and the sections with their chords and tunes, exactly as written in
// resources/music/*.txt. Nothing here knows about MIDI bytes yet.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace songs {

// One instrument of the band: its channel and the mixer settings sent before the first note.
struct Part {
  std::string name;
  int channel = 0;
  int program = -1;  // -1: no program change (the drum channel keeps its kit)
  int volume = 100;
  int pan = 64;
  int reverb = 40;
  int chorus = 0;
  int expression = 127;
  int bend = 8192;      // centre, unless the part is detuned on purpose (musette reeds)
  int velocity = 80;    // the part's middle loudness before accents and phrasing
  int legato = 90;      // percent of the written length that sounds
  int roll = 0;         // ticks between the strings of a strummed chord, low to high
  int transpose = 0;    // semitones added to voicings (a pad an octave up, say)
  int humanize = 3;     // +- velocity wobble so repeated hits do not sound machine-made
  std::string doubles;  // plays every note of that part too (a second, detuned reed)
  int blend = 100;      // the doubling's velocity, percent of the part it doubles
};

struct Drum {
  int note = 0;
  int velocity = 80;
};

// A chord rhythm: one character per step of a bar. `split` is used instead in bars that
// change chord half-way, where a bass must walk to the new root.
struct Rhythm {
  std::string steps;
  std::string split;
};

// A drum pattern of one bar: one row of steps per drum.
struct Groove {
  std::vector<std::pair<std::string, std::string>> rows;
};

// What one part plays in a section: pattern names or melody tokens, as written.
struct PartLine {
  std::string part;
  std::vector<std::string> words;
  int line = 0;
};

struct Section {
  std::string name;
  int bars = 0;
  int phrase = 0;  // bars per phrase for the dynamic arc; 0 takes the song's
  int line = 0;
  std::vector<std::vector<std::string>> chords;  // per bar, one or more symbols
  std::map<std::string, int> levels;             // velocity shift per part, "" for all
  std::vector<PartLine> lines;
};

struct SongSource {
  std::string name;
  int tempo = 500000;  // microseconds per quarter note
  int division = 96;   // ticks per quarter note
  int beatsPerBar = 4;
  int keyRoot = 0;  // pitch class of the tonic
  bool minor = false;
  int length = 0;  // ticks the song lasts; 0 leaves the written length as it is
  int events = 0;  // bellows/breath swells fill the stream up to this many events; 0: none
  std::vector<int> swellChannels;
  int swellLow = 100;
  int swellHigh = 100;
  int phrase = 4;     // bars per phrase
  int arc = 8;        // velocity rise from phrase start to its peak
  int grace = 8;      // ticks of each grace or turn note
  unsigned seed = 1;  // for the velocity wobble; fixed so the bytes never change
  std::vector<Part> parts;
  std::map<std::string, Drum> drums;
  std::map<std::string, std::vector<int>> voicings;
  std::map<std::string, Rhythm> rhythms;
  std::map<std::string, Groove> grooves;
  std::vector<Section> sections;

  const Part* FindPart(const std::string& part) const;
};

// Reads a note source; on a mistake returns false with "line N: what went wrong" in error.
bool ParseSongSource(const std::string& text, SongSource& song, std::string& error);

// "C4" is 60, "F#3" 54, "Bb1" 34; -1 when the text is not a pitch.
int ParsePitch(const std::string& text);

}  // namespace songs
