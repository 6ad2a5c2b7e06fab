#include "lettering.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace sheet {
namespace {

// Font glyph cells: the body keeps to rows and columns 1..13 so outline and shadow fit.
constexpr int kGlyphTop = 2;
constexpr int kGlyphBottom = 13;

const GridBlock& Glyph(const ArtSources& art, const std::string& name) {
  const GridBlock* b = art.FindGlyph(art.font, name);
  if (b == nullptr || b->rows.size() != 16 || b->rows[0].size() != 16) {
    std::fprintf(stderr, "font.txt: glyph '%s' missing or not 16 x 16\n", name.c_str());
    std::exit(2);
  }
  // Ink outside 1..13 would push the outline or shadow into the neighbouring cell.
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      if (b->rows[y][x] == '#' && (x < 1 || x > 13 || y < 1 || y > 13)) {
        std::fprintf(stderr, "font.txt: glyph '%s' has ink at %d, %d, outside 1..13\n",
                     name.c_str(), x, y);
        std::exit(2);
      }
    }
  }
  return *b;
}

std::string GlyphName(int c) {
  return c == ' ' ? "space" : std::string(1, static_cast<char>(c));
}

// Style-3 cell of character c (32..95) in the sheet.
int CellX(int c) {
  return 16 * ((c - 32) % 32);
}
int CellY(int c) {
  return 96 + 16 * ((c - 32) / 32);
}

// Splits UTF-8 text into characters, so that the credit line may use the copyright sign.
std::vector<std::string> Characters(const std::string& text) {
  std::vector<std::string> out;
  for (size_t i = 0; i < text.size();) {
    size_t n = 1;
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead >= 0xF0)
      n = 4;
    else if (lead >= 0xE0)
      n = 3;
    else if (lead >= 0xC0)
      n = 2;
    out.push_back(text.substr(i, n));
    i += n;
  }
  return out;
}

// Lays small-font text centred into a w x 16 mask, bodies on rows 4..10, `spacing` pixels apart.
Mask SmallText(const ArtSources& art, const std::string& text, int w, int spacing) {
  std::vector<const GridBlock*> glyphs;
  int total = 0;
  for (const std::string& ch : Characters(text)) {
    const GridBlock* g = art.FindGlyph(art.small_font, ch == " " ? "space" : ch);
    if (g == nullptr || g->rows.size() != 7) {
      std::fprintf(stderr, "small_font.txt: no 7-row glyph for '%s'\n", ch.c_str());
      std::exit(2);
    }
    glyphs.push_back(g);
    total += static_cast<int>(g->rows[0].size()) + spacing;
  }
  total -= spacing;
  if (total > w - 2) {
    std::fprintf(stderr, "small_font.txt: '%s' is %d pixels, wider than %d\n", text.c_str(), total,
                 w - 2);
    std::exit(2);
  }
  Mask mask(w, 16);
  int x = (w - total) / 2;
  for (const GridBlock* g : glyphs) {
    const Mask m = BlockMask(*g);
    for (int y = 0; y < m.height; ++y) {
      for (int gx = 0; gx < m.width; ++gx) {
        if (m.At(gx, y)) mask.Set(x + gx, 4 + y);
      }
    }
    x += m.width + spacing;
  }
  return mask;
}

}  // namespace

Mask BlockMask(const GridBlock& block) {
  Mask m(static_cast<int>(block.rows[0].size()), static_cast<int>(block.rows.size()));
  for (int y = 0; y < m.height; ++y) {
    for (int x = 0; x < m.width; ++x) {
      if (block.rows[y][x] == '#') m.Set(x, y);
    }
  }
  return m;
}

void PaintLettering(const Mask& body, const Ramp& ramp, const LetteringTones& tones, int top,
                    int bottom, IndexedImage* image, int x0, int y0) {
  auto near_body = [&](int x, int y) {
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        if (body.At(x + dx, y + dy)) return true;
      }
    }
    return false;
  };
  const int span = bottom > top ? bottom - top : 1;
  for (int y = 0; y < body.height; ++y) {
    for (int x = 0; x < body.width; ++x) {
      int step = -1;
      if (body.At(x, y)) {
        // Vertical sheen: bright at the top, deep at the bottom, rounded to the nearest step.
        const int t = std::clamp(y - top, 0, span);
        step = tones.body_top - ((tones.body_top - tones.body_bottom) * t + span / 2) / span;
        if (!body.At(x, y - 1)) step += 1;  // upper edges catch the light
        if (!body.At(x, y + 1)) step -= 1;  // lower edges turn away from it
        step = std::clamp(step, tones.outline + 1, ramp.count - 1);
      } else if (near_body(x, y)) {
        step = tones.outline;
      } else if (near_body(x - 1, y - 1)) {
        step = tones.shadow;
      }
      if (step >= 0) image->Set(x0 + x, y0 + y, ramp.Step(step));
    }
  }
}

void DrawFontStyles(const ArtSources& art, IndexedImage* sheet) {
  const char* ramps[3] = {"font_white", "font_red", "font_cyan"};
  const LetteringTones tones;
  for (int style = 0; style < 3; ++style) {
    const Ramp& ramp = art.FindRamp(ramps[style]);
    for (int c = 33; c < 96; ++c) {
      const int x = 16 * ((c - 32) % 32);
      const int y = 32 * style + 16 * ((c - 32) / 32);
      PaintLettering(BlockMask(Glyph(art, GlyphName(c))), ramp, tones, kGlyphTop, kGlyphBottom,
                     sheet, x, y);
    }
  }
}

void DrawStyleThreeLettering(const ArtSources& art, IndexedImage* sheet) {
  // Violet glyphs: the same letters in violet, the backslash cell holding a yen sign.
  const Ramp& violet = art.FindRamp("violet");
  const LetteringTones tones;
  for (const char c : std::string("89:XYZ[\\^_")) {
    const std::string name = c == '\\' ? "yen" : std::string(1, c);
    PaintLettering(BlockMask(Glyph(art, name)), violet, tones, kGlyphTop, kGlyphBottom, sheet,
                   CellX(c), CellY(c));
  }

  // The OK mark: both letters in one cell, for the entry cursor's end position.
  PaintLettering(SmallText(art, "OK", 16, 1), art.FindRamp("cyan"), {0, 1, 6, 11}, 4, 10, sheet,
                 CellX('?'), CellY('?'));

  // The credit strip: one 256-pixel line; its left half sits in the cells of 0..7 of the first
  // style-3 row, its right half in P..W of the second.
  IndexedImage strip(256, 16, kKeyIndex);
  PaintLettering(
      SmallText(art, art.credit, 256, static_cast<int>(art.Shape("credit.letter_spacing"))),
      art.FindRamp("grey"), {0, 1, 5, 9}, 4, 10, &strip, 0, 0);
  BlitKeyed(strip, 0, 0, 128, 16, sheet, CellX('0'), CellY('0'));
  BlitKeyed(strip, 128, 0, 128, 16, sheet, CellX('P'), CellY('P'));
}

}  // namespace sheet
