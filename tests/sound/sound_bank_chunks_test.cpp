// The chunk walk of the effect loader, fed through resource overrides.
#include <gtest/gtest.h>

#include <vector>

#include "machine/audio.h"
#include "machine/resources.h"
#include "sound/sound_bank.h"
#include "wave_builder.h"

namespace {

using testing_sound::WaveBuilder;

const std::vector<uint8_t> kSamples = {128, 160, 192, 160, 128, 96, 64, 96, 128, 128};

class SoundBankChunksTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::OpenAudioDeviceWithoutOutput(); }
  void TearDown() override {
    ResetSoundBank();
    platform::ClearResourceOverrides();
    platform::ResetAudio();
  }

  // Opens the bank on one effect made of these bytes; true when the bank ends up open.
  bool Opens(const std::vector<uint8_t>& wave) {
    resource_ = wave;
    platform::OverrideResource("TEST", platform::ResourceType::kWave, resource_.data(),
                               resource_.size());
    OpenSoundBank(nullptr, kNames, 1);
    return soundBank.audioDevice != nullptr;
  }
  // The loaded effect's length in frames at the mixer's rate.
  int Frames() const { return platform::ClipFrames(soundBank.clips[0]); }

  static constexpr const char* kNames[] = {"TEST"};
  std::vector<uint8_t> resource_;
};

TEST_F(SoundBankChunksTest, PlainFileLoadsWithEverySampleAtTheMixerRate) {
  ASSERT_TRUE(Opens(WaveBuilder().Format8BitMono().Chunk("data", kSamples).Build()));
  EXPECT_EQ(Frames(), 20);  // 10 samples at 22050 Hz are 20 frames at 44100 Hz
}

TEST_F(SoundBankChunksTest, FormatOfFourteenBytesLoadsAndThirteenClosesTheWholeBank) {
  ASSERT_TRUE(Opens(WaveBuilder().Format8BitMono(14).Chunk("data", kSamples).Build()));
  EXPECT_EQ(Frames(), 20);  // bits per sample follow from the block alignment

  // A good first effect does not save the bank when the second is bad.
  const std::vector<uint8_t> good = WaveBuilder().Format8BitMono().Chunk("data", kSamples).Build();
  const std::vector<uint8_t> bad = WaveBuilder().Format8BitMono(13).Chunk("data", kSamples).Build();
  platform::OverrideResource("GOOD", platform::ResourceType::kWave, good.data(), good.size());
  platform::OverrideResource("BAD", platform::ResourceType::kWave, bad.data(), bad.size());
  static constexpr const char* kTwo[] = {"GOOD", "BAD"};
  OpenSoundBank(nullptr, kTwo, 2);
  EXPECT_EQ(soundBank.audioDevice, nullptr);
  EXPECT_EQ(soundBank.clips, nullptr);
  PlayEffect(0);  // harmless on the closed bank
}

TEST_F(SoundBankChunksTest, OddChunksAreFollowedByTheirPadByteAndUnknownChunksSkipped) {
  const std::vector<uint8_t> odd = {'d', 'a', 't', 'a', 9};  // looks like a chunk if misread
  EXPECT_TRUE(Opens(WaveBuilder()
                        .Chunk("LIST", odd)
                        .Chunk("data", {128, 255, 0, 128, 128})  // odd data before the format
                        .Chunk("junk", {})
                        .Format8BitMono()
                        .Build()));
  EXPECT_EQ(Frames(), 10);
}

TEST_F(SoundBankChunksTest, WalkEndsAsSoonAsBothChunksAreSeen) {
  // What follows both chunks would fail the load if the walk went on to read it.
  EXPECT_TRUE(Opens(WaveBuilder()
                        .Format8BitMono()
                        .Chunk("data", kSamples)
                        .ChunkClaiming("fmt ", 2, {1, 0})
                        .Raw({'x', 'y'})
                        .Build()));
  // A later format chunk would be taken if the walk went on past data then format.
  EXPECT_TRUE(Opens(WaveBuilder()
                        .Chunk("data", kSamples)
                        .Format8BitMono()
                        .ChunkClaiming("data", 0xFFFFFFF0u, {})
                        .Build()));
  EXPECT_EQ(Frames(), 20);
}

TEST_F(SoundBankChunksTest, ChunksReachingPastTheResourceAreRefused) {
  const WaveBuilder fmt = WaveBuilder().Format8BitMono();
  // The data chunk claims more bytes than the resource holds.
  EXPECT_FALSE(Opens(WaveBuilder(fmt).ChunkClaiming("data", 400, kSamples).Build()));
  // A size so large that adding it to the offset would wrap a 32-bit sum.
  EXPECT_FALSE(Opens(WaveBuilder(fmt).ChunkClaiming("data", 0xFFFFFFFFu, kSamples).Build()));
  // An unknown chunk's size runs past the end, so the data chunk never comes.
  EXPECT_FALSE(Opens(WaveBuilder(fmt).ChunkClaiming("LIST", 64, {1, 2}).Build()));
  // The resource ends inside a chunk header.
  EXPECT_FALSE(Opens(WaveBuilder(fmt).Raw({'d', 'a', 't', 'a', 10, 0}).BuildClaiming(40)));
  // The form claims more than there is, and the data chunk is missing.
  EXPECT_FALSE(Opens(WaveBuilder(fmt).BuildClaiming(1000)));
}

