#include "arrangement.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "chord_chart.h"

namespace songs {

namespace {

struct ArrangeError : std::runtime_error {
  ArrangeError(int line, const std::string& what)
      : std::runtime_error("line " + std::to_string(line) + ": " + what) {}
};

int Metric(int posInBar, int barTicks, int division, int beatsPerBar) {
  if (posInBar == 0) return 8;
  if (beatsPerBar % 2 == 0 && posInBar == barTicks / 2) return 4;
  if (posInBar % division == 0) return 1;
  if (posInBar % (division / 2) == 0) return -1;
  return -4;
}

int Duration(const std::string& text, int division, int line) {
  static const std::map<char, int> kQuarters4 = {{'w', 16}, {'h', 8}, {'q', 4}, {'e', 2}, {'s', 1}};
  auto found = text.empty() ? kQuarters4.end() : kQuarters4.find(text[0]);
  if (found == kQuarters4.end()) throw ArrangeError(line, "bad duration '" + text + "'");
  int ticks = found->second * division / 4;
  int add = ticks;
  for (size_t i = 1; i < text.size(); ++i) {
    if (text[i] == '.')
      add /= 2, ticks += add;
    else if (text[i] == '3')
      ticks = ticks * 2 / 3;
    else
      throw ArrangeError(line, "bad duration '" + text + "'");
  }
  return ticks;
}

class Arranger {
 public:
  Arranger(const SongSource& song, Arrangement& out) : song_(song), out_(out) {
    barTicks_ = song.division * song.beatsPerBar;
    out_.barTicks = barTicks_;
    state_ = song.seed;
  }

  void Run() {
    int start = 0;
    for (const Section& section : song_.sections) {
      for (int bar = 0; bar < section.bars; ++bar) {
        const auto& symbols = section.chords[bar];
        int each = barTicks_ / static_cast<int>(symbols.size());
        if (each * static_cast<int>(symbols.size()) != barTicks_)
          throw ArrangeError(section.line, "chords do not divide bar " + std::to_string(bar + 1));
        for (size_t c = 0; c < symbols.size(); ++c) {
          ChordSpan chord;
          if (!ReadChordSymbol(symbols[c], chord))
            throw ArrangeError(section.line, "not a chord symbol: '" + symbols[c] + "'");
          chord.line = section.line;
          chord.start = start + bar * barTicks_ + static_cast<int>(c) * each;
          chord.end = chord.start + each;
          chords_.push_back(chord);
        }
      }
      start += section.bars * barTicks_;
    }
    out_.length = start;
    start = 0;
    for (const Section& section : song_.sections) {
      section_ = &section;
      sectionStart_ = start;
      for (const PartLine& line : section.lines) PlayLine(line);
      FinishTunes();
      start += section.bars * barTicks_;
    }
    Double();
  }

 private:
  int Velocity(int base, const Part& part, int tick, int mark) {
    int phraseBars = section_->phrase > 0 ? section_->phrase : song_.phrase;
    int phraseTicks = phraseBars * barTicks_;
    int inSection = tick - sectionStart_;
    int v = base + mark + Metric(tick % barTicks_, barTicks_, song_.division, song_.beatsPerBar) +
            PhraseArc(inSection % phraseTicks, phraseTicks, song_.arc) - song_.arc / 2;
    if (auto all = section_->levels.find(""); all != section_->levels.end()) v += all->second;
    if (auto own = section_->levels.find(part.name); own != section_->levels.end())
      v += own->second;
    if (part.humanize > 0) {
      state_ = state_ * 1103515245u + 12345u;
      v += static_cast<int>((state_ >> 16) % (2u * part.humanize + 1u)) - part.humanize;
    }
    return std::clamp(v, 1, 127);
  }

  void Add(const Part& part, int pitch, int velocity, int on, int off) {
    if (pitch < 0 || pitch > 127) throw ArrangeError(line_, "note out of range");
    if (off > on) out_.notes.push_back({part.channel, pitch, velocity, on, off});
  }

