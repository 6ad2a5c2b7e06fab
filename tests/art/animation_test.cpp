// The balloons' wobble frames and the stars' rotation frames.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "sheet_file.h"

namespace {

using sheet::kKeyIndex;

bool Ink(int x, int y) {
  return art_test::CommittedSheet().pixels.At(x, y) != kKeyIndex;
}

struct Box {
  int left = 64, top = 64, right = -1, bottom = -1;
};

// Bounds of a balloon cell's ink above its knot (rows 0..45 hold only the body).
Box BodyBox(int kind, int frame) {
  Box b;
  for (int y = 0; y < 46; ++y) {
    for (int x = 0; x < 64; ++x) {
      if (!Ink(64 * frame + x, 128 + 64 * (kind - 1) + y)) continue;
      b.left = std::min(b.left, x);
      b.right = std::max(b.right, x);
      b.top = std::min(b.top, y);
      b.bottom = std::max(b.bottom, y);
    }
  }
  return b;
}

TEST(Balloons, EightDifferentFramesPerKindThatStayInTheirCells) {
  for (int kind = 1; kind <= 6; ++kind) {
    const int top = 128 + 64 * (kind - 1);
    for (int f = 0; f < 8; ++f) {
      for (int i = 0; i < 64; ++i) {
        EXPECT_FALSE(Ink(64 * f, top + i)) << "kind " << kind << " frame " << f << " left edge";
        EXPECT_FALSE(Ink(64 * f + 63, top + i)) << "kind " << kind << " frame " << f << " right";
        EXPECT_FALSE(Ink(64 * f + i, top)) << "kind " << kind << " frame " << f << " top edge";
      }
      EXPECT_TRUE(Ink(64 * f + 31, top + 31)) << "the hot spot lies on the body";
      for (int g = 0; g < f; ++g) {
        bool differ = false;
        for (int y = 0; y < 64 && !differ; ++y) {
          for (int x = 0; x < 64 && !differ; ++x) {
            differ = art_test::CommittedSheet().pixels.At(64 * f + x, top + y) !=
                     art_test::CommittedSheet().pixels.At(64 * g + x, top + y);
          }
        }
        EXPECT_TRUE(differ) << "kind " << kind << " frames " << g << " and " << f;
      }
    }
  }
}

TEST(Balloons, TheWobbleIsSmoothAndStaysCentredOnTheHotSpot) {
  for (int kind = 1; kind <= 6; ++kind) {
    for (int f = 0; f < 8; ++f) {
      const Box b = BodyBox(kind, f);
      EXPECT_NEAR((b.left + b.right) / 2.0, 31, 1.0) << "kind " << kind << " frame " << f;
      EXPECT_GE(b.right - b.left, 36) << "kind " << kind << " frame " << f;
      if (f == 0) continue;
      // Neighbouring frames (and so the 0..7, 7..0 loop) move no edge by more than 2 pixels.
      const Box a = BodyBox(kind, f - 1);
      EXPECT_LE(std::abs(a.left - b.left), 2) << "kind " << kind << " frame " << f;
      EXPECT_LE(std::abs(a.right - b.right), 2) << "kind " << kind << " frame " << f;
      EXPECT_LE(std::abs(a.top - b.top), 2) << "kind " << kind << " frame " << f;
    }
    // The first frame is wider and shorter than the last: a squash that turns into a stretch.
    const Box first = BodyBox(kind, 0), last = BodyBox(kind, 7);
    EXPECT_GT(first.right - first.left, last.right - last.left) << "kind " << kind;
    EXPECT_GT(first.top, last.top) << "kind " << kind;
  }
}

// Orientation of a five-pointed star, in degrees modulo 72, from its five-fold moment.
double StarTurn(int left, int top) {
  std::complex<double> moment;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      if (!Ink(left + x, top + y)) continue;
      const double dx = x - 7.0, dy = y - 7.0, r = std::hypot(dx, dy);
      if (r < 3) continue;
      moment += r * std::polar(1.0, 5 * std::atan2(dy, dx));
    }
  }
  return std::arg(moment) / 5 * 180 / 3.14159265358979;
}

TEST(Stars, EachFrameTurnsTheStarNineDegreesOnAndTheLoopCloses) {
  for (const int row_left : {0, 128}) {
    for (int f = 0; f < 8; ++f) {
      const int next = (f + 1) % 8;
      double step = StarTurn(row_left + 16 * next, 112) - StarTurn(row_left + 16 * f, 112);
      while (step > 36) step -= 72;
      while (step <= -36) step += 72;
      EXPECT_NEAR(step, 9, 4.5) << "star at " << row_left << " frame " << f;
    }
  }
}

}  // namespace
