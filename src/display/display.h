// The display device: the 640 x 480 x 8 screen, its back buffer, the sprite sheet and palette.
#pragma once

#include "platform/window_handle.h"

// 1 when the device stands; 0 after a failure was reported and the window destroyed.
int OpenDisplay(WindowHandle window);
// Releases what the device holds; safe at any time, also twice.
void CloseDisplay();