  const ChordSpan& ChordAt(int tick) const {
    for (const ChordSpan& chord : chords_)
      if (tick >= chord.start && tick < chord.end) return chord;
    throw ArrangeError(line_, "no chord at tick " + std::to_string(tick));
  }

  // The next change of harmony after the chord at `tick`; the song's first chord after its last,
  // because the song loops.
  const ChordSpan& NextChord(int tick) const {
    const ChordSpan& now = ChordAt(tick);
    for (const ChordSpan& chord : chords_)
      if (chord.start >= now.end && chord.symbol != now.symbol) return chord;
    return chords_.front();
  }

  const std::vector<int>& Voicing(const ChordSpan& chord) const {
    auto found = song_.voicings.find(chord.symbol);
    if (found == song_.voicings.end())
      throw ArrangeError(chord.line, "no voicing for chord '" + chord.symbol + "'");
    return found->second;
  }

  void PlayLine(const PartLine& line) {
    line_ = line.line;
    const Part& part = *song_.FindPart(line.part);
    std::string first = line.words.empty() ? "" : line.words[0].substr(0, line.words[0].find('*'));
    if (song_.grooves.count(first) != 0) return PlayGrooves(part, line.words);
    if (first == "hold") return PlayHold(part);
    if (song_.rhythms.count(first) != 0) return PlayRhythms(part, line.words);
    PlayTune(part, line.words);
  }

  void PlayGrooves(const Part& part, const std::vector<std::string>& words) {
    std::vector<const Groove*> bars;
    for (const std::string& word : words) {
      auto star = word.find('*');
      int count = star == std::string::npos ? 1 : std::stoi(word.substr(star + 1));
      auto found = song_.grooves.find(word.substr(0, star));
      if (found == song_.grooves.end()) throw ArrangeError(line_, "unknown groove '" + word + "'");
      for (int i = 0; i < count; ++i) bars.push_back(&found->second);
    }
    for (int bar = 0; bar < section_->bars; ++bar) {
      const Groove& groove = *bars[bar % bars.size()];
      int barStart = sectionStart_ + bar * barTicks_;
      for (const auto& [drumName, steps] : groove.rows) {
        const Drum& drum = song_.drums.at(drumName);
        int step = StepTicks(steps);
        for (size_t i = 0; i < steps.size(); ++i) {
          char c = steps[i];
          if (c == '.' || c == '-') continue;
          int mark = c == 'X' ? 12 : c == 'o' ? -15 : c == 'x' ? 0 : 1000;
          if (mark == 1000) throw ArrangeError(line_, "drum steps are x X o or .");
          int on = barStart + static_cast<int>(i) * step;
          int length = std::min(step, song_.division / 4);
          Add(part, drum.note, Velocity(drum.velocity, part, on, mark), on, on + length);
        }
      }
    }
  }

  int StepTicks(const std::string& steps) const {
    int count = static_cast<int>(steps.size());
    if (count == 0 || barTicks_ % count != 0)
      throw ArrangeError(line_, "a bar of " + std::to_string(barTicks_) +
                                    " ticks does not divide into " + std::to_string(count) +
                                    " steps");
    return barTicks_ / count;
  }

