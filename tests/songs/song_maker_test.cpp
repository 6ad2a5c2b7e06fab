// The note-source compiler on small made-up songs: the mistakes a musician makes are caught
// with their line, and the rules that keep the stream sound (exact loop length, filled event
// count, separated repeats, block split) hold.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "arrangement.h"
#include "chord_chart.h"
#include "song_source.h"
#include "song_stream.h"

namespace {

using songs::Arrangement;
using songs::Note;
using songs::SongSource;
using songs::StreamEvent;

const std::string kHeader = R"(song TEST
tempo 500000
division 96
meter 4/4
key C major
part lead channel 1 program 0 velocity 80 legato 100 humanize 0
part pad channel 2 program 88 velocity 60 legato 100 humanize 0
voicing C    E4 G4 C5
voicing Am   E4 A4 C5
voicing G7   F4 G4 B4
)";

std::string Song(const std::string& body) {
  return kHeader + body;
}

bool Compile(const std::string& text, Arrangement& out, std::string& error) {
  SongSource song;
  return songs::ParseSongSource(text, song, error) && songs::Arrange(song, out, error);
}

std::vector<Note> On(const Arrangement& a, int channel) {
  std::vector<Note> notes;
  for (const Note& n : a.notes)
    if (n.channel == channel) notes.push_back(n);
  std::sort(notes.begin(), notes.end(), [](auto& x, auto& y) { return x.on < y.on; });
  return notes;
}

TEST(SongSource, ReadsPitchNames) {
  EXPECT_EQ(songs::ParsePitch("C4"), 60);
  EXPECT_EQ(songs::ParsePitch("F#3"), 54);
  EXPECT_EQ(songs::ParsePitch("Bb1"), 34);
  EXPECT_EQ(songs::ParsePitch("C-1"), 0);
  EXPECT_EQ(songs::ParsePitch("H2"), -1);
  EXPECT_EQ(songs::ParsePitch("C"), -1);
  EXPECT_EQ(songs::ParsePitch("G9"), 127);
  EXPECT_EQ(songs::ParsePitch("A9"), -1);  // above MIDI's range
}

TEST(ChordChart, ReadsWhatTheBassNeedsFromASymbol) {
  songs::ChordSpan chord;
  ASSERT_TRUE(songs::ReadChordSymbol("Ebmaj9", chord));
  EXPECT_EQ(chord.root, 3);
  EXPECT_EQ(chord.third, 4);  // "maj" is not minor
  ASSERT_TRUE(songs::ReadChordSymbol("Bbm7b5", chord));
  EXPECT_EQ(chord.root, 10);
  EXPECT_EQ(chord.third, 3);
  EXPECT_EQ(chord.fifth, 6);
  ASSERT_TRUE(songs::ReadChordSymbol("Abdim7@lo", chord));
  EXPECT_EQ(chord.fifth, 6);
  EXPECT_EQ(chord.symbol, "Abdim7@lo");  // the voicing's name keeps its register tag
  ASSERT_TRUE(songs::ReadChordSymbol("C13sus", chord));
  EXPECT_EQ(chord.third, 5);
  ASSERT_TRUE(songs::ReadChordSymbol("G/B", chord));
  EXPECT_EQ(chord.root, 7);
  EXPECT_EQ(chord.bass, 11);
  EXPECT_FALSE(songs::ReadChordSymbol("H7", chord));
  EXPECT_FALSE(songs::ReadChordSymbol("C/X", chord));
  // Roots from B1 up to Bb2: the fifth below the lowest stays above the bass's low E.
  EXPECT_EQ(songs::BassRoot(11), 35);
  EXPECT_EQ(songs::BassRoot(10), 46);
  for (int pitchClass = 0; pitchClass < 12; ++pitchClass)
    EXPECT_GE(songs::BassRoot(pitchClass) - 6, 28) << "a flat fifth below falls off the bass";
}

TEST(SongSource, MistakesNameTheirLine) {
  Arrangement a;
  std::string error;
  // A bar of the tune one eighth short: the bar line after it is caught.
  EXPECT_FALSE(
      Compile(Song("section s 2\n chords C | C\n lead C5:h E5:q. | G5:w |\nend\n"), a, error));
  EXPECT_NE(error.find("line 13"), std::string::npos) << error;
  // A section whose chords do not cover its bars.
  EXPECT_FALSE(Compile(Song("section s 2\n chords C\nend\n"), a, error));
  EXPECT_NE(error.find("line 13"), std::string::npos) << error;
  // A chord without a voicing, a tie between two pitches, an unknown part setting.
  EXPECT_FALSE(Compile(Song("section s 1\n chords F\n pad hold\nend\n"), a, error));
  EXPECT_NE(error.find("no voicing"), std::string::npos) << error;
  EXPECT_FALSE(Compile(Song("section s 1\n chords C\n lead C5:h~ D5:h |\nend\n"), a, error));
  EXPECT_NE(error.find("tie"), std::string::npos) << error;
  EXPECT_FALSE(Compile(Song("part x channel 3 loudness 9\n"), a, error));
  EXPECT_NE(error.find("line 11"), std::string::npos) << error;
}

