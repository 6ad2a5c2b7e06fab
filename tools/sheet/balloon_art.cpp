#include "balloon_art.h"

#include <cmath>

namespace sheet {
namespace {

const char* SkinRamp(int kind) {
  static const char* kRamps[7] = {"", "red", "blue", "yellow", "pearl", "pink", "red"};
  return kRamps[kind];
}

// Unit-sphere normal of a point given as (u across its latitude, v down), both -1..1.
Vec3 SphereNormal(double u, double v) {
  const double ring = std::sqrt(std::max(0.0, 1 - v * v));
  return {u * ring, v, ring * std::sqrt(std::max(0.0, 1 - u * u))};
}

double Sq(double v) {
  return v * v;
}

}  // namespace

double FrameWobble(int frame) {
  return std::cos(kPi * frame / 7.0);
}

BalloonModel::BalloonModel(const ArtSources& art, int kind)
    : art_(art), kind_(kind), skin_(&art.FindRamp(SkinRamp(kind))) {
  cy_ = art.Shape("balloon.centre_y");
  rx_ = art.Shape("balloon.half_width");
  ry_ = art.Shape("balloon.half_height");
  egg_ = art.Shape("balloon.egg");
  taper_ = art.Shape("balloon.taper");
  wobble_amount_ = art.Shape("balloon.wobble");
  if (kind == 5) cy_ = art.Shape("bear.head_y");
  if (kind == 6) cy_ = art.Shape("ball.centre_y");
  light_ = Normalized({art.Shape("light.x"), art.Shape("light.y"), art.Shape("light.z")});
  half_ = Normalized({light_.x, light_.y, light_.z + 1});
  rim_ = Normalized({0.55, 0.8, 0.1});
  ambient_ = art.Shape("light.ambient");
  spec_power_ = art.Shape("light.specular_power");
  spec_ = art.Shape("light.specular");
  rim_amount_ = art.Shape("light.rim");
}

double BalloonModel::Light(const Vec3& n) const {
  const double diffuse = std::max(0.0, Dot(n, light_));
  const double rim = rim_amount_ * Sq(1 - n.z) * std::max(0.0, Dot(n, rim_));
  const double spec = spec_ * std::pow(std::max(0.0, Dot(n, half_)), spec_power_);
  const double body = std::clamp(ambient_ + (1 - ambient_) * diffuse + rim, 0.0, 1.0);
  return std::min(15.49, 2 + 11 * body + 4 * spec);  // steps 2..15; 1 is the outline
}

double BalloonModel::Bottom(double wobble) const {
  const double fy = 1 - wobble_amount_ * wobble;
  if (kind_ == 5) return cy_ + art_.Shape("bear.head_radius") * fy;
  if (kind_ == 6) return cy_ + art_.Shape("ball.radius") * fy;
  return cy_ + ry_ * fy;
}

BalloonPoint BalloonModel::At(double px, double py, double wobble) const {
  // Squash and stretch about the body's centre, width and height in antiphase.
  const double fx = 1 + wobble_amount_ * wobble, fy = 1 - wobble_amount_ * wobble;
  const double lx = cx_ + (px - cx_) / fx, ly = cy_ + (py - cy_) / fy;
  if (kind_ == 5) return Bear(lx, ly);
  if (kind_ == 6) return Ball(lx, ly);
  return Egg(lx, ly);
}

BalloonPoint BalloonModel::Egg(double lx, double ly) const {
  const double v = (ly - cy_) / ry_;
  if (std::abs(v) >= 1) return {};
  // Wider above the middle, narrowing towards the knot, where the rubber draws to a point.
  const double half = rx_ * std::pow(1 - v * v, 0.5 + taper_ * std::max(0.0, v)) * (1 - egg_ * v);
  const double u = (lx - cx_) / half;
  if (std::abs(u) >= 1) return {};
  return {true, skin_, Light(SphereNormal(u, v)), 1};
}

BalloonPoint BalloonModel::Bear(double lx, double ly) const {
  const double hr = art_.Shape("bear.head_radius");
  const double er = art_.Shape("bear.ear_radius");
  const double ex = art_.Shape("bear.ear_dx"), ey = art_.Shape("bear.ear_dy");
  const double hx = (lx - cx_) / hr, hy = (ly - cy_) / hr;
  const Ramp& brown = art_.FindRamp("brown");
  const Ramp& cream = art_.FindRamp("cream");
  const Ramp& pearl = art_.FindRamp("pearl");
  if (hx * hx + hy * hy < 1) {
    const Vec3 n{hx, hy, std::sqrt(1 - hx * hx - hy * hy)};
    const double lit = Light(n);
    const double mx = lx - cx_, my = ly - cy_;
    // Eyes: dark ovals with a white glint high on the side the light comes from.
    for (int side = -1; side <= 1; side += 2) {
      const double ex0 = mx - side * 7.0, ey0 = my + 4.5;
      if (Sq(ex0 / 2.3) + Sq(ey0 / 3.1) < 1) {
        if (Sq(ex0 + 0.8) + Sq(ey0 + 1.3) < 0.8) return {true, &pearl, 15, 1};
        return {true, &brown, ey0 > 1.2 ? 2.0 : 0.6, 1};
      }
      // Rosy cheeks under the eyes.
      if (Sq(mx - side * 12.0) + Sq(my - 3.5) < 7.5) return {true, skin_, lit - 2.5, 1};
    }
    // Nose, then the mouth's two small curves, then the cream muzzle around them.
    if (Sq(mx / 3.3) + Sq((my - 3.0) / 2.3) < 1) {
      const bool shine = Sq(mx + 1.0) + Sq(my - 2.2) < 0.9;
      return {true, &brown, shine ? 8.0 : 1.5, 1};
    }
    if (my > 5.0 && my < 8.5) {
      const double arc = std::abs(std::hypot(std::abs(mx) - 2.0, my - 5.6) - 2.0);
      if (arc < 0.55 && my > 5.6) return {true, &brown, 3.0, 1};
      if (std::abs(mx) < 0.6 && my < 6.0) return {true, &brown, 3.0, 1};
    }
    if (Sq(mx / 8.5) + Sq((my - 5.5) / 6.0) < 1) {
      return {true, &cream, 0.6 + (lit - 2) * 5.0 / 13.0, 1};
    }
    return {true, skin_, lit, 1};
  }
  for (int side = -1; side <= 1; side += 2) {
    const double ux = (lx - cx_ - side * ex) / er, uy = (ly - cy_ - ey) / er;
    if (ux * ux + uy * uy < 1) {
      const Vec3 n{ux, uy, std::sqrt(1 - ux * ux - uy * uy)};
      const double inner = Sq(ux + side * 0.18) + Sq(uy - 0.12);
      const double lit = Light(n);
      return {true, skin_, inner < 0.33 ? lit - 4.5 : lit, 2};
    }
  }
  return {};
}

BalloonPoint BalloonModel::Ball(double lx, double ly) const {
  const double r = art_.Shape("ball.radius");
  const double u = (lx - cx_) / r, v = (ly - cy_) / r;
  if (u * u + v * v >= 1) return {};
  const Vec3 n{u, v, std::sqrt(1 - u * u - v * v)};
  const Vec3 axis = Normalized({art_.Shape("ball.band_axis_x"), art_.Shape("ball.band_axis_y"),
                                art_.Shape("ball.band_axis_z")});
  const double across = std::abs(Dot(n, axis));
  const double band = art_.Shape("ball.band_half_width");
  if (across < band) return {true, &art_.FindRamp("pearl"), Light(n), 1};
  // A thin seam where the band meets the red keeps the band crisp.
  if (across < band + 0.05) return {true, skin_, std::max(2.0, Light(n) - 5), 1};
  return {true, skin_, Light(n), 1};
}

void DrawBalloons(const ArtSources& art, IndexedImage* sheet) {
  const Ramp& grey = art.FindRamp("grey");
  const int knot_height = static_cast<int>(art.Shape("balloon.knot_height"));
  const double sway = art.Shape("balloon.string_sway");
  const double wave = art.Shape("balloon.string_wave");
  for (int kind = 1; kind <= 6; ++kind) {
    const BalloonModel model(art, kind);
    for (int frame = 0; frame < 8; ++frame) {
      const double wobble = FrameWobble(frame);
      const int x0 = 64 * frame, y0 = 128 + 64 * (kind - 1);
      BalloonPoint points[64][64];
      for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) points[y][x] = model.At(x + 0.5, y + 0.5, wobble);
      }
      auto inside = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < 64 && y < 64 && points[y][x].inside;
      };
      for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
          const BalloonPoint& p = points[y][x];
          if (!p.inside) continue;
          // The silhouette, and the ears' edge against the head, get the material's outline.
          const bool edge =
              !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
          const bool ear_edge = p.part == 2 && ((inside(x + 1, y) && points[y][x + 1].part == 1) ||
                                                (inside(x - 1, y) && points[y][x - 1].part == 1) ||
                                                (inside(x, y + 1) && points[y + 1][x].part == 1));
          // Ordered dithering between neighbouring steps smooths the shading inside the body.
          // Half-strength dither: only tones near a step boundary mix, so flat areas stay clean.
          int step = static_cast<int>(std::floor(p.level + 0.25 + 0.5 * DitherThreshold(x, y)));
          step = std::clamp(step, 0, p.ramp->count - 1);
          if (p.ramp->count == 16) step = std::max(step, 2);  // step 1 is kept for outlines
          if (edge || ear_edge) step = 1;
          sheet->Set(x0 + x, y0 + y, p.ramp->Step(step));
        }
      }
      // The knot: pinched where it is tied, flaring below, in the skin's own colours.
      const Ramp& knot_ramp = model.Skin();
      const int knot_top = static_cast<int>(std::floor(model.Bottom(wobble) - 0.5));
      static const char* kKnot[4] = {".o+o.", ".o#o.", "o+#+o", "ooooo"};
      for (int k = 0; k < knot_height && k < 4; ++k) {
        for (int i = 0; i < 5; ++i) {
          const char c = kKnot[k][i];
          if (c == '.') continue;
          const int step = c == 'o' ? 1 : (c == '+' ? 5 : 9);
          sheet->Set(x0 + 29 + i, y0 + knot_top + k, knot_ramp.Step(step));
        }
      }
      // The string: one light-grey pixel per row in a gentle S, its end swaying with the wobble.
      const int first = knot_top + knot_height;
      int last_x = 31;
      for (int y = first; y < 64; ++y) {
        const double t = static_cast<double>(y - first) / (63 - first);
        const double sx = 31.5 + wave * std::sin(2 * kPi * t) + sway * wobble * t * t;
        const int x = static_cast<int>(std::floor(sx));
        for (int fill = std::min(x, last_x); fill <= std::max(x, last_x); ++fill) {
          if (fill == x || y > first) sheet->Set(x0 + fill, y0 + y, grey.Step(fill == x ? 7 : 6));
        }
        last_x = x;
      }
    }
  }
}

}  // namespace sheet
