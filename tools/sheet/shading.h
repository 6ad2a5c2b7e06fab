// Small vector helpers for lighting the drawn art.
#pragma once

#include <algorithm>
#include <cmath>

namespace sheet {

struct Vec3 {
  double x = 0, y = 0, z = 0;
};

inline double Dot(const Vec3& a, const Vec3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 Normalized(const Vec3& v) {
  const double n = std::sqrt(Dot(v, v));
  return n > 0 ? Vec3{v.x / n, v.y / n, v.z / n} : v;
}
inline Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

constexpr double kPi = 3.14159265358979323846;

// 4 x 4 ordered-dither threshold in [0, 1) for pixel x, y.
inline double DitherThreshold(int x, int y) {
  static constexpr int kBayer[4][4] = {
      {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  return (kBayer[y & 3][x & 3] + 0.5) / 16.0;
}

}  // namespace sheet
