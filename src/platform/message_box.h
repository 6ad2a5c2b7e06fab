// The one way the game tells the user something went wrong: a blocking box with an OK button.
#pragma once

#include "platform/window_handle.h"

namespace platform {

// Shows text under caption in a box owned by the window and waits until it is dismissed.
void ShowMessageBox(WindowHandle window, const char* caption, const char* text);

}  // namespace platform
