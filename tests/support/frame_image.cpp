#include "frame_image.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace testing_support {
namespace {

constexpr uint32_t kRunLength8 = 1;

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
uint32_t Get32(const std::vector<uint8_t>& in, size_t at) {
  return uint32_t{in[at]} | uint32_t{in[at + 1]} << 8 | uint32_t{in[at + 2]} << 16 |
         uint32_t{in[at + 3]} << 24;
}

}  // namespace

bool WriteFrameImage(const std::string& path, const uint8_t* pixels, const uint32_t* palette) {
  std::vector<uint8_t> runs;
  for (int y = kFrameHeight - 1; y >= 0; --y) {  // bottom row first
    const uint8_t* row = pixels + y * kFrameWidth;
    for (int x = 0; x < kFrameWidth;) {
      int n = 1;
      while (x + n < kFrameWidth && n < 255 && row[x + n] == row[x]) ++n;
      runs.push_back(static_cast<uint8_t>(n));
      runs.push_back(row[x]);
      x += n;
    }
    runs.push_back(0);
    runs.push_back(y == 0 ? 1 : 0);  // end of the bitmap after the top row, else end of line
  }
  std::vector<uint8_t> out;
  const uint32_t dataOffset = 14 + 40 + 256 * 4;
  out.push_back('B');
  out.push_back('M');
  Put32(out, dataOffset + static_cast<uint32_t>(runs.size()));
  Put32(out, 0);
  Put32(out, dataOffset);
  Put32(out, 40);
  Put32(out, kFrameWidth);
  Put32(out, kFrameHeight);
  Put16(out, 1);
  Put16(out, 8);
  Put32(out, kRunLength8);
  Put32(out, static_cast<uint32_t>(runs.size()));
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, 256);
  Put32(out, 0);
  for (int i = 0; i < 256; ++i) Put32(out, palette[i] & 0xFFFFFF);
  out.insert(out.end(), runs.begin(), runs.end());
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return static_cast<bool>(file);
}

bool ReadFrameImage(const std::string& path, std::vector<uint8_t>* pixels) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  const std::vector<uint8_t> in((std::istreambuf_iterator<char>(file)),
                                std::istreambuf_iterator<char>());
  if (in.size() < 54 || in[0] != 'B' || in[1] != 'M') return false;
  const uint32_t offset = Get32(in, 10);
  if (Get32(in, 18) != kFrameWidth || Get32(in, 22) != kFrameHeight || in[28] != 8) return false;
  const uint32_t compression = Get32(in, 30);
  pixels->assign(kFrameWidth * kFrameHeight, 0);
  if (compression == 0) {
    if (offset + kFrameWidth * kFrameHeight > in.size()) return false;
    for (int y = 0; y < kFrameHeight; ++y) {
      const size_t stored = offset + static_cast<size_t>(kFrameHeight - 1 - y) * kFrameWidth;
      std::copy_n(in.begin() + static_cast<ptrdiff_t>(stored), kFrameWidth,
                  pixels->begin() + y * kFrameWidth);
    }
    return true;
  }
  if (compression != kRunLength8) return false;
  int x = 0;
  int y = kFrameHeight - 1;
  for (size_t at = offset; at + 1 < in.size();) {
    const uint8_t count = in[at];
    const uint8_t value = in[at + 1];
    at += 2;
    if (count > 0) {
      for (int k = 0; k < count && x < kFrameWidth && y >= 0; ++k) {
        (*pixels)[static_cast<size_t>(y * kFrameWidth + x++)] = value;
      }
    } else if (value == 0) {
      x = 0;
      --y;
    } else if (value == 1) {
      return true;
    } else if (value == 2) {
      if (at + 1 >= in.size()) return false;
      x += in[at];
      y -= in[at + 1];
      at += 2;
    } else {  // a literal stretch of `value` pixels, padded to a 16-bit boundary
      for (int k = 0; k < value && at < in.size(); ++k, ++at) {
        if (x < kFrameWidth && y >= 0)
          (*pixels)[static_cast<size_t>(y * kFrameWidth + x++)] = in[at];
      }
      if ((value & 1) != 0) ++at;
    }
  }
  return false;
}

}  // namespace testing_support
