#include "sound/music_player.h"

#include <gtest/gtest.h>

#include <vector>

#include "machine/midi_stream.h"
#include "machine/resources.h"
#include "mids_form.h"
#include "recording_synth.h"

namespace {

using platform::ResourceType;

constexpr int kRate = 48000;
// At 96 ticks a quarter and 500,000 us a quarter: 250 frames a tick.
constexpr int kFramesPerTick = 250;
constexpr int kEventsPerBlock = 3;
constexpr int kTicksPerEvent = 24;
constexpr int kFramesPerBlock = kEventsPerBlock * kTicksPerEvent * kFramesPerTick;

// A song of `blocks` blocks whose every event is a note-on naming its block and place.
Bytes TestSong(int blocks, uint32_t timeFormat = 96) {
  std::vector<Bytes> all;
  for (int b = 0; b < blocks; ++b) {
    Events events;
    if (b == 0) events.Tempo(0, 500000);
    for (int e = 0; e < kEventsPerBlock; ++e) {
      events.Short(kTicksPerEvent, 0x400090u | static_cast<uint32_t>(b * 4 + e) << 8);
    }
    all.push_back(events.bytes);
  }
  return SongForm(all, timeFormat);
}

const char* const kNames[] = {"BOSA", "PARIS"};

class MusicPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::UseMidiSynth(&synth);
    bosa = TestSong(12);
    paris = TestSong(4);
    platform::OverrideResource("BOSA", ResourceType::kMids, bosa.data(), bosa.size());
    platform::OverrideResource("PARIS", ResourceType::kMids, paris.data(), paris.size());
    OpenMusic(nullptr, kNames, 2);
  }
  void TearDown() override {
    ResetMusicPlayer();
    platform::ClearResourceOverrides();
    platform::ResetMidiOutput();
  }
  void Render(int frames) {
    std::vector<float> out(2 * 1024);
    while (frames > 0) {
      const int n = frames < 1024 ? frames : 1024;
      platform::MidiOutputSource().MixInto(out.data(), n, kRate);
      frames -= n;
    }
  }
  size_t NotesPlayed() const { return synth.Messages().size(); }
  bool SlotsPrepared(int track) const {
    const Song& song = musicPlayer.songs[track];
    for (int i = 0; i < song.blockCount; ++i) {
      if (SongSlot(song, i)->dwFlags & platform::kMidiHeaderPrepared) return true;
    }
    return false;
  }
  // True while the player's stream is still open on the platform side.
  bool StreamOpen() const {
    platform::MidiPropTimeDiv read{8, 0};
    return platform::MidiStreamProperty(musicPlayer.stream, reinterpret_cast<uint8_t*>(&read),
                                        platform::kMidiPropGet | platform::kMidiPropTimeDiv) ==
           platform::kMidiOk;
  }

  RecordingSynth synth;
  Bytes bosa, paris;
};

TEST_F(MusicPlayerTest, PlayWhilePlayingLetsTheSongGoOn) {
  ASSERT_TRUE(PlaySong(0));
  EXPECT_TRUE(MusicPlaying());
  EXPECT_EQ(musicPlayer.currentTrack, 0);
  Render(kFramesPerBlock + 10);
  ASSERT_EQ(musicPlayer.doneBlocks.load(), 1u);
  EXPECT_TRUE(PlaySong(1));
  EXPECT_EQ(musicPlayer.currentTrack, 0);
  EXPECT_EQ(musicPlayer.doneBlocks.load(), 1u);
  Render(kFramesPerBlock);
  EXPECT_EQ(musicPlayer.doneBlocks.load(), 2u);
  EXPECT_EQ(NotesPlayed(), 2u * kEventsPerBlock);
  EXPECT_EQ(synth.Messages().back().message, 0x400090u | (1 * 4 + 2) << 8);
}

TEST_F(MusicPlayerTest, PauseAndResumeActOnlyWhenTheyChangeSomething) {
  ResumeMusic();
  EXPECT_EQ(musicPlayer.paused, 0);
  PauseMusic();
  EXPECT_EQ(musicPlayer.paused, 0) << "nothing to pause while idle";
  ASSERT_TRUE(PlaySong(0));
  ResumeMusic();
  EXPECT_EQ(musicPlayer.paused, 0);
  Render(kFramesPerTick * kTicksPerEvent / 2);
  PauseMusic();
  PauseMusic();
  EXPECT_EQ(musicPlayer.paused, 1);
  Render(kFramesPerBlock * 20);
  EXPECT_EQ(synth.AllNotesOffCount(), 1) << "the held notes are let go";
  EXPECT_EQ(NotesPlayed(), 0u);
  EXPECT_TRUE(MusicPlaying()) << "a paused song is still playing";
  ResumeMusic();
  EXPECT_EQ(musicPlayer.paused, 0);
  Render(kFramesPerTick * kTicksPerEvent / 2);
  EXPECT_EQ(NotesPlayed(), 1u) << "the song goes on from where it was held";
}

