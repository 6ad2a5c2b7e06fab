#include "song_stream.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

namespace songs {

namespace {

// Order of events that share a tick: settings before anything sounds, a note's end before
// the next note on the same key starts, swells before the notes they shape.
enum Order { kTempo, kSetting, kNoteOff, kSwell, kNoteOn };

struct Pending {
  StreamEvent event;
  int order;
};

uint32_t Short(int status, int data1, int data2) {
  return static_cast<uint32_t>(status) | static_cast<uint32_t>(data1) << 8 |
         static_cast<uint32_t>(data2) << 16;
}

void AddSettings(const Part& part, std::vector<Pending>& out) {
  int ch = part.channel;
  auto cc = [&](int controller, int value) {
    out.push_back({{0, 0, Short(0xB0 | ch, controller, value)}, kSetting});
  };
  if (part.program >= 0) out.push_back({{0, 0, Short(0xC0 | ch, part.program, 0)}, kSetting});
  cc(7, part.volume);
  cc(10, part.pan);
  cc(91, part.reverb);
  cc(93, part.chorus);
  cc(11, part.expression);
  if (part.bend != 8192)
    out.push_back({{0, 0, Short(0xE0 | ch, part.bend & 0x7F, part.bend >> 7)}, kSetting});
}

// A key struck again before its last note ended would have that note's end cut the new one:
// end the old note where the new one begins.
std::vector<Note> SeparateRepeats(std::vector<Note> notes) {
  std::stable_sort(notes.begin(), notes.end(), [](const Note& a, const Note& b) {
    return std::tie(a.channel, a.pitch, a.on) < std::tie(b.channel, b.pitch, b.on);
  });
  for (size_t i = 0; i + 1 < notes.size(); ++i) {
    Note& now = notes[i];
    const Note& next = notes[i + 1];
    if (now.channel == next.channel && now.pitch == next.pitch && next.on < now.off)
      now.off = next.on;
  }
  std::erase_if(notes, [](const Note& n) { return n.off <= n.on; });
  return notes;
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutTag(std::vector<uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

uint32_t Get32(const std::vector<uint8_t>& in, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | in[at + i];
  return value;
}

}  // namespace

bool BuildStream(const SongSource& song, const Arrangement& arrangement,
                 std::vector<StreamEvent>& events, std::string& error) {
  const int written = arrangement.length;
  const int length = song.length > 0 ? song.length : written;
  // The written bars are stretched (or squeezed) evenly so that the last bar ends on the
  // song's exact length: the loop then comes round on the beat.
  auto stretch = [&](int tick) {
    return static_cast<uint32_t>((2LL * tick * length + written) / (2LL * written));
  };
  std::vector<Note> notes = arrangement.notes;
  for (Note& n : notes) n.on = stretch(n.on), n.off = stretch(n.off);
  notes = SeparateRepeats(notes);

  std::vector<Pending> pending;
  pending.push_back({{0, kTempoStream, 0x01000000u | static_cast<uint32_t>(song.tempo)}, kTempo});
  for (const Part& part : song.parts) AddSettings(part, pending);
  std::stable_sort(notes.begin(), notes.end(),
                   [](const Note& a, const Note& b) { return a.on < b.on; });
  for (const Note& n : notes) {
    pending.push_back(
        {{static_cast<uint32_t>(n.on), 0, Short(0x90 | n.channel, n.pitch, n.velocity)}, kNoteOn});
    pending.push_back(
        {{static_cast<uint32_t>(n.off), 0, Short(0x80 | n.channel, n.pitch, 0)}, kNoteOff});
  }

  if (song.events > 0 && !song.swellChannels.empty()) {
    int fill = song.events - static_cast<int>(pending.size());
    if (fill < 0) {
      error = "the notes already take " + std::to_string(pending.size()) + " events, more than " +
              std::to_string(song.events);
      return false;
    }
    // The swell points follow the phrase arc: the breath grows into each phrase and eases off.
    const int phraseTicks = song.phrase * arrangement.barTicks;
    const int channels = static_cast<int>(song.swellChannels.size());
    for (int c = 0; c < channels; ++c) {
      int count = fill / channels + (c < fill % channels ? 1 : 0);
      for (int i = 0; i < count; ++i) {
        long long tick = (i + 1LL) * length / (count + 1LL);
        int writtenTick = static_cast<int>(tick * written / length);
        int arc = PhraseArc(writtenTick % phraseTicks, phraseTicks, 1000);
        int value = song.swellLow + (song.swellHigh - song.swellLow) * arc / 1000;
        pending.push_back(
            {{static_cast<uint32_t>(tick), 0, Short(0xB0 | song.swellChannels[c], 11, value)},
             kSwell});
      }
    }
  }

  std::stable_sort(pending.begin(), pending.end(), [](const Pending& a, const Pending& b) {
    return std::pair(a.event.tick, a.order) < std::pair(b.event.tick, b.order);
  });
  events.clear();
  for (const Pending& p : pending) events.push_back(p.event);
  if (song.length > 0 && events.back().tick != static_cast<uint32_t>(song.length)) {
    error = "the last event lands at tick " + std::to_string(events.back().tick) + ", not at " +
            std::to_string(song.length);
    return false;
  }
  return true;
}

std::vector<uint8_t> WriteMids(const std::vector<StreamEvent>& events, int division) {
  const size_t count = events.size();
  const size_t blocks = (count + kEventsPerBlock - 1) / kEventsPerBlock;
  std::vector<uint8_t> data;
  Put32(data, static_cast<uint32_t>(blocks));
  uint32_t previous = 0;
  for (size_t b = 0; b < blocks; ++b) {
    size_t first = b * kEventsPerBlock;
    size_t last = std::min(count, first + kEventsPerBlock);
    Put32(data, previous);  // the block starts where the events before it have brought the clock
    Put32(data, static_cast<uint32_t>((last - first) * 12));
    for (size_t i = first; i < last; ++i) {
      Put32(data, events[i].tick - previous);
      Put32(data, events[i].streamId);
      Put32(data, events[i].word);
      previous = events[i].tick;
    }
  }
  std::vector<uint8_t> out;
  PutTag(out, "RIFF");
  Put32(out, static_cast<uint32_t>(4 + 8 + 12 + 8 + data.size()));
  PutTag(out, "MIDS");
  PutTag(out, "fmt ");
  Put32(out, 12);
  Put32(out, static_cast<uint32_t>(division));
  Put32(out, kMaxBuffer);
  Put32(out, 0);
  PutTag(out, "data");
  Put32(out, static_cast<uint32_t>(data.size()));
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

bool ReadMids(const std::vector<uint8_t>& bytes, int& division, std::vector<StreamEvent>& events,
              std::string& error) {
  auto tag = [&](size_t at, const char* want) {
    return at + 4 <= bytes.size() && std::equal(want, want + 4, bytes.begin() + at);
  };
  if (!tag(0, "RIFF") || !tag(8, "MIDS")) return error = "not a RIFF MIDS form", false;
  size_t end = std::min(bytes.size(), 8 + static_cast<size_t>(Get32(bytes, 4)));
  bool haveFormat = false;
  events.clear();
  for (size_t at = 12; at + 8 <= end;) {
    size_t size = Get32(bytes, at + 4);
    size_t data = at + 8;
    if (data + size > end) return error = "a chunk runs past the form", false;
    if (tag(at, "fmt ") && size >= 12) {
      division = static_cast<int>(Get32(bytes, data));
      haveFormat = true;
    } else if (tag(at, "data") && size >= 4) {
      uint32_t blocks = Get32(bytes, data);
      size_t block = data + 4;
      uint32_t tick = 0;
      for (uint32_t b = 0; b < blocks; ++b) {
        if (block + 8 > data + size) return error = "blocks run past the data chunk", false;
        size_t count = Get32(bytes, block + 4);
        if (count % 12 != 0 || block + 8 + count > data + size)
          return error = "a block's byte count is wrong", false;
        for (size_t e = block + 8; e < block + 8 + count; e += 12) {
          tick += Get32(bytes, e);
          events.push_back({tick, Get32(bytes, e + 4), Get32(bytes, e + 8)});
        }
        block += 8 + count;
      }
    }
    at = data + size + (size & 1);
  }
  if (!haveFormat) return error = "no 'fmt ' chunk", false;
  return true;
}

bool MakeSong(const std::string& text, std::vector<uint8_t>& mids, std::string& summary,
              std::string& error) {
  SongSource song;
  Arrangement arrangement;
  std::vector<StreamEvent> events;
  if (!ParseSongSource(text, song, error) || !Arrange(song, arrangement, error) ||
      !BuildStream(song, arrangement, events, error))
    return false;
  mids = WriteMids(events, song.division);
  int bars = arrangement.length / arrangement.barTicks;
  double seconds = static_cast<double>(events.back().tick) * song.tempo / song.division / 1e6;
  char line[200];
  std::snprintf(line, sizeof line,
                "%s: %d bars, %zu notes, %zu events, %zu blocks, %u ticks, %.2f s, %zu bytes\n",
                song.name.c_str(), bars, arrangement.notes.size(), events.size(),
                (events.size() + kEventsPerBlock - 1) / kEventsPerBlock, events.back().tick,
                seconds, mids.size());
  summary = line;
  return true;
}

}  // namespace songs
