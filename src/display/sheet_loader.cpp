// LoadSheet: the sprite sheet's pixels and the game's palette, both read from one bitmap resource.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "display/display.h"
#include "machine/message_box.h"
#include "machine/resources.h"

namespace {

constexpr uint32_t kInfoHeaderSize = 40;
constexpr size_t kFileHeaderSize = 14;

uint32_t ReadU32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
uint16_t ReadU16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// What the pixel copy needs to know about the bitmap, all checked against the resource's size.
struct BitmapShape {
  int32_t width;
  int32_t height;  // rows; the sign of biHeight says top-down (negative) or bottom-up
  bool topDown;
  int bitCount;
  uint32_t compression;
  uint64_t stride;
  uint64_t pixelOffset;
};

// Whether the header, the colour table and every pixel row lie inside the resource. A bitmap
// that claims more than its bytes hold is refused rather than read past its end.
bool FitsInResource(const BitmapShape& shape, uint64_t tableEntries, size_t size) {
  const uint64_t tableEnd = kInfoHeaderSize + 4 * tableEntries;
  if (tableEnd > size) return false;
  if (shape.compression != 0) return true;  // not copied at all; refused later
  const uint64_t rows = static_cast<uint64_t>(shape.height);
  return shape.pixelOffset + shape.stride * rows <= size;
}

// The pixel at column x of one stored row, for 8, 4 and 1 bits per pixel.
uint8_t PixelAt(const uint8_t* row, int x, int bitCount) {
  switch (bitCount) {
    case 8:
      return row[x];
    case 4:
      return (x & 1) != 0 ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    default:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
  }
}

void CopyPixels(const uint8_t* bitmap, const BitmapShape& shape,
                const platform::SurfaceLock& lock) {
  const int width = std::min(shape.width, lock.width);
  const int height = std::min(shape.height, lock.height);
  for (int y = 0; y < height; ++y) {
    const int stored = shape.topDown ? y : shape.height - 1 - y;
    const uint8_t* row = bitmap + shape.pixelOffset + shape.stride * static_cast<uint64_t>(stored);
    uint8_t* out = lock.pixels + static_cast<ptrdiff_t>(y) * lock.pitch;
    if (shape.bitCount == 8) {
      std::memcpy(out, row, static_cast<size_t>(width));
    } else {
      for (int x = 0; x < width; ++x) out[x] = PixelAt(row, x, shape.bitCount);
    }
  }
}

}  // namespace

int LoadSheet(WindowHandle window, platform::Surface* surface, const char* name) {
  DisplayContext& dc = displayContext;
  platform::ResourceBytes resource{};
  if (!platform::FindResource(name, platform::ResourceType::kBitmap, &resource)) {
    return DisplayFail(window, "Find Resource Err");
  }
  const uint8_t* bitmap = resource.data;
  if (bitmap == nullptr) return DisplayFail(window, "リソースをロード出来ません ");
  // The data files are whole .bmp files: the packed bitmap follows their 14-byte "BM" header.
  // A packed bitmap itself starts with its header size (40), never with "BM".
  if (resource.size >= kFileHeaderSize && bitmap[0] == 'B' && bitmap[1] == 'M') {
    bitmap += kFileHeaderSize;
    resource.size -= kFileHeaderSize;
  }

  // Default colours: a 3-3-2 cube, kept wherever the bitmap's own table has no entry.
  std::array<platform::PaletteEntry, 256> entries{};
  for (int i = 0; i < 256; ++i) {
    entries[static_cast<size_t>(i)] = platform::PaletteEntry{
        static_cast<uint8_t>(((i >> 5) & 7) * 255 / 7),
        static_cast<uint8_t>(((i >> 2) & 7) * 255 / 7), static_cast<uint8_t>((i & 3) * 85), 0};
  }

  if (resource.size < kInfoHeaderSize || ReadU32(bitmap) != kInfoHeaderSize) {
    return DisplayFail(window, "ERROR:");
  }
  const int bitCount = ReadU16(bitmap + 14);
  if (bitCount > 8) return DisplayFail(window, "ERROR:");
  const uint32_t clrUsed = ReadU32(bitmap + 32);
  const uint64_t tableEntries = clrUsed != 0 ? clrUsed : (uint64_t{1} << bitCount);

  BitmapShape shape{};
  shape.width = static_cast<int32_t>(ReadU32(bitmap + 4));
  const auto rawHeight = static_cast<int32_t>(ReadU32(bitmap + 8));
  shape.topDown = rawHeight < 0;
  // The most negative height has no positive counterpart: it makes an empty, refused bitmap.
  shape.height = rawHeight == INT32_MIN ? 0 : (shape.topDown ? -rawHeight : rawHeight);
  shape.bitCount = bitCount;
  shape.compression = ReadU32(bitmap + 16);
  const bool drawable = shape.width > 0 && shape.height > 0 && shape.compression == 0 &&
                        (bitCount == 8 || bitCount == 4 || bitCount == 1);
  shape.stride = drawable ? ((static_cast<uint64_t>(shape.width) * bitCount + 31) / 32) * 4 : 0;
  shape.pixelOffset = kInfoHeaderSize + 4 * tableEntries;
  if (!FitsInResource(shape, tableEntries, resource.size)) {
    return DisplayFail(window, "ERROR:");
  }

  const uint64_t taken = std::min<uint64_t>(tableEntries, 256);
  for (uint64_t k = 0; k < taken; ++k) {
    const uint8_t* quad = bitmap + kInfoHeaderSize + 4 * k;  // blue, green, red, reserved
    entries[k] = platform::PaletteEntry{quad[2], quad[1], quad[0], 0};
  }

  // The record holds exactly one palette: an earlier load's goes first.
  if (dc.palette != nullptr) {
    platform::ReleasePalette(dc.palette);
    dc.palette = nullptr;
  }
  dc.palette = platform::CreatePalette(dc.directDraw, entries.data());
  if (dc.palette == nullptr) return DisplayFail(window, "ERROR:");
  if (platform::AttachPalette(dc.primary, dc.palette) != platform::kVideoOk) {
    return DisplayFail(window, "ERROR:");
  }

  // Only uncompressed 8, 4 and 1-bit bitmaps can be copied into an 8-bit sheet.
  if (!drawable) return DisplayFail(window, "画像のロードに失敗");
  platform::SurfaceLock lock{};
  if (platform::LockSurface(surface, &lock) != platform::kVideoOk) {
    // Reported without closing: the caller reports the failed load and closes then.
    platform::MessageBox(window, "デバイスコンテキスト取得に失敗", "DirectDraw Function");
    return 0;
  }
  CopyPixels(bitmap, shape, lock);
  platform::UnlockSurface(surface);
  return 1;
}
