// Builds RIFF WAVE resources chunk by chunk for the tests, including broken ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_sound {

class WaveBuilder {
 public:
  // A chunk with its true size; an odd size gets its pad byte.
  WaveBuilder& Chunk(const std::string& id, const std::vector<uint8_t>& payload) {
    return ChunkClaiming(id, static_cast<uint32_t>(payload.size()), payload);
  }
  // A chunk whose header claims `size` whatever the payload holds.
  WaveBuilder& ChunkClaiming(const std::string& id, uint32_t size,
                             const std::vector<uint8_t>& payload) {
    Tag(id);
    Put32(size);
    bytes_.insert(bytes_.end(), payload.begin(), payload.end());
    if (payload.size() % 2 != 0) bytes_.push_back(0xAA);  // a pad that would misread as data
    return *this;
  }
  // 8-bit mono PCM at 22050 Hz, with or without the bits-per-sample field.
  WaveBuilder& Format8BitMono(uint32_t size = 16) {
    std::vector<uint8_t> f = {1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x22, 0x56, 0, 0, 1, 0, 8, 0};
    f.resize(size, 0);
    return Chunk("fmt ", f);
  }
  WaveBuilder& Raw(const std::vector<uint8_t>& more) {
    bytes_.insert(bytes_.end(), more.begin(), more.end());
    return *this;
  }
  // The whole resource: "RIFF", the size of what follows, "WAVE", the chunks.
  std::vector<uint8_t> Build() const { return BuildClaiming(4 + bytes_.size()); }
  std::vector<uint8_t> BuildClaiming(size_t riffSize) const {
    WaveBuilder head;
    head.Tag("RIFF");
    head.Put32(static_cast<uint32_t>(riffSize));
    head.Tag("WAVE");
    head.bytes_.insert(head.bytes_.end(), bytes_.begin(), bytes_.end());
    return head.bytes_;
  }

 private:
  void Tag(const std::string& id) {
    for (size_t i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(id[i]));
  }
  void Put32(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  std::vector<uint8_t> bytes_;
};

}  // namespace testing_sound
