// Writes the Windows icon file from the icon generator's PNGs: every size below 256 as a 32-bit
// bitmap entry with its transparency mask, 256 as the PNG itself (as Windows stores its large
// icons). The output depends on the input bytes alone, so every build writes the same file.
//
// Usage: make_ico OUT.ico IN-16.png IN-24.png ... (each a square 8-bit RGBA PNG, 1 to 256 px)
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t BigEndian32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

void Put16(Bytes* out, uint32_t v) {
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(Bytes* out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// ---- Inflate (RFC 1951): stored, fixed and dynamic blocks ----

class BitReader {
 public:
  explicit BitReader(const Bytes& in) : in_(in) {}
  uint32_t Bits(int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
      if (at_ >= in_.size()) throw std::runtime_error("compressed data ends early");
      value |= uint32_t{(in_[at_] >> bit_) & 1u} << i;
      if (++bit_ == 8) {
        bit_ = 0;
        ++at_;
      }
    }
    return value;
  }
  void AlignToByte() {
    if (bit_ != 0) {
      bit_ = 0;
      ++at_;
    }
  }
  uint8_t Byte() {
    if (at_ >= in_.size()) throw std::runtime_error("compressed data ends early");
    return in_[at_++];
  }

 private:
  const Bytes& in_;
  size_t at_ = 0;
  int bit_ = 0;
};

// A canonical Huffman code: how many codes of each length, and the symbols in code order.
struct Huffman {
  std::vector<int> counts = std::vector<int>(16, 0);
  std::vector<int> symbols;
};

Huffman BuildHuffman(const std::vector<int>& lengths) {
  Huffman h;
  for (int length : lengths) ++h.counts[static_cast<size_t>(length)];
  h.counts[0] = 0;
  std::vector<int> offsets(16, 0);
  for (size_t len = 1; len < 16; ++len) offsets[len] = offsets[len - 1] + h.counts[len - 1];
  h.symbols.assign(lengths.size(), 0);
  for (size_t s = 0; s < lengths.size(); ++s) {
    if (lengths[s] != 0)
      h.symbols[static_cast<size_t>(offsets[static_cast<size_t>(lengths[s])]++)] =
          static_cast<int>(s);
  }
  return h;
}

int Decode(BitReader& bits, const Huffman& h) {
  int code = 0;
  int first = 0;
  int index = 0;
  for (size_t len = 1; len < 16; ++len) {
    code |= static_cast<int>(bits.Bits(1));
    const int count = h.counts[len];
    if (code - count < first) return h.symbols[static_cast<size_t>(index + (code - first))];
    index += count;
    first += count;
    first <<= 1;
    code <<= 1;
  }
  throw std::runtime_error("bad Huffman code");
}

constexpr int kLengthBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                               31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int kLengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int kDistanceBase[] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                 33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr int kDistanceExtra[] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                  6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void InflateBlock(BitReader& bits, const Huffman& literals, const Huffman& distances, Bytes* out) {
  for (;;) {
    const int symbol = Decode(bits, literals);
    if (symbol < 256) {
      out->push_back(static_cast<uint8_t>(symbol));
    } else if (symbol == 256) {
      return;
    } else {
      const int l = symbol - 257;
      if (l >= 29) throw std::runtime_error("bad length code");
      const int length = kLengthBase[l] + static_cast<int>(bits.Bits(kLengthExtra[l]));
      const int d = Decode(bits, distances);
      if (d >= 30) throw std::runtime_error("bad distance code");
      const size_t distance = static_cast<size_t>(kDistanceBase[d]) + bits.Bits(kDistanceExtra[d]);
      if (distance > out->size()) throw std::runtime_error("distance before the start");
      for (int i = 0; i < length; ++i) out->push_back((*out)[out->size() - distance]);
    }
  }
}

void DynamicTables(BitReader& bits, Huffman* literals, Huffman* distances) {
  const int literalCount = static_cast<int>(bits.Bits(5)) + 257;
  const int distanceCount = static_cast<int>(bits.Bits(5)) + 1;
  const int codeCount = static_cast<int>(bits.Bits(4)) + 4;
  constexpr int kOrder[] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  std::vector<int> codeLengths(19, 0);
  for (int i = 0; i < codeCount; ++i) {
    codeLengths[static_cast<size_t>(kOrder[i])] = static_cast<int>(bits.Bits(3));
  }
  const Huffman lengthCode = BuildHuffman(codeLengths);
  std::vector<int> lengths;
  while (static_cast<int>(lengths.size()) < literalCount + distanceCount) {
    const int symbol = Decode(bits, lengthCode);
    if (symbol < 16) {
      lengths.push_back(symbol);
      continue;
    }
    int repeat = 0;
    int value = 0;
    if (symbol == 16) {
      if (lengths.empty()) throw std::runtime_error("repeat with nothing before");
      value = lengths.back();
      repeat = 3 + static_cast<int>(bits.Bits(2));
    } else if (symbol == 17) {
      repeat = 3 + static_cast<int>(bits.Bits(3));
    } else {
      repeat = 11 + static_cast<int>(bits.Bits(7));
    }
    lengths.insert(lengths.end(), static_cast<size_t>(repeat), value);
  }
  if (static_cast<int>(lengths.size()) != literalCount + distanceCount) {
    throw std::runtime_error("code lengths overrun");
  }
  *literals = BuildHuffman(std::vector<int>(lengths.begin(), lengths.begin() + literalCount));
  *distances = BuildHuffman(std::vector<int>(lengths.begin() + literalCount, lengths.end()));
}

Bytes Inflate(const Bytes& zlib) {
  if (zlib.size() < 2 || (zlib[0] & 0x0F) != 8) throw std::runtime_error("not deflate data");
  const Bytes body(zlib.begin() + 2, zlib.end());
  BitReader bits(body);
  Bytes out;
  bool last = false;
  while (!last) {
    last = bits.Bits(1) != 0;
    const uint32_t type = bits.Bits(2);
    if (type == 0) {
      bits.AlignToByte();
      const uint32_t length = bits.Byte() | uint32_t{bits.Byte()} << 8;
      bits.Byte();  // the length's complement
      bits.Byte();
      for (uint32_t i = 0; i < length; ++i) out.push_back(bits.Byte());
    } else if (type == 1) {
      std::vector<int> fixed(288, 8);
      for (size_t i = 144; i < 256; ++i) fixed[i] = 9;
      for (size_t i = 256; i < 280; ++i) fixed[i] = 7;
      InflateBlock(bits, BuildHuffman(fixed), BuildHuffman(std::vector<int>(30, 5)), &out);
    } else if (type == 2) {
      Huffman literals;
      Huffman distances;
      DynamicTables(bits, &literals, &distances);
      InflateBlock(bits, literals, distances, &out);
    } else {
      throw std::runtime_error("bad block type");
    }
  }
  return out;
}

// ---- PNG (8-bit RGBA, not interlaced) ----

struct Image {
  int size = 0;  // square
  Bytes rgba;
  Bytes png;  // the file as read
};

int Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = p > a ? p - a : a - p;
  const int pb = p > b ? p - b : b - p;
  const int pc = p > c ? p - c : c - p;
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

Image ReadPng(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  Image image;
  image.png.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  const Bytes& file = image.png;
  static const uint8_t kSignature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (!in.eof() && !in) throw std::runtime_error("cannot read it");
  if (file.size() < 8 || !std::equal(kSignature, kSignature + 8, file.begin())) {
    throw std::runtime_error("not a PNG file");
  }
  Bytes compressed;
  int width = 0;
  int height = 0;
  for (size_t at = 8; at + 12 <= file.size();) {
    const uint32_t length = BigEndian32(&file[at]);
    if (length > file.size() - at - 12) throw std::runtime_error("a chunk runs past the end");
    const std::string type(file.begin() + static_cast<long>(at) + 4,
                           file.begin() + static_cast<long>(at) + 8);
    const uint8_t* data = &file[at + 8];
    if (type == "IHDR") {
      if (length < 13) throw std::runtime_error("short header");
      width = static_cast<int>(BigEndian32(data));
      height = static_cast<int>(BigEndian32(data + 4));
      if (data[8] != 8 || data[9] != 6 || data[12] != 0) {
        throw std::runtime_error("not 8-bit RGBA without interlacing");
      }
    } else if (type == "IDAT") {
      compressed.insert(compressed.end(), data, data + length);
    }
    at += 12 + length;
  }
  if (width <= 0 || width != height || width > 256) {
    throw std::runtime_error("not a square icon of 1 to 256 pixels");
  }
  const Bytes raw = Inflate(compressed);
  const size_t stride = static_cast<size_t>(width) * 4;
  if (raw.size() < (stride + 1) * static_cast<size_t>(height)) {
    throw std::runtime_error("pixel data ends early");
  }
  image.size = width;
  image.rgba.assign(stride * static_cast<size_t>(height), 0);
  for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
    const uint8_t filter = raw[y * (stride + 1)];
    const uint8_t* row = &raw[y * (stride + 1) + 1];
    uint8_t* cur = &image.rgba[y * stride];
    const uint8_t* prev = y > 0 ? &image.rgba[(y - 1) * stride] : nullptr;
    for (size_t x = 0; x < stride; ++x) {
      const int a = x >= 4 ? cur[x - 4] : 0;
      const int b = prev != nullptr ? prev[x] : 0;
      const int c = prev != nullptr && x >= 4 ? prev[x - 4] : 0;
      int predicted = 0;
      switch (filter) {
        case 0:
          break;
        case 1:
          predicted = a;
          break;
        case 2:
          predicted = b;
          break;
        case 3:
          predicted = (a + b) / 2;
          break;
        case 4:
          predicted = Paeth(a, b, c);
          break;
        default:
          throw std::runtime_error("bad row filter");
      }
      cur[x] = static_cast<uint8_t>(row[x] + predicted);
    }
  }
  return image;
}

