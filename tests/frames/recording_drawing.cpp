#include "recording_drawing.h"

#include <ostream>

#include "display/drawing.h"

namespace testing_support {

std::vector<DrawCall>& DrawCalls() {
  static std::vector<DrawCall> calls;
  return calls;
}

DrawCall Text(int column, int row, const std::string& text, int style) {
  return DrawCall{"text", column, row, style, 0, 0, text};
}
DrawCall Field(int x, int y, int sprite) {
  return DrawCall{"field", x, y, sprite, 0, 0, {}};
}
DrawCall Screen(int x, int y, int sprite) {
  return DrawCall{"screen", x, y, sprite, 0, 0, {}};
}

void PrintTo(const DrawCall& call, std::ostream* out) {
  *out << call.op << "(" << call.a << "," << call.b << "," << call.c << "," << call.d << ","
       << call.e << (call.text.empty() ? "" : ",\"" + call.text + "\"") << ")";
}

}  // namespace testing_support

using testing_support::DrawCall;
using testing_support::DrawCalls;

void DrawText(WindowHandle, int column, int row, const char* text, int style) {
  DrawCalls().push_back(DrawCall{"text", column, row, style, 0, 0, text});
}
void DrawFieldSprite(WindowHandle, int x, int y, int row) {
  DrawCalls().push_back(DrawCall{"field", x, y, row, 0, 0, {}});
}
void DrawScreenSprite(WindowHandle, int x, int y, int row) {
  DrawCalls().push_back(DrawCall{"screen", x, y, row, 0, 0, {}});
}
void FillScreen(WindowHandle, int colour) {
  DrawCalls().push_back(DrawCall{"fill", colour, 0, 0, 0, 0, {}});
}
void FillRect(WindowHandle, int left, int top, int right, int bottom, int colour) {
  DrawCalls().push_back(DrawCall{"rect", left, top, right, bottom, colour, {}});
}
void FlipScreen(WindowHandle) {
  DrawCalls().push_back(DrawCall{"flip", 0, 0, 0, 0, 0, {}});
}
