// A stand-in for the drawing primitives that records every call, so a test can read back what a
// frame was composed of and in which order.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace testing_support {

struct DrawCall {
  std::string op;  // "text", "field", "screen", "fill", "rect", "flip"
  int a = 0, b = 0, c = 0, d = 0, e = 0;
  std::string text;

  bool operator==(const DrawCall&) const = default;
};

std::vector<DrawCall>& DrawCalls();
void PrintTo(const DrawCall& call, std::ostream* out);

DrawCall Text(int column, int row, const std::string& text, int style);
DrawCall Field(int x, int y, int sprite);
DrawCall Screen(int x, int y, int sprite);

}  // namespace testing_support
