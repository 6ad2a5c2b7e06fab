#include "song_source.h"

#include <sstream>
#include <stdexcept>

namespace songs {

namespace {

struct SourceError : std::runtime_error {
  SourceError(int line, const std::string& what)
      : std::runtime_error("line " + std::to_string(line) + ": " + what) {}
};

// A '#' that starts a word starts a comment; inside a word it is a sharp (F#4).
std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word && word[0] != '#';) words.push_back(word);
  return words;
}

int Number(const std::string& word, int line) {
  try {
    size_t used = 0;
    int value = std::stoi(word, &used);
    if (used == word.size()) return value;
  } catch (const std::exception&) {
  }
  throw SourceError(line, "expected a number, found '" + word + "'");
}

int PitchClass(char letter) {
  static const int kClasses[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (letter < 'A' || letter > 'G') return -1;
  return kClasses[letter - 'A'];
}

Part ReadPart(const std::vector<std::string>& w, int line) {
  if (w.size() < 2 || w.size() % 2 != 0) throw SourceError(line, "part NAME key value ...");
  Part part;
  part.name = w[1];
  part.channel = -1;
  for (size_t i = 2; i + 1 < w.size(); i += 2) {
    const std::string& key = w[i];
    if (key == "doubles") {
      part.doubles = w[i + 1];
      continue;
    }
    int value = Number(w[i + 1], line);
    if (key == "channel")
      part.channel = value;
    else if (key == "program")
      part.program = value;
    else if (key == "volume")
      part.volume = value;
    else if (key == "pan")
      part.pan = value;
    else if (key == "reverb")
      part.reverb = value;
    else if (key == "chorus")
      part.chorus = value;
    else if (key == "expression")
      part.expression = value;
    else if (key == "bend")
      part.bend = value;
    else if (key == "velocity")
      part.velocity = value;
    else if (key == "legato")
      part.legato = value;
    else if (key == "roll")
      part.roll = value;
    else if (key == "transpose")
      part.transpose = value;
    else if (key == "humanize")
      part.humanize = value;
    else if (key == "blend")
      part.blend = value;
    else
      throw SourceError(line, "unknown part setting '" + key + "'");
  }
  if (part.channel < 0 || part.channel > 15) throw SourceError(line, "part needs a channel 0-15");
  return part;
}

// Chord lines: bars separated by '|', one or more chord symbols in each.
void ReadChords(const std::vector<std::string>& w, Section& section) {
  std::vector<std::string> bar;
  for (size_t i = 1; i < w.size(); ++i) {
    if (w[i] == "|") {
      if (!bar.empty()) section.chords.push_back(bar);
      bar.clear();
    } else {
      bar.push_back(w[i]);
    }
  }
  if (!bar.empty()) section.chords.push_back(bar);
}

class Reader {
 public:
  explicit Reader(SongSource& song) : song_(song) {}

  void Line(const std::vector<std::string>& w, int line) {
    if (groove_ != nullptr) return GrooveRow(w, line);
    if (section_ != nullptr) return SectionLine(w, line);
    const std::string& key = w[0];
    auto need = [&](size_t count) {
      if (w.size() != count)
        throw SourceError(line, "'" + key + "' takes " + std::to_string(count - 1) + " value(s)");
    };
    if (key == "song")
      need(2), song_.name = w[1];
    else if (key == "tempo")
      need(2), song_.tempo = Number(w[1], line);
    else if (key == "division")
      need(2), song_.division = Number(w[1], line);
    else if (key == "length")
      need(2), song_.length = Number(w[1], line);
    else if (key == "events")
      need(2), song_.events = Number(w[1], line);
    else if (key == "phrase")
      need(2), song_.phrase = Number(w[1], line);
    else if (key == "arc")
      need(2), song_.arc = Number(w[1], line);
    else if (key == "grace")
      need(2), song_.grace = Number(w[1], line);
    else if (key == "seed")
      need(2), song_.seed = static_cast<unsigned>(Number(w[1], line));
    else if (key == "meter")
      need(2), Meter(w[1], line);
    else if (key == "key")
      need(3), Key(w[1], w[2], line);
    else if (key == "swell")
      Swell(w, line);
    else if (key == "part")
      song_.parts.push_back(ReadPart(w, line));
    else if (key == "drum")
      need(4), song_.drums[w[1]] = {Number(w[2], line), Number(w[3], line)};
    else if (key == "voicing")
      Voicing(w, line);
    else if (key == "rhythm")
      RhythmLine(w, line);
    else if (key == "groove")
      need(2), groove_ = &song_.grooves[w[1]];
    else if (key == "section")
      need(3), OpenSection(w[1], Number(w[2], line), line);
    else
      throw SourceError(line, "unknown line '" + key + "'");
  }

  void Finish(int line) {
    if (groove_ != nullptr || section_ != nullptr) throw SourceError(line, "missing 'end'");
  }

 private:
  void Meter(const std::string& text, int line) {
    auto slash = text.find('/');
    if (slash == std::string::npos || text.substr(slash + 1) != "4")
      throw SourceError(line, "meter must be N/4");
    song_.beatsPerBar = Number(text.substr(0, slash), line);
  }

  void Key(const std::string& root, const std::string& mode, int line) {
    int pitch = ParsePitch(root + "4");
    if (pitch < 0 || (mode != "major" && mode != "minor"))
      throw SourceError(line, "key ROOT major|minor");
    song_.keyRoot = pitch % 12;
    song_.minor = mode == "minor";
  }

  void Swell(const std::vector<std::string>& w, int line) {
    if (w.size() < 4) throw SourceError(line, "swell CHANNEL... LOW HIGH");
    for (size_t i = 1; i + 2 < w.size(); ++i) song_.swellChannels.push_back(Number(w[i], line));
    song_.swellLow = Number(w[w.size() - 2], line);
    song_.swellHigh = Number(w[w.size() - 1], line);
  }

  void Voicing(const std::vector<std::string>& w, int line) {
    if (w.size() < 3) throw SourceError(line, "voicing NAME PITCH...");
    std::vector<int>& notes = song_.voicings[w[1]];
    notes.clear();
    for (size_t i = 2; i < w.size(); ++i) {
      int pitch = ParsePitch(w[i]);
      if (pitch < 0) throw SourceError(line, "not a pitch: '" + w[i] + "'");
      if (!notes.empty() && pitch <= notes.back())
        throw SourceError(line, "voicing notes go from low to high");
      notes.push_back(pitch);
    }
  }

  void RhythmLine(const std::vector<std::string>& w, int line) {
    if (w.size() == 3)
      song_.rhythms[w[1]] = {w[2], ""};
    else if (w.size() == 5 && w[3] == "split")
      song_.rhythms[w[1]] = {w[2], w[4]};
    else
      throw SourceError(line, "rhythm NAME STEPS [split STEPS]");
  }

  void GrooveRow(const std::vector<std::string>& w, int line) {
    if (w[0] == "end") {
      groove_ = nullptr;
      return;
    }
    if (w.size() != 2) throw SourceError(line, "groove rows are DRUM STEPS");
    if (song_.drums.count(w[0]) == 0) throw SourceError(line, "unknown drum '" + w[0] + "'");
    groove_->rows.emplace_back(w[0], w[1]);
  }

  void OpenSection(const std::string& name, int bars, int line) {
    song_.sections.push_back({});
    section_ = &song_.sections.back();
    section_->name = name;
    section_->bars = bars;
    section_->line = line;
  }

  void SectionLine(const std::vector<std::string>& w, int line) {
    const std::string& key = w[0];
    if (key == "end") {
      if (section_->chords.size() != static_cast<size_t>(section_->bars))
        throw SourceError(line, "section '" + section_->name + "' has " +
                                    std::to_string(section_->chords.size()) +
                                    " bars of chords, not " + std::to_string(section_->bars));
      section_ = nullptr;
    } else if (key == "chords") {
      ReadChords(w, *section_);
    } else if (key == "phrase" && w.size() == 2) {
      section_->phrase = Number(w[1], line);
    } else if (key == "level" && (w.size() == 2 || w.size() == 3)) {
      std::string part = w.size() == 3 ? w[1] : "";
      section_->levels[part] = Number(w.back(), line);
    } else if (song_.FindPart(key) != nullptr) {
      PartLine part{key, {w.begin() + 1, w.end()}, line};
      section_->lines.push_back(part);
    } else {
      throw SourceError(line, "unknown part or section line '" + key + "'");
    }
  }

  SongSource& song_;
  Groove* groove_ = nullptr;
  Section* section_ = nullptr;
};

}  // namespace

