#include "small_art.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "lettering.h"
#include "shading.h"

namespace sheet {
namespace {

// Style-3 cell of character c (32..95) in the sheet.
int CellX(int c) {
  return 16 * ((c - 32) % 32);
}
int CellY(int c) {
  return 96 + 16 * ((c - 32) / 32);
}

// Copies a hand-drawn art cell, its tone letters mapped onto the named ramp.
void PaintCell(const ArtSources& art, const std::string& name, int x0, int y0,
               IndexedImage* sheet) {
  const GridBlock* b = art.FindGlyph(art.cells, name);
  if (b == nullptr || b->header.size() < 3) {
    std::fprintf(stderr, "art_cells.txt: no cell '%s' with a ramp\n", name.c_str());
    std::exit(2);
  }
  const Ramp& ramp = art.FindRamp(b->header[2]);
  const int n = ramp.count;
  for (int y = 0; y < static_cast<int>(b->rows.size()); ++y) {
    for (int x = 0; x < static_cast<int>(b->rows[y].size()); ++x) {
      int step = -1;
      switch (b->rows[y][x]) {
        case 'o':
          step = 1;
          break;
        case '-':
          step = n * 35 / 100;
          break;
        case '+':
          step = n * 55 / 100;
          break;
        case '#':
          step = n - 2;
          break;
        case '*':
          step = n - 1;
          break;
        default:
          break;
      }
      if (step >= 0) sheet->Set(x0 + x, y0 + y, ramp.Step(step));
    }
  }
}

// Adds a dark 1-pixel edge around the ink of a cell, so it shows on light balloons too.
void EdgeInk(IndexedImage* cell, uint8_t edge) {
  IndexedImage copy = *cell;
  for (int y = 0; y < cell->height; ++y) {
    for (int x = 0; x < cell->width; ++x) {
      if (copy.At(x, y) != kKeyIndex) continue;
      bool touches = false;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          touches |= copy.Contains(x + dx, y + dy) && copy.At(x + dx, y + dy) != kKeyIndex;
        }
      }
      if (touches) cell->Set(x, y, edge);
    }
  }
}

}  // namespace

void DrawPointerAndArrow(const ArtSources& art, IndexedImage* sheet) {
  PaintCell(art, "pointer", CellX('!'), CellY('!'), sheet);
  PaintCell(art, "left_arrow", CellX(';'), CellY(';'), sheet);
}

void DrawCrossHair(const ArtSources& art, IndexedImage* sheet) {
  const Ramp& grey = art.FindRamp("grey");
  const double radius = art.Shape("crosshair.ring_radius");
  const double width = art.Shape("crosshair.ring_width");
  const double tick_in = art.Shape("crosshair.tick_inner");
  const double tick_out = art.Shape("crosshair.tick_outer");
  // Each piece: its cell, and the offset from a cell pixel to the pixel's place relative to the
  // mouse, as the frame draws it (arcs at 5 pixels diagonally off the mouse, centre on it).
  struct Piece {
    int c, ox, oy;
    bool ring;
  };
  const Piece pieces[] = {{'"', -20, -20, true},
                          {'#', 5, -20, true},
                          {'$', -20, 5, true},
                          {'%', 5, 5, true},
                          {'&', -7, -7, false}};
  for (const Piece& p : pieces) {
    IndexedImage cell(16, 16, kKeyIndex);
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        const int dx = x + p.ox, dy = y + p.oy;
        const double d = std::hypot(static_cast<double>(dx), static_cast<double>(dy));
        bool ink = false;
        if (p.ring) {
          // Leave a pixel at the cut ends so the edge can close around them.
          ink = std::abs(d - radius) < width / 2 && std::abs(dx) >= 6 && std::abs(dy) >= 6;
        } else {
          const bool on_axis = (dx == 0 || dy == 0) && d >= tick_in && d <= tick_out;
          ink = on_axis || (dx == 0 && dy == 0);
        }
        if (ink) cell.Set(x, y, grey.Step(std::abs(d - radius) < width / 4 || !p.ring ? 9 : 8));
      }
    }
    EdgeInk(&cell, grey.Step(1));
    BlitKeyed(cell, 0, 0, 16, 16, sheet, CellX(p.c), CellY(p.c));
  }
}

void DrawSparks(const ArtSources& art, IndexedImage* sheet) {
  struct Spark {
    int x, y;
    const char* ramp;
    int low, high;
  };
  // White, red, grey, yellow, as the dot rows of the sprite table pick them.
  const Spark sparks[] = {{112, 96, "pearl", 3, 15},
                          {120, 96, "red", 3, 15},
                          {112, 104, "grey", 2, 9},
                          {120, 104, "star", 1, 11}};
  const double c = art.Shape("spark.centre");
  const double r = art.Shape("spark.radius");
  for (const Spark& s : sparks) {
    const Ramp& ramp = art.FindRamp(s.ramp);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        const double d = std::hypot(x + 0.5 - c, y + 0.5 - c);
        if (d >= r) continue;
        const double glow = std::pow(1.0 - d / r, 0.75);
        const int step = s.low + static_cast<int>(std::lround(glow * (s.high - s.low)));
        sheet->Set(s.x + x, s.y + y, ramp.Step(step));
      }
    }
  }
}