// ---- ICO ----

// A 32-bit bottom-up BGRA bitmap (its header says twice the height: the colour rows, then the
// mask rows) and the 1-bit mask, set where the pixel is fully transparent.
Bytes BitmapEntry(const Image& image) {
  const int n = image.size;
  const size_t maskStride = static_cast<size_t>((n + 31) / 32 * 4);
  Bytes out;
  Put32(&out, 40);
  Put32(&out, static_cast<uint32_t>(n));
  Put32(&out, static_cast<uint32_t>(2 * n));
  Put16(&out, 1);
  Put16(&out, 32);
  Put32(&out, 0);
  Put32(&out, static_cast<uint32_t>(static_cast<size_t>(n) * n * 4 + maskStride * n));
  for (int i = 0; i < 4; ++i) Put32(&out, 0);
  for (int y = n - 1; y >= 0; --y) {
    for (int x = 0; x < n; ++x) {
      const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * n + x) * 4];
      out.insert(out.end(), {p[2], p[1], p[0], p[3]});
    }
  }
  for (int y = n - 1; y >= 0; --y) {
    Bytes row(maskStride, 0);
    for (int x = 0; x < n; ++x) {
      if (image.rgba[(static_cast<size_t>(y) * n + x) * 4 + 3] == 0) {
        row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_ico OUT.ico IN.png...\n");
    return 2;
  }
  std::vector<Image> images;
  std::vector<Bytes> entries;
  for (int i = 2; i < argc; ++i) {
    try {
      images.push_back(ReadPng(argv[i]));
    } catch (const std::exception& e) {
      std::fprintf(stderr, "make_ico: %s: %s\n", argv[i], e.what());
      return 1;
    }
    const Image& image = images.back();
    entries.push_back(image.size == 256 ? image.png : BitmapEntry(image));
  }
  Bytes ico;
  Put16(&ico, 0);
  Put16(&ico, 1);
  Put16(&ico, static_cast<uint32_t>(images.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    const uint8_t side = static_cast<uint8_t>(images[i].size == 256 ? 0 : images[i].size);
    ico.insert(ico.end(), {side, side, 0, 0});
    Put16(&ico, 1);
    Put16(&ico, 32);
    Put32(&ico, static_cast<uint32_t>(entries[i].size()));
    Put32(&ico, offset);
    offset += static_cast<uint32_t>(entries[i].size());
  }
  for (const Bytes& entry : entries) ico.insert(ico.end(), entry.begin(), entry.end());
  std::ofstream out(argv[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(ico.data()), static_cast<std::streamsize>(ico.size()));
  if (!out) {
    std::fprintf(stderr, "make_ico: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
