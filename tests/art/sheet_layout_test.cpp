// Every cell the game draws holds its art, in its place, with its hot spot meaning what it says.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>

#include "display/sprite_table.h"
#include "sheet_file.h"

namespace {

using sheet::IndexedImage;
using sheet::kKeyIndex;

const IndexedImage& Sheet() {
  return art_test::CommittedSheet().pixels;
}

bool Ink(int x, int y) {
  return Sheet().At(x, y) != kKeyIndex;
}

int InkIn(int left, int top, int w, int h) {
  int n = 0;
  for (int y = top; y < top + h; ++y) {
    for (int x = left; x < left + w; ++x) n += Ink(x, y);
  }
  return n;
}

// The game's text: character c of style s comes from the cell (c - 32) * 16 of a 512-wide sheet.
void DrawText(IndexedImage* screen, int column, int row, const std::string& text, int style) {
  for (size_t i = 0; i < text.size(); ++i) {
    const int g = (text[i] - 32) * 16;
    sheet::BlitKeyed(Sheet(), g % 512, (g / 512) * 16 + style * 32, 16, 16, screen,
                     16 * (column + static_cast<int>(i)), 16 * row);
  }
}

void DrawSprite(IndexedImage* screen, int x, int y, int row) {
  const SpriteRect& r = kSpriteTable[row];
  sheet::BlitKeyed(Sheet(), r.left, r.top, r.width, r.height, screen, x - r.hotX, y - r.hotY);
}

double Brightness(uint8_t index) {
  const sheet::Rgb c = art_test::CommittedSheet().palette[index];
  return 0.3 * c.r + 0.59 * c.g + 0.11 * c.b;
}

TEST(FontCells, EveryGlyphHasInkAndOnlyInItsStylesColours) {
  const char* ramps[3] = {"font_white", "font_red", "font_cyan"};
  for (int style = 0; style < 3; ++style) {
    const sheet::Ramp& family = art_test::Sources().FindRamp(ramps[style]);
    for (int c = 33; c < 96; ++c) {
      const int left = 16 * ((c - 32) % 32), top = 32 * style + 16 * ((c - 32) / 32);
      int ink = 0;
      for (int y = top; y < top + 16; ++y) {
        for (int x = left; x < left + 16; ++x) {
          const uint8_t v = Sheet().At(x, y);
          if (v == kKeyIndex) continue;
          ++ink;
          EXPECT_TRUE(family.Holds(v))
              << "style " << style << " '" << char(c) << "' index " << int(v);
        }
      }
      EXPECT_GE(ink, 12) << "style " << style << " '" << char(c) << "'";
    }
  }
}

TEST(FontCells, SpaceIsEmptyInEveryStyleAndStyleThreeCellsAllHoldArt) {
  for (int style = 0; style < 4; ++style) EXPECT_EQ(InkIn(0, 32 * style, 16, 16), 0) << style;
  for (int c = 33; c < 96; ++c) {
    EXPECT_GT(InkIn(16 * ((c - 32) % 32), 96 + 16 * ((c - 32) / 32), 16, 16), 0) << char(c);
  }
}

TEST(SpriteTable, EveryRowTheGameDrawsShowsArt) {
  for (int row = 0; row < kSpriteRows; ++row) {
    const bool drawn = row <= 5 || row >= 16;
    if (!drawn) continue;
    const SpriteRect& r = kSpriteTable[row];
    EXPECT_GT(InkIn(r.left, r.top, r.width, r.height), 0) << "row " << row;
  }
  // The arrow's tip is its hot spot, and the cross-hair centre has its mark on the hot spot.
  const SpriteRect& arrow = kSpriteTable[kSpriteArrow];
  EXPECT_TRUE(Ink(arrow.left + arrow.hotX, arrow.top + arrow.hotY));
  const SpriteRect& centre = kSpriteTable[kSpriteCrossCentre];
  EXPECT_TRUE(Ink(centre.left + centre.hotX, centre.top + centre.hotY));
}

TEST(SpriteTable, DotsAreBrightestInTheCornerEverySizeKeeps) {
  for (int c = 0; c < 4; ++c) {
    const SpriteRect& big = kSpriteTable[kSpriteDots + 4 * c];
    const SpriteRect& tiny = kSpriteTable[kSpriteDots + 4 * c + 3];
    ASSERT_EQ(tiny.width, 2);
    double corner = 0, whole = 0;
    int whole_n = 0;
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 2; ++x) {
        ASSERT_TRUE(Ink(tiny.left + x, tiny.top + y)) << "colour " << c;
        corner += Brightness(Sheet().At(tiny.left + x, tiny.top + y)) / 4;
      }
    }
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        if (!Ink(big.left + x, big.top + y)) continue;
        whole += Brightness(Sheet().At(big.left + x, big.top + y));
        ++whole_n;
      }
    }
    EXPECT_GT(corner, whole / whole_n) << "colour " << c;
  }
}

