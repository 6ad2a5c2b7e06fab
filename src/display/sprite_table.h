// Where every sprite lives in the 512 x 512 sprite sheet, and where its hot spot is.
#pragma once

#include <array>
#include <cstdint>

struct SpriteRect {
  int32_t left;
  int32_t top;
  int32_t width;
  int32_t height;
  int32_t hotX;
  int32_t hotY;
};

constexpr int kSpriteRows = 144;

// Rows the game draws.
constexpr int kSpriteArrow = 0;
constexpr int kSpriteCrossCentre = 1;
constexpr int kSpriteArcUpperLeft = 2;
constexpr int kSpriteArcUpperRight = 3;
constexpr int kSpriteArcLowerLeft = 4;
constexpr int kSpriteArcLowerRight = 5;
constexpr int kSpriteYellowStar = 112;  // eight rotation frames
constexpr int kSpriteWhiteStar = 120;   // eight rotation frames
constexpr int kSpriteDots = 128;        // four colours x four sizes

namespace sprite_table_detail {

constexpr std::array<SpriteRect, kSpriteRows> Build() {
  std::array<SpriteRect, kSpriteRows> t{};
  t[0] = {16, 96, 16, 16, 0, 0};    // arrow pointer
  t[1] = {96, 96, 16, 16, 7, 7};    // cross-hair centre
  t[2] = {32, 96, 16, 16, 15, 15};  // ring, upper-left arc
  t[3] = {48, 96, 16, 16, 0, 15};   // ring, upper-right arc
  t[4] = {64, 96, 16, 16, 15, 0};   // ring, lower-left arc
  t[5] = {80, 96, 16, 16, 0, 0};    // ring, lower-right arc
  t[6] = {112, 96, 16, 16, 7, 7};   // the 2 x 2 block of dots
  t[7] = {16, 96, 16, 16, 0, 0};    // arrow pointer again
  t[8] = {48, 96, 16, 16, 7, 7};    // upper-right arc, centred
  for (int i = 0; i < 3; ++i) t[9 + i] = {16 * (i + 1), 16, 16, 16, 7, 7};  // A, B, C
  for (int i = 0; i < 4; ++i) t[12 + i] = {256 + 64 * i, 192, 64, 64, 31, 31};
  // Six balloon kinds, sixteen steps each: frames 0..7 then 7..0, a ping-pong wobble.
  for (int k = 1; k <= 6; ++k) {
    for (int j = 0; j < 16; ++j) {
      const int frame = j < 8 ? j : 15 - j;
      t[16 * k + j] = {64 * frame, 128 + 64 * (k - 1), 64, 64, 31, 31};
    }
  }
  for (int i = 112; i < 128; ++i) t[i] = {16 * (i - 112), 112, 16, 16, 7, 7};
  // Dots: colour c picks one 8 x 8 square, size step z cuts 8, 6, 4 or 2 pixels from its corner.
  constexpr int kDotLeft[4] = {112, 120, 112, 120};
  constexpr int kDotTop[4] = {96, 96, 104, 104};
  for (int c = 0; c < 4; ++c) {
    for (int z = 0; z < 4; ++z) {
      const int s = 8 - 2 * z;
      t[128 + 4 * c + z] = {kDotLeft[c], kDotTop[c], s, s, s / 2, s / 2};
    }
  }
  return t;
}

}  // namespace sprite_table_detail

inline constexpr std::array<SpriteRect, kSpriteRows> kSpriteTable = sprite_table_detail::Build();
