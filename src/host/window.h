// The game's one window: full screen on the desktop, a 640 x 480 picture inside it.
#pragma once

#include <cstdint>

#include "host/messages.h"
#include "host/window_handle.h"

namespace platform {

// The function that receives the window's messages; returns 0 for what it handled.
using WindowProcedure = int32_t (*)(WindowHandle window, const Message& message);

// Creates the window, hidden, full screen on the desktop, with its caption and the MYICON icon
// where there is one; null when the machine has no usable display.
WindowHandle CreateGameWindow(const char* caption, WindowProcedure procedure);
// Shows the window and raises it above the others.
void ShowWindow(WindowHandle window);
// Shows or hides the system pointer while it is over the window.
void ShowPointer(bool visible);
// Runs the window procedure's destroy handling at once, then closes the window; a second call
// does nothing.
void DestroyWindow(WindowHandle window);
// Releases what the host still holds, once the loop has ended.
void ShutDownPlatform();
// Whether the game was asked to close by the machine (a signal; on Windows a console's Ctrl+C or
// the session ending) rather than by the player: nobody may be there to read a message then.
bool EndedBySignal();

}  // namespace platform