TEST(CrossHair, AssembledAtFivePixelOffsetsItIsSymmetricAboutTheMouse) {
  IndexedImage screen(64, 64, kKeyIndex);
  const int mx = 32, my = 32;
  DrawSprite(&screen, mx, my, kSpriteCrossCentre);
  DrawSprite(&screen, mx - 5, my - 5, kSpriteArcUpperLeft);
  DrawSprite(&screen, mx + 5, my - 5, kSpriteArcUpperRight);
  DrawSprite(&screen, mx - 5, my + 5, kSpriteArcLowerLeft);
  DrawSprite(&screen, mx + 5, my + 5, kSpriteArcLowerRight);
  auto ink = [&](int dx, int dy) { return screen.At(mx + dx, my + dy) != kKeyIndex; };
  EXPECT_TRUE(ink(0, 0));
  int ring = 0;
  for (int dy = -25; dy <= 25; ++dy) {
    for (int dx = -25; dx <= 25; ++dx) {
      EXPECT_EQ(ink(dx, dy), ink(-dx, dy)) << dx << "," << dy;
      EXPECT_EQ(ink(dx, dy), ink(dx, -dy)) << dx << "," << dy;
      EXPECT_EQ(ink(dx, dy), ink(dy, dx)) << dx << "," << dy;
      const double d = std::hypot(dx, dy);
      ring += ink(dx, dy) && d > 9 && d < 16 && dx > 0 && dy > 0;
    }
  }
  EXPECT_GE(ring, 8);  // each quarter carries a piece of the ring
}

// The box pieces must meet the framed cells' edges all round, leaving the label untouched.
void ExpectBoxAround(const IndexedImage& screen, int column, int row, int cells) {
  const int left = 16 * column, top = 16 * row, right = left + 16 * cells, bottom = top + 16;
  for (int x = left; x < right; ++x) {
    EXPECT_NE(screen.At(x, top - 1), kKeyIndex) << "top edge at x " << x;
    EXPECT_NE(screen.At(x, bottom), kKeyIndex) << "bottom edge at x " << x;
    for (int y = top; y < bottom; ++y) EXPECT_EQ(screen.At(x, y), kKeyIndex) << x << "," << y;
  }
  for (int y = top; y < bottom; ++y) {
    EXPECT_NE(screen.At(left - 1, y), kKeyIndex) << "left edge at y " << y;
    EXPECT_NE(screen.At(right, y), kKeyIndex) << "right edge at y " << y;
  }
}

TEST(SelectionBox, PiecesJoinAroundALetterOkAndBack) {
  IndexedImage letter(640, 480, kKeyIndex);
  DrawText(&letter, 2 + 2 * 5, 20 + 2 * 1, " = ", 3);
  DrawText(&letter, 2 + 2 * 5, 21 + 2 * 1, "< >", 3);
  DrawText(&letter, 2 + 2 * 5, 22 + 2 * 1, " ]", 3);
  ExpectBoxAround(letter, 3 + 2 * 5, 21 + 2 * 1, 1);

  IndexedImage ok(640, 480, kKeyIndex);
  DrawText(&ok, 12, 26, "==", 3);
  DrawText(&ok, 11, 27, "<  >", 3);
  DrawText(&ok, 12, 28, "]]", 3);
  ExpectBoxAround(ok, 12, 27, 2);

  IndexedImage back(640, 480, kKeyIndex);
  DrawText(&back, 17, 26, "====", 3);
  DrawText(&back, 16, 27, "<    >", 3);
  DrawText(&back, 17, 28, "]]]]", 3);
  ExpectBoxAround(back, 17, 27, 4);
}

TEST(CreditStrip, TheTwoHalvesReadAsOneLine) {
  IndexedImage strip(256, 16, kKeyIndex);
  DrawText(&strip, 0, 0, "01234567PQRSTUVW", 3);
  // Ink runs across the seam between the halves' cells on the same pixel rows.
  int left_rows = 0, right_rows = 0, ink = 0;
  for (int y = 0; y < 16; ++y) {
    bool l = false, r = false;
    for (int x = 0; x < 128; ++x) {
      l |= strip.At(x, y) != kKeyIndex;
      r |= strip.At(128 + x, y) != kKeyIndex;
      ink += (strip.At(x, y) != kKeyIndex) + (strip.At(128 + x, y) != kKeyIndex);
    }
    left_rows |= l << y;
    right_rows |= r << y;
  }
  EXPECT_EQ(left_rows, right_rows);
  EXPECT_GT(ink, 400);
}

}  // namespace
