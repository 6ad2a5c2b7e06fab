// The file forms the generator writes: the 8-bit sheet bitmap, the 32-bit icon bitmap, and PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "indexed_image.h"

namespace sheet {

// A packed bottom-up 8-bit BMP: 40-byte header, 256-entry colour table, biClrUsed 0.
std::vector<uint8_t> EncodeSheetBmp(const IndexedImage& image, const Palette& palette);

// A 32-bit BMP with a BITMAPV5 header and BI_BITFIELDS masks, so its alpha channel is kept.
std::vector<uint8_t> EncodeIconBmp(const RgbaImage& image);

// An RGBA PNG, compressed with our own deflate: no library needed to write it.
std::vector<uint8_t> EncodePng(const RgbaImage& image);

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace sheet