TEST_F(MusicPlayerTest, StopWhenIdleDoesNothing) {
  StopMusic();
  EXPECT_FALSE(MusicPlaying());
  EXPECT_EQ(musicPlayer.stream, nullptr);
  ASSERT_TRUE(PlaySong(1));
  StopMusic();
  const platform::MidiStreamHandle closed = musicPlayer.stream;
  StopMusic();
  EXPECT_EQ(musicPlayer.stream, closed) << "the old handle stays";
  EXPECT_FALSE(StreamOpen());
  EXPECT_FALSE(SlotsPrepared(1));
}

TEST_F(MusicPlayerTest, EachSongEndsAfterItsLastBlockAndStartsAgainFromTheTop) {
  for (int track : {0, 1}) {
    const int blocks = track == 0 ? 12 : 4;
    ASSERT_TRUE(PlaySong(track));
    Render(kFramesPerBlock * (blocks - 1) + 10);
    EXPECT_EQ(musicPlayer.doneBlocks.load(), static_cast<uint32_t>(blocks - 1));
    EXPECT_TRUE(MusicPlaying());
    Render(kFramesPerBlock);
    EXPECT_EQ(musicPlayer.doneBlocks.load(), static_cast<uint32_t>(blocks));
    EXPECT_EQ(musicPlayer.playing, 1) << "the callback itself stops nothing";
    EXPECT_TRUE(musicPlayer.songEnded.load());
    EXPECT_FALSE(MusicPlaying());
    EXPECT_FALSE(StreamOpen());
    EXPECT_FALSE(SlotsPrepared(track));

    const size_t before = NotesPlayed();
    ASSERT_TRUE(PlaySong(track));
    EXPECT_EQ(musicPlayer.doneBlocks.load(), 0u);
    Render(kFramesPerTick * kTicksPerEvent + 1);
    ASSERT_EQ(NotesPlayed(), before + 1);
    EXPECT_EQ(synth.Messages().back().message, 0x400090u) << "block 0, first note";
    StopMusic();
  }
}

TEST_F(MusicPlayerTest, AnyOperationCompletesAnEndedSongFirst) {
  ASSERT_TRUE(PlaySong(1));
  Render(kFramesPerBlock * 4 + 10);
  ASSERT_EQ(musicPlayer.playing, 1);
  PauseMusic();
  EXPECT_EQ(musicPlayer.playing, 0);
  EXPECT_EQ(musicPlayer.paused, 0) << "the pause found the song already over";
  EXPECT_FALSE(StreamOpen());
}

TEST_F(MusicPlayerTest, CompletionsAfterAStopOnlyCount) {
  ASSERT_TRUE(PlaySong(1));
  Render(kFramesPerBlock + 10);
  // The stop hands back the three blocks still queued: the count reaches the song's end while
  // the stop runs, which must not stop anything a second time.
  StopMusic();
  EXPECT_EQ(musicPlayer.doneBlocks.load(), 4u);
  EXPECT_FALSE(MusicPlaying());
  MusicCallback(nullptr, platform::kMidiBlockDone, reinterpret_cast<uintptr_t>(&musicPlayer), 0, 0);
  MusicCallback(nullptr, platform::kMidiClosed, reinterpret_cast<uintptr_t>(&musicPlayer), 0, 0);
  MusicCallback(nullptr, platform::kMidiBlockDone, 0, 0, 0);
  EXPECT_EQ(musicPlayer.doneBlocks.load(), 5u);
  EXPECT_FALSE(MusicPlaying());
  EXPECT_EQ(musicPlayer.currentTrack, 1);

  // Nothing left over from those stops the next song.
  ASSERT_TRUE(PlaySong(0));
  EXPECT_TRUE(MusicPlaying());
  Render(kFramesPerBlock);
  EXPECT_TRUE(MusicPlaying());
}

TEST_F(MusicPlayerTest, AStopWhilePausedLeavesTheFlag) {
  ASSERT_TRUE(PlaySong(0));
  PauseMusic();
  StopMusic();
  EXPECT_EQ(musicPlayer.paused, 1);
  ASSERT_TRUE(PlaySong(0));
  Render(kFramesPerTick * kTicksPerEvent + 1);
  EXPECT_EQ(NotesPlayed(), 1u) << "the new stream plays although the flag reads paused";
  PauseMusic();
  Render(kFramesPerTick * kTicksPerEvent);
  EXPECT_EQ(NotesPlayed(), 2u) << "the first pause does nothing";
  ResumeMusic();
  EXPECT_EQ(musicPlayer.paused, 0);
}

