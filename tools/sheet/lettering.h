// The sheet's lettering: the three font styles, the violet glyphs, the OK mark and the credit
// strip, all outlined and shaded the same way.
#pragma once

#include <string>

#include "art_sources.h"

namespace sheet {

// A drawn shape: which pixels of a w x h area are ink.
struct Mask {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> on;

  Mask(int w, int h) : width(w), height(h), on(static_cast<size_t>(w) * h, 0) {}
  bool At(int x, int y) const {
    return x >= 0 && y >= 0 && x < width && y < height && on[static_cast<size_t>(y) * width + x];
  }
  void Set(int x, int y) {
    if (x >= 0 && y >= 0 && x < width && y < height) on[static_cast<size_t>(y) * width + x] = 1;
  }
};

// Which steps of a ramp the lettering uses.
struct LetteringTones {
  int shadow = 0;       // drop shadow to the lower right
  int outline = 1;      // 1-pixel edge all round
  int body_bottom = 4;  // the body's gradient runs from here at its lowest row...
  int body_top = 11;    // ...to here at its highest
};

// Paints `body` at (x0, y0): gradient body, outline around it, shadow below right of both.
// The gradient spans pixel rows top..bottom of the mask.
void PaintLettering(const Mask& body, const Ramp& ramp, const LetteringTones& tones, int top,
                    int bottom, IndexedImage* image, int x0, int y0);

// The '#' pixels of a grid block.
Mask BlockMask(const GridBlock& block);

// Font styles 0 (white), 1 (red) and 2 (cyan), characters 32 to 95, in the top 96 rows.
void DrawFontStyles(const ArtSources& art, IndexedImage* sheet);

// Style-3 cells drawn with lettering: violet glyphs, the OK mark, the credit strip halves.
void DrawStyleThreeLettering(const ArtSources& art, IndexedImage* sheet);

}  // namespace sheet
