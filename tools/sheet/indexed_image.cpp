#include "indexed_image.h"

namespace sheet {

void BlitKeyed(const IndexedImage& src, int sx, int sy, int w, int h, IndexedImage* dst, int dx,
               int dy) {
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (!src.Contains(sx + x, sy + y)) continue;
      const uint8_t v = src.At(sx + x, sy + y);
      if (v != kKeyIndex) dst->Set(dx + x, dy + y, v);
    }
  }
}

RgbaImage ToRgba(const IndexedImage& image, const Palette& palette, int zoom, bool key_as_black) {
  RgbaImage out(image.width * zoom, image.height * zoom);
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      const uint8_t v = image.At(x / zoom, y / zoom);
      const Rgb c = (key_as_black && v == kKeyIndex) ? Rgb{} : palette[v];
      uint8_t* p = out.Pixel(x, y);
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
      p[3] = 255;
    }
  }
  return out;
}

}  // namespace sheet