void DrawFramedSquares(const ArtSources& art, IndexedImage* sheet) {
  const Ramp& cyan = art.FindRamp("cyan");
  for (int c = '('; c <= '/'; ++c) {
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        int step = y < 8 ? 1 : 0;  // a dark face, a little lighter at the top
        if (x == 0 || y == 0) step = 9;
        if (x == 15 || y == 15) step = 5;
        if ((x == 0 && y == 15) || (x == 15 && y == 0)) step = 7;
        sheet->Set(CellX(c) + x, CellY(c) + y, cyan.Step(step));
      }
    }
  }
}

void DrawSelectionBox(const ArtSources& art, IndexedImage* sheet) {
  // Each piece is a bright line on the side that touches the framed cell and a deeper line
  // outside it; the frame places the pieces around the label so their ends meet diagonally.
  const Ramp& cyan = art.FindRamp("cyan");
  const uint8_t bright = cyan.Step(10), deep = cyan.Step(5);
  for (int i = 0; i < 16; ++i) {
    sheet->Set(CellX('<') + 15, CellY('<') + i, bright);
    sheet->Set(CellX('<') + 14, CellY('<') + i, deep);
    sheet->Set(CellX('>') + 0, CellY('>') + i, bright);
    sheet->Set(CellX('>') + 1, CellY('>') + i, deep);
    sheet->Set(CellX('=') + i, CellY('=') + 15, bright);
    sheet->Set(CellX('=') + i, CellY('=') + 14, deep);
    sheet->Set(CellX(']') + i, CellY(']') + 0, bright);
    sheet->Set(CellX(']') + i, CellY(']') + 1, deep);
  }
}

void DrawStars(const ArtSources& art, IndexedImage* sheet) {
  const double outer = art.Shape("star.outer");
  const double inner = art.Shape("star.inner");
  const double step_rad = art.Shape("star.step_degrees") * kPi / 180.0;
  const Vec3 light = Normalized({art.Shape("light.x"), art.Shape("light.y"), art.Shape("light.z")});
  const Ramp& gold = art.FindRamp("star");
  const Ramp& pearl = art.FindRamp("pearl");
  const Ramp& cyan = art.FindRamp("cyan");
  for (int frame = 0; frame < 8; ++frame) {
    const double turn = -kPi / 2 + frame * step_rad;  // first point straight up, turning clockwise
    double vx[10], vy[10];
    for (int k = 0; k < 10; ++k) {
      const double a = turn + k * kPi / 5, r = (k % 2 == 0) ? outer : inner;
      vx[k] = r * std::cos(a);
      vy[k] = r * std::sin(a);
    }
    IndexedImage gold_cell(16, 16, kKeyIndex), white_cell(16, 16, kKeyIndex);
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        int covered = 0;
        double light_sum = 0;
        for (int s = 0; s < 16; ++s) {
          const double px = x + (s % 4 + 0.5) / 4 - 7.5, py = y + (s / 4 + 0.5) / 4 - 7.5;
          bool in = false;
          int nearest = 0;  // the point of the facet this sample lies on
          for (int k = 0, j = 9; k < 10; j = k++) {
            if ((vy[k] > py) != (vy[j] > py) &&
                px < (vx[j] - vx[k]) * (py - vy[k]) / (vy[j] - vy[k]) + vx[k]) {
              in = !in;
            }
          }
          if (!in) continue;
          double best = -2;
          for (int k = 0; k < 10; ++k) {
            const double along = (px * vx[k] + py * vy[k]) / (k % 2 == 0 ? outer : inner);
            if (k % 2 == 0 && along > best) {
              best = along;
              nearest = k;
            }
          }
          // The star is a low pyramid: each sample lights by the facet between its nearest
          // point and the notch on its side.
          const double side = px * vy[nearest] - py * vx[nearest];
          const int notch = (nearest + (side < 0 ? 1 : 9)) % 10;
          const Vec3 apex{0, 0, 2.2};
          const Vec3 a{vx[nearest] - apex.x, vy[nearest] - apex.y, -apex.z};
          const Vec3 b{vx[notch] - apex.x, vy[notch] - apex.y, -apex.z};
          Vec3 n = Normalized(Cross(a, b));
          if (n.z < 0) n = {-n.x, -n.y, -n.z};
          light_sum += std::max(0.0, Dot(n, light));
          ++covered;
        }
        if (covered < 6) continue;
        const double lit = light_sum / covered;
        const double d = std::hypot(x - 7.0, y - 7.0);
        const int core = d < 1.2 ? 3 : (d < 2.3 ? 1 : 0);
        gold_cell.Set(x, y, gold.Step(3 + static_cast<int>(std::lround(lit * 6)) + core));
        white_cell.Set(x, y, pearl.Step(7 + static_cast<int>(std::lround(lit * 6)) + core));
      }
    }
    // Edges: a deeper rim on the gold star, a pale cyan one on the white star.
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        if (gold_cell.At(x, y) == kKeyIndex) continue;
        const bool edge =
            x == 0 || y == 0 || x == 15 || y == 15 || gold_cell.At(x - 1, y) == kKeyIndex ||
            gold_cell.At(x + 1, y) == kKeyIndex || gold_cell.At(x, y - 1) == kKeyIndex ||
            gold_cell.At(x, y + 1) == kKeyIndex;
        if (!edge) continue;
        gold_cell.Set(x, y, gold.Step(std::max(2, gold_cell.At(x, y) - gold.first - 3)));
        white_cell.Set(x, y, cyan.Step(8));
      }
    }
    BlitKeyed(gold_cell, 0, 0, 16, 16, sheet, 16 * frame, 112);
    BlitKeyed(white_cell, 0, 0, 16, 16, sheet, 128 + 16 * frame, 112);
  }
}

}  // namespace sheet
