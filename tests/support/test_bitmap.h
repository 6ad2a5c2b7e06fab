// Packed bitmaps (info header, colour table, pixels) built in memory, for feeding the sheet
// loader through a resource override.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace testing_support {

struct BitmapSpec {
  int width = 512;
  int height = 512;  // rows; stored bottom-up unless topDown
  bool topDown = false;
  int bitCount = 8;
  uint32_t clrUsed = 0;
  uint32_t headerSize = 40;
  uint32_t compression = 0;
  // Colour-table entry k as red, green, blue.
  std::function<uint32_t(int k)> colour = [](int k) {
    return static_cast<uint32_t>(((k * 3) & 0xFF) << 16 | ((k * 5) & 0xFF) << 8 | (k & 0xFF));
  };
  // Palette index of the pixel at (x, y), top-down coordinates.
  std::function<int(int x, int y)> pixel = [](int, int) { return 0; };
};

std::vector<uint8_t> BuildBitmap(const BitmapSpec& spec);

// The pixel rule of the synthetic sprite sheet: every 16 x 16 cell of the font rows and every
// balloon cell has its own pattern, the key colour 200 in the top-left pixel of the sheet, all of
// each style's space cell and a diagonal lattice through every cell.
constexpr int kSyntheticKey = 200;
int SyntheticSheetPixel(int x, int y);
std::vector<uint8_t> BuildSyntheticSheet();

}  // namespace testing_support