  void PlayRhythms(const Part& part, const std::vector<std::string>& names) {
    for (int bar = 0; bar < section_->bars; ++bar) {
      const std::string& name = names[bar % names.size()];
      auto found = song_.rhythms.find(name);
      if (found == song_.rhythms.end()) throw ArrangeError(line_, "unknown rhythm '" + name + "'");
      const Rhythm& rhythm = found->second;
      bool split = section_->chords[bar].size() > 1 && !rhythm.split.empty();
      const std::string& steps = split ? rhythm.split : rhythm.steps;
      int step = StepTicks(steps);
      int barStart = sectionStart_ + bar * barTicks_;
      for (size_t i = 0; i < steps.size(); ++i) {
        char c = steps[i];
        if (c == '.' || c == '-') continue;
        size_t held = 1;
        while (i + held < steps.size() && steps[i + held] == '-') ++held;
        int on = barStart + static_cast<int>(i) * step;
        int off = on + std::max(1, static_cast<int>(held) * step * part.legato / 100);
        const ChordSpan& chord = (c == '>' || c == 'n') ? NextChord(on) : ChordAt(on);
        if (c == 'x' || c == 'X' || c == 'o' || c == '>') {
          int mark = c == 'X' ? 12 : c == 'o' ? -15 : 0;
          const std::vector<int>& notes = Voicing(chord);
          int velocity = Velocity(part.velocity, part, on, mark);
          for (size_t n = 0; n < notes.size(); ++n)
            Add(part, notes[n] + part.transpose, velocity - static_cast<int>(n % 2),
                on + static_cast<int>(n) * part.roll, off);
        } else {
          int root = BassRoot(chord.bass) + part.transpose;
          int pitch = c == '1' || c == 'n' ? root
                      : c == '5' ? BassRoot(chord.root) + part.transpose - (12 - chord.fifth)
                      : c == '3' ? BassRoot(chord.root) + part.transpose + chord.third
                      : c == '8' ? root + 12
                                 : -1;
          if (pitch < 0) throw ArrangeError(line_, std::string("bad rhythm step '") + c + "'");
          Add(part, pitch, Velocity(part.velocity, part, on, 0), on, off);
        }
      }
    }
  }

  // A pad holds the chord: tones shared with the previous chord keep sounding, the others move.
  void PlayHold(const Part& part) {
    std::map<int, size_t> sounding;  // pitch -> index in out_.notes
    int end = sectionStart_ + section_->bars * barTicks_;
    for (const ChordSpan& chord : chords_) {
      if (chord.start < sectionStart_ || chord.start >= end) continue;
      std::map<int, size_t> next;
      int velocity = Velocity(part.velocity, part, chord.start, 0);
      for (int pitch : Voicing(chord)) {
        pitch += part.transpose;
        if (auto held = sounding.find(pitch); held != sounding.end()) {
          out_.notes[held->second].off = chord.end;
          next[pitch] = held->second;
        } else {
          Add(part, pitch, velocity, chord.start, chord.end);
          next[pitch] = out_.notes.size() - 1;
        }
      }
      sounding = next;
    }
  }

  struct Written {
    const Part* part;
    int pitch;
    int velocity;
    int on;
    int length;
    bool ornament;
  };

  void PlayTune(const Part& part, const std::vector<std::string>& words) {
    int& pos = tunePos_[part.name];
    for (const std::string& word : words) {
      if (word == "|") {
        if (pos % barTicks_ != 0)
          throw ArrangeError(line_, part.name + ": bar line " + std::to_string(pos % barTicks_) +
                                        " ticks into bar " + std::to_string(pos / barTicks_ + 1));
        continue;
      }
      auto colon = word.find(':');
      if (colon == std::string::npos) throw ArrangeError(line_, "tune token '" + word + "'");
      std::string head = word.substr(0, colon);
      std::string tail = word.substr(colon + 1);
      size_t flagsAt = tail.find_first_of("~*!_");
      std::string flags = flagsAt == std::string::npos ? "" : tail.substr(flagsAt);
      int length = Duration(tail.substr(0, flagsAt), song_.division, line_);
      int on = sectionStart_ + pos;
      pos += length;
      if (head == "r") {
        if (tieFrom_.count(part.name) != 0) throw ArrangeError(line_, "a tie into a rest");
        continue;
      }
      std::vector<int> graces;
      if (head[0] == '{') {
        auto close = head.find('}');
        if (close == std::string::npos) throw ArrangeError(line_, "unclosed grace '" + word + "'");
        std::string list = head.substr(1, close - 1) + ",";
        for (size_t at = 0, comma; (comma = list.find(',', at)) != std::string::npos;
             at = comma + 1)
          graces.push_back(Pitch(list.substr(at, comma - at)));
        head = head.substr(close + 1);
      }
      int pitch = Pitch(head);
      int mark = flags.find('!') != std::string::npos   ? 12
                 : flags.find('_') != std::string::npos ? -12
                                                        : 0;
      if (auto tie = tieFrom_.find(part.name); tie != tieFrom_.end()) {
        Written& from = tunes_[tie->second];
        if (from.pitch != pitch) throw ArrangeError(line_, "tie between different pitches");
        from.length += length;
        tieFrom_.erase(tie);
      } else {
        if (flags.find('*') != std::string::npos)
          graces = {UpperNeighbour(pitch), pitch, pitch - 1};
        int velocity = Velocity(part.velocity, part, on, mark);
        int g = song_.grace;
        for (size_t i = 0; i < graces.size(); ++i) {
          int at = on + static_cast<int>(i) * g;
          tunes_.push_back({&part, graces[i], std::max(1, velocity - 8), at, g, true});
        }
        int ornament = static_cast<int>(graces.size()) * g;
        if (length - ornament < g) throw ArrangeError(line_, "no room for the ornament");
        tunes_.push_back({&part, pitch, velocity, on + ornament, length - ornament, false});
      }
      if (flags.find('~') != std::string::npos) tieFrom_[part.name] = tunes_.size() - 1;
    }
  }

