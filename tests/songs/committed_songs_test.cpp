// The two committed songs, read the way the music player and the stream read them: the RIFF
// layout at fixed offsets, blocks that fit their slots, the event words, and the music itself
// (tempo, length, instruments, every note ended before the loop comes round).

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace {

struct Expected {
  const char* file;
  const char* source;
  uint32_t blocks;
  uint32_t events;
  uint32_t tempo;
  uint32_t length;
  double seconds;
  std::map<int, int> programs;  // channel -> program
  std::set<int> channels;
};

const Expected kBosa{"bosa.mids",
                     "music/bosa.txt",
                     12,
                     3936,
                     750000,
                     12611,
                     98.5,
                     {{1, 53}, {2, 32}, {3, 1}, {7, 25}},
                     {1, 2, 3, 7, 9}};
const Expected kParis{"paris.mids",
                      "music/paris.txt",
                      4,
                      1363,
                      650000,
                      8042,
                      54.45,
                      {{1, 21}, {3, 21}, {6, 21}, {2, 32}, {7, 11}},
                      {1, 2, 3, 6, 7, 9}};

// Test names and failure messages show the song's file, not the record's bytes.
void PrintTo(const Expected& song, std::ostream* out) {
  *out << song.file;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t At(const std::vector<uint8_t>& b, size_t offset) {
  return b[offset] | b[offset + 1] << 8 | b[offset + 2] << 16 |
         static_cast<uint32_t>(b[offset + 3]) << 24;
}

std::string Tag(const std::vector<uint8_t>& b, size_t offset) {
  return std::string(b.begin() + offset, b.begin() + offset + 4);
}

struct Event {
  uint32_t tick;
  uint32_t stream;
  uint32_t word;
};

struct Block {
  uint32_t start;
  uint32_t bytes;
};

class CommittedSong : public testing::TestWithParam<Expected> {
 protected:
  void SetUp() override {
    bytes_ = ReadFile(std::string(SONGS_RESOURCE_DIR) + "/" + GetParam().file);
    ASSERT_GT(bytes_.size(), 44u);
    size_t at = 44;
    uint32_t tick = 0;
    for (uint32_t b = 0; b < At(bytes_, 40) && at + 8 <= bytes_.size(); ++b) {
      Block block{At(bytes_, at), At(bytes_, at + 4)};
      blocks_.push_back(block);
      blockStartSums_.push_back(tick);
      for (size_t e = at + 8; e < at + 8 + block.bytes && e + 12 <= bytes_.size(); e += 12) {
        tick += At(bytes_, e);
        events_.push_back({tick, At(bytes_, e + 4), At(bytes_, e + 8)});
      }
      at += 8 + block.bytes;
    }
    end_ = at;
  }

  std::vector<uint8_t> bytes_;
  std::vector<Block> blocks_;
  std::vector<uint32_t> blockStartSums_;
  std::vector<Event> events_;
  size_t end_ = 0;
};

TEST_P(CommittedSong, IsTheRiffFormAtItsFixedOffsets) {
  EXPECT_EQ(Tag(bytes_, 0), "RIFF");
  EXPECT_EQ(At(bytes_, 4), bytes_.size() - 8);
  EXPECT_EQ(Tag(bytes_, 8), "MIDS");
  EXPECT_EQ(Tag(bytes_, 12), "fmt ");
  EXPECT_EQ(At(bytes_, 16), 12u);
  EXPECT_EQ(At(bytes_, 20), 96u);    // ticks per quarter note
  EXPECT_EQ(At(bytes_, 24), 4096u);  // maxBuffer
  EXPECT_EQ(At(bytes_, 28), 0u);     // flags: every event carries its stream id
  EXPECT_EQ(Tag(bytes_, 32), "data");
  EXPECT_EQ(At(bytes_, 36), bytes_.size() - 40);
  EXPECT_EQ(end_, bytes_.size()) << "the blocks fill the data chunk exactly";
}

TEST_P(CommittedSong, BlocksAreFullSlotsOf341EventsAndTheRest) {
  const Expected& want = GetParam();
  ASSERT_EQ(At(bytes_, 40), want.blocks);
  ASSERT_EQ(blocks_.size(), want.blocks);
  for (size_t b = 0; b < blocks_.size(); ++b) {
    SCOPED_TRACE("block " + std::to_string(b));
    EXPECT_LE(blocks_[b].bytes, 4096u);
    EXPECT_EQ(blocks_[b].bytes % 12, 0u);
    if (b + 1 < blocks_.size())
      EXPECT_EQ(blocks_[b].bytes, 341u * 12);
    else
      EXPECT_LE(blocks_[b].bytes, 341u * 12);
    EXPECT_EQ(blocks_[b].start, blockStartSums_[b]);
  }
  EXPECT_EQ(events_.size(), want.events);
}

TEST_P(CommittedSong, OneTempoAtTheStartAndOnlyChannelMessagesAfter) {
  const Expected& want = GetParam();
  ASSERT_FALSE(events_.empty());
  EXPECT_EQ(events_[0].tick, 0u);
  EXPECT_EQ(events_[0].stream, 0xFFFFFFFFu);
  EXPECT_EQ(events_[0].word, 0x01000000u | want.tempo);
  std::set<int> channels;
  for (size_t i = 1; i < events_.size(); ++i) {
    const Event& e = events_[i];
    ASSERT_EQ(e.stream, 0u) << "event " << i;
    ASSERT_EQ(e.word >> 24, 0u) << "event " << i << " is not a short message";
    int status = e.word & 0xFF;
    ASSERT_GE(status, 0x80);
    ASSERT_LT(status, 0xF0);
    int kind = status & 0xF0;
    EXPECT_TRUE(kind == 0x80 || kind == 0x90 || kind == 0xB0 || kind == 0xC0 || kind == 0xE0);
    EXPECT_EQ((e.word >> 8) & 0x80, 0u);
    EXPECT_EQ((e.word >> 16) & 0x80, 0u);
    channels.insert(status & 0x0F);
  }
  EXPECT_EQ(channels, want.channels);
}

TEST_P(CommittedSong, LastsAsLongAsDesigned) {
  const Expected& want = GetParam();
  EXPECT_EQ(events_.back().tick, want.length);
  double seconds = events_.back().tick * (want.tempo / 1e6) / 96;
  EXPECT_NEAR(seconds, want.seconds, 0.05);
}

TEST_P(CommittedSong, SetsItsInstrumentsAndMixAtTickZero) {
  const Expected& want = GetParam();
  std::map<int, int> programs;
  std::map<int, std::set<int>> controllers;
  for (const Event& e : events_) {
    int status = e.word & 0xFF, data1 = (e.word >> 8) & 0x7F, data2 = (e.word >> 16) & 0x7F;
    if ((status & 0xF0) == 0xC0) {
      EXPECT_EQ(e.tick, 0u) << "program change after the start";
      programs[status & 0x0F] = data1;
    }
    if ((status & 0xF0) == 0xB0 && e.tick == 0) {
      controllers[status & 0x0F].insert(data1);
      if (data1 == 91) {
        EXPECT_LE(data2, 80) << "reverb stays modest";
      }
    }
  }
  EXPECT_EQ(programs, want.programs);
  for (int channel : want.channels) {
    SCOPED_TRACE("channel " + std::to_string(channel));
    EXPECT_TRUE(controllers[channel].count(7));
    EXPECT_TRUE(controllers[channel].count(10));
    EXPECT_TRUE(controllers[channel].count(91));
  }
}

TEST_P(CommittedSong, EveryNoteEndsBeforeTheLoopComesRound) {
  const Expected& want = GetParam();
  std::map<int, uint32_t> sounding;  // channel * 128 + key -> tick it started
  int notes = 0;
  for (const Event& e : events_) {
    int status = e.word & 0xFF, key = (e.word >> 8) & 0x7F, velocity = (e.word >> 16) & 0x7F;
    int slot = (status & 0x0F) * 128 + key;
    if ((status & 0xF0) == 0x90 && velocity > 0) {
      ASSERT_EQ(sounding.count(slot), 0u) << "key " << key << " struck again at " << e.tick;
      ASSERT_LT(e.tick, want.length) << "a note starts on the loop point";
      sounding[slot] = e.tick;
      ++notes;
    } else if ((status & 0xF0) == 0x80 || (status & 0xF0) == 0x90) {
      ASSERT_EQ(sounding.count(slot), 1u) << "key " << key << " ended unplayed at " << e.tick;
      EXPECT_GT(e.tick, sounding[slot]);
      sounding.erase(slot);
    }
  }
  EXPECT_TRUE(sounding.empty()) << sounding.size() << " notes still sound at the loop point";
  EXPECT_GT(notes, 400);
}

TEST_P(CommittedSong, GeneratorReproducesTheCommittedBytes) {
  char dir[] = "/tmp/song_tests_XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  std::string out = std::string(dir) + "/song.mids";
  std::string command = std::string(MAKE_SONG_PATH) + " " + SONGS_RESOURCE_DIR + "/" +
                        GetParam().source + " " + out + " > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::vector<uint8_t> fresh = ReadFile(out);
  std::remove(out.c_str());
  rmdir(dir);
  EXPECT_EQ(fresh, bytes_) << "run `cmake --build build --target songs` and commit the result";
}

INSTANTIATE_TEST_SUITE_P(Songs, CommittedSong, testing::Values(kBosa, kParis),
                         [](const testing::TestParamInfo<Expected>& param) {
                           return std::string(param.param.file).substr(0, 4) == "bosa" ? "Bosa"
                                                                                       : "Paris";
                         });

}  // namespace
