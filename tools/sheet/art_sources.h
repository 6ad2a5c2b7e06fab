// The readable sources the sheet is drawn from: colour ramps, shape parameters and text grids.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "indexed_image.h"

namespace sheet {

// A run of palette entries from dark to light for one material.
struct Ramp {
  std::string name;
  int first = 0;
  int count = 0;
  // Palette index of step s, clamped into the ramp.
  uint8_t Step(int s) const;
  bool Holds(int index) const { return index >= first && index < first + count; }
};

// One drawn block of a grid file: its header words and its rows of characters.
struct GridBlock {
  std::vector<std::string> header;  // e.g. {"glyph", "A"} or {"cell", "pointer", "grey"}
  std::vector<std::string> rows;
};

struct ArtSources {
  Palette palette{};
  std::vector<Ramp> ramps;
  std::map<std::string, double> shapes;
  std::vector<GridBlock> font;        // 16 x 16 glyph bodies
  std::vector<GridBlock> small_font;  // the credit strip's lettering
  std::vector<GridBlock> cells;       // hand-drawn art cells
  std::string credit;                 // the credit line's text (UTF-8)

  const Ramp& FindRamp(const std::string& name) const;
  double Shape(const std::string& name) const;
  const GridBlock* FindGlyph(const std::vector<GridBlock>& blocks, const std::string& name) const;
};

// Reads palette.txt, shapes.txt, font.txt, small_font.txt and art_cells.txt from `dir`.
// On failure returns false and says why in `error`.
bool LoadArtSources(const std::string& dir, ArtSources* out, std::string* error);

}  // namespace sheet