TEST_F(MusicPlayerTest, NothingReachesReleasedMemoryAfterClose) {
  ASSERT_TRUE(PlaySong(0));
  Render(kFramesPerBlock);
  CloseMusic();
  EXPECT_EQ(musicPlayer.stream, nullptr);
  EXPECT_EQ(musicPlayer.songs, nullptr);
  EXPECT_FALSE(MusicPlaying());
  EXPECT_FALSE(PlaySong(0));
  StopMusic();
  PauseMusic();
  ResumeMusic();
  EXPECT_FALSE(LoadSong(0, "BOSA"));
  MusicCallback(nullptr, platform::kMidiBlockDone, reinterpret_cast<uintptr_t>(&musicPlayer), 0, 0);
  EXPECT_FALSE(MusicPlaying());
  Render(kFramesPerBlock);
  CloseMusic();
}

TEST_F(MusicPlayerTest, ASongThatDidNotLoadDoesNotPlay) {
  ResetMusicPlayer();
  platform::HideResource("PARIS", ResourceType::kMids);
  OpenMusic(nullptr, kNames, 2);
  EXPECT_FALSE(PlaySong(1));
  EXPECT_FALSE(StreamOpen());
  EXPECT_TRUE(PlaySong(0)) << "the other song is still there";
}

TEST_F(MusicPlayerTest, AFailedPlayClosesItsStreamAndThePlayer) {
  // A frame-based time division is refused by the stream after it has been opened.
  ResetMusicPlayer();
  const Bytes smpte = TestSong(2, 0xE728);
  platform::OverrideResource("BOSA", ResourceType::kMids, smpte.data(), smpte.size());
  OpenMusic(nullptr, kNames, 2);
  EXPECT_FALSE(PlaySong(0));
  EXPECT_EQ(musicPlayer.songs, nullptr);
  EXPECT_FALSE(MusicPlaying());
  platform::MidiStreamHandle probe = nullptr;
  uint32_t device = platform::kMidiMapper;
  ASSERT_EQ(platform::MidiStreamOpen(&probe, &device, 1, nullptr, 0, platform::kCallbackNull),
            platform::kMidiOk)
      << "the stream the failed play had opened is closed";
  // Later calls, as the game flow makes them every tick, answer without touching anything.
  OpenMusic(nullptr, kNames, 2);
  EXPECT_FALSE(PlaySong(1)) << "the output is taken";
  EXPECT_EQ(musicPlayer.songs, nullptr);
  EXPECT_FALSE(PlaySong(1));
  StopMusic();
  EXPECT_EQ(platform::MidiStreamClose(probe), platform::kMidiOk);
}

}  // namespace

namespace {

// The game's own songs, once they are embedded: each plays through the player to its end after
// its own number of blocks, at about its designed length.
TEST(EmbeddedSongsTest, BosaAndParisEndAfterTheirLastBlock) {
  struct Expected {
    const char* name;
    int blocks;
    double seconds;
  };
  const Expected songs[] = {{"BOSA", 12, 98.5}, {"PARIS", 4, 54.45}};
  platform::ResourceBytes found;
  if (!platform::FindResource("BOSA", ResourceType::kMids, &found) ||
      !platform::FindResource("PARIS", ResourceType::kMids, &found)) {
    GTEST_SKIP() << "the songs are not embedded yet";
  }
  RecordingSynth synth;
  platform::UseMidiSynth(&synth);
  OpenMusic(nullptr, kNames, 2);
  std::vector<float> out(2 * 1024);
  for (int track = 0; track < 2; ++track) {
    ASSERT_TRUE(PlaySong(track)) << songs[track].name;
    EXPECT_EQ(musicPlayer.songs[track].blockCount, songs[track].blocks);
    const int64_t start = synth.frame;
    while (MusicPlaying() && synth.frame - start < int64_t{kRate} * 200) {
      platform::MidiOutputSource().MixInto(out.data(), 1024, kRate);
    }
    EXPECT_EQ(musicPlayer.doneBlocks.load(), static_cast<uint32_t>(songs[track].blocks));
    const double seconds = static_cast<double>(synth.frame - start) / kRate;
    EXPECT_NEAR(seconds, songs[track].seconds, 1.0) << songs[track].name;
  }
  ResetMusicPlayer();
  platform::ResetMidiOutput();
}

}  // namespace