TEST(Arrangement, TiesJoinAcrossTheBarAndTurnsCircleTheNote) {
  Arrangement a;
  std::string error;
  ASSERT_TRUE(Compile(Song("section s 2\n chords C | C\n lead E5:h. G5:q~ | G5:q D5:h.* |\nend\n"),
                      a, error))
      << error;
  std::vector<Note> lead = On(a, 1);
  ASSERT_EQ(lead.size(), 6u);
  EXPECT_EQ(lead[1].pitch, 79);  // the tied G5 sounds once, for a half note
  EXPECT_EQ(lead[1].on, 288);
  EXPECT_EQ(lead[1].off, 480);
  // The turn on D5: E5 (the next note of C major), D5, C#5 (a semitone below), then D5 held.
  std::vector<int> turn;
  for (size_t i = 2; i < lead.size(); ++i) turn.push_back(lead[i].pitch);
  EXPECT_EQ(turn, (std::vector<int>{76, 74, 73, 74}));
  EXPECT_EQ(lead[2].on, 480);
  EXPECT_EQ(lead.back().off, 768);
}

TEST(Arrangement, PadHoldsTheTonesTwoChordsShare) {
  Arrangement a;
  std::string error;
  ASSERT_TRUE(Compile(Song("section s 2\n chords C | Am\n pad hold\nend\n"), a, error)) << error;
  std::vector<Note> pad = On(a, 2);
  ASSERT_EQ(pad.size(), 4u);  // E4 and C5 carry on; G4 gives way to A4
  for (const Note& n : pad) {
    SCOPED_TRACE(n.pitch);
    bool shared = n.pitch == 64 || n.pitch == 72;
    EXPECT_EQ(n.on, n.pitch == 69 ? 384 : 0);
    EXPECT_EQ(n.off, shared || n.pitch == 69 ? 768 : 384);
  }
}

TEST(Arrangement, VelocitiesAccentTheDownbeatAndRiseThroughThePhrase) {
  Arrangement a;
  std::string error;
  ASSERT_TRUE(
      Compile(Song("arc 12\nsection s 4\n chords C | C | C | C\n"
                   " lead C5:q D5:q C5:q D5:q | C5:w | C5:w | C5:q D5:q C5:q D5:q |\nend\n"),
              a, error))
      << error;
  std::vector<Note> lead = On(a, 1);
  EXPECT_GT(lead[0].velocity, lead[1].velocity);  // beat 1 over beat 2
  EXPECT_GT(lead[2].velocity, lead[1].velocity);  // beat 3 over beat 2
  EXPECT_GT(lead[5].velocity, lead[0].velocity);  // the phrase's middle over its start
  EXPECT_EQ(songs::PhraseArc(0, 800, 10), 0);
  EXPECT_EQ(songs::PhraseArc(500, 800, 10), 10);
  EXPECT_LT(songs::PhraseArc(799, 800, 10), 1);
}

TEST(SongStream, StretchesToTheLengthAndFillsTheEventCount) {
  SongSource song;
  std::string error;
  ASSERT_TRUE(songs::ParseSongSource(
      Song("length 760\nevents 40\nswell 2 80 110\nsection s 2\n chords C | C\n pad hold\n"
           " lead C5:w | C5:h C5:h |\nend\n"),
      song, error))
      << error;
  Arrangement a;
  ASSERT_TRUE(songs::Arrange(song, a, error)) << error;
  std::vector<StreamEvent> events;
  ASSERT_TRUE(songs::BuildStream(song, a, events, error)) << error;
  EXPECT_EQ(events.size(), 40u);
  EXPECT_EQ(events.back().tick, 760u);
  // C5 struck three times: each ending comes before (or with) the next start of the key.
  std::vector<std::pair<uint32_t, int>> c5;
  for (const StreamEvent& e : events)
    if (((e.word >> 8) & 0x7F) == 72 && (e.word & 0x0F) == 1) c5.push_back({e.tick, e.word & 0xF0});
  ASSERT_EQ(c5.size(), 6u);
  for (size_t i = 0; i < c5.size(); ++i) EXPECT_EQ(c5[i].second, i % 2 ? 0x80 : 0x90);
  EXPECT_EQ(c5[2].first, 380u);  // the second bar begins halfway through 760 ticks

  song.events = 10;
  EXPECT_FALSE(songs::BuildStream(song, a, events, error));
  EXPECT_NE(error.find("more than 10"), std::string::npos) << error;
}

TEST(SongStream, SplitsIntoBlocksOf341AndReadsBack) {
  std::vector<StreamEvent> events;
  events.push_back({0, songs::kTempoStream, 0x01000000u | 600000});
  for (uint32_t i = 1; i < 700; ++i) events.push_back({i * 5, 0, 0x00403C90u});
  std::vector<uint8_t> bytes = songs::WriteMids(events, 96);
  EXPECT_EQ(bytes.size(), 4 + 4 + 4 + 20 + 8 + 4 + 3 * 8 + 700 * 12u);
  auto at = [&](size_t o) {
    return bytes[o] | bytes[o + 1] << 8 | bytes[o + 2] << 16 | bytes[o + 3] << 24;
  };
  EXPECT_EQ(at(40), 3);
  EXPECT_EQ(at(44), 0);  // first block starts at tick 0
  EXPECT_EQ(at(48), 341 * 12);
  size_t second = 44 + 8 + 341 * 12;
  EXPECT_EQ(at(second), 340 * 5);  // where the first block's deltas have brought the clock
  EXPECT_EQ(at(second + 8), 5);    // deltas run on across the block boundary
  int division = 0;
  std::vector<StreamEvent> back;
  std::string error;
  ASSERT_TRUE(songs::ReadMids(bytes, division, back, error)) << error;
  EXPECT_EQ(division, 96);
  ASSERT_EQ(back.size(), events.size());
  EXPECT_EQ(back.back().tick, events.back().tick);
  EXPECT_EQ(back[0].streamId, songs::kTempoStream);
}

}  // namespace
