// The game's soundfont against the full font it is cut from: the generator gives the committed
// file byte for byte; each song sounds sample for sample the same through the game's synthesizer
// settings with either font; and a cut that lacks one sample the songs play sounds different, so
// two equal renders cannot be two failed loads or two silences.

#include <gtest/gtest.h>
#include <unistd.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sf2_file.h"
#include "song_render.h"

namespace {

const std::string kResources = SOUNDFONT_RESOURCE_DIR;
const std::string kFullFont = SOURCE_SOUNDFONT;
const std::string kGameFont = kResources + "/skypop.sf2";
constexpr float kAudible = 0.05f;  // the songs peak far above this at the game's gain

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs the generator over both songs into the build folder; the new file's path, or "".
std::string MakeSoundfont(const std::string& name, const std::string& options = "") {
  const std::string out = std::string(SOUNDFONT_WORK_DIR) + "/" + name;
  const std::string command = std::string(MAKE_SOUNDFONT_PATH) + " " + kFullFont + " " + out + " " +
                              kResources + "/bosa.mids " + kResources + "/paris.mids" + options +
                              " > /dev/null";
  return std::system(command.c_str()) == 0 ? out : "";
}

// The first value where two renders part, bit for bit, or -1 when there is none.
long FirstDifference(const std::vector<float>& a, const std::vector<float>& b) {
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
    if (std::bit_cast<uint32_t>(a[i]) != std::bit_cast<uint32_t>(b[i])) return static_cast<long>(i);
  return a.size() == b.size() ? -1 : static_cast<long>(std::min(a.size(), b.size()));
}

class GameSoundfont : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (access(kFullFont.c_str(), R_OK) != 0) GTEST_SKIP() << kFullFont << " is not installed";
  }
  std::string Song() const { return kResources + "/" + GetParam() + ".mids"; }
};

TEST_P(GameSoundfont, SongSoundsSampleForSampleAsWithTheFullFont) {
  const std::vector<float> full = RenderSong(kFullFont, Song());
  const std::vector<float> cut = RenderSong(kGameFont, Song());
  ASSERT_GT(Peak(full), kAudible);
  ASSERT_GT(Peak(cut), kAudible);
  EXPECT_EQ(FirstDifference(full, cut), -1) << "of " << full.size() << " values";
}

INSTANTIATE_TEST_SUITE_P(Songs, GameSoundfont, testing::Values("bosa", "paris"),
                         [](const auto& param) { return std::string(param.param); });

using CutSoundfont = GameSoundfont;  // on paris, the shorter song

TEST_P(CutSoundfont, GeneratorGivesTheCommittedFile) {
  const std::string out = MakeSoundfont("regenerated.sf2");
  ASSERT_FALSE(out.empty());
  EXPECT_TRUE(ReadFile(out) == ReadFile(kGameFont))
      << "run `cmake --build build --target soundfont` and commit resources/skypop.sf2";
}

TEST_P(CutSoundfont, MissingSampleIsHeard) {
  const std::string out = MakeSoundfont("without_vibes.sf2", " --drop-sample 'Vibes D4'");
  ASSERT_FALSE(out.empty());
  const std::vector<float> cut = RenderSong(out, Song());
  ASSERT_GT(Peak(cut), kAudible);
  EXPECT_NE(FirstDifference(RenderSong(kFullFont, Song()), cut), -1);
}

// Every preset, zone, generator, modulator and sample point of the whole font (and low bytes,
// which it lacks, made up here) comes back from writing and reading it again.
TEST_P(CutSoundfont, FullFontSurvivesWritingAndReading) {
  soundfont::SoundFont full, again;
  std::string error;
  ASSERT_TRUE(soundfont::ReadSoundFont(ReadFile(kFullFont), full, error)) << error;
  full.has24Bit = true;
  for (soundfont::Sample& s : full.samples) s.low.assign(s.points.size(), 0x5A);
  ASSERT_TRUE(soundfont::ReadSoundFont(soundfont::WriteSoundFont(full), again, error)) << error;
  EXPECT_TRUE(again == full);
}

INSTANTIATE_TEST_SUITE_P(Paris, CutSoundfont, testing::Values("paris"),
                         [](const auto&) { return std::string("paris"); });

}  // namespace
