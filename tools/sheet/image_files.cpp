#include "image_files.h"

#include <algorithm>
#include <fstream>

#include "deflate.h"

namespace sheet {
namespace {

void Put16(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>* out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void PutBig32(std::vector<uint8_t>* out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<uint8_t>(v >> shift));
}

void FileHeader(std::vector<uint8_t>* out, uint32_t file_size, uint32_t pixel_offset) {
  out->push_back('B');
  out->push_back('M');
  Put32(out, file_size);
  Put32(out, 0);
  Put32(out, pixel_offset);
}

void PngChunk(std::vector<uint8_t>* out, const char* type, const std::vector<uint8_t>& data) {
  PutBig32(out, static_cast<uint32_t>(data.size()));
  std::vector<uint8_t> typed(type, type + 4);
  typed.insert(typed.end(), data.begin(), data.end());
  out->insert(out->end(), typed.begin(), typed.end());
  PutBig32(out, Crc32(typed.data(), typed.size()));
}

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc) {
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::vector<uint8_t> EncodeSheetBmp(const IndexedImage& image, const Palette& palette) {
  const uint32_t stride = (static_cast<uint32_t>(image.width) + 3) & ~3u;
  const uint32_t pixel_offset = 14 + 40 + 256 * 4;
  const uint32_t pixel_bytes = stride * static_cast<uint32_t>(image.height);
  std::vector<uint8_t> out;
  FileHeader(&out, pixel_offset + pixel_bytes, pixel_offset);
  Put32(&out, 40);
  Put32(&out, static_cast<uint32_t>(image.width));
  Put32(&out, static_cast<uint32_t>(image.height));  // positive: bottom-up
  Put16(&out, 1);
  Put16(&out, 8);
  Put32(&out, 0);  // BI_RGB
  Put32(&out, pixel_bytes);
  Put32(&out, 2835);  // 72 dots per inch
  Put32(&out, 2835);
  Put32(&out, 0);  // biClrUsed 0: all 256 entries
  Put32(&out, 0);
  for (const Rgb& c : palette) {
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    out.push_back(0);
  }
  for (int y = image.height - 1; y >= 0; --y) {
    for (uint32_t x = 0; x < stride; ++x) {
      out.push_back(x < static_cast<uint32_t>(image.width) ? image.At(static_cast<int>(x), y) : 0);
    }
  }
  return out;
}

std::vector<uint8_t> EncodeIconBmp(const RgbaImage& image) {
  const uint32_t header = 124;
  const uint32_t pixel_offset = 14 + header;
  const uint32_t pixel_bytes = static_cast<uint32_t>(image.width * image.height * 4);
  std::vector<uint8_t> out;
  FileHeader(&out, pixel_offset + pixel_bytes, pixel_offset);
  Put32(&out, header);
  Put32(&out, static_cast<uint32_t>(image.width));
  Put32(&out, static_cast<uint32_t>(image.height));
  Put16(&out, 1);
  Put16(&out, 32);
  Put32(&out, 3);  // BI_BITFIELDS
  Put32(&out, pixel_bytes);
  Put32(&out, 2835);
  Put32(&out, 2835);
  Put32(&out, 0);
  Put32(&out, 0);
  Put32(&out, 0x00FF0000);                         // red mask
  Put32(&out, 0x0000FF00);                         // green
  Put32(&out, 0x000000FF);                         // blue
  Put32(&out, 0xFF000000);                         // alpha
  Put32(&out, 0x73524742);                         // 'sRGB' colour space
  for (int i = 0; i < 9 + 3; ++i) Put32(&out, 0);  // end points and gamma, unused with sRGB
  Put32(&out, 4);                                  // LCS_GM_IMAGES
  Put32(&out, 0);                                  // no profile
  Put32(&out, 0);
  Put32(&out, 0);
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
      out.push_back(p[2]);
      out.push_back(p[1]);
      out.push_back(p[0]);
      out.push_back(p[3]);
    }
  }
  return out;
}

std::vector<uint8_t> EncodePng(const RgbaImage& image) {
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> ihdr;
  PutBig32(&ihdr, static_cast<uint32_t>(image.width));
  PutBig32(&ihdr, static_cast<uint32_t>(image.height));
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter set, no interlace
  PngChunk(&out, "IHDR", ihdr);

  std::vector<uint8_t> raw;
  const size_t row = static_cast<size_t>(image.width) * 4;
  for (int y = 0; y < image.height; ++y) {
    raw.push_back(0);  // no filter
    raw.insert(raw.end(), image.rgba.begin() + y * row, image.rgba.begin() + (y + 1) * row);
  }
  // zlib stream: header, one deflate block, then the Adler-32 of the raw bytes.
  std::vector<uint8_t> z = {0x78, 0x01};
  const std::vector<uint8_t> packed = Deflate(raw);
  z.insert(z.end(), packed.begin(), packed.end());
  uint32_t a = 1, b = 0;
  for (uint8_t v : raw) {
    a = (a + v) % 65521;
    b = (b + a) % 65521;
  }
  PutBig32(&z, (b << 16) | a);
  PngChunk(&out, "IDAT", z);
  PngChunk(&out, "IEND", {});
  return out;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace sheet
