// The generator redraws the committed data files byte for byte from the art sources.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "icon_art.h"
#include "image_files.h"
#include "sheet_file.h"

namespace {

TEST(Generator, RedrawsTheCommittedFilesByteForByte) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("skypop_sheet_" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  const std::string command = std::string(SHEET_GENERATOR) + " " +
                              art_test::SourcePath("resources/art") + " " + dir.string();
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  std::vector<std::string> files = {"char.bmp", "myicon.bmp"};
  for (int size : sheet::kIconSizes)
    files.push_back("icons/skypop-" + std::to_string(size) + ".png");
  for (const std::string& file : files) {
    const auto fresh = art_test::ReadBytes((dir / file).string());
    const auto committed =
        art_test::ReadBytes(art_test::SourcePath(std::string("resources/") + file));
    EXPECT_FALSE(fresh.empty()) << file;
    EXPECT_TRUE(fresh == committed) << file << " differs from the committed copy";
  }
  std::filesystem::remove_all(dir);
}

TEST(Generator, PngChecksumsFollowTheStandard) {
  const std::string check = "123456789";
  EXPECT_EQ(sheet::Crc32(reinterpret_cast<const uint8_t*>(check.data()), check.size()),
            0xCBF43926u);
  sheet::RgbaImage one(1, 1);
  const auto png = sheet::EncodePng(one);
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png[1], 'P');
  EXPECT_EQ(std::string(png.end() - 8, png.end() - 4), "IEND");
}

}  // namespace
