// The sheet and icon files in the form the game's loaders accept.
#include <gtest/gtest.h>

#include "machine/resources.h"
#include "sheet_file.h"

namespace {

using art_test::Le16;
using art_test::Le32;

TEST(SheetForm, HeaderIsThePacked8BitBottomUpForm) {
  const auto b = art_test::ReadBytes(art_test::SourcePath("resources/char.bmp"));
  ASSERT_EQ(b.size(), 14u + 40 + 1024 + 512 * 512);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(Le32(b, 2), b.size());
  EXPECT_EQ(Le32(b, 10), 14u + 40 + 1024);  // pixels right after the colour table
  EXPECT_EQ(Le32(b, 14), 40u);              // BITMAPINFOHEADER, not a core or V4/V5 header
  EXPECT_EQ(static_cast<int32_t>(Le32(b, 18)), 512);
  EXPECT_EQ(static_cast<int32_t>(Le32(b, 22)), 512);  // positive height: bottom-up
  EXPECT_EQ(Le16(b, 26), 1);
  EXPECT_EQ(Le16(b, 28), 8);
  EXPECT_EQ(Le32(b, 30), 0u);  // uncompressed
  EXPECT_EQ(Le32(b, 46), 0u);  // biClrUsed 0: the full 256-entry table
}

TEST(SheetForm, PaletteAnchorsAndKeyColour) {
  const auto& sheet = art_test::CommittedSheet();
  ASSERT_EQ(sheet.pixels.width, 512);
  auto is = [&](int i, int r, int g, int bl) {
    const sheet::Rgb c = sheet.palette[i];
    return c.r == r && c.g == g && c.b == bl;
  };
  EXPECT_TRUE(is(0, 0, 0, 0));
  EXPECT_TRUE(is(11, 35, 35, 24));
  EXPECT_TRUE(is(27, 0, 97, 0));
  // The key's colour belongs to entry 27 alone, so the sheet reads unambiguously.
  for (int i = 0; i < 256; ++i) {
    if (i != 27) {
      EXPECT_FALSE(is(i, 0, 97, 0)) << "entry " << i;
    }
  }
  EXPECT_EQ(sheet.pixels.At(0, 0), 27);  // the loader takes the key from the top-left pixel
  // The palette in the file is the one the sources describe.
  for (int i = 0; i < 256; ++i) {
    const sheet::Rgb want = art_test::Sources().palette[i];
    EXPECT_TRUE(is(i, want.r, want.g, want.b)) << "entry " << i;
  }
}

TEST(SheetForm, EmbeddedCopiesAreTheCommittedFiles) {
  struct Item {
    const char* name;
    platform::ResourceType type;
    const char* file;
  };
  for (const Item& item : {Item{"char", platform::ResourceType::kBitmap, "resources/char.bmp"},
                           Item{"MyIcon", platform::ResourceType::kIcon, "resources/myicon.bmp"}}) {
    platform::ResourceBytes found;
    ASSERT_TRUE(platform::FindResource(item.name, item.type, &found)) << item.name;
    const auto file = art_test::ReadBytes(art_test::SourcePath(item.file));
    ASSERT_EQ(found.size, file.size()) << item.name;
    EXPECT_TRUE(std::equal(file.begin(), file.end(), found.data)) << item.name;
  }
}

TEST(IconForm, ThirtyTwoBitWithAlphaMaskAndASoftEdgedBalloon) {
  const auto b = art_test::ReadBytes(art_test::SourcePath("resources/myicon.bmp"));
  ASSERT_GE(b.size(), 138u);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(Le32(b, 14), 124u);  // BITMAPV5HEADER
  const int w = static_cast<int>(Le32(b, 18)), h = static_cast<int>(Le32(b, 22));
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 64);
  EXPECT_EQ(Le16(b, 28), 32);
  EXPECT_EQ(Le32(b, 30), 3u);  // BI_BITFIELDS
  EXPECT_EQ(Le32(b, 54), 0x00FF0000u);
  EXPECT_EQ(Le32(b, 58), 0x0000FF00u);
  EXPECT_EQ(Le32(b, 62), 0x000000FFu);
  EXPECT_EQ(Le32(b, 66), 0xFF000000u);
  const size_t offset = Le32(b, 10);
  ASSERT_EQ(b.size(), offset + static_cast<size_t>(w) * h * 4);
  auto alpha = [&](int x, int y) { return b[offset + 4 * ((h - 1 - y) * w + x) + 3]; };
  EXPECT_EQ(alpha(0, 0), 0);      // transparent around the balloon
  EXPECT_EQ(alpha(32, 20), 255);  // opaque body
  int partial = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) partial += alpha(x, y) > 0 && alpha(x, y) < 255;
  }
  EXPECT_GT(partial, 40);  // smooth edges, not a hard cut-out
}

}  // namespace
