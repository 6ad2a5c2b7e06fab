// Text the player or a file gave us (an option, a settings line, a path), made safe to quote in a
// one-line message: a control character could recolour the terminal or break the line, so control
// characters and bytes that are not UTF-8 are written as escapes (\n, \r, \t, \xNN); printable
// text, UTF-8 included, stays as it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The length of the well-formed UTF-8 sequence of a printable character (none of U+0080..U+009F,
// the 8-bit controls) at the start of `text`; 0 when there is none.
inline size_t PrintableSequence(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return lead >= 0x20 && lead != 0x7F ? 1 : 0;
  size_t length = 0;
  uint32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07u;
  }
  if (length == 0 || text.size() < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0u) != 0x80u) return 0;
    code = (code << 6) | (next & 0x3Fu);
  }
  // Overlong forms, surrogates and code points past Unicode's end are not UTF-8.
  constexpr uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kShortest[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
  return code >= 0xA0 ? length : 0;
}

inline std::string Printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const size_t length = PrintableSequence(text);
    if (length > 0) {
      out.append(text.substr(0, length));
      text.remove_prefix(length);
      continue;
    }
    const auto byte = static_cast<unsigned char>(text[0]);
    text.remove_prefix(1);
    if (byte == '\n') {
      out += "\\n";
    } else if (byte == '\r') {
      out += "\\r";
    } else if (byte == '\t') {
      out += "\\t";
    } else {
      constexpr char kHex[] = "0123456789abcdef";
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0Fu];
    }
  }
  return out;
}

}  // namespace platform
