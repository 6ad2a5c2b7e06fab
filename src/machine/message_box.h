// A blocking message box for the failures the player has to be told about, with a seam that lets
// tests catch the box instead of showing it.
#pragma once

#include "host/message_box.h"
#include "host/window_handle.h"

namespace platform {

// Where message boxes go instead of the screen (tests).
using MessageBoxHook = void (*)(const char* text, const char* caption);

// Shows text under caption over the window (the host's box) and waits until it is dismissed.
void MessageBox(WindowHandle window, const char* text, const char* caption);
// Sends every later message box to hook instead; null puts the real box back.
void SetMessageBoxHook(MessageBoxHook hook);

}  // namespace platform
