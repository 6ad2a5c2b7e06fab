#include <gtest/gtest.h>

#include <cstring>

#include "machine/midi_stream.h"
#include "machine/resources.h"
#include "mids_form.h"
#include "recording_synth.h"
#include "sound/music_player.h"

namespace {

using platform::MidiHeader;
using platform::ResourceType;

const char* const kNames[] = {"TUNE"};

class LoadSongTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::UseMidiSynth(&synth); }
  void TearDown() override {
    ResetMusicPlayer();
    platform::ClearResourceOverrides();
    platform::ResetMidiOutput();
  }
  // Opens the player on one song made of `form`; true when it loaded.
  bool Load(const Bytes& form) {
    resource = form;
    platform::OverrideResource("TUNE", ResourceType::kMids, resource.data(), resource.size());
    OpenMusic(nullptr, kNames, 1);
    return musicPlayer.songs[0].blocks != nullptr;
  }
  const Song& song() const { return musicPlayer.songs[0]; }

  Bytes resource;
  RecordingSynth synth;
};

Bytes NoteBlock(int events) {
  Events e;
  for (int i = 0; i < events; ++i) e.Short(4, 0x403C90u + static_cast<uint32_t>(i % 8));
  return e.bytes;
}

TEST_F(LoadSongTest, FillsOneSlotPerBlockWithTheEventsInPlace) {
  const Bytes full = NoteBlock(341);
  const Bytes last = NoteBlock(185);
  ASSERT_TRUE(Load(SongForm({full, full, last})));
  EXPECT_EQ(song().blockCount, 3);
  EXPECT_EQ(song().format, resource.data() + 20) << "the 'fmt ' data is read in place";
  EXPECT_EQ(TimeFormat(song()), 96u);
  EXPECT_EQ(MaxBuffer(song()), 4096u);
  for (int i = 0; i < 3; ++i) {
    const MidiHeader* header = SongSlot(song(), i);
    const Bytes& block = i < 2 ? full : last;
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(header), song().blocks + i * (64 + 4096));
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(header->lpData),
              reinterpret_cast<const uint8_t*>(header) + 64);
    EXPECT_EQ(header->dwBufferLength, 4096u);
    EXPECT_EQ(header->dwBytesRecorded, block.size());
    EXPECT_EQ(header->dwFlags, 0u);
    EXPECT_EQ(header->dwUser, 0u);
    EXPECT_EQ(header->lpNext, nullptr);
    EXPECT_EQ(std::memcmp(header->lpData, block.data(), block.size()), 0);
  }
  EXPECT_EQ(SongSlot(song(), 0)->dwBytesRecorded, 4092u);
}

TEST_F(LoadSongTest, ShortFormatIsRefusedWhereverItStands) {
  const Bytes data = DataChunkData({NoteBlock(3)});
  EXPECT_FALSE(Load(MidsForm().Chunk("data", data).Chunk("fmt ", Bytes(8, 0)).Build()));
  EXPECT_FALSE(Load(MidsForm().Chunk("fmt ", Bytes(11, 0)).Chunk("data", data).Build()));
  EXPECT_FALSE(Load(MidsForm().Chunk("data", data).Build())) << "no 'fmt ' at all";
  EXPECT_FALSE(Load(MidsForm().Chunk("fmt ", FmtChunkData(96, 4096)).Build())) << "no 'data'";
}

TEST_F(LoadSongTest, SkipsOtherChunksAndPadBytes) {
  const Bytes block = NoteBlock(5);
  Bytes fmt = FmtChunkData(96, 4096);
  fmt.push_back(0x55);  // a 13-byte 'fmt ' is followed by a pad byte
  const Bytes form = MidsForm()
                         .Chunk("LIST", Bytes(7, 1))
                         .Chunk("fmt ", fmt)
                         .Chunk("JUNK", Bytes(3, 2))
                         .Chunk("data", DataChunkData({block, block}))
                         .Build();
  ASSERT_TRUE(Load(form));
  EXPECT_EQ(song().format, resource.data() + 12 + 8 + 8 + 8);
  EXPECT_EQ(song().blockCount, 2);
  EXPECT_EQ(SongSlot(song(), 1)->dwBytesRecorded, 60u);
}

