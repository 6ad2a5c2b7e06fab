// Ending the game's window from inside the game, as a display failure does.
#pragma once

#include "platform/window_handle.h"

namespace platform {

// Starts the window's destruction; the frame loop then runs the teardown and ends the program.
void DestroyWindow(WindowHandle window);

}  // namespace platform
