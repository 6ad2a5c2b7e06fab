// A sprite sheet resource of any bytes: the bitmap checks must refuse what does not fit, and a
// sheet that loads is drawn from, every sprite row and glyph, onto the screen and flipped.
#include <cstdint>

#include "display/display.h"
#include "display/drawing.h"
#include "display/sprite_table.h"
#include "machine/resources.h"
#include "machine/video.h"
#include "recording_window.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetDisplay();
  platform::ResetVideoTestState();
  testing_support::ClearRecordedWindow();
  displayContext.spriteTable = kSpriteTable.data();
  displayContext.sheetName = "char";
  displayContext.sheetWidth = 512;
  displayContext.sheetHeight = 512;
  platform::OverrideResource("CHAR", platform::ResourceType::kBitmap, data, size);

  const WindowHandle window = testing_support::RecordingWindow();
  if (OpenDisplay(window) == 1) {
    FillScreen(window, 0);
    for (int row = 0; row < kSpriteRows; ++row) {
      DrawFieldSprite(window, (row * 37) % 480, (row * 53) % 480, row);
      DrawScreenSprite(window, (row * 41) % 640 - 16, (row * 29) % 480 - 16, row);
    }
    DrawText(window, 0, 0, "SKYPOP 0123456789 .-<>=]", 0);
    DrawText(window, 30, 29, "EDGE", 3);
    FillRect(window, 600, 440, 700, 500, 7);
    FlipScreen(window);
  }
  ResetDisplay();
  platform::ResetVideoTestState();
  platform::ClearResourceOverrides();
  testing_support::ClearRecordedWindow();
  return 0;
}
