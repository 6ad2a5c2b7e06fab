// From arranged notes to the stream-MIDI form the game embeds: the tempo and the band's
// settings at tick 0, the notes stretched to the song's exact length, bellows/breath swells,
// and the RIFF "MIDS" bytes with their blocks of 341 events.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "arrangement.h"
#include "song_source.h"

namespace songs {

inline constexpr uint32_t kTempoStream = 0xFFFFFFFFu;  // stream id the tempo event carries
inline constexpr int kEventsPerBlock = 341;            // 4,092 bytes: the most that fit 4,096
inline constexpr int kMaxBuffer = 4096;

// One stream event at its absolute tick. The word is the event word of the form: type in the
// top byte (0 short message, 1 tempo), data in the low three.
struct StreamEvent {
  uint32_t tick = 0;
  uint32_t streamId = 0;
  uint32_t word = 0;
};

bool BuildStream(const SongSource& song, const Arrangement& arrangement,
                 std::vector<StreamEvent>& events, std::string& error);

// The whole RIFF "MIDS" form: 'fmt ' {division, 4096, 0} then 'data' with the blocks.
std::vector<uint8_t> WriteMids(const std::vector<StreamEvent>& events, int division);

// Reads a form back into absolute-tick events (for listening and checking).
bool ReadMids(const std::vector<uint8_t>& bytes, int& division, std::vector<StreamEvent>& events,
              std::string& error);

// Note source text to MIDS bytes in one go; `summary` says what came out.
bool MakeSong(const std::string& text, std::vector<uint8_t>& mids, std::string& summary,
              std::string& error);

}  // namespace songs