TEST_F(SoundBankChunksTest, FilesThatAreNotWaveFormsAreRefused) {
  std::vector<uint8_t> notRiff = WaveBuilder().Format8BitMono().Chunk("data", kSamples).Build();
  notRiff[0] = 'X';
  EXPECT_FALSE(Opens(notRiff));
  std::vector<uint8_t> notWave = WaveBuilder().Format8BitMono().Chunk("data", kSamples).Build();
  notWave[8] = 'A';
  EXPECT_FALSE(Opens(notWave));
  EXPECT_FALSE(Opens({'R', 'I', 'F', 'F', 4, 0}));  // shorter than the RIFF header
  EXPECT_FALSE(Opens(WaveBuilder().Chunk("data", kSamples).Build()));  // no format
  EXPECT_FALSE(Opens(WaveBuilder().Format8BitMono().Build()));         // no data
  // The form's own size ends it before the data chunk.
  EXPECT_FALSE(Opens(WaveBuilder().Format8BitMono().Chunk("data", kSamples).BuildClaiming(28)));
  // A format the mixer cannot play (24-bit) fails like a buffer that cannot be created.
  std::vector<uint8_t> deep = {1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x66, 0x02, 1, 0, 3, 0, 24, 0};
  EXPECT_FALSE(Opens(WaveBuilder().Chunk("fmt ", deep).Chunk("data", kSamples).Build()));
  platform::HideResource("TEST", platform::ResourceType::kWave);
  OpenSoundBank(nullptr, kNames, 1);
  EXPECT_EQ(soundBank.audioDevice, nullptr);
}

// A PCM format chunk: tag, channels, rate, bytes per second, block alignment, bits.
std::vector<uint8_t> FormatChunk(uint16_t channels, uint32_t rate, uint16_t bits) {
  const uint32_t align = channels * bits / 8u;
  std::vector<uint8_t> chunk;
  for (const auto& [value, size] : {std::pair<uint32_t, int>{1, 2},
                                    {channels, 2},
                                    {rate, 4},
                                    {rate * align, 4},
                                    {align, 2},
                                    {bits, 2}}) {
    for (int i = 0; i < size; ++i) chunk.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
  return chunk;
}

TEST_F(SoundBankChunksTest, FormatsOutsideSaneBoundsFailTheLoadInsteadOfCrashing) {
  struct Case {
    const char* what;
    uint16_t channels;
    uint32_t rate;
    uint16_t bits;
    size_t dataBytes;
    bool loads;
    int frames;
  };
  const Case cases[] = {
      // A 1 Hz rate once asked SDL for gigabytes and overflowed its int lengths.
      {"1 Hz, 3044 bytes", 1, 1, 8, 3044, false, 0},
      {"1 Hz, 3000 bytes", 1, 1, 8, 3000, false, 0},
      {"rate far above any device", 1, 1000000, 8, 100, false, 0},
      {"no channels", 0, 22050, 8, 100, false, 0},
      {"too many channels", 9, 22050, 8, 90, false, 0},
      {"odd sample width", 1, 22050, 12, 100, false, 0},
      {"converts to more than a few MB", 1, 1000, 8, 100000, false, 0},
      {"one sample at a high rate converts to no frame at all", 1, 153312, 8, 2, true, 0},
      {"lowest rate still loads", 1, 1000, 8, 10, true, 441},
      {"stereo 16-bit at 48 kHz", 2, 48000, 16, 4 * 480, true, 441},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<uint8_t> samples(c.dataBytes, 128);
    EXPECT_EQ(Opens(WaveBuilder()
                        .Chunk("fmt ", FormatChunk(c.channels, c.rate, c.bits))
                        .Chunk("data", samples)
                        .Build()),
              c.loads);
    if (c.loads) {
      EXPECT_EQ(Frames(), c.frames);
    }
    ResetSoundBank();
  }
}

TEST_F(SoundBankChunksTest, BankWithoutDeviceOrTableStaysClosedAndHoldsNothing) {
  platform::CloseAudioDevice();
  EXPECT_FALSE(Opens(WaveBuilder().Format8BitMono().Chunk("data", kSamples).Build()));
  EXPECT_EQ(soundBank.clips, nullptr);  // the table is freed on this path too
  EXPECT_FALSE(LoadEffect(0, "TEST"));
  platform::OpenAudioDeviceWithoutOutput();
  OpenSoundBank(nullptr, nullptr, 2);
  EXPECT_EQ(soundBank.audioDevice, nullptr);
  OpenSoundBank(nullptr, kNames, -1);
  EXPECT_EQ(soundBank.audioDevice, nullptr);
  PlayEffect(0);
  CloseSoundBank();
  CloseSoundBank();
}

}  // namespace
