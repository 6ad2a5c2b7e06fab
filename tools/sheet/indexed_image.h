// An image of palette indices and the palette that colours it: the form of the sprite sheet.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sheet {

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
};

using Palette = std::array<Rgb, 256>;

// The sheet's transparent colour: every pixel no art covers holds it.
constexpr uint8_t kKeyIndex = 27;
constexpr uint8_t kBlackIndex = 0;
constexpr uint8_t kScoreColumnIndex = 11;

struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // top-down rows

  IndexedImage() = default;
  IndexedImage(int w, int h, uint8_t fill)
      : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}

  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  uint8_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  void Set(int x, int y, uint8_t v) {
    if (Contains(x, y)) pixels[static_cast<size_t>(y) * width + x] = v;
  }
};

// A true-colour image with alpha, for the icon and the review pictures.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // top-down rows, 4 bytes per pixel

  RgbaImage() = default;
  RgbaImage(int w, int h) : width(w), height(h), rgba(static_cast<size_t>(w) * h * 4, 0) {}
  uint8_t* Pixel(int x, int y) { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

// Copies a rectangle of src onto dst, leaving key pixels out, clipped to dst.
void BlitKeyed(const IndexedImage& src, int sx, int sy, int w, int h, IndexedImage* dst, int dx,
               int dy);

// Turns palette indices into colours, each pixel `zoom` times wider and taller; with
// `key_as_black` the key colour shows as black, as it does in the game.
RgbaImage ToRgba(const IndexedImage& image, const Palette& palette, int zoom, bool key_as_black);

}  // namespace sheet
