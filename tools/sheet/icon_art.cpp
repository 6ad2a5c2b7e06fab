#include "icon_art.h"

#include <cmath>

#include "balloon_art.h"

namespace sheet {
namespace {

struct Colour {
  double r = 0, g = 0, b = 0;
};

// A fractional step of a ramp, blended between its two nearest entries.
Colour RampColour(const ArtSources& art, const Ramp& ramp, double level) {
  level = std::clamp(level, 0.0, ramp.count - 1.0);
  const int low = static_cast<int>(std::floor(level));
  const int high = std::min(low + 1, ramp.count - 1);
  const double t = level - low;
  const Rgb a = art.palette[ramp.Step(low)], b = art.palette[ramp.Step(high)];
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

}  // namespace

RgbaImage DrawIcon(const ArtSources& art, int size) {
  const BalloonModel model(art, 1);
  const Ramp& skin = model.Skin();
  const Ramp& grey = art.FindRamp("grey");
  // The balloon with its knot and string fills cell rows 1.5..62.5, centred on column 31.5.
  const double scale = 61.0 / size;
  const double left = 31.5 - size * scale / 2, top = 1.5;
  const double edge = std::max(0.8, 1.1 * scale);  // outline width in cell pixels
  const double bottom = model.Bottom(0);
  constexpr int kSub = 4;
  RgbaImage out(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      Colour sum;
      int covered = 0;
      for (int s = 0; s < kSub * kSub; ++s) {
        const double px = left + (x + (s % kSub + 0.5) / kSub) * scale;
        const double py = top + (y + (s / kSub + 0.5) / kSub) * scale;
        Colour c;
        const BalloonPoint p = model.At(px, py, 0);
        const double knot_t = (py - bottom + 0.5) / 4.5;
        const double knot_half = 1.0 + 1.8 * knot_t * knot_t;
        const double string_t = (py - bottom - 4) / (63 - bottom - 4);
        const double string_x = 31.5 + std::sin(2 * kPi * string_t);
        if (p.inside) {
          bool rim = false;
          for (int k = 0; k < 8 && !rim; ++k) {
            const double a = k * kPi / 4;
            rim = !model.At(px + edge * std::cos(a), py + edge * std::sin(a), 0).inside;
          }
          c = rim ? RampColour(art, skin, 1) : RampColour(art, *p.ramp, p.level);
        } else if (knot_t >= 0 && knot_t <= 1 && std::abs(px - 31.5) < knot_half) {
          const bool rim = knot_half - std::abs(px - 31.5) < edge || knot_t > 1 - edge / 4.5;
          c = RampColour(art, skin, rim ? 1 : 9 - 4 * std::abs(px - 31.5) / knot_half);
        } else if (string_t > 0 && string_t <= 1 && std::abs(px - string_x) < 0.6) {
          c = RampColour(art, grey, 7);
        } else {
          continue;
        }
        sum.r += c.r;
        sum.g += c.g;
        sum.b += c.b;
        ++covered;
      }
      if (covered == 0) continue;
      uint8_t* o = out.Pixel(x, y);
      o[0] = static_cast<uint8_t>(std::lround(sum.r / covered));
      o[1] = static_cast<uint8_t>(std::lround(sum.g / covered));
      o[2] = static_cast<uint8_t>(std::lround(sum.b / covered));
      o[3] = static_cast<uint8_t>((covered * 255 + kSub * kSub / 2) / (kSub * kSub));
    }
  }
  return out;
}

}  // namespace sheet
