// The posted-message queue of the game's one window, and what becomes of a message the window
// procedure leaves alone. A host's message source gives the posted messages first.
#pragma once

#include <cstdint>

#include "host/messages.h"
#include "host/window_handle.h"

namespace platform {

// Queues a message for the window's loop; false when the queue is full.
bool PostMessage(WindowHandle window, const Message& message);
// Queues the quit message that ends the loop with exitCode.
void PostQuitMessage(int exitCode);
// Takes the oldest posted message into *out; false when none waits.
bool TakePostedMessage(Message* out);
// True while a posted message waits.
bool HasPostedMessage();
// Drops every posted message (tests).
void ResetPostedMessages();

// What happens to a message the window procedure leaves alone: close destroys the window,
// everything else is ignored. Returns 0.
int32_t DefWindowProc(WindowHandle window, const Message& message);

}  // namespace platform
