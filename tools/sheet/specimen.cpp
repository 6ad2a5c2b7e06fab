#include "specimen.h"

#include <algorithm>

#include "display/sprite_table.h"

namespace sheet {
namespace {

void Paste(const RgbaImage& src, RgbaImage* dst, int x0, int y0) {
  for (int y = 0; y < src.height; ++y) {
    for (int x = 0; x < src.width; ++x) {
      if (x0 + x < dst->width && y0 + y < dst->height) {
        std::copy_n(&src.rgba[(static_cast<size_t>(y) * src.width + x) * 4], 4,
                    dst->Pixel(x0 + x, y0 + y));
      }
    }
  }
}

IndexedImage Screen() {
  // The frame's background: the score column's colour, then the black playfield over it.
  IndexedImage screen(640, 480, kScoreColumnIndex);
  for (int y = 0; y < 480; ++y) std::fill_n(&screen.pixels[y * 640], 480, kBlackIndex);
  return screen;
}

void ScoreColumn(ScreenPainter& p, const char* hi, const char* score) {
  p.Text(31, 1, "HI-SCORE", 1);
  p.Text(31, 2, hi, 0);
  p.Text(31, 4, "SCORE", 1);
  p.Text(31, 5, score, 0);
}

}  // namespace

void ScreenPainter::TextAt(int x, int y, const std::string& text, int style) {
  for (size_t i = 0; i < text.size(); ++i) {
    const int g = (static_cast<signed char>(text[i]) - 32) * 16;
    const int left = g % 512, top = (g / 512) * 16 + style * 32;
    BlitKeyed(sheet_, left, top, 16, 16, screen_, x + 16 * static_cast<int>(i), y);
  }
}

void ScreenPainter::Text(int column, int row, const std::string& text, int style) {
  TextAt(16 * column, 16 * row, text, style);
}

void ScreenPainter::Sprite(int x, int y, int row) {
  const SpriteRect& r = kSpriteTable[row];
  BlitKeyed(sheet_, r.left, r.top, r.width, r.height, screen_, x - r.hotX, y - r.hotY);
}

void ScreenPainter::Fill(int left, int top, int right, int bottom, uint8_t colour) {
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) screen_->Set(x, y, colour);
  }
}

void ScreenPainter::CrossHair(int x, int y) {
  Sprite(x, y, kSpriteCrossCentre);
  Sprite(x - 5, y - 5, kSpriteArcUpperLeft);
  Sprite(x + 5, y - 5, kSpriteArcUpperRight);
  Sprite(x - 5, y + 5, kSpriteArcLowerLeft);
  Sprite(x + 5, y + 5, kSpriteArcLowerRight);
}

void ScreenPainter::EntryBoard(const std::string& name) {
  Text(8, 4, "SKYPOP FRENZY ", 2);
  Text(10, 8, "BEST PLAYER", 0);
  const char* ranks[5] = {"1ST", "2ND", "3RD", "4TH", "5TH"};
  const char* scores[5] = {"   48210", "   39900", "   31470", "   25080", "   19990"};
  const char* names[5] = {"KIPO      ", "", "BALLOONIST", "SKY       ", "POP       "};
  for (int i = 0; i < 5; ++i) {
    const int style = i == 1 ? 1 : 0;
    Text(18, 10 + 2 * i, i == 1 ? name : names[i], style);
    if (i == 1) Text(18 + static_cast<int>(name.find_last_not_of(' ') + 1), 10 + 2 * i, "_", 0);
    Text(3, 10 + 2 * i, ranks[i], style);
    Text(7, 10 + 2 * i, scores[i], style);
  }
  Text(3, 21, "A B C D E F G H I J K L M", 1);
  Text(3, 23, "N O P Q R S T U V W X Y Z", 1);
  Text(3, 25, "0 1 2 3 4 5 6 7 8 9 , .  ", 1);
  Text(3, 27, "         OK   BACK       ", 1);
}

