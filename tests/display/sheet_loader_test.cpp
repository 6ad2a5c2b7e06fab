// Loading the sprite sheet: palette, pixels, key colour, and the bitmaps that must be refused.
#include <string>

#include "display/drawing.h"
#include "display_fixture.h"
#include "test_bitmap.h"

namespace {

using testing_support::BitmapSpec;
using testing_support::BuildBitmap;
using testing_support::ShownMessages;

class SheetLoaderTest : public testing_support::DisplayTest {
 protected:
  // The palette as the presenter sees it (after one flip), entry i as 0xRRGGBB.
  static uint32_t PaletteRgb(int i) {
    FlipScreen(nullptr);
    const uint32_t* shown = platform::LastShownPalette();
    EXPECT_NE(shown, nullptr);
    return shown == nullptr ? 0 : shown[i] & 0xFFFFFF;
  }

  static std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    for (const auto& m : ShownMessages()) {
      EXPECT_EQ(m.caption, "DirectDraw Function");
      texts.push_back(m.text);
    }
    return texts;
  }

  void ExpectRefused(std::vector<uint8_t> bytes, const char* first) {
    EXPECT_EQ(OpenWith(std::move(bytes)), 0);
    EXPECT_EQ(Texts(), (std::vector<std::string>{first, "ERROR Load BitMap"}));
    EXPECT_EQ(displayContext.directDraw, nullptr);
    EXPECT_EQ(platform::LiveSurfaceCount(), 0);
    EXPECT_EQ(platform::LivePaletteCount(), 0);
    EXPECT_GE(testing_support::DestroyRequests(), 1);
  }
};

}  // namespace

TEST_F(SheetLoaderTest, EightBitSheetGivesPixelsPaletteAndKeyFromTheTopLeftPixel) {
  ASSERT_EQ(OpenWith(testing_support::BuildSyntheticSheet()), 1);
  EXPECT_TRUE(ShownMessages().empty());
  EXPECT_EQ(keyIndex, testing_support::kSyntheticKey);
  for (int y : {0, 1, 127, 128, 300, 511}) {
    for (int x : {0, 15, 16, 200, 511}) {
      EXPECT_EQ(SheetAt(x, y), testing_support::SyntheticSheetPixel(x, y)) << x << "," << y;
    }
  }
  EXPECT_EQ(PaletteRgb(1), 0x030501u);
  EXPECT_EQ(PaletteRgb(255), ((255 * 3) & 0xFF) << 16 | ((255 * 5) & 0xFF) << 8 | 255u);
}

TEST_F(SheetLoaderTest, WholeBmpFileIsReadPastItsFileHeader) {
  std::vector<uint8_t> file = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const std::vector<uint8_t> packed = testing_support::BuildSyntheticSheet();
  file.insert(file.end(), packed.begin(), packed.end());
  ASSERT_EQ(OpenWith(file), 1);
  EXPECT_EQ(keyIndex, testing_support::kSyntheticKey);
  EXPECT_EQ(SheetAt(300, 200), testing_support::SyntheticSheetPixel(300, 200));
  // A file header and nothing after it is a truncated bitmap.
  SetUp();
  ExpectRefused(std::vector<uint8_t>(file.begin(), file.begin() + 20), "ERROR:");
}

TEST_F(SheetLoaderTest, TheGamesOwnSheetHasItsGreenKeyAndScoreColumnColour) {
  platform::ResourceBytes found{};
  if (!platform::FindResource("char", platform::ResourceType::kBitmap, &found)) {
    GTEST_SKIP() << "the game's sheet is not built in";
  }
  ASSERT_EQ(OpenDisplay(testing_support::RecordingWindow()), 1);
  EXPECT_EQ(keyIndex, 27);
  EXPECT_EQ(PaletteRgb(27), 0x006100u);
  EXPECT_EQ(PaletteRgb(11), 0x232318u);
  EXPECT_EQ(PaletteRgb(0), 0x000000u);
}

TEST_F(SheetLoaderTest, FourBitSheetTakesSixteenEntriesAndKeepsTheDefaultCubeAbove) {
  BitmapSpec spec;
  spec.bitCount = 4;
  spec.width = 512;
  spec.height = 512;
  spec.colour = [](int k) { return static_cast<uint32_t>(0x101010 * k); };
  // Key 9 in the corner; odd columns make sure the low nibble is read as the second pixel.
  spec.pixel = [](int x, int y) { return x == 0 && y == 0 ? 9 : (x + 2 * y) % 16; };
  ASSERT_EQ(OpenWith(BuildBitmap(spec)), 1);
  EXPECT_EQ(keyIndex, 9);
  EXPECT_EQ(SheetAt(1, 0), 1);
  EXPECT_EQ(SheetAt(2, 0), 2);
  EXPECT_EQ(SheetAt(5, 511), (5 + 1022) % 16);
  EXPECT_EQ(PaletteRgb(15), 0xF0F0F0u);
  EXPECT_EQ(PaletteRgb(16), 0x009100u);  // the 3-3-2 cube: green 4 of 7
  EXPECT_EQ(PaletteRgb(255), 0xFFFFFFu);
  EXPECT_EQ(PaletteRgb(0x6D), 0x6D6D55u);  // red 3, green 3, blue 1
}

