// Review pictures drawn with the sheet exactly as the game's frame draws with it: mock screens,
// every text in its style, every animation frame side by side.
#pragma once

#include <string>

#include "indexed_image.h"

namespace sheet {

// Draws cells and sprites of the sheet onto a screen image, with the key colour transparent.
class ScreenPainter {
 public:
  ScreenPainter(const IndexedImage& sheet, IndexedImage* screen) : sheet_(sheet), screen_(screen) {}

  // Text on the 16 x 16 cell grid; a character picks its cell the way the game's text does.
  void Text(int column, int row, const std::string& text, int style);
  // The same at any pixel position, for specimen layouts.
  void TextAt(int x, int y, const std::string& text, int style);
  // A sprite-table row with its hot spot at x, y (screen pixels).
  void Sprite(int x, int y, int row);
  void Fill(int left, int top, int right, int bottom, uint8_t colour);
  // The cross-hair at the mouse: centre, then the four arcs 5 pixels diagonally off it.
  void CrossHair(int x, int y);
  // The name-entry board with the typed name, as in entry mode.
  void EntryBoard(const std::string& name);
  // Selection boxes as the frame draws them: around grid symbol (column, line), OK, BACK.
  void BoxSymbol(int column, int line);
  void BoxOk();
  void BoxBack();

 private:
  const IndexedImage& sheet_;
  IndexedImage* screen_;
};

IndexedImage TitleScreen(const IndexedImage& sheet);
IndexedImage PlayScreen(const IndexedImage& sheet);
IndexedImage EntryScreen(const IndexedImage& sheet);

// Every text the game shows in its style, on black (left) and on the score column (right).
IndexedImage TextSpecimen(const IndexedImage& sheet);
// Balloon loops, star frames, dots, cross-hair and selection boxes, zoomed where small.
RgbaImage SpriteSpecimen(const IndexedImage& sheet, const Palette& palette);

}  // namespace sheet
