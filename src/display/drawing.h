// The only ways the game puts pixels on the screen.
#pragma once

#include "host/window_handle.h"

void DrawText(WindowHandle window, int column, int row, const char* text, int style);
void DrawFieldSprite(WindowHandle window, int x, int y, int row);
void DrawScreenSprite(WindowHandle window, int x, int y, int row);
void FillScreen(WindowHandle window, int colour);
void FillRect(WindowHandle window, int left, int top, int right, int bottom, int colour);
void FlipScreen(WindowHandle window);