TEST_F(SheetLoaderTest, NonZeroColourCountWinsAndPixelsFollowTheShorterTable) {
  BitmapSpec spec;
  spec.clrUsed = 20;
  spec.colour = [](int k) { return static_cast<uint32_t>(0x0A0000 * (k + 1)); };
  spec.pixel = [](int x, int y) { return (x * 11 + y) % 20; };
  ASSERT_EQ(OpenWith(BuildBitmap(spec)), 1);
  EXPECT_EQ(SheetAt(3, 7), (33 + 7) % 20);
  EXPECT_EQ(PaletteRgb(19), 0xC80000u);
  EXPECT_EQ(PaletteRgb(20), 0x00B600u);  // the default again: green 5 of 7
}

TEST_F(SheetLoaderTest, OneBitTopDownSheetIsReadRowForRow) {
  BitmapSpec spec;
  spec.bitCount = 1;
  spec.topDown = true;
  spec.pixel = [](int x, int y) { return (x / 3 + y) & 1; };
  ASSERT_EQ(OpenWith(BuildBitmap(spec)), 1);
  EXPECT_EQ(keyIndex, 0);
  EXPECT_EQ(SheetAt(3, 0), 1);
  EXPECT_EQ(SheetAt(3, 1), 0);
  EXPECT_EQ(SheetAt(511, 510), (170 + 510) & 1);
}

TEST_F(SheetLoaderTest, CoreHeaderExtendedHeaderAndDeepBitmapsAreRefused) {
  BitmapSpec core;
  core.headerSize = 12;
  ExpectRefused(BuildBitmap(core), "ERROR:");
  SetUp();
  BitmapSpec extended;
  extended.headerSize = 124;
  ExpectRefused(BuildBitmap(extended), "ERROR:");
  SetUp();
  BitmapSpec deep;
  deep.bitCount = 16;
  deep.clrUsed = 1;
  ExpectRefused(BuildBitmap(deep), "ERROR:");
}

TEST_F(SheetLoaderTest, BitmapsThatClaimMoreThanTheirBytesAreRefused) {
  const std::vector<uint8_t> whole = testing_support::BuildSyntheticSheet();
  // One byte short of the last pixel row, inside the colour table, inside the header.
  for (size_t size : {whole.size() - 1, size_t{40 + 4 * 100}, size_t{20}, size_t{3}}) {
    SCOPED_TRACE(size);
    SetUp();
    ExpectRefused(std::vector<uint8_t>(whole.begin(), whole.begin() + size), "ERROR:");
  }
  SetUp();
  BitmapSpec huge;
  huge.width = 4;
  huge.height = 4;
  std::vector<uint8_t> bytes = BuildBitmap(huge);
  bytes[32] = bytes[33] = bytes[34] = bytes[35] = 0xFF;  // biClrUsed 0xFFFFFFFF
  ExpectRefused(bytes, "ERROR:");
  SetUp();
  bytes = BuildBitmap(huge);
  bytes[8] = bytes[9] = bytes[10] = 0xFF;  // biHeight about sixteen million rows
  bytes[11] = 0x00;
  ExpectRefused(bytes, "ERROR:");
}

TEST_F(SheetLoaderTest, CompressedBitmapFailsAsAnImageThatCannotBeLoaded) {
  BitmapSpec rle;
  rle.compression = 1;
  ExpectRefused(BuildBitmap(rle), "画像のロードに失敗");
}

TEST_F(SheetLoaderTest, MissingResourceIsReported) {
  platform::HideResource("char", platform::ResourceType::kBitmap);
  EXPECT_EQ(OpenDisplay(testing_support::RecordingWindow()), 0);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Find Resource Err", "ERROR Load BitMap"}));
  EXPECT_EQ(platform::LiveSurfaceCount(), 0);
}

TEST_F(SheetLoaderTest, ResourceWithoutBytesIsReported) {
  platform::OverrideResource("char", platform::ResourceType::kBitmap, nullptr, 0);
  EXPECT_EQ(OpenDisplay(testing_support::RecordingWindow()), 0);
  EXPECT_EQ(Texts(),
            (std::vector<std::string>{"リソースをロード出来ません ", "ERROR Load BitMap"}));
}

TEST_F(SheetLoaderTest, ReloadKeepsExactlyOnePalette) {
  ASSERT_EQ(OpenWith(testing_support::BuildSyntheticSheet()), 1);
  EXPECT_EQ(platform::LivePaletteCount(), 1);
  EXPECT_EQ(LoadSheet(nullptr, displayContext.sheet, "char"), 1);
  EXPECT_EQ(platform::LivePaletteCount(), 1);
}
