// The committed effect files: what the generator makes of its recipes, and how they sound.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "effect_synth.h"

namespace {

std::vector<uint8_t> ReadFile(const std::string& name) {
  std::vector<uint8_t> bytes;
  FILE* file = std::fopen((std::string(SKYPOP_RESOURCES_DIR) + "/" + name).c_str(), "rb");
  if (file == nullptr) return bytes;
  int c;
  while ((c = std::fgetc(file)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
  std::fclose(file);
  return bytes;
}

uint32_t Read32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

struct Level {
  int lowest = 255;
  int highest = 0;
  double mean = 0.0;  // in steps from 128
  double rms = 0.0;   // in steps from 128
};

Level Measure(const std::vector<uint8_t>& file) {
  Level level;
  double sum = 0.0, squares = 0.0;
  for (size_t i = 44; i < file.size(); ++i) {
    level.lowest = std::min<int>(level.lowest, file[i]);
    level.highest = std::max<int>(level.highest, file[i]);
    sum += file[i] - 128.0;
    squares += (file[i] - 128.0) * (file[i] - 128.0);
  }
  level.mean = sum / 4410;
  level.rms = std::sqrt(squares / 4410);
  return level;
}

TEST(EffectFilesTest, GeneratorGivesTheCommittedFilesByteForByte) {
  EXPECT_EQ(effects::MakeBann(), ReadFile("bann.wav"));
  EXPECT_EQ(effects::MakeHyuu(), ReadFile("hyuu.wav"));
}

TEST(EffectFilesTest, BothFilesHaveTheLayoutTheGameExpects) {
  for (const char* name : {"bann.wav", "hyuu.wav"}) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> file = ReadFile(name);
    ASSERT_EQ(file.size(), 4454u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(Read32(file, 4), 4446u);
    EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(Read32(file, 16), 16u);
    const std::vector<uint8_t> format(file.begin() + 20, file.begin() + 36);
    EXPECT_EQ(format,
              (std::vector<uint8_t>{1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x22, 0x56, 0, 0, 1, 0, 8, 0}));
    EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "data");
    EXPECT_EQ(Read32(file, 40), 4410u);
  }
}

TEST(EffectFilesTest, EffectsStartAndEndInSilenceNeverClipAndCarryNoOffset) {
  for (const char* name : {"bann.wav", "hyuu.wav"}) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> file = ReadFile(name);
    ASSERT_EQ(file.size(), 4454u);
    EXPECT_EQ(file[44], 128);
    for (size_t i = file.size() - 20; i < file.size(); ++i) EXPECT_EQ(file[i], 128) << i;
    const Level level = Measure(file);
    EXPECT_GT(level.lowest, 0);
    EXPECT_LT(level.highest, 255);
    EXPECT_LT(std::fabs(level.mean), 0.1);
  }
}

TEST(EffectFilesTest, PopPeaksNearMinusOneDecibelAndBothAreEquallyLoud) {
  const Level pop = Measure(ReadFile("bann.wav"));
  const Level whistle = Measure(ReadFile("hyuu.wav"));
  const double popPeak = std::max(128 - pop.lowest, pop.highest - 128) / 128.0;
  EXPECT_NEAR(20 * std::log10(popPeak), -1.0, 0.25);
  EXPECT_NEAR(20 * std::log10(whistle.rms / pop.rms), 0.0, 0.25);
}

}  // namespace