  void FinishTunes() {
    int sectionLength = section_->bars * barTicks_;
    for (auto& [name, pos] : tunePos_)
      if (pos != sectionLength)
        throw ArrangeError(section_->line, "section '" + section_->name + "': " + name + " plays " +
                                               std::to_string(pos) + " ticks, not " +
                                               std::to_string(sectionLength));
    for (const Written& w : tunes_) {
      int sounding = w.ornament ? w.length : std::max(1, w.length * w.part->legato / 100);
      Add(*w.part, w.pitch, w.velocity, w.on, w.on + sounding);
    }
    if (!tieFrom_.empty()) throw ArrangeError(section_->line, "a tie runs out of the section");
    tunes_.clear();
    tunePos_.clear();
  }

  int Pitch(const std::string& text) const {
    int pitch = ParsePitch(text);
    if (pitch < 0) throw ArrangeError(line_, "not a pitch: '" + text + "'");
    return pitch;
  }

  // The next note of the key's scale above `pitch`: the upper note of a turn.
  int UpperNeighbour(int pitch) const {
    static const int kMajor[] = {0, 2, 4, 5, 7, 9, 11};
    static const int kMinor[] = {0, 2, 3, 5, 7, 8, 10};
    const int* scale = song_.minor ? kMinor : kMajor;
    for (int up = pitch + 1; up < pitch + 3; ++up) {
      int degree = ((up - song_.keyRoot) % 12 + 12) % 12;
      if (std::find(scale, scale + 7, degree) != scale + 7) return up;
    }
    return pitch + 2;
  }

  void Double() {
    for (const Part& part : song_.parts) {
      if (part.doubles.empty()) continue;
      const Part* source = song_.FindPart(part.doubles);
      if (source == nullptr) throw ArrangeError(0, part.name + " doubles an unknown part");
      std::vector<Note> copies;
      for (const Note& n : out_.notes) {
        if (n.channel != source->channel) continue;
        Note copy = n;
        copy.channel = part.channel;
        copy.velocity = std::clamp(n.velocity * part.blend / 100, 1, 127);
        copies.push_back(copy);
      }
      out_.notes.insert(out_.notes.end(), copies.begin(), copies.end());
    }
  }

  const SongSource& song_;
  Arrangement& out_;
  int barTicks_ = 0;
  unsigned state_ = 1;
  std::vector<ChordSpan> chords_;
  const Section* section_ = nullptr;
  int sectionStart_ = 0;
  int line_ = 0;
  std::map<std::string, int> tunePos_;
  std::map<std::string, size_t> tieFrom_;
  std::vector<Written> tunes_;
};

}  // namespace

int PhraseArc(int tickInPhrase, int phraseTicks, int arc) {
  int peak = phraseTicks * 5 / 8;
  if (peak <= 0 || phraseTicks <= peak) return 0;
  if (tickInPhrase < peak) return arc * tickInPhrase / peak;
  return arc * (phraseTicks - tickInPhrase) / (phraseTicks - peak);
}

bool Arrange(const SongSource& song, Arrangement& out, std::string& error) {
  out = Arrangement{};
  try {
    Arranger(song, out).Run();
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
  return true;
}

}  // namespace songs
