// 640 x 480 frames of palette indices stored as 8-bit run-length BMP files: lossless, small, and
// viewable in any image viewer, so a changed reference frame can be looked at before it is
// accepted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;

// Writes pixels (kFrameWidth x kFrameHeight, top row first) with a 256-entry ARGB palette.
bool WriteFrameImage(const std::string& path, const uint8_t* pixels, const uint32_t* palette);
// Reads a file WriteFrameImage wrote (8-bit, plain or run-length); false when it is not one.
bool ReadFrameImage(const std::string& path, std::vector<uint8_t>* pixels);

}  // namespace testing_support
