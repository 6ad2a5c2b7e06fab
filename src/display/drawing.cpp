#include "display/drawing.h"

#include "display/display.h"

namespace {

using platform::PixelRect;

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
constexpr int kFieldSize = 480;
constexpr int kFieldOffset = 272;  // playfield units are offset by 272 pixels on both axes
constexpr int kCell = 16;
constexpr int kColumns = 40;
constexpr int kRows = 30;
// A piece whose operation keeps failing is given up for this frame after this many tries, so a
// restore that never succeeds cannot hang the game.
constexpr int kMaxAttempts = 4;

bool DisplayUsable() {
  const DisplayContext& dc = displayContext;
  return dc.directDraw != nullptr && dc.primary != nullptr && dc.backBuffer != nullptr &&
         dc.sheet != nullptr && dc.spriteTable != nullptr;
}

// The single policy for a lost surface. A loss that was restored drops this piece from the frame;
// any other failure tries again, a few times at most. A restore whose sheet reload failed has
// closed the display, and then nothing more is touched.
template <typename Operation>
void IssueWithRetry(WindowHandle window, Operation operation) {
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    if (!DisplayUsable()) return;
    const int result = operation();
    if (result == platform::kVideoOk) return;
    if (result == platform::kVideoSurfaceLost && RestoreSurfaces(window) == 0) return;
  }
}

// Cuts the sprite at the right and bottom limits and at 0 on both axes, then copies what is left.
void DrawClipped(WindowHandle window, int px, int py, const SpriteRect& r, int limitX, int limitY) {
  PixelRect from{r.left, r.top, r.left + r.width, r.top + r.height};
  if (px + r.width >= limitX) from.right = r.left + (limitX - px);
  if (px < 0) {
    from.left -= px;
    px = 0;
  }
  if (py + r.height >= limitY) from.bottom = r.top + (limitY - py);
  if (py < 0) {
    from.top -= py;
    py = 0;
  }
  if (from.right <= from.left || from.bottom <= from.top) return;
  IssueWithRetry(window, [&] {
    return platform::KeyedCopy(displayContext.backBuffer, px, py, displayContext.sheet, from);
  });
}

}  // namespace

void DrawText(WindowHandle window, int column, int row, const char* text, int style) {
  if (text == nullptr || column < 0 || column >= kColumns || row < 0 || row >= kRows ||
      text[0] == '\0') {
    return;
  }
  const int sheetWidth = displayContext.sheetWidth;
  const int sheetHeight = displayContext.sheetHeight;
  if (sheetWidth < kCell) return;
  for (int i = 0; text[i] != '\0' && column + i < kColumns; ++i) {
    const int c = static_cast<signed char>(text[i]);
    // Control bytes (DEL too) and bytes of 128 and up, which a hand-edited score file can hold,
    // have no glyph: they draw nothing rather than copy from outside the font.
    if (c < 32 || c == 127) continue;
    const int g = (c - 32) * kCell;
    const int left = g % sheetWidth;
    const int top = (g / sheetWidth) * kCell + style * 2 * kCell;
    if (top < 0 || left + kCell > sheetWidth || top + kCell > sheetHeight) continue;
    const PixelRect from{left, top, left + kCell, top + kCell};
    const int x = kCell * (column + i);
    const int y = kCell * row;
    IssueWithRetry(window, [&] {
      return platform::KeyedCopy(displayContext.backBuffer, x, y, displayContext.sheet, from);
    });
  }
}

void DrawFieldSprite(WindowHandle window, int x, int y, int row) {
  if (row < 0 || row >= kSpriteRows || !DisplayUsable()) return;
  const SpriteRect& r = displayContext.spriteTable[row];
  const int px = (x >> 6) - r.hotX - kFieldOffset;
  const int py = (y >> 6) - r.hotY - kFieldOffset;
  DrawClipped(window, px, py, r, kFieldSize, kFieldSize);
}

void DrawScreenSprite(WindowHandle window, int x, int y, int row) {
  if (row < 0 || row >= kSpriteRows || !DisplayUsable()) return;
  const SpriteRect& r = displayContext.spriteTable[row];
  DrawClipped(window, x - r.hotX, y - r.hotY, r, kScreenWidth, kScreenHeight);
}

void FillScreen(WindowHandle window, int colour) {
  FillRect(window, 0, 0, kScreenWidth, kScreenHeight, colour);
}

void FillRect(WindowHandle window, int left, int top, int right, int bottom, int colour) {
  const PixelRect rect{left, top, right, bottom};
  IssueWithRetry(window,
                 [&] { return platform::ColourFill(displayContext.backBuffer, rect, colour); });
}

void FlipScreen(WindowHandle window) {
  IssueWithRetry(window, [&] { return platform::Flip(displayContext.primary); });
}