void ScreenPainter::BoxSymbol(int column, int line) {
  Text(2 + 2 * column, 20 + 2 * line, " = ", 3);
  Text(2 + 2 * column, 21 + 2 * line, "< >", 3);
  Text(2 + 2 * column, 22 + 2 * line, " ]", 3);
}

void ScreenPainter::BoxOk() {
  Text(12, 26, "==", 3);
  Text(11, 27, "<  >", 3);
  Text(12, 28, "]]", 3);
}

void ScreenPainter::BoxBack() {
  Text(17, 26, "====", 3);
  Text(16, 27, "<    >", 3);
  Text(17, 28, "]]]]", 3);
}

IndexedImage TitleScreen(const IndexedImage& sheet) {
  IndexedImage screen = Screen();
  ScreenPainter p(sheet, &screen);
  const int balloons[][4] = {{60, 400, 1, 0},  {150, 300, 3, 5},  {260, 430, 2, 9},
                             {360, 250, 5, 2}, {420, 380, 6, 12}, {200, 140, 4, 7}};
  for (const auto& b : balloons) p.Sprite(b[0], b[1], 16 * b[2] + b[3]);
  p.Text(8, 4, "SKYPOP FRENZY ", 2);
  p.Text(6, 23, "PUSH MOUSE BUTTON", 0);
  p.Text(12, 27, "NORVE.", 1);
  p.Text(7, 29, "01234567PQRSTUVW", 3);
  ScoreColumn(p, "   48210", "       0");
  return screen;
}

IndexedImage PlayScreen(const IndexedImage& sheet) {
  IndexedImage screen = Screen();
  ScreenPainter p(sheet, &screen);
  // A burst: stars under the balloons, dots over them, as the frame orders them.
  for (int i = 0; i < 6; ++i)
    p.Sprite(230 + 22 * (i % 3) - 20, 190 + 30 * (i / 3) - 10,
             kSpriteYellowStar + i + (i == 2 ? 8 : 0));
  const int balloons[][4] = {{80, 330, 1, 3},  {150, 200, 2, 6},  {300, 120, 3, 10},
                             {390, 300, 4, 1}, {250, 400, 5, 13}, {410, 140, 6, 4},
                             {60, 110, 3, 14}};
  for (const auto& b : balloons) p.Sprite(b[0], b[1], 16 * b[2] + b[3]);
  for (int i = 0; i < 20; ++i) {
    const int angle_x[20] = {0,   14,  26,  33,  36,  33,  26, 14, 0,  -14,
                             -26, -33, -36, -33, -26, -14, 8,  -9, 18, -20};
    const int angle_y[20] = {-36, -33, -26, -14, 0,   14,  26, 33,  36, 33,
                             26,  14,  0,   -14, -26, -33, 20, -18, -6, 9};
    p.Sprite(250 + angle_x[i], 200 + angle_y[i], kSpriteDots + 4 * (i & 3) + (i / 5) % 4);
  }
  p.CrossHair(160, 210);
  ScoreColumn(p, "   48210", "    2370");
  return screen;
}

IndexedImage EntryScreen(const IndexedImage& sheet) {
  IndexedImage screen = Screen();
  ScreenPainter p(sheet, &screen);
  p.EntryBoard("NORVE     ");
  p.BoxSymbol(4, 0);
  ScoreColumn(p, "   48210", "   39900");
  return screen;
}

