// A blocking message box for the failures the player has to be told about.
#pragma once

#include "platform/window_handle.h"

namespace platform {

// Where message boxes go instead of the screen (tests).
using MessageBoxHook = void (*)(const char* text, const char* caption);

// Shows text under caption over the window and waits until it is dismissed; where no box can be
// shown, the text goes to standard error instead.
void MessageBox(WindowHandle window, const char* text, const char* caption);
// Sends every later message box to hook instead; null puts the real box back.
void SetMessageBoxHook(MessageBoxHook hook);

}  // namespace platform
