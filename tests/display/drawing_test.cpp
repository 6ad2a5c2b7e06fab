// The drawing primitives: text cells, sprite clipping in both coordinate systems, fills, the
// flip, and the lost-surface path.
#include "display/drawing.h"

#include <cstring>
#include <vector>

#include "display_fixture.h"
#include "test_bitmap.h"

namespace {

using testing_support::kSyntheticKey;
using testing_support::SyntheticSheetPixel;

constexpr uint8_t kGround = 5;

class DrawingTest : public testing_support::DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    ASSERT_EQ(OpenWith(testing_support::BuildSyntheticSheet()), 1);
    FillScreen(nullptr, kGround);
  }

  // The back buffer as it should look when the sheet rectangle at (sx, sy) of w x h was copied
  // to (dx, dy) over the ground colour, with the key colour left out.
  static void ExpectCopied(int dx, int dy, int sx, int sy, int w, int h) {
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const int source = SyntheticSheetPixel(sx + x, sy + y);
        const int expected = source == kSyntheticKey ? kGround : source;
        ASSERT_EQ(BackAt(dx + x, dy + y), expected) << "at " << dx + x << "," << dy + y;
      }
    }
  }

  // How many pixels of the back buffer are not the ground colour, and their bounding box.
  struct Touched {
    int count = 0;
    int left = 640, top = 480, right = -1, bottom = -1;
  };
  static Touched TouchedPixels() {
    Touched t;
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < 640; ++x) {
        if (BackAt(x, y) == kGround) continue;
        ++t.count;
        t.left = std::min(t.left, x);
        t.top = std::min(t.top, y);
        t.right = std::max(t.right, x);
        t.bottom = std::max(t.bottom, y);
      }
    }
    return t;
  }
};

TEST_F(DrawingTest, TextCellsComeFromTheStyleRowsOfTheSheet) {
  DrawText(nullptr, 2, 3, "A9", 1);
  // 'A' is character 65: second row of style 1, cell 1; '9' first row, cell 25.
  ExpectCopied(32, 48, 16, 48, 16, 16);
  ExpectCopied(48, 48, 25 * 16, 32, 16, 16);
  // No lower case: 'a' (97) shows character 33 of the next style.
  DrawText(nullptr, 0, 0, "a", 0);
  ExpectCopied(0, 0, 16, 32, 16, 16);
}

TEST_F(DrawingTest, TextStopsAtTheLastColumnAndRefusesCellsOffTheGrid) {
  DrawText(nullptr, 39, 29, "HELLO", 0);
  ExpectCopied(624, 464, 8 * 16, 16, 16, 16);
  EXPECT_EQ(TouchedPixels().left, 624);
  const int drawn = TouchedPixels().count;
  DrawText(nullptr, 40, 0, "HELLO", 0);
  DrawText(nullptr, 0, 30, "HELLO", 0);
  DrawText(nullptr, -1, 0, "HELLO", 0);
  DrawText(nullptr, 0, -1, "HELLO", 0);
  DrawText(nullptr, 0, 0, "", 0);
  DrawText(nullptr, 0, 0, nullptr, 0);
  EXPECT_EQ(TouchedPixels().count, drawn);
}

TEST_F(DrawingTest, BlanksAreInvisibleAndBytesWithoutAGlyphDrawNothing) {
  DrawText(nullptr, 0, 0, "    ", 0);
  EXPECT_EQ(TouchedPixels().count, 0);
  // Control bytes (DEL too) and bytes above 127 keep their cells empty; the text goes on.
  DrawText(nullptr, 0, 0,
           "A\x01"
           "B\xC3Z\x7F",
           0);
  ExpectCopied(0, 0, 16, 16, 16, 16);
  ExpectCopied(32, 0, 32, 16, 16, 16);
  ExpectCopied(64, 0, 26 * 16, 16, 16, 16);
  for (int x = 16; x < 32; ++x) EXPECT_EQ(BackAt(x, 5), kGround);
  for (int x = 48; x < 64; ++x) EXPECT_EQ(BackAt(x, 5), kGround);
  DrawText(nullptr, 5, 0, "\x7F", 3);  // style 3 would otherwise reach into a balloon
  for (int x = 80; x < 96; ++x) EXPECT_EQ(BackAt(x, 5), kGround);
  // A style beyond the sheet has no cells either.
  const int drawn = TouchedPixels().count;
  DrawText(nullptr, 10, 10, "ZZ", 40);
  DrawText(nullptr, 10, 10, "ZZ", -1);
  EXPECT_EQ(TouchedPixels().count, drawn);
}

