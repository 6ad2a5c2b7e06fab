// Reading the art sources: ramps blend between their listed steps, and a typo is reported with
// its file and line instead of drawing a wrong sheet.
#include "art_sources.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

class ArtSourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("skypop_art_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    Write("shapes.txt", "balloon.wobble 0.035  # note\n");
    Write("font.txt", "glyph A\n..\n.#\n");
    Write("small_font.txt", "credit HI\nglyph H\n#.#\n###\n");
    Write("art_cells.txt", "cell pointer grey\no.\n.o\n");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  void Write(const char* name, const char* text) { std::ofstream(dir_ / name) << text; }

  std::filesystem::path dir_;
};

TEST_F(ArtSourcesTest, RampsBlendBetweenStepsAndUnnamedEntriesStayBlack) {
  Write("palette.txt", "fixed 27 0,97,0\nramp test 40 5 0:0,0,0 4:100,200,40\n");
  sheet::ArtSources art;
  std::string error;
  ASSERT_TRUE(sheet::LoadArtSources(dir_.string(), &art, &error)) << error;
  EXPECT_EQ(art.palette[42].r, 50);
  EXPECT_EQ(art.palette[42].g, 100);
  EXPECT_EQ(art.palette[42].b, 20);
  EXPECT_EQ(art.palette[44].g, 200);
  EXPECT_EQ(art.palette[27].g, 97);
  EXPECT_EQ(art.palette[45].r + art.palette[45].g + art.palette[45].b, 0);
  const sheet::Ramp& ramp = art.FindRamp("test");
  EXPECT_EQ(ramp.Step(-3), 40);  // steps clamp into the ramp
  EXPECT_EQ(ramp.Step(9), 44);
  EXPECT_DOUBLE_EQ(art.Shape("balloon.wobble"), 0.035);
  EXPECT_EQ(art.credit, "HI");
  ASSERT_EQ(art.small_font.size(), 1u);
  EXPECT_EQ(art.small_font[0].rows[0], "#.#");  // a row starting with '#' is ink, not a note
}

TEST_F(ArtSourcesTest, BadLinesAreReportedWithTheirPlace) {
  Write("palette.txt", "fixed 0 0,0,0\nramp broken 40 5 0:0,0,0 3:9,9,9\n");
  sheet::ArtSources art;
  std::string error;
  EXPECT_FALSE(sheet::LoadArtSources(dir_.string(), &art, &error));
  EXPECT_NE(error.find("palette.txt:2"), std::string::npos) << error;

  Write("palette.txt", "fixed 300 0,0,0\n");
  EXPECT_FALSE(sheet::LoadArtSources(dir_.string(), &art, &error));
  EXPECT_NE(error.find("palette.txt:1"), std::string::npos) << error;

  Write("palette.txt", "fixed 0 0,0,0\n");
  Write("font.txt", "glyph A\n...\n.#\n");
  EXPECT_FALSE(sheet::LoadArtSources(dir_.string(), &art, &error));
  EXPECT_NE(error.find("font.txt"), std::string::npos) << error;
}

}  // namespace