const Part* SongSource::FindPart(const std::string& part) const {
  for (const Part& p : parts)
    if (p.name == part) return &p;
  return nullptr;
}

int ParsePitch(const std::string& text) {
  if (text.size() < 2) return -1;
  int pitch = PitchClass(text[0]);
  if (pitch < 0) return -1;
  size_t at = 1;
  if (text[at] == '#')
    ++pitch, ++at;
  else if (text[at] == 'b')
    --pitch, ++at;
  if (at >= text.size()) return -1;
  bool negative = text[at] == '-';
  if (negative) ++at;
  if (at + 1 != text.size() || text[at] < '0' || text[at] > '9') return -1;
  int octave = (text[at] - '0') * (negative ? -1 : 1);
  int midi = (octave + 1) * 12 + pitch;
  return midi >= 0 && midi <= 127 ? midi : -1;
}

bool ParseSongSource(const std::string& text, SongSource& song, std::string& error) {
  song = SongSource{};
  Reader reader(song);
  std::istringstream in(text);
  int number = 0;
  try {
    for (std::string line; std::getline(in, line);) {
      ++number;
      std::vector<std::string> w = Words(line);
      if (!w.empty()) reader.Line(w, number);
    }
    reader.Finish(number);
    if (song.name.empty()) throw SourceError(number, "the song has no name");
    if (song.sections.empty()) throw SourceError(number, "the song has no sections");
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
  return true;
}

}  // namespace songs
