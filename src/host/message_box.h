// The machine's own message box, for the failures the player has to be told about.
#pragma once

#include "host/window_handle.h"

namespace platform {

// Shows text under caption over the window and waits until it is dismissed; where no box can be
// shown, the text goes to standard error instead.
void ShowMessageBox(WindowHandle window, const char* text, const char* caption);

}  // namespace platform
