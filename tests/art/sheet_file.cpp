#include "sheet_file.h"

#include <fstream>
#include <iterator>

namespace art_test {

std::string SourcePath(const std::string& relative) {
  return std::string(SKYPOP_SOURCE_DIR) + "/" + relative;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

uint16_t Le16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

const LoadedSheet& CommittedSheet() {
  static const LoadedSheet sheet = [] {
    LoadedSheet s;
    const std::vector<uint8_t> bytes = ReadBytes(SourcePath("resources/char.bmp"));
    if (bytes.size() < 1078 + 512 * 512) return s;
    for (int i = 0; i < 256; ++i) {
      s.palette[i] = {bytes[54 + 4 * i + 2], bytes[54 + 4 * i + 1], bytes[54 + 4 * i]};
    }
    const size_t offset = Le32(bytes, 10);
    s.pixels = sheet::IndexedImage(512, 512, 0);
    for (int y = 0; y < 512; ++y) {
      for (int x = 0; x < 512; ++x) s.pixels.Set(x, 511 - y, bytes[offset + 512 * y + x]);
    }
    return s;
  }();
  return sheet;
}

const sheet::ArtSources& Sources() {
  static const sheet::ArtSources art = [] {
    sheet::ArtSources a;
    std::string error;
    sheet::LoadArtSources(SourcePath("resources/art"), &a, &error);
    return a;
  }();
  return art;
}

}  // namespace art_test
