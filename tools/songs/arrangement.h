// Turns a note source into the notes the band plays: chord rhythms over the chord changes,
// the pad holding common tones, the drum grooves and the written tunes with their ornaments,
// each note with a velocity shaped by the beat and the phrase.
#pragma once

#include <string>
#include <vector>

#include "song_source.h"

namespace songs {

// Times are in the song's written ticks (division per quarter note), before any stretch.
struct Note {
  int channel = 0;
  int pitch = 0;
  int velocity = 0;
  int on = 0;
  int off = 0;
};

struct Arrangement {
  std::vector<Note> notes;
  int length = 0;  // written ticks from the first bar to the end of the last
  int barTicks = 0;
};

bool Arrange(const SongSource& song, Arrangement& out, std::string& error);

// Where a tick lies in its phrase, as the rise of the dynamic arc: 0 at the phrase's start,
// `arc` at its peak (five eighths in), falling back towards 0 at its end.
int PhraseArc(int tickInPhrase, int phraseTicks, int arc);

}  // namespace songs