TEST_F(DrawingTest, FieldPositionsMapThroughTheOffsetWithArithmeticShift) {
  // Sprite 0 is a 16 x 16 cell at (16, 96) with its hot spot at 0, 0.
  DrawFieldSprite(nullptr, 17408, 17408, 0);
  ExpectCopied(0, 0, 16, 96, 16, 16);
  FillScreen(nullptr, kGround);
  DrawFieldSprite(nullptr, 17407, 17408 + 64 * 100, 0);  // pixel -1: the first column is cut
  ExpectCopied(0, 100, 17, 96, 15, 16);
  EXPECT_EQ(TouchedPixels().right, 14);
}

TEST_F(DrawingTest, FieldSpritesAreCutAtThePlayfieldAndNeverReachTheScoreStrip) {
  // A balloon (64 x 64, hot spot 31, 31) centred at field pixel (470, 10).
  DrawFieldSprite(nullptr, (470 + 272) * 64, (10 + 272) * 64, 16);
  const auto t = TouchedPixels();
  EXPECT_EQ(t.left, 439);
  EXPECT_LE(t.right, 479);
  EXPECT_EQ(t.top, 0);
  ExpectCopied(439, 0, 0, 128 + 21, 41, 43);
  // Wholly outside on either side: nothing.
  FillScreen(nullptr, kGround);
  DrawFieldSprite(nullptr, (480 + 31 + 272) * 64, (100 + 272) * 64, 16);
  DrawFieldSprite(nullptr, (-33 + 272) * 64, (100 + 272) * 64, 16);
  DrawFieldSprite(nullptr, (100 + 272) * 64, (-40 + 272) * 64, 16);
  DrawFieldSprite(nullptr, (100 + 272) * 64, (520 + 272) * 64, 16);
  DrawFieldSprite(nullptr, -2000000000, 2000000000, 16);
  EXPECT_EQ(TouchedPixels().count, 0);
}

TEST_F(DrawingTest, ScreenSpritesAreCutOnlyAtTheScreenEdges) {
  DrawScreenSprite(nullptr, 630, 470, 0);  // arrow: hot spot at its tip
  ExpectCopied(630, 470, 16, 96, 10, 10);
  EXPECT_EQ(TouchedPixels().right, 639);
  FillScreen(nullptr, kGround);
  DrawScreenSprite(nullptr, 479, 200, 5);  // reaches into the score strip uncut
  ExpectCopied(479, 200, 80, 96, 16, 16);
  FillScreen(nullptr, kGround);
  DrawScreenSprite(nullptr, 3, 2, 2);  // hot spot 15, 15: mostly off the top-left corner
  ExpectCopied(0, 0, 32 + 12, 96 + 13, 4, 3);
  const int drawn = TouchedPixels().count;
  DrawScreenSprite(nullptr, 700, 100, 0);
  DrawScreenSprite(nullptr, 100, -16, 0);
  DrawScreenSprite(nullptr, 0, 0, 144);  // no such row
  DrawScreenSprite(nullptr, 0, 0, -1);
  EXPECT_EQ(TouchedPixels().count, drawn);
}

