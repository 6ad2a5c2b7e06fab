// The display device: the 640 x 480 x 8 screen, its back buffer, the sprite sheet and palette.
#pragma once

#include <cstdint>

#include "display/sprite_table.h"
#include "host/window_handle.h"
#include "machine/video.h"

struct DisplayContext {
  platform::VideoDevice* directDraw;  // the picture device; null while the display is closed
  platform::Surface* primary;         // the visible surface, front of the flip chain
  platform::Surface* backBuffer;      // every drawing primitive writes here
  platform::Surface* sheet;           // sheetWidth x sheetHeight, holds the sprite sheet
  platform::Palette* palette;         // built from the sheet bitmap, attached to the primary
  const SpriteRect* spriteTable;      // first row of the sprite table
  int32_t sheetWidth;
  int32_t sheetHeight;
  const char* sheetName;  // the bitmap resource that holds the sheet
};

extern DisplayContext displayContext;
// The palette index of the sheet's top-left pixel: transparent in every sprite and glyph.
extern int32_t keyIndex;

// 1 when the device stands; 0 after a failure was reported and the window destroyed.
int OpenDisplay(WindowHandle window);
// Releases what the device holds; safe at any time, also twice.
void CloseDisplay();
// Reports text in a box captioned "DirectDraw Function", closes the device, destroys the window;
// always 0.
int DisplayFail(WindowHandle window, const char* text);
// Gives lost surfaces memory again and reloads the sheet; 0, or the first failing restore's code.
int RestoreSurfaces(WindowHandle window);
// Reads the bitmap resource `name` into surface and makes its colour table the palette; 1 on
// success, 0 after a failure was reported.
int LoadSheet(WindowHandle window, platform::Surface* surface, const char* name);
// Closes the device and clears the sheet description (tests).
void ResetDisplay();