TEST_F(LoadSongTest, TheWalkEndsWhenBothChunksAreSeenOrTheFormEnds) {
  const Bytes data = DataChunkData({NoteBlock(2)});
  // A broken chunk after the two that matter is never looked at.
  ASSERT_TRUE(Load(MidsForm()
                       .Chunk("data", data)
                       .Chunk("fmt ", FmtChunkData(96, 4096))
                       .Chunk("fmt ", Bytes(4, 0))
                       .Build()));
  // A 'fmt ' beyond the end the RIFF size gives is not part of the form.
  Bytes cut = MidsForm().Chunk("data", data).Chunk("fmt ", FmtChunkData(96, 4096)).Build();
  const uint32_t formSize = static_cast<uint32_t>(4 + 8 + data.size());
  std::memcpy(cut.data() + 4, &formSize, 4);
  EXPECT_FALSE(Load(cut));
  // A chunk that claims more than the resource holds is not read.
  EXPECT_FALSE(Load(MidsForm().Chunk("data", data).Chunk("fmt ", Bytes(4, 0), 12).Build()));
}

TEST_F(LoadSongTest, RefusesWhatIsNotAPlayableSong) {
  EXPECT_FALSE(Load(Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}));
  Bytes notRiff = SongForm({NoteBlock(2)});
  notRiff[0] = 'X';
  EXPECT_FALSE(Load(notRiff));
  EXPECT_FALSE(Load(Bytes{'R', 'I', 'F'}));
  // A block longer than maxBuffer does not fit its slot.
  EXPECT_FALSE(Load(MidsForm()
                        .Chunk("fmt ", FmtChunkData(96, 48))
                        .Chunk("data", DataChunkData({NoteBlock(4), NoteBlock(5)}))
                        .Build()));
  // Blocks that run past the 'data' chunk, or a count of blocks that is not there.
  Bytes data = DataChunkData({NoteBlock(4)});
  data[0] = 2;
  EXPECT_FALSE(Load(MidsForm().Chunk("fmt ", FmtChunkData(96, 4096)).Chunk("data", data).Build()));
  EXPECT_FALSE(Load(MidsForm().Chunk("fmt ", FmtChunkData(96, 4096)).Chunk("data", {}).Build()));
  EXPECT_FALSE(Load(
      MidsForm().Chunk("fmt ", FmtChunkData(96, 4096)).Chunk("data", DataChunkData({})).Build()));
}

TEST_F(LoadSongTest, RefusesSongsWhoseSlotsWouldTakeMegabytes) {
  // Empty blocks cost nothing in the file but a whole slot each in memory: 64 of them with
  // 64 KB of room would take 4 MB and more, far beyond what any of our songs needs.
  const std::vector<Bytes> empty(64, Bytes{});
  EXPECT_FALSE(Load(MidsForm()
                        .Chunk("fmt ", FmtChunkData(96, 65536))
                        .Chunk("data", DataChunkData(empty))
                        .Build()));
  // The same blocks with the room our songs use load.
  EXPECT_TRUE(Load(MidsForm()
                       .Chunk("fmt ", FmtChunkData(96, 4096))
                       .Chunk("data", DataChunkData(empty))
                       .Build()));
}

TEST_F(LoadSongTest, OpenMusicGoesOnPastAMissingSong) {
  const Bytes form = SongForm({NoteBlock(3)});
  platform::OverrideResource("SECOND", ResourceType::kMids, form.data(), form.size());
  platform::HideResource("FIRST", ResourceType::kMids);
  const char* const names[] = {"FIRST", "SECOND"};
  EXPECT_TRUE(OpenMusic(nullptr, names, 2));
  EXPECT_EQ(musicPlayer.songCount, 2);
  EXPECT_EQ(musicPlayer.deviceId, 0xFFFFFFFFu);
  EXPECT_EQ(musicPlayer.songs[0].blocks, nullptr);
  EXPECT_EQ(musicPlayer.songs[0].format, nullptr);
  EXPECT_EQ(musicPlayer.songs[0].blockCount, 0);
  EXPECT_NE(musicPlayer.songs[1].blocks, nullptr);
  EXPECT_FALSE(LoadSong(2, "SECOND")) << "no such song slot";
}

}  // namespace