TEST_F(DrawingTest, FillsCoverTheirRectangleAndFlipShowsTheFrame) {
  FillRect(nullptr, 0, 0, 480, 480, 0);
  EXPECT_EQ(BackAt(479, 479), 0);
  EXPECT_EQ(BackAt(480, 0), kGround);
  EXPECT_EQ(BackAt(0, 479), 0);
  std::vector<uint8_t> composed(Back(), Back() + 640 * 480);
  FlipScreen(nullptr);
  ASSERT_NE(platform::LastShownPixels(), nullptr);
  EXPECT_EQ(std::memcmp(platform::LastShownPixels(), composed.data(), composed.size()), 0);
  EXPECT_EQ(platform::ShownFrameCount(), 1);
}

TEST_F(DrawingTest, AfterALossThePieceIsMissingTheRestDrawsAndTheSheetIsReloaded) {
  platform::LoseAllSurfaces();
  DrawText(nullptr, 0, 0, "AB", 0);
  // The back buffer came back with undefined contents: only B was drawn on it.
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const int source = SyntheticSheetPixel(32 + x, 16 + y);
      EXPECT_EQ(BackAt(16 + x, y), source == kSyntheticKey ? 0xCD : source);
    }
  }
  EXPECT_EQ(SheetAt(100, 300), SyntheticSheetPixel(100, 300));
  EXPECT_EQ(SheetAt(0, 0), kSyntheticKey);
  EXPECT_EQ(platform::LivePaletteCount(), 1);
  EXPECT_TRUE(testing_support::ShownMessages().empty());
  // The palette was re-attached: a flip shows the sheet's colours, not black.
  FlipScreen(nullptr);
  EXPECT_EQ(platform::LastShownPalette()[1] & 0xFFFFFF, 0x030501u);
}

TEST_F(DrawingTest, RetriesAreBoundedWhenTheRestoreOrTheCopyKeepsFailing) {
  platform::LoseAllSurfaces();
  platform::FailVideoStep(platform::VideoStep::kRestore, 1000);
  DrawText(nullptr, 0, 0, "ABC", 0);  // returns, having given up on each glyph
  FlipScreen(nullptr);
  EXPECT_EQ(platform::ShownFrameCount(), 0);
  const int restores = platform::VideoStepCalls(platform::VideoStep::kRestore);
  EXPECT_GE(restores, 4);
  EXPECT_LE(restores, 4 * 4);
  platform::FailVideoStep(platform::VideoStep::kRestore, 0);
  // The surfaces are still lost: this fill meets the loss, is restored, and is dropped.
  FillScreen(nullptr, kGround);
  // Any other failure is tried again: once is survivable, forever is given up.
  FillScreen(nullptr, kGround);
  platform::FailVideoStep(platform::VideoStep::kCopy, 1);
  DrawText(nullptr, 0, 0, "A", 0);
  ExpectCopied(0, 0, 16, 16, 16, 16);
  FillScreen(nullptr, kGround);
  platform::FailVideoStep(platform::VideoStep::kCopy, 1000);
  DrawText(nullptr, 0, 0, "A", 0);
  EXPECT_EQ(TouchedPixels().count, 0);
}

TEST_F(DrawingTest, AFailedReloadDuringAFrameClosesTheDisplayAndTheFrameTouchesNothingAfter) {
  WindowHandle window = testing_support::RecordingWindow();
  platform::HideResource("char", platform::ResourceType::kBitmap);
  platform::LoseAllSurfaces();
  FillScreen(window, 1);
  DrawText(window, 0, 0, "AB", 0);
  DrawFieldSprite(window, 20000, 20000, 16);
  DrawScreenSprite(window, 10, 10, 0);
  FlipScreen(window);
  ASSERT_EQ(testing_support::ShownMessages().size(), 1u);
  EXPECT_EQ(testing_support::ShownMessages()[0].text, "Find Resource Err");
  EXPECT_EQ(testing_support::DestroyRequests(), 1);
  EXPECT_EQ(displayContext.directDraw, nullptr);
  EXPECT_EQ(platform::LiveSurfaceCount(), 0);
  EXPECT_EQ(platform::ShownFrameCount(), 0);
}

}  // namespace
