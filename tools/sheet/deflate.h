// A small deflate compressor (LZ77 matches, fixed Huffman codes) for the PNG writer: the review
// pictures are mostly black and shrink a hundredfold without any library.
#pragma once

#include <cstdint>
#include <vector>

namespace sheet {

// One final deflate block holding `data`, as RFC 1951 describes it.
std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data);

}  // namespace sheet
