#include "test_bitmap.h"

namespace testing_support {
namespace {

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

std::vector<uint8_t> BuildBitmap(const BitmapSpec& spec) {
  const uint32_t entries = spec.clrUsed != 0 ? spec.clrUsed : (1u << spec.bitCount);
  const size_t stride = ((static_cast<size_t>(spec.width) * spec.bitCount + 31) / 32) * 4;
  const size_t tableAt = spec.headerSize;
  const size_t pixelsAt = tableAt + 4 * static_cast<size_t>(entries);
  std::vector<uint8_t> out(pixelsAt + stride * spec.height, 0);
  Put32(out, 0, spec.headerSize);
  if (spec.headerSize >= 16) {
    Put32(out, 4, static_cast<uint32_t>(spec.width));
    Put32(out, 8, static_cast<uint32_t>(spec.topDown ? -spec.height : spec.height));
    out[12] = 1;
    out[14] = static_cast<uint8_t>(spec.bitCount);
  }
  if (spec.headerSize >= 40) {
    Put32(out, 16, spec.compression);
    Put32(out, 32, spec.clrUsed);
  }
  for (uint32_t k = 0; k < entries; ++k) {
    const uint32_t rgb = spec.colour(static_cast<int>(k));
    out[tableAt + 4 * k + 0] = static_cast<uint8_t>(rgb);        // blue
    out[tableAt + 4 * k + 1] = static_cast<uint8_t>(rgb >> 8);   // green
    out[tableAt + 4 * k + 2] = static_cast<uint8_t>(rgb >> 16);  // red
  }
  for (int y = 0; y < spec.height; ++y) {
    const int stored = spec.topDown ? y : spec.height - 1 - y;
    uint8_t* row = out.data() + pixelsAt + stride * stored;
    for (int x = 0; x < spec.width; ++x) {
      const int v = spec.pixel(x, y) & ((1 << spec.bitCount) - 1);
      if (spec.bitCount == 8) {
        row[x] = static_cast<uint8_t>(v);
      } else if (spec.bitCount == 4) {
        row[x / 2] |= static_cast<uint8_t>((x & 1) != 0 ? v : v << 4);
      } else if (spec.bitCount == 1) {
        row[x / 8] |= static_cast<uint8_t>(v << (7 - (x & 7)));
      }
    }
  }
  return out;
}

int SyntheticSheetPixel(int x, int y) {
  const bool fontRows = y < 128;
  const bool spaceCell = fontRows && x < 16 && (y / 16) % 2 == 0;
  if (spaceCell || (x + y) % 7 == 0) return kSyntheticKey;
  const int cell = fontRows ? (y / 16) * 32 + x / 16 : 256 + ((y - 128) / 64) * 8 + x / 64;
  const int v = (cell * 37 + x * 3 + y) % 190 + 1;
  return v;  // 1..190: never the key
}

std::vector<uint8_t> BuildSyntheticSheet() {
  BitmapSpec spec;
  spec.pixel = SyntheticSheetPixel;
  return BuildBitmap(spec);
}

}  // namespace testing_support