IndexedImage TextSpecimen(const IndexedImage& sheet) {
  struct Line {
    const char* text;
    int style;
  };
  const Line lines[] = {{"SKYPOP FRENZY ", 2},
                        {"PUSH MOUSE BUTTON", 0},
                        {"NORVE.", 1},
                        {"01234567PQRSTUVW", 3},
                        {"START !", 1},
                        {"PAUSE", 1},
                        {"GAME OVER", 1},
                        {"HI-SCORE", 1},
                        {"SCORE", 1},
                        {"   48210", 0},
                        {"       0", 0},
                        {"BEST PLAYER", 0},
                        {"1ST    48210  KIPO", 0},
                        {"2ND    39900  NORVE_", 1},
                        {"A B C D E F G H I J K L M", 1},
                        {"N O P Q R S T U V W X Y Z", 1},
                        {"0 1 2 3 4 5 6 7 8 9 , .  ", 1},
                        {"         OK   BACK", 1},
                        {" !\"#$%&'()*+,-./0123456789:;<=>?", 0},
                        {"@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_", 0},
                        {" !\"#$%&'()*+,-./0123456789:;<=>?", 1},
                        {"@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_", 1},
                        {" !\"#$%&'()*+,-./0123456789:;<=>?", 2},
                        {"@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_", 2},
                        {" !\"#$%&'()*+,-./0123456789:;<=>?", 3},
                        {"@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_", 3}};
  const int count = static_cast<int>(sizeof lines / sizeof lines[0]);
  IndexedImage out(2 * 528, 16 * (count + 2), kBlackIndex);
  ScreenPainter p(sheet, &out);
  p.Fill(528, 0, 2 * 528, out.height, kScoreColumnIndex);
  for (int i = 0; i < count; ++i) {
    p.TextAt(8, 16 * (i + 1), lines[i].text, lines[i].style);
    p.TextAt(528 + 8, 16 * (i + 1), lines[i].text, lines[i].style);
  }
  return out;
}

RgbaImage SpriteSpecimen(const IndexedImage& sheet, const Palette& palette) {
  RgbaImage out(1024, 384 + 16 + 4 * 80 + 16 + 2 * 144);
  for (size_t i = 3; i < out.rgba.size(); i += 4) out.rgba[i] = 255;  // opaque black gaps
  // Each kind's sixteen-step loop, as the frame plays it, left to right.
  IndexedImage loops(1024, 384, kBlackIndex);
  ScreenPainter loop_painter(sheet, &loops);
  for (int kind = 1; kind <= 6; ++kind) {
    for (int step = 0; step < 16; ++step) {
      loop_painter.Sprite(64 * step + 31, 64 * (kind - 1) + 31, 16 * kind + step);
    }
  }
  Paste(ToRgba(loops, palette, 1, false), &out, 0, 0);

  // Stars, dots at every size, and the cross-hair on black and over a balloon; four times.
  IndexedImage small(256, 80, kBlackIndex);
  ScreenPainter sp(sheet, &small);
  for (int f = 0; f < 8; ++f) {
    sp.Sprite(8 + 16 * f, 8, kSpriteYellowStar + f);
    sp.Sprite(8 + 16 * f, 28, kSpriteWhiteStar + f);
  }
  for (int c = 0; c < 4; ++c) {
    for (int z = 0; z < 4; ++z) {
      sp.Sprite(8 + 12 * z + 64 * (c % 2), 52 + 14 * (c / 2), kSpriteDots + 4 * c + z);
    }
  }
  sp.CrossHair(160, 30);
  sp.Sprite(222, 44, 16 * 2 + 0);
  sp.CrossHair(222, 40);
  Paste(ToRgba(small, palette, 4, false), &out, 0, 400);

  // Selection boxes around one letter, OK and BACK, as in name entry; twice the size.
  IndexedImage entry(640, 480, kBlackIndex);
  ScreenPainter ep(sheet, &entry);
  ep.EntryBoard("NORVE     ");
  ep.BoxSymbol(0, 0);
  ep.BoxOk();
  ep.BoxBack();
  IndexedImage board(512, 144, kBlackIndex);
  BlitKeyed(entry, 16, 320, 512, 144, &board, 0, 0);
  Paste(ToRgba(board, palette, 2, false), &out, 0, 400 + 320 + 16);
  return out;
}

}  // namespace sheet
