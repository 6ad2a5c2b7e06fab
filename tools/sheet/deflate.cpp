#include "deflate.h"

#include <array>

namespace sheet {
namespace {

constexpr int kWindow = 32768;
constexpr int kMaxMatch = 258;
constexpr int kMaxChain = 48;

constexpr std::array<int, 29> kLengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                             15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                             67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<int, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                              2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<int, 30> kDistBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<int, 30> kDistExtra = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                            6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

class BitWriter {
 public:
  explicit BitWriter(std::vector<uint8_t>* out) : out_(out) {}
  // Plain values go least significant bit first.
  void Bits(uint32_t value, int count) {
    for (int i = 0; i < count; ++i) Bit((value >> i) & 1);
  }
  // Huffman codes go most significant bit first.
  void Code(uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i) Bit((code >> i) & 1);
  }
  void Flush() {
    if (used_ > 0) out_->push_back(static_cast<uint8_t>(acc_));
    acc_ = 0;
    used_ = 0;
  }

 private:
  void Bit(uint32_t b) {
    acc_ |= b << used_;
    if (++used_ == 8) Flush();
  }
  std::vector<uint8_t>* out_;
  uint32_t acc_ = 0;
  int used_ = 0;
};

// The fixed literal/length code of RFC 1951, section 3.2.6.
void Symbol(BitWriter* w, int s) {
  if (s < 144)
    w->Code(0x30 + s, 8);
  else if (s < 256)
    w->Code(0x190 + s - 144, 9);
  else if (s < 280)
    w->Code(s - 256, 7);
  else
    w->Code(0xC0 + s - 280, 8);
}

void Match(BitWriter* w, int length, int distance) {
  int l = 28;
  while (kLengthBase[l] > length) --l;
  Symbol(w, 257 + l);
  w->Bits(length - kLengthBase[l], kLengthExtra[l]);
  int d = 29;
  while (kDistBase[d] > distance) --d;
  w->Code(d, 5);
  w->Bits(distance - kDistBase[d], kDistExtra[d]);
}

}  // namespace

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out;
  BitWriter w(&out);
  w.Bits(1, 1);  // final block
  w.Bits(1, 2);  // fixed Huffman codes
  const int n = static_cast<int>(data.size());
  std::vector<int> head(1 << 15, -1), prev(kWindow, -1);
  auto hash = [&](int i) {
    return ((data[i] << 10) ^ (data[i + 1] << 5) ^ data[i + 2]) & ((1 << 15) - 1);
  };
  auto insert = [&](int i) {
    if (i + 2 >= n) return;
    const int h = hash(i);
    prev[i % kWindow] = head[h];
    head[h] = i;
  };
  for (int i = 0; i < n;) {
    int best = 0, best_distance = 0;
    if (i + 2 < n) {
      int chain = 0;
      for (int c = head[hash(i)]; c >= 0 && i - c <= kWindow - 1 && chain < kMaxChain;
           c = prev[c % kWindow], ++chain) {
        int len = 0;
        while (len < kMaxMatch && i + len < n && data[c + len] == data[i + len]) ++len;
        if (len > best) {
          best = len;
          best_distance = i - c;
        }
        if (len == kMaxMatch) break;
      }
    }
    if (best >= 3) {
      Match(&w, best, best_distance);
      for (int k = 0; k < best; ++k) insert(i + k);
      i += best;
    } else {
      Symbol(&w, data[i]);
      insert(i);
      ++i;
    }
  }
  Symbol(&w, 256);
  w.Flush();
  return out;
}

}  // namespace sheet
