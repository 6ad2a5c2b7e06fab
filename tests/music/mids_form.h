// Builds stream events, blocks and whole MIDS forms for the tests, byte by byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline void PutWord(Bytes& out, uint32_t word) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(word >> (8 * i)));
}

// A run of 12-byte stream events.
struct Events {
  Bytes bytes;
  Events& Short(uint32_t delta, uint32_t message) {
    PutWord(bytes, delta);
    PutWord(bytes, 0);
    PutWord(bytes, message & 0xFFFFFFu);
    return *this;
  }
  Events& Tempo(uint32_t delta, uint32_t microsPerQuarter) {
    PutWord(bytes, delta);
    PutWord(bytes, 0xFFFFFFFFu);
    PutWord(bytes, 0x01000000u | microsPerQuarter);
    return *this;
  }
};

inline Bytes FmtChunkData(uint32_t timeFormat, uint32_t maxBuffer, uint32_t flags = 0) {
  Bytes out;
  PutWord(out, timeFormat);
  PutWord(out, maxBuffer);
  PutWord(out, flags);
  return out;
}

// 'data' chunk contents: the block count, then each block (start tick, byte count, events).
inline Bytes DataChunkData(const std::vector<Bytes>& blocks) {
  Bytes out;
  PutWord(out, static_cast<uint32_t>(blocks.size()));
  for (const Bytes& block : blocks) {
    PutWord(out, 0);
    PutWord(out, static_cast<uint32_t>(block.size()));
    out.insert(out.end(), block.begin(), block.end());
  }
  return out;
}

// A RIFF form of type MIDS, chunk by chunk; Bytes() closes it with its RIFF size.
class MidsForm {
 public:
  MidsForm() : bytes_{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'M', 'I', 'D', 'S'} {}
  MidsForm& Chunk(const std::string& tag, const Bytes& data, uint32_t declaredSize) {
    bytes_.insert(bytes_.end(), tag.begin(), tag.end());
    PutWord(bytes_, declaredSize);
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    if (data.size() % 2 == 1) bytes_.push_back(0xEE);  // the pad byte
    return *this;
  }
  MidsForm& Chunk(const std::string& tag, const Bytes& data) {
    return Chunk(tag, data, static_cast<uint32_t>(data.size()));
  }
  Bytes Build() const {
    Bytes out = bytes_;
    const uint32_t riffSize = static_cast<uint32_t>(out.size() - 8);
    for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(riffSize >> (8 * i));
    return out;
  }

 private:
  Bytes bytes_;
};

// A well-formed song: time division 96, maxBuffer 4096, the given blocks.
inline Bytes SongForm(const std::vector<Bytes>& blocks, uint32_t timeFormat = 96) {
  return MidsForm()
      .Chunk("fmt ", FmtChunkData(timeFormat, 4096))
      .Chunk("data", DataChunkData(blocks))
      .Build();
}
